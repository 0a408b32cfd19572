#pragma once

#include <memory>
#include <vector>

#include "base/Point3.h"
#include "path/CurveChannel.h"

// The closed cubic path of a clip's root, with the record the fit leaves for
// carrying frames along it. Misuse prints a message to standard output and
// changes nothing.

class PathCurve {
 public:
  static constexpr int maxPoints = CurveChannel::maxValues;

  PathCurve();
  virtual ~PathCurve();
  PathCurve(const PathCurve&) = delete;
  PathCurve& operator=(const PathCurve&) = delete;

  // Accepted for index 0 or when index - 1 is set; otherwise prints
  // "You must set point %d before you can set %d". An index outside 0..999
  // is ignored without a message.
  void setPoint(const Point3& p, int index);
  // Leaves out unchanged and prints "Error:  The %d control point was not set"
  // when index is not set (any index outside 0..999 counts as not set).
  void getPoint(int index, Point3& out) const;
  int pointCount() const;

  // Curve position at u; zeros with fewer than three points.
  void positionAt(double u, Point3& out) const;
  // Curve derivative at u; with fewer than three points prints a message and
  // leaves out unchanged.
  void forwardAt(double u, Point3& out) const;

  // Selects index (-1: none); a non-negative index is read with getPoint, so
  // an unset one prints its message. The index is kept either way.
  void selectPoint(int index);
  int selectedPoint() const;

  void useCatmullRomBasis();
  void useBSplineBasis();

  // New channels (default basis, no values), no points, no selection. The fit
  // record stays until the next fit replaces it.
  void reset();

  // Frame i of N lies at u = i / N / 2 on the curve.
  static double framePathParameter(int i, int N);

  // Ground position (x, z) of frame i of a clip of N frames carried along the
  // curve: the curve point at the frame's parameter plus the root's recorded
  // offset. Returns false and leaves x and z unchanged when frame i has no
  // entry in the fit record (or N <= 0), so callers pre-fill the clip's own values.
  bool pathGroundPosition(int i, int N, double& x, double& z) const;

  // Turn, in degrees about the vertical axis, from the curve's direction at
  // fit time to its present direction at frame i; 0 without a record entry
  // or when either direction is a zero vector.
  double pathHeadingDegrees(int i, int N) const;

  std::unique_ptr<CurveChannel> x;
  std::unique_ptr<CurveChannel> y;
  std::unique_ptr<CurveChannel> z;
  int controlSet[maxPoints];
  int lastSetIndex = -1;
  int selectedIndex = -1;

  // Fit record: one entry per frame of the fitted clip, plus the bounds of the
  // track joint's positions and the track joint itself (the joint of the
  // fitted clip whose ground track the path follows, by its index in the
  // clip's skeleton; -1 before a fit).
  // Written only by fitPath.
  std::vector<double> rootOffsetX;
  std::vector<double> rootOffsetZ;
  std::vector<double> fitForwardX;
  std::vector<double> fitForwardZ;
  Point3 boundsMax;
  Point3 boundsMin;
  int trackJoint = -1;
};
