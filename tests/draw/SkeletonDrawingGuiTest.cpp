// Skeleton drawing checked on the rendered image: the test works out where a
// joint must land from the clip's numbers and the scene's camera matrices,
// then reads the pixel back after the view has drawn.

#include <FL/Fl.H>
#include <FL/Fl_Group.H>
#include <FL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "path/GroundMapping.h"
#include "path/LoopFit.h"
#include "view/MotionView.h"
#include "view/MotionViewTestSupport.h"

namespace {

using editortest::walkClip;
using editortest::Workspace;

constexpr double pi = 3.14159265358979323846;

struct Vec {
  double x, y, z;
};

Vec rotateAbout(char axis, double degrees, const Vec& v) {
  const double c = std::cos(degrees * pi / 180.0);
  const double s = std::sin(degrees * pi / 180.0);
  switch (axis) {
    case 'x':
      return {v.x, c * v.y - s * v.z, s * v.y + c * v.z};
    case 'y':
      return {c * v.x + s * v.z, v.y, -s * v.x + c * v.z};
    default:
      return {c * v.x - s * v.y, s * v.x + c * v.y, v.z};
  }
}

// v turned by the joint's rotations applied as matrices in `order`
// (the leftmost matrix is multiplied first onto the stack).
Vec rotateInOrder(const std::string& order, double xDeg, double yDeg, double zDeg, Vec v) {
  for (auto it = order.rbegin(); it != order.rend(); ++it) {
    const double degrees = *it == 'x' ? xDeg : *it == 'y' ? yDeg : zDeg;
    v = rotateAbout(*it, degrees, v);
  }
  return v;
}

class Frame {
 public:
  // Draws the view once and keeps its camera and its pixels.
  explicit Frame(MotionView& view) : width_(view.w()), height_(view.h()) {
    view.make_current();
    view.clearView();
    view.drawScene();
    glGetDoublev(GL_MODELVIEW_MATRIX, model_.data());
    glGetDoublev(GL_PROJECTION_MATRIX, projection_.data());
    glGetIntegerv(GL_VIEWPORT, viewport_.data());
    view.draw();
    glFinish();
    pixels_.resize(static_cast<size_t>(width_) * height_ * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width_, height_, GL_RGB, GL_UNSIGNED_BYTE, pixels_.data());
  }

  // Window position of a point given in the skeleton's drawing units.
  std::array<double, 2> project(const Vec& p) const {
    double sx = 0.0;
    double sy = 0.0;
    double sz = 0.0;
    gluProject(0.05 * p.x, -2.0 + 0.05 * p.y, 0.05 * p.z, model_.data(), projection_.data(),
               viewport_.data(), &sx, &sy, &sz);
    return {sx, sy};
  }

  std::array<int, 3> pixel(int x, int y) const {
    const size_t at = (static_cast<size_t>(y) * width_ + x) * 3;
    return {pixels_[at], pixels_[at + 1], pixels_[at + 2]};
  }

  // Most of the 3x3 pixels around the point are of the colour.
  template <typename Predicate>
  bool mostlyAround(const Vec& p, Predicate isColour) const {
    const std::array<double, 2> at = project(p);
    const int cx = static_cast<int>(std::lround(at[0]));
    const int cy = static_cast<int>(std::lround(at[1]));
    int hits = 0;
    for (int dy = -1; dy <= 1; ++dy) {
      for (int dx = -1; dx <= 1; ++dx) {
        const int x = cx + dx;
        const int y = cy + dy;
        if (x >= 0 && y >= 0 && x < width_ && y < height_ && isColour(pixel(x, y))) {
          ++hits;
        }
      }
    }
    return hits >= 5;
  }

  int count(bool (*isColour)(const std::array<int, 3>&)) const {
    int n = 0;
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) {
        n += isColour(pixel(x, y)) ? 1 : 0;
      }
    }
    return n;
  }

 private:
  int width_;
  int height_;
  std::array<double, 16> model_{};
  std::array<double, 16> projection_{};
  std::array<GLint, 4> viewport_{};
  std::vector<unsigned char> pixels_;
};

