#pragma once

#include "path/ClipPath.h"
#include "path/LoopFit.h"

// The closed loop of four control points fitted to the clip's ground track
// by least squares (fitPath), with the clip running over its first half: the
// path the editor shows at start.
class LoopPath : public ClipPath {
 public:
  const char* name() const override { return "Loop path"; }
  const char* key() const override { return "loop"; }

  // fitPath; also fails when a control point is not finite (positions near
  // the largest number overflow the fit: such a path can be neither drawn
  // nor written).
  Status fit(const PathClip& clip, int pointCount, Notes& notes) override;

  int pointCount() const override { return fit_.path.pointCount(); }
  Point3 point(int k) const override { return fit_.path.point(k); }
  bool setPoint(int k, const Point3& p) override;

  // The loop keeps its four points: every change of count is refused.
  Status canChangePointCount() const override;
  Status insertionAfter(int selected, int& index, Point3& p) const override;
  Status insertPoint(int index, const Point3& p) override;
  Status removePoint(int k) override;

  // framePlacement for the fitted clip's frame count.
  bool place(int f, const std::vector<double>& values, FramePlacement& placement) const override;
  // Parameter 0 to 0.6: the part the clip runs over and a little more.
  std::vector<Point3> samples() const override;
  TrackJoint trackJoint() const override { return fit_.track; }
  double trackExtent() const override;

  // The curve and its fit record.
  const LoopFit& record() const { return fit_; }
  LoopFit& record() { return fit_; }

 private:
  LoopFit fit_;
};
