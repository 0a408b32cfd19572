#include <gtest/gtest.h>

#include <cmath>

#include "motion/VectorMath.h"

namespace {

double dot(const Point3& a, const Point3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

TEST(CrossProductTest, FollowsTheRightHandRule) {
  Point3 out;
  crossProduct(out, {1, 0, 0}, {0, 1, 0});
  EXPECT_EQ(out.x, 0.0);
  EXPECT_EQ(out.y, 0.0);
  EXPECT_EQ(out.z, 1.0);
  crossProduct(out, {0, 0, 1}, {1, 0, 0});
  EXPECT_EQ(out.y, 1.0);
}

TEST(CrossProductTest, IsAntiCommutativeAndPerpendicularToBothInputs) {
  const Point3 a{1.5, -2.0, 3.25};
  const Point3 b{-4.0, 0.5, 2.0};
  Point3 ab;
  Point3 ba;
  crossProduct(ab, a, b);
  crossProduct(ba, b, a);
  // Computed by hand: (-2*2 - 0.5*3.25, -4*3.25 - 1.5*2, 1.5*0.5 - (-4)(-2)).
  EXPECT_DOUBLE_EQ(ab.x, -5.625);
  EXPECT_DOUBLE_EQ(ab.y, -16.0);
  EXPECT_DOUBLE_EQ(ab.z, -7.25);
  EXPECT_DOUBLE_EQ(ba.x, -ab.x);
  EXPECT_DOUBLE_EQ(ba.y, -ab.y);
  EXPECT_DOUBLE_EQ(ba.z, -ab.z);
  EXPECT_NEAR(dot(ab, a), 0.0, 1e-12);
  EXPECT_NEAR(dot(ab, b), 0.0, 1e-12);
}

TEST(CrossProductTest, MayWriteOverItsInput) {
  Point3 a{1, 2, 3};
  crossProduct(a, a, {4, 5, 6});
  EXPECT_DOUBLE_EQ(a.x, -3.0);
  EXPECT_DOUBLE_EQ(a.y, 6.0);
  EXPECT_DOUBLE_EQ(a.z, -3.0);
}

TEST(AngleBetweenTest, GivesDegrees) {
  EXPECT_DOUBLE_EQ(angleBetween({0, 0, 1}, {0, 0, 5}), 0.0);
  EXPECT_DOUBLE_EQ(angleBetween({0, 0, 1}, {3, 0, 0}), 90.0);
  EXPECT_DOUBLE_EQ(angleBetween({0, 0, 1}, {0, 0, -2}), 180.0);
  EXPECT_NEAR(angleBetween({0, 0, 1}, {0, 1, 1}), 45.0, 1e-12);
  EXPECT_NEAR(angleBetween({1, 0, 0}, {-1, std::sqrt(3.0), 0}), 120.0, 1e-12);
}

TEST(AngleBetweenTest, NeverGivesNaN) {
  // No direction: no angle to turn by.
  EXPECT_EQ(angleBetween({0, 0, 1}, {0, 0, 0}), 0.0);
  EXPECT_EQ(angleBetween({0, 0, 0}, {0, 0, 0}), 0.0);
  // Parallel vectors whose rounded cosine may land just outside [-1, 1].
  for (double s = 0.1; s < 10.0; s += 0.37) {
    const Point3 a{0.1 * s, 0.2 * s, 0.3 * s};
    EXPECT_FALSE(std::isnan(angleBetween(a, {0.1, 0.2, 0.3}))) << s;
    EXPECT_FALSE(std::isnan(angleBetween(a, {-0.1, -0.2, -0.3}))) << s;
    // acos is ill-conditioned at -1: a cosine off by one ulp moves the angle by ~1e-6 degrees.
    EXPECT_NEAR(angleBetween(a, {-0.1, -0.2, -0.3}), 180.0, 1e-5) << s;
  }
}

}  // namespace
