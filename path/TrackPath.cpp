#include "path/TrackPath.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

#include "motion/FrameWords.h"
#include "path/TrackPlacement.h"
#include "path/TrackTiming.h"

namespace {

// Points along the curve from distance from to distance to, one per sample
// of the curve between them and both ends.
std::vector<Point3> stretch(const TrackCurve& curve, double from, double to) {
  std::vector<Point3> points;
  if (!(to > from)) return points;
  points.push_back(curve.stationAt(from).at);
  for (double knot : curve.sampleKnots()) {
    const double s = curve.distanceAt(knot);
    if (s > from && s < to) points.push_back(curve.positionAt(knot));
  }
  points.push_back(curve.stationAt(to).at);
  return points;
}

}  // namespace

Status TrackPath::fit(const PathClip& clip, int pointCount, Notes&) {
  fit_ = fitTrackPath(clip.motion, clip.track, pointCount, clip.up);
  return Status();
}

Status TrackPath::insertionAfter(int selected, int& index, Point3& p) const {
  const int n = pointCount();
  if (n < 2) return Status::failed("A path of one point has no segment to insert into");
  const int segment = selected < n - 1 ? selected : selected - 1;
  const TrackCurve& path = fit_.path;
  const double middle = path.middleKnot(segment);
  if (!(middle > path.knot(segment) && middle < path.knot(segment + 1))) {
    return Status::failed("That segment is too short to take another point");
  }
  index = segment + 1;
  p = path.positionAt(middle);
  return Status();
}

Status TrackPath::insertPoint(int index, const Point3& p) {
  if (pointCount() >= TrackCurve::maxPoints) {
    return Status::failed("A track path holds at most " + std::to_string(TrackCurve::maxPoints) +
                          " points");
  }
  if (fit_.path.insertPoint(index, p)) return Status();
  return Status::failed("A point cannot go there");
}

Status TrackPath::removePoint(int k) {
  if (pointCount() <= 2) return Status::failed("A track path keeps at least two points");
  if (!fit_.path.removePoint(k))
    return Status::failed("There is no control point " + std::to_string(k));
  return Status();
}

bool TrackPath::place(int f, const std::vector<double>& values, FramePlacement& placement) const {
  return trackPlacement(fit_, f, valueAt(values, fit_.track.xWord),
                        valueAt(values, fit_.track.zWord), pace_, placement);
}

bool TrackPath::framePlace(int f, const std::vector<double>& values, Point3& at) const {
  FramePlacement placement;
  return trackPlacement(fit_, f, valueAt(values, fit_.track.xWord),
                        valueAt(values, fit_.track.zWord), pace_, placement, &at);
}

Status TrackPath::checkPlacements() const {
  const TrackCurve& path = fit_.path;
  const TrackCurve& fitted = fit_.fitted;
  // A placement is the path's point plus the frame's offset from the fitted
  // path, no longer than the track's and the fitted path's reach together,
  // plus with Keep Pace the run past an end, no longer than the fitted
  // path. Their sum bounds every frame.
  const double offset = std::sqrt(2.0) * (fit_.trackReach + fitted.reach());
  const double beyond = pace_ == PathPace::keep ? fitted.length() : 0.0;
  const double bound = path.reach() + offset + beyond;
  if (!(bound <= kLargestPlacement) || !std::isfinite(path.length())) {
    return Status::failed("would carry frames beyond 1e300, too far to be written");
  }
  return Status();
}

std::string TrackPath::timingNote() const {
  if (pace_ == PathPace::keep) return "";
  return strideNote(strideStretch(fit_.fitted, fit_.path));
}

std::vector<Point3> TrackPath::samples() const {
  std::vector<Point3> samples;
  if (pointCount() == 1) samples.push_back(point(0));
  for (double knot : fit_.path.sampleKnots()) samples.push_back(fit_.path.positionAt(knot));
  return samples;
}

PathRuns TrackPath::runs() const {
  PathRuns runs;
  const TrackRecord& record = *fit_.record;
  if (record.firstFrame < 0 || pointCount() < 2) {
    runs.walked = samples();
    return runs;
  }
  const TrackCurve& path = fit_.path;
  double from = 0.0;
  double to = 0.0;
  if (pace_ == PathPace::keep) {
    from = fit_.fitted.distanceAt(record.firstKnot);
    to = fit_.fitted.distanceAt(record.lastKnot);
  } else {
    from = path.distanceAt(editedKnot(fit_.fitted, path, record.firstKnot));
    to = path.distanceAt(editedKnot(fit_.fitted, path, record.lastKnot));
  }
  const double length = path.length();
  runs.walked = stretch(path, std::max(from, 0.0), std::min(to, length));
  runs.unreached = stretch(path, std::max(to, 0.0), length);
  if (to > length) runs.pastEnd = {path.stationAt(length).at, path.stationAt(to).at};
  return runs;
}
