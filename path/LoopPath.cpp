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
  if (!fitPath(clip.motion, clip.track, fitted, notes, clip.up) || fitted.path.pointCount() <= 0) {
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

Status LoopPath::checkPlacements() const {
  // A placement is the path's point plus the frame's offset from the fitted
  // curve; a curve point is a blend of four points whose weights add up to
  // less than two in magnitude.
  double reach = 0.0;
  for (const PathCurve* curve : {&fit_.path, &fit_.fitted}) {
    for (const Point3& p : curve->points()) {
      reach += 2.0 * std::max({std::fabs(p.x), std::fabs(p.y), std::fabs(p.z)});
    }
  }
  for (const Point3& b : {fit_.boundsMin, fit_.boundsMax}) {
    reach += std::max({std::fabs(b.x), std::fabs(b.y), std::fabs(b.z)});
  }
  if (!(reach <= kLargestPlacement)) {
    return Status::failed("would carry frames beyond 1e300, too far to be written");
  }
  return Status();
}

PathRuns LoopPath::runs() const {
  PathRuns runs;
  if (fit_.frames <= 0) return runs;
  const double last = PathCurve::framePathParameter(fit_.frames - 1, fit_.frames);
  for (double u = 0.0; u < last; u += stripStep) runs.walked.push_back(fit_.path.positionAt(u));
  runs.walked.push_back(fit_.path.positionAt(last));
  return runs;
}

bool LoopPath::framePlace(int f, const std::vector<double>&, Point3& at) const {
  if (f < 0 || f >= fit_.frames) return false;
  at = fit_.path.positionAt(PathCurve::framePathParameter(f, fit_.frames));
  return true;
}

double LoopPath::trackExtent() const {
  return std::max(fit_.boundsMax.x - fit_.boundsMin.x, fit_.boundsMax.z - fit_.boundsMin.z);
}
