#include <gtest/gtest.h>

#include <cmath>

#include "view/ArcBall.h"

namespace {

void expectQuaternion(const Quaternion& q, float x, float y, float z, float w) {
  EXPECT_NEAR(q.x, x, 1e-6f);
  EXPECT_NEAR(q.y, y, 1e-6f);
  EXPECT_NEAR(q.z, z, 1e-6f);
  EXPECT_NEAR(q.w, w, 1e-6f);
}

void expectIdentityMatrix(const float m[16]) {
  for (int i = 0; i < 16; ++i)
    EXPECT_NEAR(m[i], (i % 5 == 0) ? 1.0f : 0.0f, 1e-6f) << "entry " << i;
}

void transform(const float m[16], const float v[3], float out[3]) {
  for (int row = 0; row < 3; ++row) {
    out[row] = m[row] * v[0] + m[4 + row] * v[1] + m[8 + row] * v[2];
  }
}

TEST(ArcBall, StartsAtIdentity) {
  const ArcBall ball;
  expectQuaternion(ball.rotation, 0, 0, 0, 1);
  expectQuaternion(ball.dragRotation, 0, 0, 0, 1);
  EXPECT_EQ(ball.startX, 0.0f);
  EXPECT_EQ(ball.startY, 0.0f);
  float m[16];
  ball.matrix(m);
  expectIdentityMatrix(m);
}

TEST(ArcBall, MapToSphereLiftsInsideTheCircle) {
  const ArcBall::SpherePoint centre = ArcBall::mapToSphere(0, 0);
  EXPECT_EQ(centre.x, 0.0f);
  EXPECT_EQ(centre.y, 0.0f);
  EXPECT_EQ(centre.z, 1.0f);

  const ArcBall::SpherePoint p = ArcBall::mapToSphere(0.6f, 0.0f);
  EXPECT_FLOAT_EQ(p.x, 0.6f);
  EXPECT_FLOAT_EQ(p.z, 0.8f);
}

TEST(ArcBall, MapToSphereOnTheCircleKeepsThePoint) {
  // r2 = 1 is not outside: z = sqrt(0) = 0 and x, y stay.
  const ArcBall::SpherePoint p = ArcBall::mapToSphere(1.0f, 0.0f);
  EXPECT_EQ(p.x, 1.0f);
  EXPECT_EQ(p.y, 0.0f);
  EXPECT_EQ(p.z, 0.0f);
}

TEST(ArcBall, MapToSpherePutsCornersOnTheRim) {
  const float h = static_cast<float>(std::sqrt(0.5));
  const float corners[4][2] = {{1, 1}, {-1, 1}, {-1, -1}, {1, -1}};
  for (const auto& corner : corners) {
    const ArcBall::SpherePoint p = ArcBall::mapToSphere(corner[0], corner[1]);
    EXPECT_NEAR(p.x, corner[0] * h, 1e-6f);
    EXPECT_NEAR(p.y, corner[1] * h, 1e-6f);
    EXPECT_EQ(p.z, 0.0f);
  }
  const ArcBall::SpherePoint far = ArcBall::mapToSphere(3.0f, 4.0f);
  EXPECT_NEAR(far.x, 0.6f, 1e-6f);
  EXPECT_NEAR(far.y, 0.8f, 1e-6f);
  EXPECT_EQ(far.z, 0.0f);
}

TEST(ArcBall, PressAndReleaseWithoutMotionChangesNothing) {
  ArcBall ball;
  ball.beginDrag(0.1f, 0.2f);
  ball.dragTo(0.5f, -0.3f);
  float before[16];
  ball.matrix(before);

  ball.beginDrag(-0.4f, 0.7f);
  float after[16];
  ball.matrix(after);
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(before[i], after[i], 1e-6f) << "entry " << i;
  expectQuaternion(ball.dragRotation, 0, 0, 0, 1);
  EXPECT_EQ(ball.startX, -0.4f);
  EXPECT_EQ(ball.startY, 0.7f);
}

TEST(ArcBall, DragBackToItsStartGivesIdentity) {
  ArcBall ball;
  ball.beginDrag(0.3f, -0.2f);
  ball.dragTo(0.9f, 0.5f);
  ball.dragTo(0.3f, -0.2f);
  expectQuaternion(ball.dragRotation, 0, 0, 0, 1);
}

TEST(ArcBall, DragFromCentreToRightEdgeIsHalfTurnAboutY) {
  ArcBall ball;
  ball.beginDrag(0, 0);
  ball.dragTo(1, 0);
  expectQuaternion(ball.dragRotation, 0, 1, 0, 0);

  float m[16];
  ball.matrix(m);
  const float xAxis[3] = {1, 0, 0};
  float turned[3];
  transform(m, xAxis, turned);
  EXPECT_NEAR(turned[0], -1.0f, 1e-6f);
  EXPECT_NEAR(turned[1], 0.0f, 1e-6f);
  EXPECT_NEAR(turned[2], 0.0f, 1e-6f);
}

TEST(ArcBall, MatrixTurnsTheSceneTheWayThePointerGoes) {
  // A small drag to the right carries the point facing the viewer (+z)
  // towards +x.
  ArcBall ball;
  ball.beginDrag(0, 0);
  ball.dragTo(0.2f, 0);
  float m[16];
  ball.matrix(m);
  const float front[3] = {0, 0, 1};
  float turned[3];
  transform(m, front, turned);
  EXPECT_GT(turned[0], 0.3f);
  EXPECT_NEAR(turned[1], 0.0f, 1e-6f);
}

TEST(ArcBall, DragRotationIsTwiceTheSweptAngle) {
  // From (0, 0, 1) to (0.6, 0, 0.8): the sweep is acos(0.8), the drag
  // quaternion holds cos and sin of that angle, so it turns by twice it.
  ArcBall ball;
  ball.beginDrag(0, 0);
  ball.dragTo(0.6f, 0);
  expectQuaternion(ball.dragRotation, 0, 0.6f, 0, 0.8f);
}

TEST(ArcBall, NewDragComposesOnTheLeft) {
  ArcBall ball;
  ball.beginDrag(0, 0);
  ball.dragTo(0.6f, 0);  // about y
  const Quaternion first = ball.dragRotation;
  ball.beginDrag(0, 0);
  expectQuaternion(ball.rotation, first.x, first.y, first.z, first.w);
  ball.dragTo(0, 0.6f);  // about -x
  const Quaternion second = ball.dragRotation;
  expectQuaternion(second, -0.6f, 0, 0, 0.8f);

  const Quaternion leftComposed = second.multiply(first);
  const Quaternion rightComposed = first.multiply(second);
  // The two orders differ for these axes, so the check can tell them apart.
  ASSERT_GT(std::fabs(leftComposed.z - rightComposed.z), 0.1f);

  float expected[16];
  leftComposed.conjugate().toMatrix(expected);
  float m[16];
  ball.matrix(m);
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(m[i], expected[i], 1e-6f) << "entry " << i;

  // Starting a third drag folds the second one in, still on the left.
  ball.beginDrag(0.5f, 0.5f);
  expectQuaternion(ball.rotation, leftComposed.x, leftComposed.y, leftComposed.z, leftComposed.w);
  float unchanged[16];
  ball.matrix(unchanged);
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(unchanged[i], expected[i], 1e-6f) << "entry " << i;
}

}  // namespace
