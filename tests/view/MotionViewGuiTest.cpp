#include <FL/Fl.H>
#include <FL/Fl_Group.H>
#include <FL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "view/MotionView.h"
#include "view/MotionViewTestSupport.h"

namespace {

using editortest::walkClip;
using editortest::Workspace;

// A top-level view, as the editor builds it but without the controls.
std::unique_ptr<MotionView> makeView() {
  Fl_Group::current(nullptr);
  return std::make_unique<MotionView>(0, 100, 900, 600);
}

void showAndSettle(MotionView& view) {
  view.show();
  for (int i = 0; i < 100 && !view.visible(); ++i) {
    Fl::wait(0.01);
  }
  Fl::flush();
}

size_t countOf(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

// ---------------------------------------------------------------------------
// Construction

TEST(MotionViewStartTest, LoadsTheChosenClipPrintsItAndFitsThePath) {
  Workspace space;
  space.answers = {space.write("walk.bvh", walkClip(7, 10.0, 5.0, 0.25))};
  std::unique_ptr<MotionView> view;
  const std::string out = testsupport::captureStdout([&] { view = makeView(); });

  ASSERT_EQ(space.requests.size(), 1u);
  EXPECT_EQ(space.requests[0].first, "Choose a BVH File: ");
  EXPECT_EQ(space.requests[0].second, "*.bvh");
  EXPECT_STREQ(view->label(), "Vovar Evuvu");
  EXPECT_EQ(view->x(), 0);
  EXPECT_EQ(view->y(), 100);
  EXPECT_EQ(view->w(), 900);
  EXPECT_EQ(view->h(), 600);

  EXPECT_EQ(view->motion->frameCount, 7);
  EXPECT_DOUBLE_EQ(view->frameTime, 0.25);
  EXPECT_NE(out.find("Name Hips, Offset XYZ"), std::string::npos) << out;
  EXPECT_NE(out.find("Name Chest, Offset XYZ"), std::string::npos) << out;
  EXPECT_NE(out.find("Number of Frames: 7\n"), std::string::npos) << out;
  EXPECT_EQ(out.find("Failed to load"), std::string::npos) << out;
  // The hierarchy is printed before the fit reports.
  EXPECT_LT(out.find("Name Hips"), out.find("Number of Frames"));
  EXPECT_EQ(view->path->path.pointCount(), 4);
  EXPECT_EQ(view->path->frames, 7);

  EXPECT_EQ(view->currentFrame, 0);
  EXPECT_TRUE(view->animated);
  EXPECT_FALSE(view->strobing);
  EXPECT_FALSE(view->usesPath);
  EXPECT_FALSE(view->followMotion);
  EXPECT_EQ(view->lastStepClock, 0);
  // The small stand-in figure is framed: the eye 1 / zoom in front of it.
  EXPECT_GT(view->zoom, 1.0);
  EXPECT_EQ(view->eyeX, view->centerX);
  EXPECT_NEAR(view->eyeZ - view->centerZ, 1.0 / view->zoom, 1e-12);
  for (double field : {view->lastX, view->lastY, view->pickDepth, view->rotateX, view->rotateY}) {
    EXPECT_EQ(field, -1.0);
  }
  ASSERT_TRUE(view->arcBall);
}

struct StartCase {
  std::string name;
  std::optional<std::string> choice;  // nullopt: the user cancels
  std::string fileContents;           // written under the chosen name when not empty
  bool failureMessage;
};

void PrintTo(const StartCase& c, std::ostream* out) { *out << c.name; }

class MotionViewFallbackTest : public ::testing::TestWithParam<StartCase> {};

TEST_P(MotionViewFallbackTest, LoadsTheDefaultClip) {
  const StartCase& c = GetParam();
  Workspace space;
  if (c.choice && !c.fileContents.empty()) {
    space.write(*c.choice, c.fileContents);
  }
  space.answers = {c.choice};
  std::unique_ptr<MotionView> view;
  const std::string out = testsupport::captureStdout([&] { view = makeView(); });
  EXPECT_EQ(view->motion->frameCount, editortest::defaultClipFrames);
  EXPECT_DOUBLE_EQ(view->frameTime, 0.05);
  EXPECT_EQ(view->path->frames, editortest::defaultClipFrames);
  EXPECT_EQ(countOf(out, "Failed to load, loading dance instead\n"), c.failureMessage ? 1u : 0u)
      << out;
  EXPECT_EQ(countOf(out, "\n\n----------------------------------------------------\nName Hips"), 1u)
      << out;
}

INSTANTIATE_TEST_SUITE_P(
    Choices, MotionViewFallbackTest,
    ::testing::Values(StartCase{"Cancelled", std::nullopt, "", false},
                      StartCase{"Missing", std::string("missing.bvh"), "", true},
                      StartCase{"NotBvh", std::string("notes.bvh"), "just some words\n", true},
                      StartCase{"CutShort", std::string("cut.bvh"),
                                walkClip(5).substr(0, walkClip(5).find("MOTION") + 9), true}),
    [](const ::testing::TestParamInfo<StartCase>& info) { return info.param.name; });

TEST(MotionViewStartTest, GoesOnWithAnEmptyClipWhenNoClipLoads) {
  Workspace space(/*withDefaultClip=*/false);
  std::unique_ptr<MotionView> view;
  testsupport::captureStdout([&] { view = makeView(); });
  EXPECT_EQ(view->motion->frameCount, 0);
  EXPECT_LE(view->motion->frameCount, static_cast<int>(view->motion->frameLines.size()));

  view->setCurrentFrame(5.0);
  EXPECT_EQ(view->currentFrame, 0);
  view->frameForward();
  EXPECT_EQ(view->currentFrame, 0);
  view->frameBackward();
  EXPECT_EQ(view->currentFrame, 0);
  view->setFrameTime(0.0);
  space.now = 5000;
  view->stepAnimation();
  EXPECT_EQ(view->currentFrame, 0);
  EXPECT_EQ(view->lastStepClock, 5000);

  // The floor and the axis cross are drawn with nothing to put on them.
  showAndSettle(*view);
  view->make_current();
  view->strobing = true;
  view->draw();
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// ---------------------------------------------------------------------------
// Scene

// An uncompressed 24-bit TGA of 64 x 64 pixels in 32-pixel squares of two colours.
std::string checkerTga(const unsigned char a[3], const unsigned char b[3]) {
  std::string bytes(18, '\0');
  bytes[2] = 2;
  bytes[12] = 64;
  bytes[14] = 64;
  bytes[16] = 24;
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      const unsigned char* c = ((x / 32) + (y / 32)) % 2 == 0 ? a : b;
      bytes += static_cast<char>(c[2]);
      bytes += static_cast<char>(c[1]);
      bytes += static_cast<char>(c[0]);
    }
  }
  return bytes;
}

TEST(MotionViewSceneTest, TheFloorShowsTheCheckerTexture) {
  Workspace space;
  const unsigned char orange[3] = {230, 140, 20};
  const unsigned char teal[3] = {20, 140, 230};
  space.write("checker.tga", checkerTga(orange, teal));
  std::unique_ptr<MotionView> view;
  testsupport::captureStdout([&] { view = makeView(); });
  view->animated = false;
  testsupport::captureStdout([&] { showAndSettle(*view); });

  view->make_current();
  testsupport::captureStdout([&] { view->draw(); });
  glFinish();
  const int width = view->w();
  const int height = view->h();
  std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());

