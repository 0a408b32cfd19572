#pragma once

#include "base/Point3.h"

// out := a x b.
void crossProduct(Point3& out, const Point3& a, const Point3& b);

// Angle between a and b in degrees, acos(a.b / (|a| |b|)) * 180 / pi, in [0, 180].
// 0 when either vector has length 0 (no direction, so no turn); the cosine is
// clamped to [-1, 1] so rounding never yields NaN.
double angleBetween(const Point3& a, const Point3& b);
