#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>

#include "view/OrbitCamera.h"

namespace {

// Where the model-view transform puts a world point, in eye coordinates.
Point3 toEye(const OrbitCamera& camera, const Point3& p) {
  const std::array<double, 16> m = camera.modelView();
  return {m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12],
          m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13],
          m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14]};
}

// Height on screen of a vertical stick of length size at p: size over
// depth (the projection divides by depth).
double apparentSize(const OrbitCamera& camera, const Point3& p, double size) {
  return size / -toEye(camera, p).z;
}

// A small figure (a tenth of the start-up view's height) in front of the
// origin: the start-up pose frames it.
const Point3 kSmallMiddle{0.3, -1.0, 0.2};
constexpr double kSmallSize = 0.5;

TEST(OrbitCameraTest, PansAndResetsPanZoomAndRotation) {
  OrbitCamera camera;
  camera.resetToShow(kSmallMiddle, kSmallSize, 1.5);
  // The start-up camera (framing the small figure) is where the reset goes
  // back to.
  const std::array<double, 6> start = {camera.eyeX(),    camera.eyeY(),    camera.eyeZ(),
                                       camera.centerX(), camera.centerZ(), camera.zoom()};
  EXPECT_GT(start[5], 1.0);
  camera.pan(-0.5, 0.0);
  camera.pan(-0.5, 0.0);
  EXPECT_DOUBLE_EQ(camera.eyeX(), start[0] - 1.0);
  EXPECT_DOUBLE_EQ(camera.centerX(), start[3] - 1.0);
  camera.pan(0.5, 0.0);
  camera.pan(0.5, 0.0);
  EXPECT_DOUBLE_EQ(camera.eyeX(), start[0]);
  EXPECT_DOUBLE_EQ(camera.centerX(), start[3]);
  camera.pan(0.0, 0.5);
  EXPECT_DOUBLE_EQ(camera.eyeZ(), start[2] + 0.5);
  EXPECT_DOUBLE_EQ(camera.centerZ(), start[4] + 0.5);
  EXPECT_DOUBLE_EQ(camera.eyeX(), start[0]);

  camera.pan(2.0, 0.0);
  camera.beginTurn(0.0f, 0.0f);
  camera.turnTo(1.0f, 0.0f);
  camera.beginTurn(0.0f, 0.0f);
  camera.turnTo(0.0f, 0.5f);
  camera.zoomByNotches(-3);
  camera.toggleFollowing();
  camera.resetToShow(kSmallMiddle, kSmallSize, 1.5);
  EXPECT_EQ(camera.eyeX(), start[0]);
  EXPECT_EQ(camera.eyeY(), start[1]);
  EXPECT_EQ(camera.eyeZ(), start[2]);
  EXPECT_EQ(camera.centerX(), start[3]);
  EXPECT_EQ(camera.centerZ(), start[4]);
  EXPECT_EQ(camera.zoom(), start[5]);
  for (const Quaternion& q : {camera.arcBall().rotation, camera.arcBall().dragRotation}) {
    EXPECT_EQ(q.y, 0.0f);
    EXPECT_EQ(q.w, 1.0f);
  }
  EXPECT_TRUE(camera.following()) << "the reset keeps Follow Motion";
}

TEST(OrbitCameraTest, MapsThePointerIntoTheUnitSquare) {
  struct Case {
    double x, y, ux, uy;
  };
  for (const Case& c : {Case{450, 300, 0.0, 0.0}, Case{0, 600, -1.0, -1.0}, Case{900, 0, 1.0, 1.0},
                        Case{225, 150, -0.5, 0.5}}) {
    float ux = 7.0f;
    float uy = 7.0f;
    OrbitCamera::unitSquare(c.x, c.y, 900, 600, ux, uy);
    EXPECT_DOUBLE_EQ(ux, c.ux) << c.x << "," << c.y;
    EXPECT_DOUBLE_EQ(uy, c.uy) << c.x << "," << c.y;
  }
}

TEST(OrbitCameraTest, TheStartUpPoseSeesTheOriginBelowTheMiddle) {
  const OrbitCamera camera;
  const Point3 origin = toEye(camera, {0.0, 0.0, 0.0});
  EXPECT_NEAR(origin.x, 0.0, 1e-12);
  EXPECT_NEAR(origin.y, -1.0, 1e-12);
  EXPECT_NEAR(origin.z, -13.0, 1e-12);
  // Looking along -z: a point further along it is further away.
  EXPECT_NEAR(toEye(camera, {0.0, 0.0, -5.0}).z, -18.0, 1e-12);
}

