// The editor's flows without a display: loading, writing, the up axis and
// closing, with the questions, the chooser and the console answered by hand.
#include <gtest/gtest.h>
#include <limits.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "app/EditorActions.h"
#include "motion/FigureFrame.h"
#include "view/WalkClip.h"

namespace {

using editortest::walkClip;

// A temporary working folder, the actions on a session of one of its clips,
// and seams that answer from `replies` (keep when none are left) and
// `answers` (a cancel when none are left), keeping what was asked and said.
class ActionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char buffer[PATH_MAX];
    ASSERT_NE(getcwd(buffer, sizeof buffer), nullptr);
    previousFolder_ = buffer;
    ASSERT_EQ(chdir(dir_.path().c_str()), 0);
  }
  void TearDown() override {
    actions.reset();
    ASSERT_EQ(chdir(previousFolder_.c_str()), 0);
  }

  // Loads clip as the editor's start-up would, then starts the actions on it.
  void start(const std::string& name, const std::string& clip) {
    write(name, clip);
    ASSERT_TRUE(session.load(name));
    session.takeConsoleNotes();
    EditorActions::Seams seams;
    seams.ask = [this](const Question& question) {
      asked.push_back(question);
      if (replies.empty()) return Answer::keep;
      const Answer reply = replies.front();
      replies.erase(replies.begin());
      return reply;
    };
    seams.choose = [this](const char* message, const char*, const char*) {
      chooserMessages.emplace_back(message);
      if (answers.empty()) return static_cast<const char*>(nullptr);
      lastAnswer_ = answers.front();
      answers.erase(answers.begin());
      return lastAnswer_ ? lastAnswer_->c_str() : nullptr;
    };
    seams.console = [this](const std::string& text) { console += text; };
    actions = std::make_unique<EditorActions>(session, state, seams);
  }

  std::string write(const std::string& name, const std::string& contents) const {
    dir_.write(name, contents);
    return name;
  }
  std::string path() const { return dir_.path(); }
  const Playback& playback() const { return state.playback; }

  EditSession session;
  ViewState state;
  std::unique_ptr<EditorActions> actions;
  std::vector<Answer> replies;
  std::vector<Question> asked;
  std::vector<std::optional<std::string>> answers;
  std::vector<std::string> chooserMessages;
  std::string console;

 private:
  testsupport::TempDir dir_;
  std::string previousFolder_;
  std::optional<std::string> lastAnswer_;
};

// Frame times a clip cannot be played at: a sound pace and a note on the
// status line; the clip keeps the value it was read with.
TEST_F(ActionsTest, UnplayableFrameTimesPlayAtASoundPace) {
  const struct {
    const char* frameTime;
    bool playable;
  } rows[] = {{"0", false},     {"-0.5", false},    {"nan", false},
              {"1e300", false}, {"0.008333", true}, {"2", true}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.frameTime);
    std::string clip = walkClip(20);
    clip.replace(clip.find("Frame Time: 0.1"), 15, std::string("Frame Time: ") + row.frameTime);
    start("odd.bvh", clip);
    ASSERT_EQ(session.motion().frameCount, 20);
    const bool noted = actions->statusText().find("cannot be played") != std::string::npos;
    EXPECT_EQ(noted, !row.playable);
    const double frameTime = playback().frameTime();
    EXPECT_GE(frameTime, 0.001);
    EXPECT_LE(frameTime, 10.0);
    if (row.playable) {
      EXPECT_DOUBLE_EQ(frameTime, session.motion().frameTime);
    }
  }
}

class LoadedActionsTest : public ActionsTest {
 protected:
  void SetUp() override {
    ActionsTest::SetUp();
    start("walk.bvh", walkClip(20));
  }
};

