#pragma once

#include <array>
#include <vector>

#include "base/Point3.h"

// The closed cubic path of a clip's ground track: control points blended four
// at a time by a 4x4 basis matrix, wrapping from the last point to the first.
// A plain value: no selection, no fit record. Headless; no operation prints.
class PathCurve {
 public:
  static constexpr int maxPoints = 1000;

  // Row by row (basis[r][c]): row 0 weighs t^3, row 3 the constant.
  using Basis = std::array<std::array<double, 4>, 4>;
  // Coefficients written to four decimals (0.1667, 0.6667): weights sum to 1.0001.
  static const Basis bSplineBasis;
  static const Basis catmullRomBasis;

  // No points, B-spline basis.
  PathCurve() = default;

  int pointCount() const { return static_cast<int>(points_.size()); }
  const std::vector<Point3>& points() const { return points_; }
  // Point k, or a zero point when there is none.
  Point3 point(int k) const;
  // Replaces point k, or appends it when k is pointCount (up to maxPoints).
  // False, nothing changed, for any other index.
  bool setPoint(int k, const Point3& p);

  const Basis& basis() const { return basis_; }
  void setBasis(const Basis& basis) { basis_ = basis; }

  // Position at the global parameter u in [0, 1); zero with fewer than three
  // points. Segment boundaries are accumulated sums of 1/n: a boundary
  // parameter belongs to the later segment (t = 0). Any other u (beyond 1,
  // negative, NaN) still reads only the points there are.
  Point3 positionAt(double u) const;
  // Derivative with respect to the local segment parameter at u (a boundary
  // belongs to the earlier segment, t = 1). False, out unchanged, with fewer
  // than three points.
  bool forwardAt(double u, Point3& out) const;

  // Frame i of N lies at u = i / N / 2 on the curve.
  static double framePathParameter(int i, int N);

 private:
  std::vector<Point3> points_;
  Basis basis_ = bSplineBasis;
};
