// The editor's start-up: the chooser, the load with its console report, the
// fall back to the default clip, and the view that starts on the result.
#include <FL/Fl.H>
#include <FL/gl.h>
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "TestSupport.h"
#include "app/StartUp.h"
#include "view/MotionView.h"
#include "view/MotionViewTestSupport.h"

namespace {

using editortest::startView;
using editortest::walkClip;
using editortest::Workspace;

size_t countOf(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

TEST(StartUpTest, LoadsTheChosenClipPrintsItAndFitsThePath) {
  Workspace space;
  space.answers = {space.write("walk.bvh", walkClip(7, 10.0, 5.0, 0.25))};
  EditSession session;
  std::unique_ptr<editortest::Editor> editor;
  const std::string out = testsupport::captureStdout([&] { editor = startView(session); });

  ASSERT_EQ(space.requests.size(), 1u);
  EXPECT_EQ(space.requests[0].first, "Choose a BVH File: ");
  EXPECT_EQ(space.requests[0].second, "*.bvh");
  EXPECT_STREQ(editor->view.label(), "Vovar Evuvu");
  EXPECT_EQ(editor->view.x(), 0);
  EXPECT_EQ(editor->view.y(), 100);
  EXPECT_EQ(editor->view.w(), 900);
  EXPECT_EQ(editor->view.h(), 600);

  EXPECT_EQ(session.motion().frameCount, 7);
  EXPECT_DOUBLE_EQ(editor->state.playback.frameTime(), 0.25);
  EXPECT_NE(out.find("Name Hips, Offset XYZ"), std::string::npos) << out;
  EXPECT_NE(out.find("Name Chest, Offset XYZ"), std::string::npos) << out;
  EXPECT_NE(out.find("Number of Frames: 7\n"), std::string::npos) << out;
  EXPECT_EQ(out.find("Failed to load"), std::string::npos) << out;
  // The hierarchy is printed before the fit reports.
  EXPECT_LT(out.find("Name Hips"), out.find("Number of Frames"));
  EXPECT_EQ(testsupport::loopRecord(session).path.pointCount(), 4);
  EXPECT_EQ(testsupport::loopRecord(session).frames, 7);

  const Playback& playback = editor->state.playback;
  EXPECT_EQ(playback.frame(), 0);
  EXPECT_TRUE(playback.animated());
  EXPECT_FALSE(playback.strobing());
  EXPECT_FALSE(editor->state.usesPath);
  EXPECT_FALSE(editor->state.camera.following());
  EXPECT_EQ(playback.lastStepClock(), 0);
  // The small stand-in figure is framed: the eye 1 / zoom in front of it.
  const OrbitCamera& camera = editor->state.camera;
  EXPECT_GT(camera.zoom(), 1.0);
  EXPECT_EQ(camera.eyeX(), camera.centerX());
  EXPECT_NEAR(camera.eyeZ() - camera.centerZ(), 1.0 / camera.zoom(), 1e-12);
  EXPECT_EQ(camera.arcBall().rotation.w, 1.0f);
  EXPECT_EQ(camera.arcBall().dragRotation.w, 1.0f);
}

struct StartCase {
  std::string name;
  std::optional<std::string> choice;  // nullopt: the user cancels
  std::string fileContents;           // written under the chosen name when not empty
  bool failureMessage;
};

void PrintTo(const StartCase& c, std::ostream* out) { *out << c.name; }

class StartUpFallbackTest : public ::testing::TestWithParam<StartCase> {};

TEST_P(StartUpFallbackTest, LoadsTheDefaultClip) {
  const StartCase& c = GetParam();
  Workspace space;
  if (c.choice && !c.fileContents.empty()) {
    space.write(*c.choice, c.fileContents);
  }
  space.answers = {c.choice};
  EditSession session;
  std::unique_ptr<editortest::Editor> editor;
  const std::string out = testsupport::captureStdout([&] { editor = startView(session); });
  EXPECT_EQ(session.motion().frameCount, editortest::defaultClipFrames);
  EXPECT_DOUBLE_EQ(editor->state.playback.frameTime(), 0.05);
  EXPECT_EQ(testsupport::loopRecord(session).frames, editortest::defaultClipFrames);
  EXPECT_EQ(countOf(out, "Failed to load, loading dance instead\n"), c.failureMessage ? 1u : 0u)
      << out;
  EXPECT_EQ(countOf(out, "\n\n----------------------------------------------------\nName Hips"), 1u)
      << out;
  // The failure line comes before the default clip's hierarchy.
  if (c.failureMessage) {
    EXPECT_LT(out.find("Failed to load"), out.find("Name Hips")) << out;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Choices, StartUpFallbackTest,
    ::testing::Values(StartCase{"Cancelled", std::nullopt, "", false},
                      StartCase{"Missing", std::string("missing.bvh"), "", true},
                      StartCase{"NotBvh", std::string("notes.bvh"), "just some words\n", true},
                      StartCase{"CutShort", std::string("cut.bvh"),
                                walkClip(5).substr(0, walkClip(5).find("MOTION") + 9), true}),
    [](const ::testing::TestParamInfo<StartCase>& info) { return info.param.name; });

TEST(StartUpTest, GoesOnWithAnEmptyClipWhenNoClipLoads) {
  Workspace space(/*withDefaultClip=*/false);
  EditSession session;
  std::unique_ptr<editortest::Editor> editor;
  testsupport::captureStdout([&] { editor = startView(session); });
  EXPECT_EQ(session.motion().frameCount, 0);
  EXPECT_LE(session.motion().frameCount, static_cast<int>(session.motion().frameLines.size()));

  // The floor and the axis cross are drawn with nothing to put on them.
  editor->view.show();
  for (int i = 0; i < 100 && !editor->view.visible(); ++i) Fl::wait(0.01);
  Fl::flush();
  editor->view.make_current();
  editor->actions.run(Command::toggleStrobing);
  testsupport::captureStdout([&] { editor->view.draw(); });
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