TEST_F(LoadedActionsTest, LoadPathWithoutANameChangesNothing) {
  actions->setCurrentFrame(13);
  const Point3 before = testsupport::loopRecord(session).path.point(2);
  actions->loadPath(nullptr);
  EXPECT_EQ(console, "");
  EXPECT_EQ(session.motion().frameCount, 20);
  EXPECT_EQ(playback().frame(), 13);
  const Point3 after = testsupport::loopRecord(session).path.point(2);
  EXPECT_EQ(after.x, before.x);
  EXPECT_EQ(after.z, before.z);
}

TEST_F(LoadedActionsTest, LoadPathReplacesTheClipAndRefitsWithoutPrintingIt) {
  actions->setCurrentFrame(13);
  actions->setFrameTime(0.7);
  actions->run(Command::toggleUsesPath);
  const std::string name = write("short.bvh", walkClip(5, -4.0, 8.0, 0.02));
  actions->loadPath(name.c_str());
  EXPECT_EQ(session.motion().frameCount, 5);
  EXPECT_EQ(playback().frame(), 0);                // a new clip starts at its first frame
  EXPECT_DOUBLE_EQ(playback().frameTime(), 0.02);  // the new clip's pace
  EXPECT_TRUE(state.usesPath);
  EXPECT_EQ(testsupport::loopRecord(session).path.pointCount(), 4);
  EXPECT_EQ(testsupport::loopRecord(session).frames, 5);
  EXPECT_DOUBLE_EQ(testsupport::loopRecord(session).boundsMin.x, -16.0);
  EXPECT_NE(console.find("Number of Frames: 5\n"), std::string::npos) << console;
  EXPECT_EQ(console.find("Name Hips"), std::string::npos) << console;
}

TEST_F(LoadedActionsTest, AFailedLoadPathKeepsTheClipItsEditsAndTheFrame) {
  actions->setCurrentFrame(17);
  ASSERT_TRUE(session.movePoint(2, 3.0, 0.0));
  const Point3 edited = session.point(2);
  const std::string name = write("broken.bvh", "HIERARCHY\nROOT\n");
  // Told to go ahead and drop the edits, but the file cannot be read.
  replies = {Answer::goAhead};
  EXPECT_FALSE(actions->loadPath(name.c_str()));
  EXPECT_EQ(session.motion().frameCount, 20);
  EXPECT_EQ(playback().frame(), 17);
  EXPECT_EQ(session.point(2).x, edited.x);
  EXPECT_TRUE(session.unsaved());
  EXPECT_TRUE(session.canUndo());
  EXPECT_EQ(session.message().rfind("Could not read broken.bvh: ", 0), 0u) << session.message();
  EXPECT_NE(actions->statusText().find(session.message()), std::string::npos);
}

TEST_F(LoadedActionsTest, LoadPathAsksBeforeDroppingUnwrittenEdits) {
  ASSERT_TRUE(session.movePoint(2, 3.0, 0.0));
  const std::string other = write("other.bvh", walkClip(30));
  replies = {Answer::keep, Answer::goAhead};
  EXPECT_FALSE(actions->loadPath(other.c_str()));
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(session.motion().frameCount, 20);
  EXPECT_TRUE(session.unsaved());
  EXPECT_NE(actions->statusText().find("Kept the unwritten edits; other.bvh not loaded"),
            std::string::npos);

  EXPECT_TRUE(actions->loadPath(other.c_str()));
  EXPECT_EQ(asked.size(), 2u);
  EXPECT_EQ(session.motion().frameCount, 30);
  EXPECT_NE(actions->statusText().find("the unwritten edits were dropped"), std::string::npos);
  // Nothing left to lose: no question.
  EXPECT_TRUE(actions->loadPath(other.c_str()));
  EXPECT_EQ(asked.size(), 2u);
}

