#include "view/CameraGuard.h"

#include <algorithm>
#include <cmath>

#include "motion/FigureFrame.h"

bool cameraStandsSound(const OrbitCamera& camera, const FloorExtent& floor,
                       const Point3& figureMiddle, double figureSize) {
  const Point3 eye = camera.viewer();
  if (!(eye.y > figureFloorY)) return false;
  const double dx = eye.x - figureMiddle.x;
  const double dy = eye.y - figureMiddle.y;
  const double dz = eye.z - figureMiddle.z;
  if (std::sqrt(dx * dx + dy * dy + dz * dz) < 0.5 * figureSize) return false;
  // The nearest point of the floor.
  const double nearX = std::clamp(eye.x, floor.minX, floor.maxX) - eye.x;
  const double nearZ = std::clamp(eye.z, floor.minZ, floor.maxZ) - eye.z;
  const double nearY = figureFloorY - eye.y;
  return std::sqrt(nearX * nearX + nearY * nearY + nearZ * nearZ) < camera.reach();
}