  // The floor fills the lower part of the picture around the middle.
  auto near = [](const unsigned char* p, const unsigned char* c) {
    return std::abs(p[0] - c[0]) < 16 && std::abs(p[1] - c[1]) < 16 && std::abs(p[2] - c[2]) < 16;
  };
  int orangeCount = 0;
  int tealCount = 0;
  for (int y = 30; y < 170; ++y) {
    for (int x = 250; x < 650; ++x) {
      const unsigned char* p = &pixels[(static_cast<size_t>(y) * width + x) * 3];
      orangeCount += near(p, orange) ? 1 : 0;
      tealCount += near(p, teal) ? 1 : 0;
    }
  }
  EXPECT_GT(orangeCount, 5000);
  EXPECT_GT(tealCount, 5000);
  // Nothing of the floor above the horizon band.
  int floorAbove = 0;
  for (int y = 450; y < 600; ++y) {
    for (int x = 0; x < width; ++x) {
      const unsigned char* p = &pixels[(static_cast<size_t>(y) * width + x) * 3];
      floorAbove += near(p, orange) || near(p, teal) ? 1 : 0;
    }
  }
  EXPECT_EQ(floorAbove, 0);
}

// ---------------------------------------------------------------------------
// Camera and display switches

TEST(MotionViewCameraTest, PansAndResetsPanZoomAndRotation) {
  Workspace space;
  std::unique_ptr<MotionView> view;
  testsupport::captureStdout([&] { view = makeView(); });

  // The start-up camera (framing the small stand-in figure) is where the
  // reset goes back to.
  const std::array<double, 6> start = {view->eyeX,    view->eyeY,    view->eyeZ,
                                       view->centerX, view->centerZ, view->zoom};
  view->panX(-0.5);
  view->panX(-0.5);
  EXPECT_DOUBLE_EQ(view->eyeX, start[0] - 1.0);
  EXPECT_DOUBLE_EQ(view->centerX, start[3] - 1.0);
  view->panX(0.5);
  view->panX(0.5);
  EXPECT_DOUBLE_EQ(view->eyeX, start[0]);
  EXPECT_DOUBLE_EQ(view->centerX, start[3]);
  view->panZ(0.5);
  EXPECT_DOUBLE_EQ(view->eyeZ, start[2] + 0.5);
  EXPECT_DOUBLE_EQ(view->centerZ, start[4] + 0.5);
  EXPECT_DOUBLE_EQ(view->eyeX, start[0]);

  view->panX(2.0);
  view->arcBall->rotation = Quaternion(0.0f, 0.6f, 0.0f, 0.8f);
  view->arcBall->dragRotation = Quaternion(0.6f, 0.0f, 0.0f, 0.8f);
  view->zoom = 3.0;
  view->eyeY = 2.0;
  view->resetCamera();
  EXPECT_EQ(view->eyeX, start[0]);
  EXPECT_EQ(view->eyeY, start[1]);
  EXPECT_EQ(view->eyeZ, start[2]);
  EXPECT_EQ(view->centerX, start[3]);
  EXPECT_EQ(view->centerZ, start[4]);
  EXPECT_EQ(view->zoom, start[5]);
  for (const Quaternion& q : {view->arcBall->rotation, view->arcBall->dragRotation}) {
    EXPECT_EQ(q.y, 0.0f);
    EXPECT_EQ(q.w, 1.0f);
  }
}