TEST_F(LoadedActionsTest, WritePathWritesOnlyWithAName) {
  actions->writePath(nullptr);
  EXPECT_EQ(console, "");
  actions->writePath("written.bvh");
  BvhMotion back;
  Notes readNotes;
  EXPECT_TRUE(back.read("written.bvh", readNotes));
  EXPECT_EQ(back.frameCount, 20);
  ASSERT_FALSE(back.skeleton.empty());
  EXPECT_STREQ(back.skeleton.root().name, "Hips");
  EXPECT_TRUE(asked.empty());
  EXPECT_NE(actions->statusText().find("Wrote written.bvh"), std::string::npos);

  // An existing file is replaced only when the user agrees.
  const std::string original = "keep me\n";
  write("taken.bvh", original);
  replies = {Answer::keep, Answer::goAhead};
  EXPECT_FALSE(actions->writePath("taken.bvh"));
  EXPECT_EQ(testsupport::readFile(path() + "/taken.bvh"), original);
  EXPECT_TRUE(actions->writePath("taken.bvh"));
  EXPECT_NE(testsupport::readFile(path() + "/taken.bvh"), original);
  EXPECT_EQ(asked.size(), 2u);

  // So is a symbolic link that leads nowhere.
  ASSERT_EQ(symlink("nowhere.bvh", (path() + "/dangling.bvh").c_str()), 0);
  replies = {Answer::keep};
  EXPECT_FALSE(actions->writePath("dangling.bvh"));
  EXPECT_EQ(asked.size(), 3u);
  EXPECT_FALSE(std::filesystem::exists(path() + "/nowhere.bvh"));
}

// Closing and switching the up axis ask only while there are unwritten
// edits, and keep them unless told to go ahead.
TEST_F(LoadedActionsTest, CloseAndTheUpAxisAskBeforeDroppingEdits) {
  EXPECT_TRUE(actions->mayClose());
  EXPECT_TRUE(asked.empty());
  ASSERT_TRUE(session.movePoint(1, 5.0, 0.0));
  replies = {Answer::keep};
  EXPECT_FALSE(actions->mayClose());
  EXPECT_NE(session.message().find("Kept editing"), std::string::npos);
  replies = {Answer::goAhead};
  EXPECT_TRUE(actions->mayClose());

  replies = {Answer::keep};
  actions->run(Command::switchUpAxis);
  EXPECT_EQ(session.upAxis(), UpAxis::y);
  EXPECT_TRUE(session.unsaved());
  replies = {Answer::goAhead};
  actions->run(Command::switchUpAxis);
  EXPECT_EQ(session.upAxis(), UpAxis::z);
  EXPECT_FALSE(session.unsaved());
  EXPECT_NE(console.find("Up axis: Z\n"), std::string::npos);
  EXPECT_EQ(asked.size(), 4u);
}

// The chooser's messages, and a chooser's cancel that changes nothing.
TEST_F(LoadedActionsTest, LoadAndWritePathAskTheChooserAndACancelChangesNothing) {
  actions->run(Command::loadPath);
  actions->run(Command::writePath);
  EXPECT_EQ(chooserMessages,
            (std::vector<std::string>{"Choose a BVH File: ", "Enter a BVH File name: "}));
  EXPECT_EQ(session.motion().frameCount, 20);
  EXPECT_FALSE(std::filesystem::exists(path() + "/walk-path.bvh"));
}