bool isRed(const std::array<int, 3>& c) { return c[0] > 60 && c[1] < 25 && c[2] < 25; }
bool isGreen(const std::array<int, 3>& c) { return c[1] > 60 && c[0] < 25 && c[2] < 25; }
// A red joint brightened by one step of the strobe: (2, 1, 1) lit, so every
// channel is well lit and red saturates first.
bool isBrightenedRed(const std::array<int, 3>& c) {
  return c[0] > 200 && c[1] > 60 && c[2] > 60 && c[0] >= c[1] + 15 && c[0] >= c[2] + 15;
}

// The clip and the path the view draws, changed behind the session's back:
// these checks paint joints, cut the fit record short and hang clips no file
// gives into the session (which the test owns, so the change is sound).
BvhMotion& clipOf(const MotionView& view) {
  return const_cast<BvhMotion&>(view.session().motion());
}
LoopFit& loopOf(const MotionView& view) {
  return const_cast<LoopFit&>(testsupport::loopRecord(view.session()));
}

std::unique_ptr<editortest::Editor> makeShownView(Workspace& space, EditSession& session,
                                                  const std::string& clipName,
                                                  const std::string& clip) {
  space.answers = {space.write(clipName, clip)};
  std::unique_ptr<editortest::Editor> editor;
  testsupport::captureStdout([&] { editor = editortest::startView(session); });
  editor->actions.run(Command::playPause);
  editor->view.show();
  for (int i = 0; i < 100 && !editor->view.visible(); ++i) {
    Fl::wait(0.01);
  }
  Fl::flush();
  return editor;
}

// Blue root, red Chest, green End Site: each joint recognisable on screen.
void paintJoints(MotionView& view) {
  Skeleton& skeleton = clipOf(view).skeleton;
  skeleton[0].color = {0.0, 0.0, 1.0};
  ASSERT_EQ(skeleton.children(0).size(), 1u);
  const int chest = skeleton.children(0)[0];
  skeleton[chest].color = {1.0, 0.0, 0.0};
  for (int child : skeleton.children(chest)) {
    skeleton[child].color = {0.0, 1.0, 0.0};
  }
}

// Draws with the camera framing the figure (F), so that a figure a few dozen
// units tall is large enough on screen to find each joint.
Frame framed(editortest::Editor& editor) {
  editor.actions.run(Command::frameFigure);
  return Frame(editor.view);
}

bool isBlue(const std::array<int, 3>& c) { return c[2] > 60 && c[0] < 25 && c[1] < 25; }

struct OrderCase {
  const char* name;
  const char* clip;
  Vec joint;          // the painted joint's offset from the root at (10, 20, 5)
  const char* order;  // the listed order of the root's rotation channels
  double x, y, z;     // the root's rotation values
  bool (*colour)(const std::array<int, 3>&);
};