TEST(OrbitCameraTest, FramingPutsTheMiddleInTheMiddleAtHalfTheHeightAndTheWheelZoomsAboutIt) {
  OrbitCamera camera;
  const Point3 middle{4.0, 1.5, -2.0};
  const double size = 2.0;
  camera.frame(middle, size);
  Point3 seen = toEye(camera, middle);
  EXPECT_NEAR(seen.x, 0.0, 1e-9);
  EXPECT_NEAR(seen.y, 0.0, 1e-9);
  // Half the view's height: the field of view is 45 degrees over the height.
  const double halfTangent = std::tan(22.5 * M_PI / 180.0);
  EXPECT_NEAR(apparentSize(camera, middle, size), 0.5 * 2.0 * halfTangent, 1e-9);

  const double framed = apparentSize(camera, middle, size);
  camera.zoomByNotches(-1);
  EXPECT_NEAR(apparentSize(camera, middle, size), framed * 1.1, 1e-9);
  seen = toEye(camera, middle);
  EXPECT_NEAR(seen.x, 0.0, 1e-9);
  EXPECT_NEAR(seen.y, 0.0, 1e-9);
  // The zoom stays within its bounds however far the wheel turns.
  camera.zoomByNotches(-1000);
  EXPECT_EQ(camera.zoom(), 1000.0);
  camera.zoomByNotches(1000);
  EXPECT_EQ(camera.zoom(), 0.05);
}

TEST(OrbitCameraTest, FollowingGlidesToTheTargetAndStops) {
  OrbitCamera camera;
  camera.follow({10.0, 0.0, 5.0});
  EXPECT_DOUBLE_EQ(camera.centerX(), 2.0);
  EXPECT_DOUBLE_EQ(camera.centerZ(), 1.0);
  EXPECT_NEAR(camera.eyeZ() - camera.centerZ(), 1.0, 1e-12);
  for (int i = 0; i < 100; ++i) camera.follow({10.0, 0.0, 5.0});
  EXPECT_EQ(camera.centerX(), 10.0);
  EXPECT_EQ(camera.centerZ(), 5.0);
}

TEST(OrbitCameraTest, TheFixedViewShowsOnlyAFigureInSightAtAWorkableSize) {
  // The default clip's figure: about 8 units tall, standing on the floor at
  // -2 around the origin.
  const struct {
    const char* name;
    Point3 middle;
    double size;
    bool shown;
  } rows[] = {
      {"default", {0.0, 2.0, 0.0}, 8.0, true},
      {"no figure", {0.0, 0.0, 0.0}, 0.0, true},
      {"tiny", {0.0, -1.5, 0.0}, 1.0, false},
      {"huge", {0.0, 2.0, 0.0}, 30.0, false},
      {"far aside", {150.0, 2.0, 0.0}, 8.0, false},
      {"behind the eye", {0.0, 2.0, 20.0}, 8.0, false},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(OrbitCamera::fixedViewShows(row.middle, row.size, 1.5), row.shown) << row.name;
  }
}

TEST(OrbitCameraTest, TheProjectionIsAFortyFiveDegreePerspectiveWhoseDepthGrowsAsTheZoomShrinks) {
  OrbitCamera camera;
  const std::array<double, 16> p = camera.projection(1.5);
  const double cotangent = 1.0 / std::tan(22.5 * M_PI / 180.0);
  EXPECT_NEAR(p[5], cotangent, 1e-12);
  EXPECT_NEAR(p[0], cotangent / 1.5, 1e-12);
  EXPECT_EQ(p[11], -1.0);
  // A point on the near plane lands at depth -1, on the far plane at +1.
  const auto ndcDepth = [&](const std::array<double, 16>& m, double z) {
    return (m[10] * z + m[14]) / (m[11] * z);
  };
  EXPECT_NEAR(ndcDepth(p, -0.01), -1.0, 1e-9);
  EXPECT_NEAR(ndcDepth(p, -30.0), 1.0, 1e-9);
  camera.zoomByNotches(7);  // zoomed out: 1 / 1.1^7
  const std::array<double, 16> wide = camera.projection(1.5);
  EXPECT_NEAR(ndcDepth(wide, -30.0 / camera.zoom()), 1.0, 1e-9);
}

// A long walk's box: 50 wide, 45 deep, from the floor to a figure's height.
WorldBox walkBox() {
  WorldBox box;
  box.add({-20.0, -2.0, -5.0});
  box.add({30.0, 1.5, 40.0});
  return box;
}

// Every corner of box in sight, and the largest reach across the view.
double widestCorner(const OrbitCamera& camera, const WorldBox& box, double aspect) {
  double widest = 0.0;
  for (int c = 0; c < 8; ++c) {
    const Point3 corner{(c & 1) ? box.high.x : box.low.x, (c & 2) ? box.high.y : box.low.y,
                        (c & 4) ? box.high.z : box.low.z};
    double x = 0.0;
    double y = 0.0;
    EXPECT_TRUE(camera.project(corner, aspect, x, y)) << "corner " << c << " behind the eye";
    EXPECT_LE(std::fabs(x), 1.0) << "corner " << c;
    EXPECT_LE(std::fabs(y), 1.0) << "corner " << c;
    widest = std::max({widest, std::fabs(x), std::fabs(y)});
  }
  return widest;
}

