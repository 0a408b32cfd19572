#pragma once

// A rotation as four single-precision floats, vector part first, scalar last.
// Default-constructed: the identity (0, 0, 0, 1).
class Quaternion {
 public:
  Quaternion() = default;
  Quaternion(float x, float y, float z, float w) : x(x), y(y), z(z), w(w) {}

  Quaternion conjugate() const;
  // This times b, with this on the left.
  Quaternion multiply(const Quaternion& b) const;
  // In place: each component times 1 / (x^2 + y^2 + z^2 + w^2).
  void divideByNormSquared();
  // Column-major 4x4 for glMultMatrixf; it rotates by the conjugate of this
  // quaternion. A zero quaternion gives the identity.
  void toMatrix(float m[16]) const;

  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
  float w = 1.0f;
};
