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

using editortest::startView;

void showAndSettle(MotionView& view) {
  view.show();
  for (int i = 0; i < 100 && !view.visible(); ++i) {
    Fl::wait(0.01);
  }
  Fl::flush();
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
  EditSession session;
  std::unique_ptr<MotionView> view;
  testsupport::captureStdout([&] { view = startView(session); });
  view->toggleAnimated();
  testsupport::captureStdout([&] { showAndSettle(*view); });

  // A window shown again has a new GL context: the texture is made anew.
  for (const bool again : {false, true}) {
    SCOPED_TRACE(again ? "shown again" : "first shown");
    if (again) {
      view->hide();
      testsupport::captureStdout([&] { showAndSettle(*view); });
    }
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
}

// ---------------------------------------------------------------------------
// Playback

class MotionViewClipTest : public ::testing::Test {
 protected:
  void SetUp() override {
    space.answers = {space.write("walk.bvh", walkClip(20))};
    testsupport::captureStdout([&] { view = startView(session); });
    ASSERT_EQ(session.motion().frameCount, 20);
  }
  // From now on the view's console text goes to console instead of the
  // program's console.
  void recordConsole() {
    view->setConsole([this](const std::string& text) { console += text; });
  }
  Workspace space;
  EditSession session;
  std::string console;
  std::unique_ptr<MotionView> view;
};

// Frame times a clip cannot be played at: a sound pace and a note on the
// status line; the clip keeps the value it was read with.
TEST(MotionViewPlaybackPaceTest, UnplayableFrameTimesPlayAtASoundPace) {
  const struct {
    const char* frameTime;
    bool playable;
  } rows[] = {{"0", false},     {"-0.5", false},    {"nan", false},
              {"1e300", false}, {"0.008333", true}, {"2", true}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.frameTime);
    Workspace space;
    std::string clip = walkClip(20);
    clip.replace(clip.find("Frame Time: 0.1"), 15, std::string("Frame Time: ") + row.frameTime);
    space.answers = {space.write("odd.bvh", clip)};
    EditSession session;
    std::unique_ptr<MotionView> view;
    testsupport::captureStdout([&] { view = startView(session); });
    ASSERT_EQ(session.motion().frameCount, 20);
    const bool noted = view->statusText().find("cannot be played") != std::string::npos;
    EXPECT_EQ(noted, !row.playable);
    const double frameTime = view->playback().frameTime();
    EXPECT_GE(frameTime, 0.001);
    EXPECT_LE(frameTime, 10.0);
    if (row.playable) {
      EXPECT_DOUBLE_EQ(frameTime, session.motion().frameTime);
    }
  }
}

// ---------------------------------------------------------------------------
// Loading and writing

TEST_F(MotionViewClipTest, LoadPathWithoutANameChangesNothing) {
  view->setCurrentFrame(13);
  Point3 before;
  before = testsupport::loopRecord(session).path.point(2);
  recordConsole();
  view->loadPath(nullptr);
  EXPECT_EQ(console, "");
  EXPECT_EQ(session.motion().frameCount, 20);
  EXPECT_EQ(view->playback().frame(), 13);
  Point3 after;
  after = testsupport::loopRecord(session).path.point(2);
  EXPECT_EQ(after.x, before.x);
  EXPECT_EQ(after.z, before.z);
}

TEST_F(MotionViewClipTest, LoadPathReplacesTheClipAndRefitsWithoutPrintingIt) {
  view->setCurrentFrame(13);
  view->setFrameTime(0.7);
  view->toggleUsesPath();
  const std::string name = space.write("short.bvh", walkClip(5, -4.0, 8.0, 0.02));
  recordConsole();
  view->loadPath(name.c_str());
  EXPECT_EQ(session.motion().frameCount, 5);
  EXPECT_EQ(view->playback().frame(), 0);                // a new clip starts at its first frame
  EXPECT_DOUBLE_EQ(view->playback().frameTime(), 0.02);  // the new clip's pace
  EXPECT_TRUE(view->usesPath());
  EXPECT_EQ(testsupport::loopRecord(session).path.pointCount(), 4);
  EXPECT_EQ(testsupport::loopRecord(session).frames, 5);
  EXPECT_DOUBLE_EQ(testsupport::loopRecord(session).boundsMin.x, -16.0);
  EXPECT_NE(console.find("Number of Frames: 5\n"), std::string::npos) << console;
  EXPECT_EQ(console.find("Name Hips"), std::string::npos) << console;
}

