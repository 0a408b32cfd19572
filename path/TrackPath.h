#pragma once

#include "path/ClipPath.h"
#include "path/TrackFit.h"

// The open path from the clip's first frame to its last, with its control
// points on the ground track smoothed over a second (fitTrackPath); frames
// keep their distance along it (trackPlacement). Points can be inserted and
// removed, down to two.
class TrackPath : public ClipPath {
 public:
  const char* name() const override { return "Track path"; }
  const char* key() const override { return "track"; }

  // fitTrackPath with pointCount (0: chosen from the track); never fails.
  Status fit(const PathClip& clip, int pointCount, Notes& notes) override;

  int pointCount() const override { return fit_.path.pointCount(); }
  Point3 point(int k) const override { return fit_.path.point(k); }
  bool setPoint(int k, const Point3& p) override { return fit_.path.setPoint(k, p); }

  Status canChangePointCount() const override { return Status(); }
  // The middle of the segment after the selected point (before it when the
  // last is selected).
  Status insertionAfter(int selected, int& index, Point3& p) const override;
  Status insertPoint(int index, const Point3& p) override;
  // Never below two points.
  Status removePoint(int k) override;

  bool place(int f, const std::vector<double>& values, FramePlacement& placement) const override;
  // The whole curve, 32 samples a segment.
  std::vector<Point3> samples() const override;
  TrackJoint trackJoint() const override { return fit_.track; }
  double trackExtent() const override { return fit_.trackExtent; }

  // The curve and its fit record.
  const TrackFit& record() const { return fit_; }
  TrackFit& record() { return fit_; }

 private:
  TrackFit fit_;
};
