// The view's camera: following the figure, framing it with F and zooming
// with the wheel, checked where the view's own matrices put the figure.
#include <FL/Fl.H>
#include <FL/Fl_Group.H>
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "motion/BvhJoint.h"
#include "motion/FigureFrame.h"
#include "motion/PosedFigure.h"
#include "path/GroundMapping.h"
#include "view/MotionView.h"
#include "view/MotionViewTestSupport.h"

namespace {

class CameraTest : public ::testing::Test {
 protected:
  void load(const std::string& clip) {
    space.answers = {space.write("walk.bvh", clip)};
    editor.reset();
    testsupport::captureStdout([&] { editor = editortest::startView(session); });
    // Paused behind the actions' back, so the load's message stays in view.
    editor->state.playback.toggleAnimated(0);
    editor->view.show();
    for (int i = 0; i < 100 && !editor->view.visible(); ++i) Fl::wait(0.01);
    Fl::flush();
  }

  void drawTimes(int n) {
    editor->view.make_current();
    for (int i = 0; i < n; ++i) testsupport::captureStdout([&] { editor->view.draw(); });
  }

  // Window position (x, y up) of a point of the figure's frame.
  std::array<double, 2> project(const Point3& clipPoint, UpAxis up = UpAxis::y) {
    editor->view.make_current();
    editor->view.clearView();
    testsupport::captureStdout([&] { editor->view.drawScene(); });
    GLdouble model[16];
    GLdouble projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    const Point3 world = figureToWorld(clipPoint, up);
    double x = 0.0, y = 0.0, z = 0.0;
    gluProject(world.x, world.y, world.z, model, projection, viewport, &x, &y, &z);
    return {x, y};
  }