TEST(MotionViewCameraTest, MapsThePointerIntoTheUnitSquare) {
  Workspace space;
  std::unique_ptr<MotionView> view;
  testsupport::captureStdout([&] { view = makeView(); });
  showAndSettle(*view);
  view->make_current();
  view->clearView();
  view->drawScene();
  struct Case {
    double x, y, ux, uy;
  };
  for (const Case& c : {Case{450, 300, 0.0, 0.0}, Case{0, 600, -1.0, -1.0}, Case{900, 0, 1.0, 1.0},
                        Case{225, 150, -0.5, 0.5}}) {
    view->rotateX = c.x;
    view->rotateY = c.y;
    double ux = 7.0;
    double uy = 7.0;
    view->pointerToUnit(ux, uy);
    EXPECT_DOUBLE_EQ(ux, c.ux) << c.x << "," << c.y;
    EXPECT_DOUBLE_EQ(uy, c.uy) << c.x << "," << c.y;
  }
}

// ---------------------------------------------------------------------------
// Playback

class MotionViewPlaybackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    space.answers = {space.write("walk.bvh", walkClip(20))};
    testsupport::captureStdout([&] { view = makeView(); });
    ASSERT_EQ(view->motion->frameCount, 20);
  }
  Workspace space;
  std::unique_ptr<MotionView> view;
};

