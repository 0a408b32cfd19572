#include <gtest/gtest.h>

#include <cmath>

#include "view/Quaternion.h"

namespace {

void expectQuaternion(const Quaternion& q, float x, float y, float z, float w) {
  EXPECT_NEAR(q.x, x, 1e-6f);
  EXPECT_NEAR(q.y, y, 1e-6f);
  EXPECT_NEAR(q.z, z, 1e-6f);
  EXPECT_NEAR(q.w, w, 1e-6f);
}

// Applies the column-major matrix m to the vector v.
void transform(const float m[16], const float v[3], float out[3]) {
  for (int row = 0; row < 3; ++row) {
    out[row] = m[row] * v[0] + m[4 + row] * v[1] + m[8 + row] * v[2];
  }
}

TEST(Quaternion, DefaultIsIdentity) { expectQuaternion(Quaternion(), 0, 0, 0, 1); }

TEST(Quaternion, ConjugateNegatesTheVectorPart) {
  expectQuaternion(Quaternion(1, -2, 3, 4).conjugate(), -1, 2, -3, 4);
}

TEST(Quaternion, MultiplyFollowsHamiltonsRulesWithThisOnTheLeft) {
  const Quaternion i(1, 0, 0, 0), j(0, 1, 0, 0), k(0, 0, 1, 0);
  expectQuaternion(i.multiply(j), 0, 0, 1, 0);   // ij = k
  expectQuaternion(j.multiply(i), 0, 0, -1, 0);  // ji = -k
  expectQuaternion(j.multiply(k), 1, 0, 0, 0);   // jk = i
  expectQuaternion(k.multiply(i), 0, 1, 0, 0);   // ki = j
  expectQuaternion(i.multiply(i), 0, 0, 0, -1);
}

TEST(Quaternion, MultiplyOfGeneralQuaternions) {
  // (1 + 2i + 3j + 4k)(5 + 6i + 7j + 8k) worked out by hand.
  const Quaternion a(2, 3, 4, 1), b(6, 7, 8, 5);
  expectQuaternion(a.multiply(b), 12, 30, 24, -60);
}

TEST(Quaternion, DivideByNormSquaredDividesBySquaredNormNotNorm) {
  Quaternion q(0, 0, 0, 2);
  q.divideByNormSquared();
  expectQuaternion(q, 0, 0, 0, 0.5f);

  Quaternion unit(0.6f, 0, 0, 0.8f);
  unit.divideByNormSquared();
  expectQuaternion(unit, 0.6f, 0, 0, 0.8f);
}

TEST(Quaternion, DivideByNormSquaredLeavesZeroAlone) {
  Quaternion q(0, 0, 0, 0);
  q.divideByNormSquared();
  expectQuaternion(q, 0, 0, 0, 0);
}

TEST(Quaternion, ToMatrixOfZeroIsIdentity) {
  float m[16];
  Quaternion(0, 0, 0, 0).toMatrix(m);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(m[i], (i % 5 == 0) ? 1.0f : 0.0f) << "entry " << i;
}

TEST(Quaternion, ToMatrixOfIdentityIsIdentity) {
  float m[16];
  Quaternion().toMatrix(m);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(m[i], (i % 5 == 0) ? 1.0f : 0.0f) << "entry " << i;
}

TEST(Quaternion, ToMatrixRotatesByTheConjugate) {
  // A quarter turn about z: (0, 0, sin 45, cos 45). Its conjugate turns x to -y.
  const float h = static_cast<float>(std::sqrt(0.5));
  float m[16];
  Quaternion(0, 0, h, h).toMatrix(m);
  const float xAxis[3] = {1, 0, 0};
  float turned[3];
  transform(m, xAxis, turned);
  EXPECT_NEAR(turned[0], 0.0f, 1e-6f);
  EXPECT_NEAR(turned[1], -1.0f, 1e-6f);
  EXPECT_NEAR(turned[2], 0.0f, 1e-6f);
  EXPECT_EQ(m[3], 0.0f);
  EXPECT_EQ(m[7], 0.0f);
  EXPECT_EQ(m[11], 0.0f);
  EXPECT_EQ(m[12], 0.0f);
  EXPECT_EQ(m[13], 0.0f);
  EXPECT_EQ(m[14], 0.0f);
  EXPECT_EQ(m[15], 1.0f);
}

TEST(Quaternion, ToMatrixIgnoresScale) {
  // s = 2 / n makes a scaled quaternion give the same rotation.
  float unit[16], scaled[16];
  Quaternion(0.6f, 0, 0, 0.8f).toMatrix(unit);
  Quaternion(1.2f, 0, 0, 1.6f).toMatrix(scaled);
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(unit[i], scaled[i], 1e-6f) << "entry " << i;
}

}  // namespace
