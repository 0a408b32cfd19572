#include "path/GroundMapping.h"

#include <algorithm>
#include <cmath>

#include "motion/BvhMotion.h"
#include "motion/GroundAxes.h"
#include "motion/TrackJoint.h"

namespace {

// Cube half size as a share of the larger of track extent and figure size.
constexpr double cubeShare = 0.02;
// An arrow press moves a point this share of the figure's size.
constexpr double stepShare = 0.01;
constexpr double sizelessStep = 0.05;
// A clip with no extent at all (one joint standing still) still gets cubes
// one can click.
constexpr double smallestCubeHalfSize = 1e-3;

}  // namespace

PathLayout pathLayout(const BvhMotion& motion, int carried, double trackExtent, UpAxis up) {
  PathLayout layout;
  layout.up = up;
  layout.trackOffset = offsetFromRoot(motion.skeleton, jointOfClip(motion, carried));
  const double figure = restPoseBox(motion.skeleton).size();
  const double size = std::max(trackExtent, figure) * cubeShare;
  layout.cubeHalfSize =
      std::isfinite(size) ? std::max(size, smallestCubeHalfSize) : smallestCubeHalfSize;
  return layout;
}

double pointStep(const BvhMotion& motion) {
  const double figure = restPoseBox(motion.skeleton).size();
  return figure > 0.0 && std::isfinite(figure) ? figure * stepShare : sizelessStep;
}

Point3 groundMapping(const Point3& p, const PathLayout& layout) {
  const Point3 offset = groundFromFile(layout.trackOffset, layout.up);
  return fileFromGround({p.x + offset.x, 0.0, p.z + offset.z}, layout.up);
}