TEST_F(MotionViewClipTest, AFailedLoadPathKeepsTheClipItsEditsAndTheFrame) {
  view->setCurrentFrame(17);
  ASSERT_TRUE(session.movePoint(2, 3.0, 0.0));
  const Point3 edited = session.point(2);
  const std::string name = space.write("broken.bvh", "HIERARCHY\nROOT\n");
  // Told to go ahead and drop the edits, but the file cannot be read.
  space.replies = {true};
  bool loaded = true;
  testsupport::captureStdout([&] { loaded = view->loadPath(name.c_str()); });
  EXPECT_FALSE(loaded);
  EXPECT_EQ(session.motion().frameCount, 20);
  EXPECT_EQ(view->playback().frame(), 17);
  EXPECT_EQ(session.point(2).x, edited.x);
  EXPECT_TRUE(session.unsaved());
  EXPECT_TRUE(session.canUndo());
  EXPECT_EQ(session.message().rfind("Could not read broken.bvh: ", 0), 0u) << session.message();
  EXPECT_NE(view->statusText().find(session.message()), std::string::npos);
}

TEST_F(MotionViewClipTest, LoadPathAsksBeforeDroppingUnwrittenEdits) {
  ASSERT_TRUE(session.movePoint(2, 3.0, 0.0));
  const std::string other = space.write("other.bvh", walkClip(30));
  space.replies = {false, true};
  EXPECT_FALSE(view->loadPath(other.c_str()));
  ASSERT_EQ(space.questions.size(), 1u);
  EXPECT_EQ(session.motion().frameCount, 20);
  EXPECT_TRUE(session.unsaved());
  EXPECT_NE(view->statusText().find("Kept the unwritten edits; other.bvh not loaded"),
            std::string::npos);

  testsupport::captureStdout([&] { EXPECT_TRUE(view->loadPath(other.c_str())); });
  EXPECT_EQ(space.questions.size(), 2u);
  EXPECT_EQ(session.motion().frameCount, 30);
  EXPECT_NE(view->statusText().find("the unwritten edits were dropped"), std::string::npos);
  // Nothing left to lose: no question.
  testsupport::captureStdout([&] { EXPECT_TRUE(view->loadPath(other.c_str())); });
  EXPECT_EQ(space.questions.size(), 2u);
}

TEST_F(MotionViewClipTest, WritePathWritesOnlyWithAName) {
  recordConsole();
  view->writePath(nullptr);
  EXPECT_EQ(console, "");
  view->writePath("written.bvh");
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
  EXPECT_FALSE(view->writePath("taken.bvh"));
  EXPECT_EQ(testsupport::readFile(space.path() + "/taken.bvh"), original);
  EXPECT_TRUE(view->writePath("taken.bvh"));
  EXPECT_NE(testsupport::readFile(space.path() + "/taken.bvh"), original);
  EXPECT_EQ(space.questions.size(), 2u);

  // So is a symbolic link that leads nowhere.
  ASSERT_EQ(symlink("nowhere.bvh", (space.path() + "/dangling.bvh").c_str()), 0);
  space.replies = {false};
  EXPECT_FALSE(view->writePath("dangling.bvh"));
  EXPECT_EQ(space.questions.size(), 3u);
  EXPECT_FALSE(std::filesystem::exists(space.path() + "/nowhere.bvh"));
}

}  // namespace
