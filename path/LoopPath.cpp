#include "path/LoopPath.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "path/PathFit.h"

namespace {

const char* const kFixedCount = "Points are inserted and deleted on the track path";

// Only the part of the loop the clip runs over (and a little more) is drawn.
constexpr double stripStep = 0.0005;
constexpr double stripEnd = 0.6;

bool isFinite(const Point3& p) {
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

}  // namespace

Status LoopPath::fit(const PathClip& clip, int, Notes& notes) {
  LoopFit fitted;
  if (!fitPath(clip.motion, clip.track, fitted, notes) || fitted.path.pointCount() <= 0) {
    return Status::failed("");
  }
  for (const Point3& p : fitted.path.points()) {
    if (!isFinite(p)) {
      return Status::failed(" (the fitted path is not finite: the positions are too large)");
    }
  }
  fit_ = std::move(fitted);
  return Status();
}

bool LoopPath::setPoint(int k, const Point3& p) {
  if (k < 0 || k >= pointCount()) return false;
  return fit_.path.setPoint(k, p);
}

Status LoopPath::canChangePointCount() const { return Status::failed(kFixedCount); }

Status LoopPath::insertionAfter(int, int&, Point3&) const { return Status::failed(kFixedCount); }

Status LoopPath::insertPoint(int, const Point3&) { return Status::failed(kFixedCount); }

Status LoopPath::removePoint(int) { return Status::failed(kFixedCount); }

bool LoopPath::place(int f, const std::vector<double>& values, FramePlacement& placement) const {
  const auto at = [&values](int word) {
    return word >= 0 && static_cast<size_t>(word) < values.size()
               ? values[static_cast<size_t>(word)]
               : 0.0;
  };
  return framePlacement(fit_, at(fit_.track.xWord), at(fit_.track.zWord), f, fit_.frames,
                        placement);
}

std::vector<Point3> LoopPath::samples() const {
  std::vector<Point3> samples;
  // The parameter is accumulated step by step; with its rounding this gives
  // 1,201 samples, the last just under stripEnd.
  for (double u = 0.0; u < stripEnd; u += stripStep) samples.push_back(fit_.path.positionAt(u));
  return samples;
}

double LoopPath::trackExtent() const {
  return std::max(fit_.boundsMax.x - fit_.boundsMin.x, fit_.boundsMax.z - fit_.boundsMin.z);
}
