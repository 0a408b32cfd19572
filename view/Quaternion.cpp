#include "view/Quaternion.h"

Quaternion Quaternion::conjugate() const { return Quaternion(-x, -y, -z, w); }

Quaternion Quaternion::multiply(const Quaternion& b) const {
  const Quaternion& a = *this;
  Quaternion r;
  r.w = a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z;
  r.x = a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y;
  r.y = a.w * b.y + a.y * b.w + a.z * b.x - a.x * b.z;
  r.z = a.w * b.z + a.z * b.w + a.x * b.y - a.y * b.x;
  return r;
}

void Quaternion::divideByNormSquared() {
  // The squared norm, not the norm: for the unit quaternions of a drag the two
  // agree, and a zero quaternion is left as it is rather than made NaN.
  const float n = x * x + y * y + z * z + w * w;
  if (!(n > 0.0f)) return;
  const float inverse = 1.0f / n;
  x *= inverse;
  y *= inverse;
  z *= inverse;
  w *= inverse;
}

void Quaternion::toMatrix(float m[16]) const {
  const float n = x * x + y * y + z * z + w * w;
  // A zero quaternion carries no rotation; s = 0 turns it into the identity
  // instead of a division by zero.
  const float s = n > 0.0f ? 2.0f / n : 0.0f;
  const float xx = x * x * s, yy = y * y * s, zz = z * z * s;
  const float xy = x * y * s, xz = x * z * s, yz = y * z * s;
  const float wx = w * x * s, wy = w * y * s, wz = w * z * s;

  m[0] = 1.0f - (yy + zz);
  m[1] = xy - wz;
  m[2] = xz + wy;
  m[3] = 0.0f;
  m[4] = xy + wz;
  m[5] = 1.0f - (xx + zz);
  m[6] = yz - wx;
  m[7] = 0.0f;
  m[8] = xz - wy;
  m[9] = yz + wx;
  m[10] = 1.0f - (xx + yy);
  m[11] = 0.0f;
  m[12] = 0.0f;
  m[13] = 0.0f;
  m[14] = 0.0f;
  m[15] = 1.0f;
}