TEST(SkeletonDrawingTest, RotatesEachJointInTheOrderItsChannelsAreListed) {
  const OrderCase cases[] = {
      // Channels listed Y, X, Z with an unknown channel among them; the chest
      // 40 units off the root with no Z part.
      {"Y X Z",
       "HIERARCHY\nROOT Hips\n{\n OFFSET 0 0 0\n"
       " CHANNELS 7 Xposition Yposition Zposition Wobble Yrotation Xrotation Zrotation\n"
       " JOINT Chest\n {\n  OFFSET 30 20 0\n  CHANNELS 3 Zrotation Xrotation Yrotation\n"
       "  End Site\n  {\n   OFFSET 0 12 0\n  }\n }\n}\n"
       "MOTION\nFrames: 1\nFrame Time: 0.04\n10 20 5 99 50 40 30 0 0 0\n",
       {30.0, 20.0, 0.0},
       "yxz",
       40.0,
       50.0,
       30.0,
       isRed},
      // One bone, listed as most exporters do, with an end off every axis.
      {"Z Y X",
       "HIERARCHY\nROOT Hips\n{\n OFFSET 0 0 0\n"
       " CHANNELS 6 Xposition Yposition Zposition Zrotation Yrotation Xrotation\n"
       " End Site\n {\n  OFFSET 10 30 8\n }\n}\n"
       "MOTION\nFrames: 1\nFrame Time: 0.04\n10 20 5 90 90 45\n",
       {10.0, 30.0, 8.0},
       "zyx",
       45.0,
       90.0,
       90.0,
       isGreen},
  };
  for (const OrderCase& c : cases) {
    SCOPED_TRACE(c.name);
    Workspace space;
    EditSession session;
    auto editor = makeShownView(space, session, "pose.bvh", c.clip);
    Skeleton& skeleton = clipOf(editor->view).skeleton;
    skeleton[0].color = {0.0, 0.0, 1.0};
    const int painted = skeleton.children(0)[0];
    skeleton[painted].color =
        c.colour == isRed ? BvhJoint::Color{1.0, 0.0, 0.0} : BvhJoint::Color{0.0, 1.0, 0.0};
    for (int child : skeleton.children(painted)) skeleton[child].color = {0.0, 1.0, 0.0};
    const Frame frame = framed(*editor);

    const Vec rootAt{10.0, 20.0, 5.0};
    auto jointAt = [&](const std::string& order) {
      const Vec r = rotateInOrder(order, c.x, c.y, c.z, c.joint);
      return Vec{rootAt.x + r.x, rootAt.y + r.y, rootAt.z + r.z};
    };
    const Vec expected = jointAt(c.order);
    EXPECT_TRUE(frame.mostlyAround(expected, c.colour));

    // The other orders put the joint elsewhere; where that is clear of the
    // expected joint and its bone, nothing of its colour may be there.
    const std::array<double, 2> e = frame.project(expected);
    const std::array<double, 2> r0 = frame.project(rootAt);
    int checked = 0;
    for (const std::string order : {"xyz", "xzy", "yxz", "yzx", "zxy", "zyx"}) {
      if (order == c.order) continue;
      const std::array<double, 2> w = frame.project(jointAt(order));
      // Distance from the segment root..expected joint, in pixels.
      const double sx = e[0] - r0[0];
      const double sy = e[1] - r0[1];
      const double t =
          std::clamp(((w[0] - r0[0]) * sx + (w[1] - r0[1]) * sy) / (sx * sx + sy * sy), 0.0, 1.0);
      if (std::hypot(w[0] - r0[0] - t * sx, w[1] - r0[1] - t * sy) > 20.0) {
        EXPECT_FALSE(frame.mostlyAround(jointAt(order), c.colour)) << order;
        ++checked;
      }
    }
    EXPECT_GE(checked, 2);
  }
}

TEST(SkeletonDrawingTest, BonesRunFromTheParentToTheJoint) {
  Workspace space;
  // A chest offset with a Z part: the bone must still end at the root.
  EditSession session;
  auto editor =
      makeShownView(space, session, "bone.bvh",
                    "HIERARCHY\nROOT Hips\n{\n OFFSET 0 0 0\n CHANNELS 3 Xposition "
                    "Yposition Zposition\n JOINT Chest\n {\n  OFFSET 0 30 -30\n  CHANNELS 0\n"
                    "  End Site\n  {\n   OFFSET 0 0 0\n  }\n }\n}\n"
                    "MOTION\nFrames: 1\nFrame Time: 0.04\n0 20 0\n");
  paintJoints(editor->view);
  clipOf(editor->view).skeleton[0].color = {0.0, 0.0, 0.0};
  const Frame frame = framed(*editor);
  // Halfway along the bone, and on the mirror image the old drawing used.
  EXPECT_TRUE(frame.mostlyAround({0.0, 35.0, -15.0}, isRed));
  EXPECT_FALSE(frame.mostlyAround({0.0, 5.0, 15.0}, isRed));
}

TEST(SkeletonDrawingTest, MissingWordsAndChannelNamesReadAsZero) {
  Workspace space;
  // One word for nine channels, and the Chest names one channel of three.
  const std::string clip =
      "HIERARCHY\nROOT Hips\n{\n OFFSET 0 0 0\n"
      " CHANNELS 6 Xposition Yposition Zposition Zrotation Xrotation Yrotation\n"
      " JOINT Chest\n {\n  OFFSET 30 20 0\n  CHANNELS 3 Zrotation\n"
      "  End Site\n  {\n   OFFSET 0 12 0\n  }\n }\n}\n"
      "MOTION\nFrames: 1\nFrame Time: 0.04\n40\n";
  EditSession session;
  auto editor = makeShownView(space, session, "short.bvh", clip);
  const Skeleton& skeleton = session.motion().skeleton;
  ASSERT_EQ(skeleton[skeleton.children(0)[0]].channelNames.size(), 1u);
  paintJoints(editor->view);
  const Frame frame = framed(*editor);
  // Root at (40, 0, 0), no rotation anywhere.
  EXPECT_TRUE(frame.mostlyAround({70.0, 20.0, 0.0}, isRed));
  EXPECT_TRUE(frame.mostlyAround({70.0, 32.0, 0.0}, isGreen));
}

