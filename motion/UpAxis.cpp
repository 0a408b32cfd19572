#include "motion/UpAxis.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "motion/BvhMotion.h"
#include "motion/PosedFigure.h"

namespace {

constexpr int kSampledFrames = 16;
// Standing along an axis: at least this many times taller along it than
// along the other candidate (a zombie reaching forward is 1.8 times).
constexpr double kStandingRatio = 1.5;
// Share of sampled frames that must stand along z.
constexpr double kStandingShare = 0.8;
// Travel beyond this share of the figure's height is walking or crawling,
// not standing in place.
constexpr double kTravelShare = 0.5;
// Feet on a floor, judged over this long a step...
constexpr double kStepSeconds = 0.1;
// ...in which some joint moves at least this share of the height,
constexpr double kMovingShare = 0.05;
// while the lowest joint stays this near the lowest point of all samples
constexpr double kFloorShare = 0.05;
// and moves no more than this share of the height,
constexpr double kPlantedShare = 0.02;
// in at least this share of the moving samples (and two of them).
constexpr double kFootingShare = 0.5;
constexpr int kMinMovingSamples = 2;

bool isFinite(const Point3& p) {
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

double component(const Point3& p, int axis) { return axis == 0 ? p.x : axis == 1 ? p.y : p.z; }

double distance(const Point3& a, const Point3& b) {
  return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) +
                   (a.z - b.z) * (a.z - b.z));
}

// The box around points, finite ones only.
struct Extent {
  double low[3] = {0.0, 0.0, 0.0};
  double high[3] = {0.0, 0.0, 0.0};
  bool any = false;

  void take(const Point3& p) {
    if (!isFinite(p)) return;
    for (int axis = 0; axis < 3; ++axis) {
      const double at = component(p, axis);
      low[axis] = any ? std::min(low[axis], at) : at;
      high[axis] = any ? std::max(high[axis], at) : at;
    }
    any = true;
  }
  double along(int axis) const { return high[axis] - low[axis]; }
  Point3 centre() const {
    return {(low[0] + high[0]) / 2.0, (low[1] + high[1]) / 2.0, (low[2] + high[2]) / 2.0};
  }
};

Extent extentOf(const PosedFigure& figure, const char* line) {
  Extent extent;
  figure.visit(line, [&extent](int, const JointPose& pose) { extent.take(pose.t); });
  return extent;
}

// The axis a figure of this extent clearly stands along, if any.
std::optional<UpAxis> standingAxis(const Extent& extent) {
  if (!extent.any) return std::nullopt;
  const double alongY = extent.along(1);
  const double alongZ = extent.along(2);
  if (alongZ > 0.0 && alongZ >= kStandingRatio * alongY) return UpAxis::z;
  if (alongY > 0.0 && alongY >= kStandingRatio * alongZ) return UpAxis::y;
  return std::nullopt;
}

// The frames the posed figure is judged by, spread evenly, first and last
// included; one null line (the rest pose) for a clip without frames.
struct Samples {
  int frames = 0;
  int count = 0;
  int frame(int k) const {
    return count > 1 ? static_cast<int>(static_cast<long long>(k) * (frames - 1) / (count - 1)) : 0;
  }
  const char* line(const BvhMotion& motion, int k) const {
    return frames > 0 ? motion.frameLine(frame(k)) : nullptr;
  }
};

// What the sampled frames show of the posed figure.
struct PosedView {
  bool any = false;
  UpAxis axis = UpAxis::y;
  // Tallest extent along y and along z.
  double tallest[3] = {0.0, 0.0, 0.0};
  // Range of the figure's centre: how far it travels along each axis.
  Extent travel;
  // The lowest point of all samples.
  Extent bounds;
};

PosedView viewPosed(const BvhMotion& motion, const PosedFigure& figure, const Samples& samples) {
  PosedView view;
  int standing = 0;
  for (int k = 0; k < samples.count; ++k) {
    const Extent extent = extentOf(figure, samples.line(motion, k));
    if (!extent.any) continue;
    view.any = true;
    const double tall = extent.along(2);
    if (tall > 0.0 && tall >= kStandingRatio * extent.along(1)) ++standing;
    for (int axis = 1; axis < 3; ++axis) {
      view.tallest[axis] = std::max(view.tallest[axis], extent.along(axis));
    }
    view.travel.take(extent.centre());
    view.bounds.take({extent.low[0], extent.low[1], extent.low[2]});
    view.bounds.take({extent.high[0], extent.high[1], extent.high[2]});
  }
  const double alongZ = view.travel.along(2);
  const bool travelsAlongZ =
      alongZ > kTravelShare * view.tallest[2] && alongZ > view.travel.along(1);
  view.axis = standing >= kStandingShare * samples.count && !travelsAlongZ ? UpAxis::z : UpAxis::y;
  return view;
}