TEST_F(MotionViewPlaybackTest, SeekingTruncatesAndClamps) {
  struct Case {
    double value;
    int frame;
  };
  for (const Case& c :
       {Case{-3.7, 0}, Case{12.9, 12}, Case{20.0, 19}, Case{19.99, 19}, Case{0.5, 0},
        Case{1e12, 19}, Case{-1e12, 0}, Case{std::numeric_limits<double>::quiet_NaN(), 0},
        Case{std::numeric_limits<double>::infinity(), 19}}) {
    view->currentFrame = 7;
    view->setCurrentFrame(c.value);
    EXPECT_EQ(view->currentFrame, c.frame) << c.value;
  }
}

TEST_F(MotionViewPlaybackTest, ManualStepsWrapAround) {
  view->currentFrame = 19;
  view->frameForward();
  EXPECT_EQ(view->currentFrame, 0);
  view->frameForward();
  EXPECT_EQ(view->currentFrame, 1);
  view->frameBackward();
  view->frameBackward();
  EXPECT_EQ(view->currentFrame, 19);
}

TEST_F(MotionViewPlaybackTest, ShowsTheFrameDueAtTheClipsClock) {
  view->setFrameTime(0.1);
  EXPECT_DOUBLE_EQ(view->frameTime, 0.1);
  space.now = 100;  // exactly one frame time: not yet
  view->stepAnimation();
  EXPECT_EQ(view->currentFrame, 0);
  EXPECT_EQ(view->lastStepClock, 0);
  space.now = 101;
  view->stepAnimation();
  EXPECT_EQ(view->currentFrame, 1);
  EXPECT_EQ(view->lastStepClock, 101);
  // Drawing fell behind: the frames in between are skipped, and the time
  // base keeps the clip's clock (frame 2 was due at 200, frame 3 at 300).
  space.now = 350;
  view->stepAnimation();
  EXPECT_EQ(view->currentFrame, 3);
  space.now = 401;
  view->stepAnimation();
  EXPECT_EQ(view->currentFrame, 4);
  // Far behind: wraps around the clip (46 frames due from frame 4).
  space.now = 5000;
  view->stepAnimation();
  EXPECT_EQ(view->currentFrame, 10);
  EXPECT_EQ(view->lastStepClock, 5000);

  // A new pace counts from now; a pace of 0 steps once per clock tick.
  view->setFrameTime(0.0);
  view->stepAnimation();
  EXPECT_EQ(view->currentFrame, 10);
  space.now = 5001;
  view->stepAnimation();
  EXPECT_EQ(view->currentFrame, 11);
}

TEST_F(MotionViewPlaybackTest, StopsWhileNotAnimatedAndDoesNotCatchUpOnThePause) {
  view->toggleAnimated();
  EXPECT_FALSE(view->animated);
  space.now = 100000;
  view->stepAnimation();
  EXPECT_EQ(view->currentFrame, 0);
  EXPECT_EQ(view->lastStepClock, 0);
  view->toggleAnimated();
  EXPECT_TRUE(view->animated);
  view->stepAnimation();
  EXPECT_EQ(view->currentFrame, 0);
  space.now += 101;  // one frame time of 0.1 s
  view->stepAnimation();
  EXPECT_EQ(view->currentFrame, 1);
}

// Frame times a clip cannot be played at: a sound pace and a note on the
// status line; the clip keeps the value it was read with.
TEST(MotionViewPlaybackPaceTest, UnplayableFrameTimesPlayAtASoundPace) {
  const struct {
    const char* frameTime;
    bool playable;
  } rows[] = {{"0", false}, {"-0.5", false}, {"nan", false}, {"1e300", false},
              {"0.008333", true}, {"2", true}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.frameTime);
    Workspace space;
    std::string clip = walkClip(20);
    clip.replace(clip.find("Frame Time: 0.1"), 15, std::string("Frame Time: ") + row.frameTime);
    space.answers = {space.write("odd.bvh", clip)};
    std::unique_ptr<MotionView> view;
    testsupport::captureStdout([&] { view = makeView(); });
    ASSERT_EQ(view->motion->frameCount, 20);
    const bool noted = view->statusText().find("cannot be played") != std::string::npos;
    EXPECT_EQ(noted, !row.playable);
    EXPECT_GE(view->frameTime, 0.001);
    EXPECT_LE(view->frameTime, 10.0);
    if (row.playable) {
      EXPECT_DOUBLE_EQ(view->frameTime, view->motion->frameTime);
    }
    // A second at that pace moves on by a second's worth of frames.
    space.now = 1010;
    view->stepAnimation();
    EXPECT_EQ(view->currentFrame, static_cast<int>(1.01 / view->frameTime) % 20);
  }
}

