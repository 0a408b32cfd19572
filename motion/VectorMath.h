#pragma once

#include <cmath>

#include "base/Point3.h"

// out := a x b.
void crossProduct(Point3& out, const Point3& a, const Point3& b);

// Angle between a and b in degrees, acos(a.b / (|a| |b|)) * 180 / pi, in [0, 180].
// 0 when either vector has length 0 (no direction, so no turn); the cosine is
// clamped to [-1, 1] so rounding never yields NaN.
double angleBetween(const Point3& a, const Point3& b);

// Component-wise arithmetic for the geometry of poses.
inline Point3 operator+(const Point3& a, const Point3& b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Point3 operator-(const Point3& a, const Point3& b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Point3 operator*(double s, const Point3& a) { return {s * a.x, s * a.y, s * a.z}; }
inline double dotProduct(const Point3& a, const Point3& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline Point3 crossOf(const Point3& a, const Point3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double lengthOf(const Point3& a) { return std::sqrt(dotProduct(a, a)); }
// a scaled to length 1; the zero vector stays zero.
inline Point3 unitOf(const Point3& a) {
  const double n = lengthOf(a);
  return n > 0.0 ? (1.0 / n) * a : Point3{};
}