TEST(OrbitCameraTest, FramingABoxShowsAllOfItFromThePoseOrFromAbove) {
  const WorldBox box = walkBox();
  for (const bool turned : {false, true}) {
    SCOPED_TRACE(turned ? "turned" : "start-up pose");
    OrbitCamera camera;
    if (turned) {
      camera.beginTurn(0.0f, 0.0f);
      camera.turnTo(0.4f, -0.3f);
    }
    camera.frameBox(box, 1.5);
    EXPECT_GT(widestCorner(camera, box, 1.5), 0.3) << "framed, not lost in the distance";
  }
  OrbitCamera camera;
  camera.viewFromAbove(box, 1.5);
  ASSERT_TRUE(camera.topView());
  EXPECT_GT(widestCorner(camera, box, 1.5), 0.8) << "the top view fills the view";
}

TEST(OrbitCameraTest, TheTopViewLooksStraightDownAndGivesBackThePoseItLeft) {
  OrbitCamera camera;
  camera.frame({3.0, 0.0, 2.0}, 1.0);
  const std::array<double, 16> before = camera.modelView();
  camera.viewFromAbove(walkBox(), 1.5);
  const Point3 middle = walkBox().centre();
  double x = 1.0;
  double y = 1.0;
  // Whatever its height, a point under the middle is in the middle.
  for (const double height : {-2.0, 0.0, 1.5}) {
    ASSERT_TRUE(camera.project({middle.x, height, middle.z}, 1.5, x, y));
    EXPECT_NEAR(x, 0.0, 1e-9);
    EXPECT_NEAR(y, 0.0, 1e-9);
  }
  // Away from the start-up camera (-z) is up the screen, +x to the right.
  camera.project({middle.x + 1.0, -2.0, middle.z - 1.0}, 1.5, x, y);
  EXPECT_GT(x, 0.0);
  EXPECT_GT(y, 0.0);
  EXPECT_GT(camera.viewer().y, walkBox().high.y);
  // The wheel zooms it about its middle; the drags do not turn it.
  camera.project({middle.x, -2.0, middle.z - 10.0}, 1.5, x, y);
  const double farBefore = y;
  camera.zoomByNotches(-1);
  camera.beginTurn(0.0f, 0.0f);
  camera.turnTo(0.8f, 0.5f);
  double xAfter = 1.0;
  camera.project({middle.x, -2.0, middle.z - 10.0}, 1.5, xAfter, y);
  EXPECT_NEAR(y, farBefore * 1.1, 1e-9);
  EXPECT_NEAR(xAfter, 0.0, 1e-9);
  camera.leaveTopView();
  EXPECT_EQ(camera.modelView(), before);
}

// The level orbit never rolls: the world's vertical stays upright on the
// screen (no sideways part in the eye's frame), the tilt stays within its
// bounds, and switching it on takes the roll out of an arcball turn.
TEST(OrbitCameraTest, TheLevelOrbitKeepsTheHorizonLevel) {
  const auto roll = [](const OrbitCamera& camera) {
    const std::array<double, 16> m = camera.modelView();
    // The world's up (0, 1, 0) in eye coordinates: the second column.
    return std::atan2(m[4], m[5]);
  };
  OrbitCamera camera;
  camera.beginTurn(0.9f, 0.9f);
  camera.turnTo(-0.2f, 0.4f);
  ASSERT_GT(std::fabs(roll(camera)), 0.05) << "a diagonal arcball drag rolls";
  camera.setLevelOrbit(true);
  EXPECT_NEAR(roll(camera), 0.0, 1e-6);
  const struct {
    float fromX, fromY, toX, toY;
  } drags[] = {{0.9f, 0.9f, -0.2f, 0.4f},
               {0.0f, 0.0f, 0.7f, -0.9f},
               {0.0f, -1.0f, 0.0f, 1.0f},
               {0.0f, 1.0f, 0.0f, -1.0f}};
  for (const auto& drag : drags) {
    camera.beginTurn(drag.fromX, drag.fromY);
    camera.turnTo(drag.toX, drag.toY);
    EXPECT_NEAR(roll(camera), 0.0, 1e-6);
    // Never past straight down nor far below the horizon: the viewer stays
    // above the pivot's height minus a little.
    const std::array<double, 16> m = camera.modelView();
    const double pitch = std::asin(m[6]);
    EXPECT_LE(pitch, 89.0 * M_PI / 180.0 + 1e-4);
    EXPECT_GE(pitch, -10.0 * M_PI / 180.0 - 1e-4);
  }
  // A drag to the right turns the scene the way the arcball does.
  OrbitCamera level;
  level.setLevelOrbit(true);
  OrbitCamera free;
  for (OrbitCamera* c : {&level, &free}) {
    c->beginTurn(0.0f, 0.0f);
    c->turnTo(0.1f, 0.0f);
  }
  EXPECT_NEAR(level.modelView()[8], free.modelView()[8], 2e-3);
}

TEST(OrbitCameraTest, TheViewerOfTheStartUpPoseStandsTwelveBackAndOneUp) {
  const OrbitCamera camera;
  const Point3 viewer = camera.viewer();
  EXPECT_NEAR(viewer.x, 0.0, 1e-12);
  EXPECT_NEAR(viewer.y, 1.0, 1e-12);
  EXPECT_NEAR(viewer.z, 13.0, 1e-12);
  EXPECT_DOUBLE_EQ(camera.reach(), 30.0);
}

}  // namespace
