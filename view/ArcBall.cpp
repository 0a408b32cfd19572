#include "view/ArcBall.h"

#include <cmath>

void ArcBall::beginDrag(float x, float y) {
  // The finished drag goes on the left so it stays about screen-fixed axes.
  rotation = dragRotation.multiply(rotation);
  dragRotation = Quaternion();
  startX = x;
  startY = y;
}

void ArcBall::dragTo(float x, float y) {
  const SpherePoint p0 = mapToSphere(startX, startY);
  const SpherePoint p1 = mapToSphere(x, y);
  // Cross product as axis, dot product as scalar: a turn of twice the angle
  // between the two sphere points.
  dragRotation = Quaternion(p0.y * p1.z - p0.z * p1.y, p0.z * p1.x - p0.x * p1.z,
                            p0.x * p1.y - p0.y * p1.x, p0.x * p1.x + p0.y * p1.y + p0.z * p1.z);
  dragRotation.divideByNormSquared();
}

ArcBall::SpherePoint ArcBall::mapToSphere(float x, float y) {
  SpherePoint p;
  p.x = x;
  p.y = y;
  const float r2 = p.x * p.x + p.y * p.y;
  if (r2 > 1.0f) {
    const float length = static_cast<float>(std::sqrt(static_cast<double>(r2)));
    const float scale = 1.0f / length;
    p.x *= scale;
    p.y *= scale;
    p.z = 0.0f;
  } else {
    p.z = static_cast<float>(std::sqrt(static_cast<double>(1.0f - r2)));
  }
  return p;
}

void ArcBall::matrix(float m[16]) const {
  // toMatrix rotates by the conjugate, so conjugating first gives the matrix
  // of dragRotation times rotation itself.
  const Quaternion q = dragRotation.multiply(rotation).conjugate();
  q.toMatrix(m);
}
