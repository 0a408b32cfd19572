#pragma once

#include "path/ClipPath.h"
#include "path/TrackFit.h"

// The open path from the clip's first frame to its last, with its control
// points on the ground track smoothed over a second (fitTrackPath); frames
// keep their place between the points, or with Keep Pace their distance
// along the path (trackPlacement). Points can be inserted and removed, down
// to two.
class TrackPath : public ClipPath {
 public:
  std::unique_ptr<ClipPath> clone() const override { return std::make_unique<TrackPath>(*this); }
  const char* name() const override { return "Track path"; }
  const char* key() const override { return "track"; }

  // fitTrackPath with pointCount (0: chosen from the track); never fails.
  Status fit(const PathClip& clip, int pointCount, Notes& notes) override;

  int pointCount() const override { return fit_.path.pointCount(); }
  Point3 point(int k) const override { return fit_.path.point(k); }
  bool setPoint(int k, const Point3& p) override { return fit_.path.setPoint(k, p); }

  Status canChangePointCount() const override { return Status(); }
  // The middle of the segment after the selected point (before it when the
  // last is selected), on the curve: inserting it there changes no place on
  // the path.
  Status insertionAfter(int selected, int& index, Point3& p) const override;
  Status insertPoint(int index, const Point3& p) override;
  // Never below two points.
  Status removePoint(int k) override;

  bool keepsFeetByDefault() const override { return true; }

  bool place(int f, const std::vector<double>& values, FramePlacement& placement) const override;
  Status checkPlacements() const override;
  void setPace(PathPace pace) override { pace_ = pace; }
  PathPace pace() const override { return pace_; }
  bool pacesFrames() const override { return true; }
  // The stride note (strideNote) with timing by points; empty with Keep Pace,
  // which keeps strides as they were.
  std::string timingNote() const override;

  // The whole curve, 32 samples a knot unit.
  std::vector<Point3> samples() const override;
  PathRuns runs() const override;
  bool framePlace(int f, const std::vector<double>& values, Point3& at) const override;
  TrackJoint trackJoint() const override { return fit_.track; }
  double trackExtent() const override { return fit_.trackExtent; }

  // The curve and its fit record.
  const TrackFit& record() const { return fit_; }
  TrackFit& record() { return fit_; }

 private:
  TrackFit fit_;
  PathPace pace_ = PathPace::points;
};
