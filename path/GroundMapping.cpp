#include "path/GroundMapping.h"

namespace {

double stretch(double value, double low, double high) {
  // Equal bounds would divide by zero; the middle of the square is the one
  // place that fits a root that stayed put on this axis.
  if (high == low) return 0.0;
  return (value - low) / (high - low) * 10.0 - 5.0;
}

}  // namespace

Point3 groundMapping(const Point3& p, const Point3& boundsMin, const Point3& boundsMax) {
  Point3 ground;
  ground.x = stretch(p.x, boundsMin.x, boundsMax.x);
  ground.y = 0.0;
  ground.z = stretch(p.z, boundsMin.z, boundsMax.z);
  return ground;
}
