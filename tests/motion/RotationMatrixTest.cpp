#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "motion/RotationMatrix.h"

namespace {

const AxisOrder allOrders[] = {{{0, 1, 2}}, {{0, 2, 1}}, {{1, 0, 2}},
                               {{1, 2, 0}}, {{2, 0, 1}}, {{2, 1, 0}}};

std::string nameOf(const AxisOrder& order) {
  std::string name;
  for (int axis : order.axis) name += static_cast<char>('X' + axis);
  return name;
}

double largestDifference(const Matrix3& a, const Matrix3& b) {
  double largest = 0.0;
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) largest = std::fmax(largest, std::fabs(a.m[r][c] - b.m[r][c]));
  }
  return largest;
}

TEST(RotationMatrixTest, TurnsAreRightHandedAndTheFirstListedIsOutermost) {
  // Rz(90) takes x to y; Rx(90) takes y to z; Ry(90) takes z to x.
  EXPECT_NEAR(axisRotation(2, 90.0).m[1][0], 1.0, 1e-15);
  EXPECT_NEAR(axisRotation(0, 90.0).m[2][1], 1.0, 1e-15);
  EXPECT_NEAR(axisRotation(1, 90.0).m[0][2], 1.0, 1e-15);
  // [Z, X] with (90, 90): x stays x under Rx, then Rz takes it to y.
  const double angles[3] = {90.0, 90.0, 0.0};
  const Matrix3 zx = rotationFromAngles(AxisOrder{{2, 0, 1}}, angles);
  EXPECT_NEAR(zx.m[1][0], 1.0, 1e-15);
}

TEST(RotationMatrixTest, DecomposingGivesBackTheSameMatrixInEveryOrder) {
  std::srand(7);
  auto randomAngle = [] { return std::rand() / static_cast<double>(RAND_MAX) * 720.0 - 360.0; };
  // Middle angles at, near and away from gimbal lock, on both sides.
  const double middles[] = {90.0, -90.0, 89.9999999, -90.0000001, 270.0, 0.0, 45.0, 170.0};
  for (const AxisOrder& order : allOrders) {
    for (double middle : middles) {
      for (int trial = 0; trial < 20; ++trial) {
        const double angles[3] = {randomAngle(), middle, randomAngle()};
        const double near[3] = {randomAngle(), randomAngle(), randomAngle()};
        const Matrix3 rotation = rotationFromAngles(order, angles);
        double out[3];
        anglesFromRotation(rotation, order, near, out);
        for (double angle : out) ASSERT_TRUE(std::isfinite(angle)) << nameOf(order);
        EXPECT_LT(largestDifference(rotationFromAngles(order, out), rotation), 1e-7)
            << nameOf(order) << " middle " << middle;
      }
    }
  }
}

TEST(RotationMatrixTest, ChoosesTheSolutionNearestThePreviousAngles) {
  // A slow turn through +-180 on every axis: each frame's angles are found
  // next to the previous frame's, never a whole turn away.
  for (const AxisOrder& order : allOrders) {
    double previous[3] = {150.0, 20.0, -160.0};
    for (int step = 0; step < 200; ++step) {
      const double angles[3] = {150.0 + step * 0.5, 20.0 + step * 0.1, -160.0 - step * 0.5};
      double out[3];
      anglesFromRotation(rotationFromAngles(order, angles), order, previous, out);
      for (int k = 0; k < 3; ++k) {
        EXPECT_NEAR(out[k], angles[k], 1e-9) << nameOf(order) << " step " << step;
        previous[k] = out[k];
      }
    }
  }
}

TEST(RotationMatrixTest, GimbalLockKeepsTheFirstAngleAndGivesTheRestToTheLast) {
  for (const AxisOrder& order : allOrders) {
    const double angles[3] = {30.0, 90.0, 40.0};
    const Matrix3 rotation = rotationFromAngles(order, angles);
    const double near[3] = {50.0, 80.0, 0.0};
    double out[3];
    anglesFromRotation(rotation, order, near, out);
    EXPECT_EQ(out[0], 50.0) << nameOf(order);
    EXPECT_NEAR(out[1], 90.0, 1e-9) << nameOf(order);
    EXPECT_LT(largestDifference(rotationFromAngles(order, out), rotation), 1e-9) << nameOf(order);
  }
}

}  // namespace
