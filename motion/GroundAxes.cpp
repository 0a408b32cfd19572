#include "motion/GroundAxes.h"

Point3 groundFromFile(const Point3& p, UpAxis up) {
  return up == UpAxis::z ? Point3{p.x, p.z, p.y} : p;
}

Point3 fileFromGround(const Point3& g, UpAxis up) {
  // Swapping two axes is its own inverse.
  return groundFromFile(g, up);
}

FramePlacement placementInFileAxes(const FramePlacement& ground, UpAxis up) {
  FramePlacement file = ground;
  if (up == UpAxis::z) file.headingDegrees = -ground.headingDegrees;
  return file;
}

void groundStepFromWorld(double worldX, double worldZ, UpAxis up, double& groundX,
                         double& groundZ) {
  groundX = worldX;
  // figureToWorld sends a Z-up clip's y to the world's -z.
  groundZ = up == UpAxis::z ? -worldZ : worldZ;
}