// Every operation leaves its own outcome in the message, so none outlives
// the next one ("Nothing to undo" once stayed after three moves).
TEST_F(LoadedActionsTest, EveryOperationSaysWhatItDid) {
  const struct {
    const char* name;
    std::function<void(EditorActions&)> operation;
    const char* message;  // how the message starts
  } rows[] = {
      {"undo", [](EditorActions& a) { a.run(Command::undo); }, "Nothing to undo"},
      {"select", [](EditorActions& a) { a.selectPoint(1); }, "Selected point 1 at x "},
      {"arrow", [](EditorActions& a) { a.run(Command::nudgeRight); }, "Moved point 1 to x "},
      {"Shift+arrow", [](EditorActions& a) { a.run(Command::nudgeAway, 10); }, "Moved point 1 to"},
      {"drag", [](EditorActions& a) { a.dragSelected(1.0, 0.0); }, "Moved point 1 to"},
      {"Tab", [](EditorActions& a) { a.run(Command::nextPoint); }, "Selected point 2 at"},
      {"Escape", [](EditorActions& a) { a.run(Command::deselect); }, "No point selected"},
      {"pause", [](EditorActions& a) { a.run(Command::playPause); }, "Paused at frame 0"},
      {"step", [](EditorActions& a) { a.run(Command::frameForward); }, "Frame 1"},
      {"End", [](EditorActions& a) { a.run(Command::lastFrame); }, "Frame 19, the last"},
      {"range", [](EditorActions& a) { a.run(Command::rangeStart); }, "Play range 19 to 19"},
      {"clear", [](EditorActions& a) { a.run(Command::clearRange); }, "Play range cleared"},
      {"ghost", [](EditorActions& a) { a.run(Command::toggleGhost); }, "Ghost of the figure"},
      {"top", [](EditorActions& a) { a.run(Command::topView); }, "Top view"},
      {"reset", [](EditorActions& a) { a.run(Command::resetCamera); }, "Camera back"},
      {"kind", [](EditorActions& a) { a.run(Command::switchPathKind); },
       "Showing the track path, "},
      {"feet", [](EditorActions& a) { a.run(Command::toggleFeet); }, "Feet free: "},
      {"pace", [](EditorActions& a) { a.run(Command::togglePace); }, "Keep Pace on: "},
      {"contacts", [](EditorActions& a) { a.run(Command::toggleContacts); }, "No foot contacts"},
      {"slider", [](EditorActions& a) { a.setCurrentFrame(4.0); }, "Frame 4"},
      {"rate", [](EditorActions& a) { a.setFrameTime(0.5); }, "Playing at 0.5 s a frame"},
  };
  for (const auto& row : rows) {
    session.setMessage("stale");
    row.operation(*actions);
    EXPECT_EQ(session.message().rfind(row.message, 0), 0u) << row.name << ": " << session.message();
  }
}

// Tab and Shift+Tab go round the points of the path shown, from none too.
TEST_F(LoadedActionsTest, TabAndShiftTabGoRoundThePoints) {
  const struct {
    int from;
    bool forward;
    int to;
  } rows[] = {{-1, true, 0}, {-1, false, 3}, {0, true, 1},
              {3, true, 0},  {0, false, 3},  {2, false, 1}};
  for (const auto& row : rows) {
    ASSERT_TRUE(session.select(row.from));
    actions->run(row.forward ? Command::nextPoint : Command::previousPoint);
    EXPECT_EQ(session.selected(), row.to) << row.from << (row.forward ? " Tab" : " Shift+Tab");
  }
}

// A typed position moves the selected point there as one undo step of its
// own; a typed frame is brought into the clip.
TEST_F(LoadedActionsTest, TypedCoordinatesMoveThePointAsOneStepAndTypedFramesAreKeptInTheClip) {
  actions->movePointTo(5.0, 6.0);
  EXPECT_EQ(session.message(), "Select a control point first");
  ASSERT_TRUE(session.select(2));
  actions->run(Command::nudgeRight);
  const Point3 nudged = session.point(2);
  actions->movePointTo(12.5, -7.25);
  EXPECT_DOUBLE_EQ(session.point(2).x, 12.5);
  EXPECT_DOUBLE_EQ(session.point(2).z, -7.25);
  actions->run(Command::undo);
  EXPECT_DOUBLE_EQ(session.point(2).x, nudged.x) << "the arrow press stays";
  actions->movePointTo(std::nan(""), 1.0);
  EXPECT_DOUBLE_EQ(session.point(2).x, nudged.x);

  actions->goToFrame(7.0);
  EXPECT_EQ(playback().frame(), 7);
  actions->goToFrame(1e9);
  EXPECT_EQ(playback().frame(), 19);
  EXPECT_EQ(session.message(), "Frame 19: the clip has frames 0 to 19");
}

