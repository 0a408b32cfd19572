#include "motion/UpAxis.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "motion/BvhMotion.h"
#include "motion/PosedFigure.h"

namespace {

constexpr int sampledFrames = 16;
// Standing along z: at least this many times taller along z than along y
// (a zombie reaching forward is 1.8 times).
constexpr double standingRatio = 1.5;
// Share of sampled frames that must stand along z.
constexpr double standingShare = 0.8;
// Travel along z beyond this share of the figure's height is walking or
// crawling along z, not standing on it.
constexpr double travelShare = 0.5;

struct Extent {
  double low[3] = {0.0, 0.0, 0.0};
  double high[3] = {0.0, 0.0, 0.0};
  double along(int axis) const { return high[axis] - low[axis]; }
};

// Extent of the finite joint positions of one pose; false without one.
bool extentOf(const std::vector<JointPose>& pose, Extent& extent) {
  bool any = false;
  for (const JointPose& joint : pose) {
    const double at[3] = {joint.t.x, joint.t.y, joint.t.z};
    if (!std::isfinite(at[0]) || !std::isfinite(at[1]) || !std::isfinite(at[2])) continue;
    for (int axis = 0; axis < 3; ++axis) {
      extent.low[axis] = any ? std::min(extent.low[axis], at[axis]) : at[axis];
      extent.high[axis] = any ? std::max(extent.high[axis], at[axis]) : at[axis];
    }
    any = true;
  }
  return any;
}

}  // namespace

UpAxis decideUpAxis(const BvhMotion& motion) {
  if (motion.skeleton.empty()) return UpAxis::y;
  const PosedFigure figure(motion.skeleton);
  const int frames =
      std::max(0, std::min(motion.frameCount, static_cast<int>(motion.frameLines.size())));
  const int samples = frames == 0 ? 1 : std::min(frames, sampledFrames);

  std::vector<JointPose> pose;
  int standing = 0;
  double tallest = 0.0;
  // Range of the figure's centre over the sampled frames: how far it
  // travels along each axis.
  Extent travel;
  bool haveTravel = false;
  for (int k = 0; k < samples; ++k) {
    // Spread evenly, first and last frame included.
    const int f = samples > 1
                      ? static_cast<int>(static_cast<long long>(k) * (frames - 1) / (samples - 1))
                      : 0;
    figure.pose(frames > 0 ? motion.frameLine(f) : nullptr, pose);
    Extent extent;
    if (!extentOf(pose, extent)) continue;
    const double tall = extent.along(2);
    if (tall > 0.0 && tall >= standingRatio * extent.along(1)) ++standing;
    tallest = std::max(tallest, tall);
    for (int axis = 0; axis < 3; ++axis) {
      const double centre = (extent.low[axis] + extent.high[axis]) / 2.0;
      travel.low[axis] = haveTravel ? std::min(travel.low[axis], centre) : centre;
      travel.high[axis] = haveTravel ? std::max(travel.high[axis], centre) : centre;
    }
    haveTravel = true;
  }
  if (standing < standingShare * samples) return UpAxis::y;
  const double alongZ = travel.along(2);
  if (alongZ > travelShare * tallest && alongZ > travel.along(1)) return UpAxis::y;
  return UpAxis::z;
}
