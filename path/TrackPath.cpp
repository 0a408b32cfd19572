#include "path/TrackPath.h"

#include <algorithm>
#include <string>
#include <utility>

#include "path/TrackPlacement.h"

namespace {

// Samples per segment of the drawn curve.
constexpr int samplesPerSegment = 32;

}  // namespace

Status TrackPath::fit(const PathClip& clip, int pointCount, Notes&) {
  fit_ = fitTrackPath(clip.motion, clip.track, pointCount, clip.up);
  return Status();
}

Status TrackPath::insertionAfter(int selected, int& index, Point3& p) const {
  const int n = pointCount();
  if (n < 2) return Status::failed("A path of one point has no segment to insert into");
  // The middle of the segment after the selected point: the curve barely
  // changes, since the new point lies on it.
  const int segment = selected < n - 1 ? selected : selected - 1;
  index = segment + 1;
  p = fit_.path.positionAt(segment + 0.5);
  return Status();
}

Status TrackPath::insertPoint(int index, const Point3& p) {
  if (fit_.path.insertPoint(index, p)) return Status();
  return Status::failed("A track path holds at most " + std::to_string(TrackCurve::maxPoints) +
                        " points");
}

Status TrackPath::removePoint(int k) {
  if (pointCount() <= 2) return Status::failed("A track path keeps at least two points");
  if (!fit_.path.removePoint(k))
    return Status::failed("There is no control point " + std::to_string(k));
  return Status();
}

bool TrackPath::place(int f, const std::vector<double>&, FramePlacement& placement) const {
  return trackPlacement(fit_, f, placement);
}

std::vector<Point3> TrackPath::samples() const {
  std::vector<Point3> samples;
  const int steps = std::max(pointCount() - 1, 0) * samplesPerSegment;
  for (int j = 0; j <= steps; ++j) {
    samples.push_back(fit_.path.positionAt(static_cast<double>(j) / samplesPerSegment));
  }
  return samples;
}
