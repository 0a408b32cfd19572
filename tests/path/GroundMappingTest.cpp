#include "path/GroundMapping.h"

#include <gtest/gtest.h>

namespace {

TEST(GroundMapping, BoundsFillTheSquareFromMinusFiveToFive) {
  const Point3 low{-2.0, 1.0, 10.0};
  const Point3 high{6.0, 3.0, 30.0};
  struct Case {
    Point3 in;
    double x, z;
  } cases[] = {
      {{-2.0, 7.0, 10.0}, -5.0, -5.0},
      {{6.0, 7.0, 30.0}, 5.0, 5.0},
      {{2.0, 7.0, 20.0}, 0.0, 0.0},
      {{0.0, 0.0, 15.0}, -2.5, -2.5},
      {{10.0, 0.0, 40.0}, 10.0, 10.0},  // outside the bounds: no clamping
  };
  for (const Case& c : cases) {
    const Point3 g = groundMapping(c.in, low, high);
    EXPECT_DOUBLE_EQ(g.x, c.x) << c.in.x;
    EXPECT_DOUBLE_EQ(g.z, c.z) << c.in.z;
    EXPECT_EQ(g.y, 0.0) << "the point's own height is not drawn";
  }
}

TEST(GroundMapping, OneStepMovesByStepTimesTenOverTheRange) {
  const Point3 low{0.0, 0.0, 0.0};
  const Point3 high{4.0, 0.0, 8.0};
  const Point3 before = groundMapping({1.0, 0.0, 1.0}, low, high);
  const Point3 after = groundMapping({1.05, 0.0, 1.05}, low, high);
  EXPECT_NEAR(after.x - before.x, 0.05 * 10.0 / 4.0, 1e-12);
  EXPECT_NEAR(after.z - before.z, 0.05 * 10.0 / 8.0, 1e-12);
}

TEST(GroundMapping, EqualBoundsPutThePointAtZeroOnThatAxisOnly) {
  const Point3 still{3.0, 0.0, 5.0};
  Point3 g = groundMapping({3.0, 1.0, 5.0}, still, still);
  EXPECT_EQ(g.x, 0.0);
  EXPECT_EQ(g.z, 0.0);

  // A moved point on a still axis stays at 0 too: no division by zero.
  g = groundMapping({3.5, 1.0, 4.0}, still, still);
  EXPECT_EQ(g.x, 0.0);
  EXPECT_EQ(g.z, 0.0);

  // Still in x, moving in z: only x collapses.
  g = groundMapping({9.0, 0.0, 2.0}, {3.0, 0.0, 0.0}, {3.0, 0.0, 4.0});
  EXPECT_EQ(g.x, 0.0);
  EXPECT_DOUBLE_EQ(g.z, 0.0);
  g = groundMapping({9.0, 0.0, 4.0}, {3.0, 0.0, 0.0}, {3.0, 0.0, 4.0});
  EXPECT_DOUBLE_EQ(g.z, 5.0);

  // Still in z, moving in x.
  g = groundMapping({1.0, 0.0, 9.0}, {0.0, 0.0, 2.0}, {4.0, 0.0, 2.0});
  EXPECT_DOUBLE_EQ(g.x, -2.5);
  EXPECT_EQ(g.z, 0.0);
}

}  // namespace
