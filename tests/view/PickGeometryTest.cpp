#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "view/PickGeometry.h"

namespace {

TEST(PickGeometryTest, TheHullKeepsTheOutlineCounterClockwise) {
  // A square's corners, a point inside, a repeated corner and a point on an
  // edge: only the four corners are left.
  const std::vector<ScreenPoint> hull =
      convexHull({{0, 0}, {4, 0}, {4, 4}, {0, 4}, {2, 1}, {4, 4}, {2, 0}});
  ASSERT_EQ(hull.size(), 4u);
  double area = 0.0;
  for (size_t i = 0; i < hull.size(); ++i) {
    const ScreenPoint& a = hull[i];
    const ScreenPoint& b = hull[(i + 1) % hull.size()];
    area += a.x * b.y - b.x * a.y;
  }
  EXPECT_DOUBLE_EQ(area / 2.0, 16.0) << "counter-clockwise, the whole square";
  EXPECT_TRUE(convexHull({}).empty());
}

// A diamond of radius 10 about the origin against pick squares: its bounding
// box overlaps a square beside its slanted edge, which only the edge's own
// axis separates.
TEST(PickGeometryTest, ASquareMeetsTheOutlineOnlyWhereTheyOverlap) {
  const std::vector<ScreenPoint> diamond = convexHull({{10, 0}, {0, 10}, {-10, 0}, {0, -10}});
  const struct {
    double x, y, r;
    bool meets;
  } rows[] = {
      {0.0, 0.0, 1.0, true},     // inside
      {4.0, 4.0, 1.0, true},     // inside, near the slanted edge
      {8.0, 8.0, 1.0, false},    // in the bounding box, beyond the slanted edge
      {11.0, 0.0, 1.0, true},    // touching the tip
      {12.0, 0.0, 1.0, false},   // beyond the tip
      {0.0, -13.0, 2.5, false},  // below
  };
  for (const auto& row : rows) {
    EXPECT_EQ(hullMeetsSquare(diamond, row.x, row.y, row.r), row.meets) << row.x << ", " << row.y;
  }
  EXPECT_FALSE(hullMeetsSquare({}, 0.0, 0.0, 5.0));
}

TEST(PickGeometryTest, ARayMeetsTheFloorOnlyBetweenItsEnds) {
  const struct {
    Point3 nearPoint, farPoint;
    bool meets;
    double x, z;
  } rows[] = {
      {{0, 2, 0}, {4, -2, 8}, true, 2.0, 4.0},  // halfway down
      {{0, 2, 0}, {1, 1, 0}, false, 0, 0},      // the floor lies beyond the far end
      {{0, -3, 0}, {1, -4, 0}, false, 0, 0},    // the floor lies behind the eye
      {{0, 1, 0}, {5, 1, 5}, false, 0, 0},      // level with the floor
  };
  for (const auto& row : rows) {
    double x = -1.0;
    double z = -1.0;
    EXPECT_EQ(segmentMeetsFloor(row.nearPoint, row.farPoint, 0.0, x, z), row.meets);
    if (row.meets) {
      EXPECT_DOUBLE_EQ(x, row.x);
      EXPECT_DOUBLE_EQ(z, row.z);
    }
  }
}

}  // namespace