TEST(SkeletonDrawingTest, StrobeDrawsEarlierFramesBrightenedByAge) {
  Workspace space;
  EditSession session;
  auto editor = makeShownView(space, session, "walk.bvh", walkClip(20, 1.0, 0.5));
  paintJoints(editor->view);
  editor->actions.setCurrentFrame(12);
  // walkClip: root of frame i at (i, 0, i / 2), Chest 10 above it.
  auto chestOf = [](int i) { return Vec{1.0 * i, 10.0, 0.5 * i}; };

  const Frame plain = framed(*editor);
  EXPECT_TRUE(plain.mostlyAround(chestOf(12), isRed));
  EXPECT_FALSE(plain.mostlyAround(chestOf(4), isRed));
  EXPECT_FALSE(plain.mostlyAround(chestOf(8), isRed));
  EXPECT_FALSE(plain.mostlyAround({0.0, 9.9, 0.0}, isBrightenedRed));

  editor->actions.run(Command::toggleStrobing);
  const Frame strobed(editor->view);
  EXPECT_TRUE(strobed.mostlyAround(chestOf(12), isRed));
  EXPECT_TRUE(strobed.mostlyAround(chestOf(4), isRed));
  EXPECT_TRUE(strobed.mostlyAround(chestOf(8), isRed));
  // Twelve frames back: one step brighter. Looked at just below the sphere's
  // centre, where the light from above does not yet wash it out to white.
  EXPECT_TRUE(strobed.mostlyAround({0.0, 9.9, 0.0}, isBrightenedRed));
  EXPECT_FALSE(strobed.mostlyAround(chestOf(16), isRed));
}

TEST(SkeletonDrawingTest, UsesPathStandsEachFrameOnTheEditedCurveTurnedAboutItself) {
  Workspace space;
  EditSession session;
  auto editor = makeShownView(space, session, "walk.bvh", walkClip(20, 1.0, 0.5));
  paintJoints(editor->view);
  editor->actions.setCurrentFrame(6);
  const Vec own{6.0, 10.0, 3.0};
  const Vec shifted{6.0 + 10.0, 10.0, 3.0};

  editor->actions.run(Command::toggleUsesPath);
  const Frame unedited = framed(*editor);
  EXPECT_TRUE(unedited.mostlyAround(own, isRed));

  // Moving every control point by the same amount moves the curve without
  // turning it: the figure follows by that amount.
  for (int i = 0; i < session.pointCount(); ++i) ASSERT_TRUE(session.movePoint(i, 10.0, 0.0));
  const Frame edited(editor->view);
  EXPECT_TRUE(edited.mostlyAround(shifted, isRed));
  EXPECT_FALSE(edited.mostlyAround(own, isRed));

  editor->actions.run(Command::toggleUsesPath);
  const Frame off(editor->view);
  EXPECT_TRUE(off.mostlyAround(own, isRed));

  // A bent path turns the figure about its own root, which stays on the
  // curve's ground position (turning about the origin would throw it aside).
  editor->actions.run(Command::toggleUsesPath);
  ASSERT_TRUE(session.movePoint(1, 0.0, 8.0));
  FramePlacement placement;
  ASSERT_TRUE(framePlacement(testsupport::loopRecord(session), session.motion(), 6, 20, placement));
  ASSERT_GT(std::fabs(placement.headingDegrees), 10.0);
  Skeleton& skeleton = clipOf(editor->view).skeleton;
  skeleton[skeleton.children(0)[0]].color = {0.0, 0.0, 0.0};
  const Frame bent = framed(*editor);
  EXPECT_TRUE(bent.mostlyAround({placement.x, 0.0, placement.z}, isBlue));

  // Frames the fit record does not cover keep the clip's own placement.
  paintJoints(editor->view);
  loopOf(editor->view).frames = 3;
  const Frame beyond(editor->view);
  EXPECT_TRUE(beyond.mostlyAround(own, isRed));
}