  editortest::Workspace space;
  EditSession session;
  std::unique_ptr<editortest::Editor> editor;
};

TEST_F(CameraTest, FollowGlidesAfterTheDrawnRootBothWays) {
  load(editortest::walkClip(20, 10.0, 5.0));  // root of frame i at (10 i, 0, 5 i)
  const std::array<double, 2> originAtStart = project({0.0, 0.0, 0.0});
  editor->actions.run(Command::toggleFollowMotion);
  editor->actions.setCurrentFrame(19);
  drawTimes(1);
  // One redraw goes part of the way.
  EXPECT_GT(editor->state.camera.centerX(), 0.0);
  EXPECT_LT(editor->state.camera.centerX(), 0.5 * 190.0 * figureScale);
  drawTimes(100);
  // There, the root stands where the world's origin stood at start-up.
  const std::array<double, 2> root = project({190.0, 0.0, 95.0});
  EXPECT_NEAR(root[0], originAtStart[0], 0.5);
  EXPECT_NEAR(root[1], originAtStart[1], 0.5);
  EXPECT_NEAR(editor->state.camera.eyeZ() - editor->state.camera.centerZ(),
              1.0 / editor->state.camera.zoom(), 1e-12);

  editor->actions.setCurrentFrame(0);
  drawTimes(100);
  EXPECT_NEAR(editor->state.camera.centerX(), 0.0, 1e-6);
  EXPECT_NEAR(editor->state.camera.centerZ(), 0.0, 1e-6);

  // Carried along a moved path, the camera follows the carried root.
  editor->actions.run(Command::toggleUsesPath);
  for (int i = 0; i < session.pointCount(); ++i) ASSERT_TRUE(session.movePoint(i, 40.0, 0.0));
  drawTimes(100);
  EXPECT_NEAR(editor->state.camera.centerX(), 40.0 * figureScale, 1e-6);
}

// The colour of one pixel of the back buffer after drawing the scene, with
// the skeleton or without.
std::array<int, 3> pixelAt(MotionView& view, const std::array<double, 2>& at, bool skeleton) {
  view.make_current();
  testsupport::captureStdout([&] {
    if (skeleton) {
      view.draw();
    } else {
      view.clearView();
      view.drawScene();
    }
  });
  glFinish();
  unsigned char rgb[3] = {0, 0, 0};
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(static_cast<int>(at[0]), static_cast<int>(at[1]), 1, 1, GL_RGB, GL_UNSIGNED_BYTE,
               rgb);
  return {rgb[0], rgb[1], rgb[2]};
}

TEST_F(CameraTest, AZUpFigureStandsUprightAndUSwitchesTheAxis) {
  load(testsupport::readFile(std::string(MPE_CLIP_DATA_DIR) + "/makehuman-zombieWalk1.bvh"));
  ASSERT_EQ(session.upAxis(), UpAxis::z);
  EXPECT_NE(editor->actions.statusText().find("Up axis: Z"), std::string::npos);
  editor->actions.setCurrentFrame(0);
  editor->actions.run(Command::frameFigure);
  // Where the posed head and feet stand, drawn upright: the head high in
  // the view above the hips, and the skeleton drawn there.
  const PosedFigure figure(session.motion().skeleton);
  std::vector<JointPose> pose;
  figure.pose(session.motion().frameLine(0), pose);
  size_t head = 0;
  for (int j = 0; j < figure.skeleton.size(); ++j) {
    if (std::string(figure.skeleton[j].name) == "Head") head = static_cast<size_t>(j);
  }
  ASSERT_GT(head, 0u);
  const std::array<double, 2> headAt = project(pose[head].t, UpAxis::z);
  const std::array<double, 2> hipsAt = project(pose[0].t, UpAxis::z);
  EXPECT_GT(headAt[1] - hipsAt[1], 0.1 * 600.0);
  EXPECT_NE(pixelAt(editor->view, headAt, true), pixelAt(editor->view, headAt, false));

  // U switches, asking first while there are edits not yet written.
  ASSERT_TRUE(session.movePoint(2, 1.0, 0.0));
  space.replies = {false, true};
  Fl::e_keysym = 'u';
  Fl::e_state = 0;
  EXPECT_EQ(editor->view.handle(FL_KEYBOARD), 1);
  EXPECT_EQ(session.upAxis(), UpAxis::z);
  EXPECT_TRUE(session.unsaved());
  testsupport::captureStdout([&] { EXPECT_EQ(editor->view.handle(FL_KEYBOARD), 1); });
  EXPECT_EQ(session.upAxis(), UpAxis::y);
  EXPECT_EQ(space.questions.size(), 2u);
  EXPECT_NE(editor->actions.statusText().find("Up axis: Y"), std::string::npos);
}

TEST_F(CameraTest, FFramesTheFigureAndTheWheelZoomsAboutIt) {
  load(editortest::walkClip(20, 10.0, 5.0));
  editor->actions.setCurrentFrame(10);
  const Point3 rootAt{100.0, 0.0, 50.0};
  const Point3 headAt{100.0, 20.0, 50.0};
  auto figureHeight = [&] { return std::fabs(project(headAt)[1] - project(rootAt)[1]); };
  const double heightAtStart = figureHeight();

  Fl::e_keysym = 'f';
  Fl::e_state = 0;
  EXPECT_EQ(editor->view.handle(FL_KEYBOARD), 1);
  // The middle of the figure (the Chest, 10 above the root) in the middle.
  const std::array<double, 2> middle = project({100.0, 10.0, 50.0});
  EXPECT_NEAR(middle[0], 450.0, 2.0);
  EXPECT_NEAR(middle[1], 300.0, 2.0);
  // A figure 20 units tall (1 world unit) gets about half the view.
  EXPECT_GT(figureHeight(), 0.3 * 600.0);
  EXPECT_LT(figureHeight(), 0.7 * 600.0);

  const double framedHeight = figureHeight();
  Fl::e_dy = -1;
  EXPECT_EQ(editor->view.handle(FL_MOUSEWHEEL), 1);
  EXPECT_NEAR(figureHeight(), framedHeight * 1.1, 0.5);
  // About the middle of the view, where the figure's middle stays.
  const std::array<double, 2> zoomedMiddle = project({100.0, 10.0, 50.0});
  EXPECT_NEAR(zoomedMiddle[0], middle[0], 0.5);
  EXPECT_NEAR(zoomedMiddle[1], middle[1], 0.5);

  editor->actions.run(Command::resetCamera);
  EXPECT_NEAR(figureHeight(), heightAtStart, 1e-6);
}

// A two-joint figure `height` units tall whose frames stand at x = far + i.
std::string standingClip(double height, double far) {
  std::string text = editortest::walkClip(0);
  const std::string chest = "OFFSET 0 10 0";
  for (size_t at = text.find(chest); at != std::string::npos; at = text.find(chest, at + 1)) {
    text.replace(at, chest.size(), "OFFSET 0 " + std::to_string(height / 2.0) + " 0");
  }
  text.replace(text.find("Frames: 0"), 9, "Frames: 5");
  for (int i = 0; i < 5; ++i) text += std::to_string(far + i) + " 0 0 0 0 0 0 0 0\n";
  return text;
}

TEST_F(CameraTest, StartUpShowsEveryFigureWholeAtAWorkableSize) {
  const std::string clips = MPE_CLIP_DATA_DIR;
  const struct {
    const char* name;
    std::string clip;
    bool fixedView;  // the default clip keeps the view it always had
  } cases[] = {
      {"default", testsupport::readFile(std::string(MPE_SOURCE_DIR) + "/dance01.bvh"), true},
      {"CMU", testsupport::readFile(clips + "/cmu-01_01.bvh"), false},
      {"metres", testsupport::readFile(clips + "/fairmotion-pfnn.bvh"), false},
      {"Z up", testsupport::readFile(clips + "/makehuman-zombieWalk1.bvh"), false},
      {"millimetres", standingClip(1700.0, 0.0), false},
      {"far away", standingClip(170.0, 3000.0), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    load(c.clip);
    ASSERT_EQ(editor->state.playback.frame(), 0);
    if (c.fixedView) {
      const OrbitCamera& camera = editor->state.camera;
      EXPECT_EQ(camera.zoom(), 1.0);
      EXPECT_EQ(camera.eyeX(), 0.0);
      EXPECT_EQ(camera.eyeY(), 0.0);
      EXPECT_EQ(camera.eyeZ(), 1.0);
      EXPECT_EQ(camera.centerX(), 0.0);
      EXPECT_EQ(camera.centerZ(), 0.0);
    }
    const UpAxis up = session.upAxis();
    const PosedFigure figure(session.motion().skeleton);
    std::vector<JointPose> pose;
    figure.pose(session.motion().frameLine(0), pose);
    double low[2] = {HUGE_VAL, HUGE_VAL};
    double high[2] = {-HUGE_VAL, -HUGE_VAL};
    for (const JointPose& joint : pose) {
      const std::array<double, 2> at = project(joint.t, up);
      for (int k = 0; k < 2; ++k) {
        low[k] = std::min(low[k], at[k]);
        high[k] = std::max(high[k], at[k]);
      }
    }
    // Every joint inside the 900 by 600 view, the figure a fifth of its
    // height or more.
    EXPECT_GE(low[0], 0.0);
    EXPECT_LE(high[0], 900.0);
    EXPECT_GE(low[1], 0.0);
    EXPECT_LE(high[1], 600.0);
    EXPECT_GT(std::max(high[0] - low[0], high[1] - low[1]), 0.2 * 600.0);
    // A control point's cube is wide enough to click.
    const double s = session.layout().cubeHalfSize;
    const Point3 root = pose[0].t;
    const double cube = std::fabs(project({root.x + s, root.y, root.z}, up)[0] -
                                  project({root.x - s, root.y, root.z}, up)[0]);
    EXPECT_GT(cube, 8.0);
    editor.reset();
  }
}

}  // namespace