// Whether the figure's feet stand on a floor across axis up: see judgeUpAxis.
bool feetOnFloor(const BvhMotion& motion, const PosedFigure& figure, const Samples& samples, int up,
                 const PosedView& view) {
  if (samples.frames < 2) return false;
  const double height = view.tallest[up];
  const double floor = view.bounds.low[up];
  // Frames in a step; clamped before rounding, since a tiny frame time gives
  // more than any integer holds.
  const double framesInStep = motion.frameTime > 0.0 ? kStepSeconds / motion.frameTime : 1.0;
  const int step = static_cast<int>(
      std::lround(std::clamp(framesInStep, 1.0, static_cast<double>(samples.frames - 1))));
  std::vector<Point3> before;
  int moving = 0;
  int planted = 0;
  for (int k = 0; k < samples.count; ++k) {
    const int f = samples.frame(k);
    const int g = f + step < samples.frames ? f + step : f - step;
    if (g < 0) continue;
    before.assign(static_cast<size_t>(motion.skeleton.size()), Point3{});
    int lowest = -1;
    figure.visit(motion.frameLine(f), [&](int joint, const JointPose& pose) {
      before[static_cast<size_t>(joint)] = pose.t;
      if (isFinite(pose.t) &&
          (lowest < 0 ||
           component(pose.t, up) < component(before[static_cast<size_t>(lowest)], up))) {
        lowest = joint;
      }
    });
    if (lowest < 0) continue;
    double largest = 0.0;
    double lowestMoved = 0.0;
    figure.visit(motion.frameLine(g), [&](int joint, const JointPose& pose) {
      const Point3& from = before[static_cast<size_t>(joint)];
      if (!isFinite(from) || !isFinite(pose.t)) return;
      const double moved = distance(from, pose.t);
      largest = std::max(largest, moved);
      if (joint == lowest) lowestMoved = moved;
    });
    if (largest < kMovingShare * height) continue;
    ++moving;
    const bool onFloor =
        component(before[static_cast<size_t>(lowest)], up) - floor <= kFloorShare * height;
    if (onFloor && lowestMoved <= kPlantedShare * height) ++planted;
  }
  return moving >= kMinMovingSamples && planted >= kFootingShare * moving;
}

const char* lowerName(UpAxis up) { return up == UpAxis::z ? "z" : "y"; }

}  // namespace

UpAxisDecision judgeUpAxis(const BvhMotion& motion) {
  UpAxisDecision decision;
  if (motion.skeleton.empty()) return decision;
  const PosedFigure figure(motion.skeleton);
  Samples samples;
  samples.frames =
      std::max(0, std::min(motion.frameCount, static_cast<int>(motion.frameLines.size())));
  samples.count = samples.frames == 0 ? 1 : std::min(samples.frames, kSampledFrames);

  const PosedView posed = viewPosed(motion, figure, samples);
  if (!posed.any) return decision;
  decision.posed = posed.axis;
  decision.rest = standingAxis(extentOf(figure, nullptr));
  decision.axis = posed.axis;
  decision.evidence = UpEvidence::kPosedFigure;
  if (!decision.rest || *decision.rest == posed.axis) return decision;

  // The rest pose's up axis lies on the posed axis's ground.
  const int restUp = upAxisIndex(*decision.rest);
  const int posedUp = upAxisIndex(posed.axis);
  if (posed.travel.along(restUp) > kTravelShare * posed.tallest[posedUp]) {
    decision.evidence = UpEvidence::kTravel;
  } else if (feetOnFloor(motion, figure, samples, posedUp, posed)) {
    decision.evidence = UpEvidence::kFooting;
  } else {
    decision.axis = *decision.rest;
    decision.evidence = UpEvidence::kRestPose;
  }
  return decision;
}

UpAxis decideUpAxis(const BvhMotion& motion) { return judgeUpAxis(motion).axis; }

UpAxis decideUpAxis(const BvhMotion& motion, Notes& notes) {
  const UpAxisDecision decision = judgeUpAxis(motion);
  const std::string evidence = upAxisEvidence(decision);
  if (!evidence.empty()) notes.add(evidence + "\n");
  return decision.axis;
}

std::string upAxisEvidence(const UpAxisDecision& decision) {
  const std::string head = std::string("Up axis ") + upAxisName(decision.axis) + ": ";
  const std::string posed = lowerName(decision.posed);
  const std::string rest = decision.rest ? lowerName(*decision.rest) : "";
  switch (decision.evidence) {
    case UpEvidence::kNoFigure:
      return "";
    case UpEvidence::kPosedFigure:
      if (decision.axis == UpAxis::y) return "";
      return head + "the figure stands along z in its frames" +
             (decision.rest ? " and in its rest pose" : "");
    case UpEvidence::kTravel:
      return head + "the frames stand the figure along " + posed + " and carry it along " + rest +
             " on that ground, though its rest pose stands along " + rest;
    case UpEvidence::kFooting:
      return head + "the frames stand the figure along " + posed +
             " with its feet on a floor, though its rest pose stands along " + rest;
    case UpEvidence::kRestPose:
      return head + "its rest pose stands along " + rest + "; the frames stand it along " + posed +
             " but neither carry it along the ground nor put its feet on a floor";
  }
  return "";
}