// "Write First" writes as Write Path does, then goes on; a write that does
// not happen loads nothing and keeps the editor open.
TEST_F(LoadedActionsTest, WriteFirstWritesThenLoadsOrCloses) {
  const std::string other = write("other.bvh", walkClip(30));
  ASSERT_TRUE(session.movePoint(2, 3.0, 0.0));
  replies = {Answer::writeFirst};
  answers = {std::nullopt};  // the write's chooser cancelled
  EXPECT_FALSE(actions->loadPath(other.c_str()));
  EXPECT_EQ(session.motion().frameCount, 20);
  EXPECT_EQ(session.message(), "Write Path cancelled; nothing written; other.bvh not loaded");
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].writeFirst, "Write First");

  replies = {Answer::writeFirst};
  answers = {std::string("first.bvh")};
  EXPECT_TRUE(actions->loadPath(other.c_str()));
  EXPECT_EQ(session.motion().frameCount, 30);
  EXPECT_TRUE(std::filesystem::exists(path() + "/first.bvh"));
  EXPECT_EQ(session.message().rfind("Wrote first.bvh; Loaded other.bvh", 0), 0u)
      << session.message();

  ASSERT_TRUE(session.movePoint(1, 3.0, 0.0));
  replies = {Answer::writeFirst, Answer::keep};  // the written name exists: kept
  answers = {std::string("first.bvh")};
  EXPECT_FALSE(actions->mayClose());
  EXPECT_EQ(session.message(), "Kept first.bvh; nothing written; the editor stays open");
  replies = {Answer::writeFirst};
  answers = {std::string("second.bvh")};
  EXPECT_TRUE(actions->mayClose());
  EXPECT_TRUE(std::filesystem::exists(path() + "/second.bvh"));
  EXPECT_FALSE(session.unsaved());
}

// A drag that would take the camera under the floor is refused; F brings a
// camera that got there anyway back to a view one can work in.
TEST_F(LoadedActionsTest, TheCameraStaysAboveTheFloorAndFRecoversIt) {
  actions->run(Command::resetCamera);
  actions->beginTurn(0.0f, 0.0f);
  actions->turnTo(0.0f, 0.2f);
  const std::array<double, 16> allowed = state.camera.modelView();
  EXPECT_GT(state.camera.viewer().y, figureFloorY);
  actions->turnTo(0.0f, 0.9f);
  EXPECT_EQ(state.camera.modelView(), allowed) << "refused: under the floor";
  EXPECT_EQ(session.message().rfind("The camera stays above the floor", 0), 0u);

  state.camera.beginTurn(0.0f, 0.0f);
  state.camera.turnTo(0.0f, 0.9f);
  ASSERT_LT(state.camera.viewer().y, figureFloorY);
  actions->run(Command::frameFigure);
  EXPECT_GT(state.camera.viewer().y, figureFloorY);
}

TEST_F(LoadedActionsTest, SevenAndResetLeaveTheTopViewAndAFramesEverything) {
  actions->run(Command::topView);
  EXPECT_TRUE(state.camera.topView());
  actions->run(Command::topView);
  EXPECT_FALSE(state.camera.topView());
  actions->run(Command::topView);
  actions->run(Command::resetCamera);
  EXPECT_FALSE(state.camera.topView());
  // The whole walk (its root from x 0 to 190, z 0 to 95) in view.
  actions->run(Command::frameAll);
  for (const double x : {0.0, 190.0}) {
    double ux = 9.0;
    double uy = 9.0;
    ASSERT_TRUE(state.camera.project({x * figureScale, figureFloorY, x / 2.0 * figureScale},
                                     state.aspect(), ux, uy));
    EXPECT_LT(std::fabs(ux), 1.0) << x;
    EXPECT_LT(std::fabs(uy), 1.0) << x;
  }
}

}  // namespace