TEST(MotionViewPlaybackSingleFrameTest, EveryOperationKeepsFrameZero) {
  Workspace space;
  space.answers = {space.write("one.bvh", walkClip(1))};
  std::unique_ptr<MotionView> view;
  testsupport::captureStdout([&] { view = makeView(); });
  ASSERT_EQ(view->motion->frameCount, 1);
  view->frameForward();
  EXPECT_EQ(view->currentFrame, 0);
  view->frameBackward();
  EXPECT_EQ(view->currentFrame, 0);
  view->setCurrentFrame(0.99);
  EXPECT_EQ(view->currentFrame, 0);
  view->setCurrentFrame(1.0);
  EXPECT_EQ(view->currentFrame, 0);
  space.now = 10000;
  view->stepAnimation();
  EXPECT_EQ(view->currentFrame, 0);
  EXPECT_EQ(view->lastStepClock, 10000);
}

// ---------------------------------------------------------------------------
// Loading and writing

TEST_F(MotionViewPlaybackTest, LoadPathWithoutANameChangesNothing) {
  view->currentFrame = 13;
  Point3 before;
  before = view->path->path.point(2);
  const std::string out = testsupport::captureStdout([&] { view->loadPath(nullptr); });
  EXPECT_EQ(out, "");
  EXPECT_EQ(view->motion->frameCount, 20);
  EXPECT_EQ(view->currentFrame, 13);
  Point3 after;
  after = view->path->path.point(2);
  EXPECT_EQ(after.x, before.x);
  EXPECT_EQ(after.z, before.z);
}

TEST_F(MotionViewPlaybackTest, LoadPathReplacesTheClipAndRefitsWithoutPrintingIt) {
  view->currentFrame = 13;
  view->setFrameTime(0.7);
  view->usesPath = true;
  const std::string name = space.write("short.bvh", walkClip(5, -4.0, 8.0, 0.02));
  const std::string out = testsupport::captureStdout([&] { view->loadPath(name.c_str()); });
  EXPECT_EQ(view->motion->frameCount, 5);
  EXPECT_EQ(view->currentFrame, 0);         // a new clip starts at its first frame
  EXPECT_DOUBLE_EQ(view->frameTime, 0.02);  // the new clip's pace
  EXPECT_TRUE(view->usesPath);
  EXPECT_EQ(view->path->path.pointCount(), 4);
  EXPECT_EQ(view->path->frames, 5);
  EXPECT_DOUBLE_EQ(view->path->boundsMin.x, -16.0);
  EXPECT_NE(out.find("Number of Frames: 5\n"), std::string::npos) << out;
  EXPECT_EQ(out.find("Name Hips"), std::string::npos) << out;
}

TEST_F(MotionViewPlaybackTest, AFailedLoadPathKeepsTheClipItsEditsAndTheFrame) {
  view->currentFrame = 17;
  ASSERT_TRUE(view->session.movePoint(2, 3.0, 0.0));
  const Point3 edited = view->session.point(2);
  const std::string name = space.write("broken.bvh", "HIERARCHY\nROOT\n");
  // Told to go ahead and drop the edits, but the file cannot be read.
  space.replies = {true};
  bool loaded = true;
  testsupport::captureStdout([&] { loaded = view->loadPath(name.c_str()); });
  EXPECT_FALSE(loaded);
  EXPECT_EQ(view->motion->frameCount, 20);
  EXPECT_EQ(view->currentFrame, 17);
  EXPECT_EQ(view->session.point(2).x, edited.x);
  EXPECT_TRUE(view->session.unsaved());
  EXPECT_TRUE(view->session.canUndo());
  EXPECT_EQ(view->session.message().rfind("Could not read broken.bvh: ", 0), 0u)
      << view->session.message();
  EXPECT_NE(view->statusText().find(view->session.message()), std::string::npos);
}