TEST(SkeletonDrawingTest, PathCubesLieOnTheFloorUnderTheRootTrack) {
  Workspace space;
  EditSession session;
  auto editor = makeShownView(space, session, "walk.bvh", walkClip(20, 4.0, 2.0));
  // The fixed view the default clip is seen in, wide enough for the whole
  // track (the start-up camera frames this small figure instead).
  editor->state.camera = OrbitCamera();
  editor->actions.setCurrentFrame(19);
  editor->actions.run(Command::toggleUsesPath);
  const Frame frame(editor->view);
  for (int i = 0; i < testsupport::loopRecord(session).path.pointCount(); ++i) {
    Point3 p;
    p = testsupport::loopRecord(session).path.point(i);
    // (0.05 x, -2, 0.05 z) in the world.
    EXPECT_TRUE(frame.mostlyAround({p.x, 0.0, p.z}, isBlue))
        << "point " << i << " at " << frame.project({p.x, 0.0, p.z})[0] << ", "
        << frame.project({p.x, 0.0, p.z})[1];
  }
}

// ---------------------------------------------------------------------------
// Hierarchies deeper than the matrix stack

TEST(SkeletonDrawingDepthTest, DrawsWhatTheMatrixStackHoldsAndSaysSoOnce) {
  Workspace space;
  EditSession session;
  auto editor = makeShownView(space, session, "walk.bvh", walkClip(3));
  // A chain of 100,000 joints hanging from the root.
  BvhMotion* deep = &clipOf(editor->view);
  deep->reset();
  BvhJoint root;
  root.name = "Root";
  deep->skeleton.add(std::move(root));
  for (int i = 0; i < 100000; ++i) {
    BvhJoint child;
    child.name = "Link";
    child.offset = {0.0, 1.0, 0.0};
    child.parent = i;
    deep->skeleton.add(std::move(child));
  }
  static const char emptyLine[] = "";
  deep->frameLines.push_back(emptyLine);
  deep->frameCount = 1;

  editor->view.make_current();
  GLint depthBefore = 0;
  glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthBefore);
  while (glGetError() != GL_NO_ERROR) {
  }
  const std::string first = testsupport::captureStdout([&] { editor->view.draw(); });
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  editor->actions.run(Command::toggleUsesPath);
  editor->actions.run(Command::toggleStrobing);
  const std::string second = testsupport::captureStdout([&] { editor->view.draw(); });
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  GLint depthAfter = 0;
  glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthAfter);
  EXPECT_EQ(depthAfter, depthBefore);

  EXPECT_NE(first.find("deeper than the OpenGL matrix stack"), std::string::npos) << first;
  EXPECT_EQ(first.back(), '\n');
  EXPECT_EQ(second.find("deeper than the OpenGL matrix stack"), std::string::npos) << second;
}

TEST(SkeletonDrawingDepthTest, ALoadedClipIsToldAboutAgain) {
  Workspace space;
  // 40 nested joints: more than the 32 levels Mesa's stack holds.
  std::string clip = "HIERARCHY\nROOT J0\n{\nOFFSET 0 0 0\nCHANNELS 0\n";
  for (int i = 1; i < 40; ++i) {
    clip += "JOINT J" + std::to_string(i) + "\n{\nOFFSET 0 1 0\nCHANNELS 0\n";
  }
  clip += "End Site\n{\nOFFSET 0 1 0\n}\n";
  for (int i = 1; i < 40; ++i) {
    clip += "}\n";
  }
  clip += "MOTION\nFrames: 1\nFrame Time: 0.1\n\n \n";
  EditSession session;
  auto editor = makeShownView(space, session, "deep.bvh", clip);
  GLint maxDepth = 0;
  editor->view.make_current();
  glGetIntegerv(GL_MAX_MODELVIEW_STACK_DEPTH, &maxDepth);
  if (maxDepth > 38) {
    GTEST_SKIP() << "the matrix stack holds " << maxDepth << " levels";
  }
  auto drawOnce = [&] {
    return testsupport::captureStdout([&] {
      editor->view.make_current();
      editor->view.draw();
    });
  };
  EXPECT_NE(drawOnce().find("not drawn"), std::string::npos);
  EXPECT_EQ(drawOnce().find("not drawn"), std::string::npos);
  testsupport::captureStdout([&] { editor->actions.loadPath("deep.bvh"); });
  EXPECT_NE(drawOnce().find("not drawn"), std::string::npos);
}

}  // namespace
