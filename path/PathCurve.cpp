#include "path/PathCurve.h"

#include <algorithm>

// Written to four decimals on purpose: the curve's shape (and its weights
// summing to 1.0001) is part of what users see and what the fit was tuned on.
const PathCurve::Basis PathCurve::bSplineBasis = {{
    {-0.1667, 0.5, -0.5, 0.1667},
    {0.5, -1.0, 0.5, 0.0},
    {-0.5, 0.0, 0.5, 0.0},
    {0.1667, 0.6667, 0.1667, 0.0},
}};

const PathCurve::Basis PathCurve::catmullRomBasis = {{
    {-0.5, 1.5, -1.5, 0.5},
    {1.0, -2.5, 2.0, -0.5},
    {-0.5, 0.0, 0.5, 0.0},
    {0.0, 1.0, 0.0, 0.0},
}};

namespace {

// The wrap of the closed loop as a fixed table; for n >= 4 it is the index
// modulo n over every index a segment in 0..n can ask for. The final modulo
// only catches what the table leaves outside 0..n-1 (n = 3 at u >= 1), so no
// index ever leaves the points there are.
int wrapIndex(int i, int n) {
  if (i == -1) {
    i = n - 1;
  } else if (i == -2) {
    i = n - 2;
  } else if (i == n) {
    i = 0;
  } else if (i == n + 1) {
    i = 1;
  } else if (i == n + 2) {
    i = 2;
  } else if (i == n + 3) {
    i = 3;
  }
  if (i < 0 || i >= n) i = ((i % n) + n) % n;
  return i;
}

struct Segment {
  int seg;
  double t;
};

// The boundary is accumulated by repeated addition, not computed as k/n: the
// rounding of that sum decides which segment a boundary parameter falls in.
// Positions take a boundary into the later segment, derivatives into the
// earlier one. The counter stops one past the last segment so that u >= 1,
// huge u or NaN can neither loop forever nor index beyond the points.
Segment findSegment(double u, int n, bool boundaryToLater) {
  const double step = 1.0 / n;
  double s = step;
  int k = 1;
  if (boundaryToLater) {
    while (k <= n && s <= u) {
      ++k;
      s += step;
    }
  } else {
    while (k <= n && s < u) {
      ++k;
      s += step;
    }
  }
  const int seg = k - 1;
  const double u0 = static_cast<double>(seg) / n;
  const double u1 = static_cast<double>(seg + 1) / n;
  const double t = u / (u1 - u0) - u0 / (u1 - u0);
  return {seg, t};
}

// Sum of the weights times the four points of the segment, one coordinate
// at a time in the same order, so each coordinate rounds as if alone.
Point3 blend(const std::vector<Point3>& points, int seg, const double (&weights)[4]) {
  const int n = static_cast<int>(points.size());
  Point3 sum{0.0, 0.0, 0.0};
  for (int c = 0; c < 4; ++c) {
    const Point3& p = points[static_cast<size_t>(wrapIndex(seg + c, n))];
    sum.x += weights[c] * p.x;
    sum.y += weights[c] * p.y;
    sum.z += weights[c] * p.z;
  }
  return sum;
}

}  // namespace

Point3 PathCurve::point(int k) const {
  if (k < 0 || k >= pointCount()) return Point3{};
  return points_[static_cast<size_t>(k)];
}

bool PathCurve::setPoint(int k, const Point3& p) {
  if (k < 0 || k > pointCount() || k >= maxPoints) return false;
  if (k == pointCount()) {
    points_.push_back(p);
  } else {
    points_[static_cast<size_t>(k)] = p;
  }
  return true;
}

Point3 PathCurve::positionAt(double u) const {
  const int n = pointCount();
  if (n < 3) return Point3{};
  const Segment segment = findSegment(u, n, true);
  const double t = segment.t;
  double weights[4];
  for (int c = 0; c < 4; ++c) {
    weights[c] = t * t * t * basis_[0][c] + t * t * basis_[1][c] + t * basis_[2][c] + basis_[3][c];
  }
  return blend(points_, segment.seg, weights);
}

bool PathCurve::forwardAt(double u, Point3& out) const {
  const int n = pointCount();
  if (n < 3) return false;
  const Segment segment = findSegment(u, n, false);
  const double t = segment.t;
  double weights[4];
  for (int c = 0; c < 4; ++c) {
    weights[c] = 3.0 * t * t * basis_[0][c] + 2.0 * t * basis_[1][c] + basis_[2][c];
  }
  out = blend(points_, segment.seg, weights);
  return true;
}

double PathCurve::framePathParameter(int i, int N) {
  if (N <= 0) return 0.0;
  return static_cast<double>(i) / N / 2.0;
}
