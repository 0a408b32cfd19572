#include "motion/VectorMath.h"

#include <algorithm>
#include <cmath>

void crossProduct(Point3& out, const Point3& a, const Point3& b) {
  // Computed into a temporary so out may alias a or b.
  const Point3 r{a.y * b.z - b.y * a.z, b.x * a.z - a.x * b.z, a.x * b.y - b.x * a.y};
  out = r;
}

double angleBetween(const Point3& a, const Point3& b) {
  const double lengths =
      std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z) * std::sqrt(b.x * b.x + b.y * b.y + b.z * b.z);
  if (lengths == 0.0) {
    return 0.0;
  }
  const double cosine = std::clamp((a.x * b.x + a.y * b.y + a.z * b.z) / lengths, -1.0, 1.0);
  return std::acos(cosine) * 180.0 / M_PI;
}