TEST_F(MotionViewPlaybackTest, LoadPathAsksBeforeDroppingUnwrittenEdits) {
  ASSERT_TRUE(view->session.movePoint(2, 3.0, 0.0));
  const std::string other = space.write("other.bvh", walkClip(30));
  space.replies = {false, true};
  testsupport::captureStdout([&] { EXPECT_FALSE(view->loadPath(other.c_str())); });
  ASSERT_EQ(space.questions.size(), 1u);
  EXPECT_EQ(view->motion->frameCount, 20);
  EXPECT_TRUE(view->session.unsaved());
  EXPECT_NE(view->statusText().find("Kept the unwritten edits; other.bvh not loaded"),
            std::string::npos);

  testsupport::captureStdout([&] { EXPECT_TRUE(view->loadPath(other.c_str())); });
  EXPECT_EQ(space.questions.size(), 2u);
  EXPECT_EQ(view->motion->frameCount, 30);
  EXPECT_NE(view->statusText().find("the unwritten edits were dropped"), std::string::npos);
  // Nothing left to lose: no question.
  testsupport::captureStdout([&] { EXPECT_TRUE(view->loadPath(other.c_str())); });
  EXPECT_EQ(space.questions.size(), 2u);
}

TEST_F(MotionViewPlaybackTest, TheStatusLineShowsUnprintableBytesAsEscapes) {
  view->session.setMessage("Could not read b.bvh: \xc1\x01 HIERARCHY not found in caf\xc3\xa9");
  EXPECT_NE(view->statusText().find("b.bvh: \\xc1\\x01 HIERARCHY not found in caf\xc3\xa9"),
            std::string::npos)
      << view->statusText();
}

// One character, one unit of width.
TEST(FitToWidthTest, ShortensTheLongestNamesInTheMiddleThenCutsTheEnd) {
  const auto characters = [](const std::string& text) { return static_cast<double>(text.size()); };
  const struct {
    const char* text;
    double width;
    const char* shown;
  } rows[] = {
      {"short text", 20, "short text"},
      {"Loaded /a/very/long/folder/name/clip.bvh (3 frames)", 40,
       "Loaded /a/very/...clip.bvh (3 frames)"},
      {"aaaa bbbb cccc dddd", 10, "aaaa bb..."},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(fitToWidth(row.text, row.width, characters), row.shown) << row.text;
  }
}

TEST_F(MotionViewPlaybackTest, WritePathWritesOnlyWithAName) {
  const std::string out = testsupport::captureStdout([&] { view->writePath(nullptr); });
  EXPECT_EQ(out, "");
  testsupport::captureStdout([&] { view->writePath("written.bvh"); });
  BvhMotion back;
  Notes readNotes;
  EXPECT_TRUE(back.read("written.bvh", readNotes));
  EXPECT_EQ(back.frameCount, 20);
  ASSERT_FALSE(back.skeleton.empty());
  EXPECT_STREQ(back.skeleton.root().name, "Hips");
  EXPECT_TRUE(space.questions.empty());
  EXPECT_NE(view->statusText().find("Wrote written.bvh"), std::string::npos);

  // An existing file is replaced only when the user agrees.
  const std::string original = "keep me\n";
  space.write("taken.bvh", original);
  space.replies = {false, true};
  testsupport::captureStdout([&] { EXPECT_FALSE(view->writePath("taken.bvh")); });
  EXPECT_EQ(testsupport::readFile(space.path() + "/taken.bvh"), original);
  testsupport::captureStdout([&] { EXPECT_TRUE(view->writePath("taken.bvh")); });
  EXPECT_NE(testsupport::readFile(space.path() + "/taken.bvh"), original);
  EXPECT_EQ(space.questions.size(), 2u);

  // So is a symbolic link that leads nowhere.
  ASSERT_EQ(symlink("nowhere.bvh", (space.path() + "/dangling.bvh").c_str()), 0);
  space.replies = {false};
  testsupport::captureStdout([&] { EXPECT_FALSE(view->writePath("dangling.bvh")); });
  EXPECT_EQ(space.questions.size(), 3u);
  EXPECT_FALSE(std::filesystem::exists(space.path() + "/nowhere.bvh"));
}

}  // namespace
