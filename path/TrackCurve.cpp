#include "path/TrackCurve.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// Fine enough that the polyline's length is within a small fraction of a
// percent of the curve's for the bends a walk makes.
constexpr int samplesPerSegment = 32;

Point3 add(const Point3& a, const Point3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Point3 scale(const Point3& a, double s) { return {a.x * s, a.y * s, a.z * s}; }

double groundLength(double x, double z) { return std::hypot(x, z); }

// The four points segment seg blends; the ends are reflected, so the curve
// leaves the first point towards the second and reaches the last from the
// one before it.
void segmentPoints(const std::vector<Point3>& p, int seg, Point3 out[4]) {
  const int n = static_cast<int>(p.size());
  for (int c = 0; c < 4; ++c) {
    const int i = seg - 1 + c;
    if (i < 0) {
      out[c] = add(scale(p[0], 2.0), scale(p[1], -1.0));
    } else if (i >= n) {
      out[c] = add(scale(p[static_cast<size_t>(n - 1)], 2.0),
                   scale(p[static_cast<size_t>(n - 2)], -1.0));
    } else {
      out[c] = p[static_cast<size_t>(i)];
    }
  }
}

// Segment and local parameter of t (already clamped); the last point belongs
// to the last segment at 1.
int segmentOf(int n, double t, double& local) {
  int seg = static_cast<int>(std::floor(t));
  if (seg > n - 2) seg = n - 2;
  local = t - seg;
  return seg;
}

}  // namespace

TrackCurve::TrackCurve(std::vector<Point3> points) : points_(std::move(points)) {
  if (points_.size() > static_cast<size_t>(maxPoints)) points_.resize(maxPoints);
  measure();
}

Point3 TrackCurve::point(int k) const {
  if (k < 0 || k >= pointCount()) return Point3{};
  return points_[static_cast<size_t>(k)];
}

bool TrackCurve::setPoint(int k, const Point3& p) {
  if (k < 0 || k >= pointCount()) return false;
  points_[static_cast<size_t>(k)] = p;
  measure();
  return true;
}

bool TrackCurve::insertPoint(int index, const Point3& p) {
  if (index < 0 || index > pointCount() || pointCount() >= maxPoints) return false;
  points_.insert(points_.begin() + index, p);
  measure();
  return true;
}

bool TrackCurve::removePoint(int k) {
  if (k < 0 || k >= pointCount()) return false;
  points_.erase(points_.begin() + k);
  measure();
  return true;
}

double TrackCurve::clampParameter(double t) const {
  const double last = static_cast<double>(std::max(pointCount() - 1, 0));
  if (!(t > 0.0)) return 0.0;  // also NaN
  return std::min(t, last);
}

Point3 TrackCurve::positionAt(double t) const {
  const int n = pointCount();
  if (n == 0) return Point3{};
  if (n == 1) return points_[0];
  double u = 0.0;
  const int seg = segmentOf(n, clampParameter(t), u);
  Point3 q[4];
  segmentPoints(points_, seg, q);
  // Catmull-Rom weights.
  const double u2 = u * u;
  const double u3 = u2 * u;
  const double w[4] = {-0.5 * u3 + u2 - 0.5 * u, 1.5 * u3 - 2.5 * u2 + 1.0,
                       -1.5 * u3 + 2.0 * u2 + 0.5 * u, 0.5 * u3 - 0.5 * u2};
  Point3 sum;
  for (int c = 0; c < 4; ++c) sum = add(sum, scale(q[c], w[c]));
  return sum;
}

Point3 TrackCurve::derivativeAt(double t) const {
  const int n = pointCount();
  if (n < 2) return Point3{};
  double u = 0.0;
  const int seg = segmentOf(n, clampParameter(t), u);
  Point3 q[4];
  segmentPoints(points_, seg, q);
  const double u2 = u * u;
  const double w[4] = {-1.5 * u2 + 2.0 * u - 0.5, 4.5 * u2 - 5.0 * u, -4.5 * u2 + 4.0 * u + 0.5,
                       1.5 * u2 - u};
  Point3 sum;
  for (int c = 0; c < 4; ++c) sum = add(sum, scale(q[c], w[c]));
  return sum;
}

void TrackCurve::measure() {
  lengths_.clear();
  const int n = pointCount();
  if (n < 2) return;
  const int samples = (n - 1) * samplesPerSegment;
  lengths_.reserve(static_cast<size_t>(samples) + 1);
  lengths_.push_back(0.0);
  Point3 previous = positionAt(0.0);
  for (int j = 1; j <= samples; ++j) {
    const Point3 p = positionAt(static_cast<double>(j) / samplesPerSegment);
    lengths_.push_back(lengths_.back() + groundLength(p.x - previous.x, p.z - previous.z));
    previous = p;
  }
}

double TrackCurve::distanceAt(double t) const {
  if (lengths_.size() < 2) return 0.0;
  const double scaled = clampParameter(t) * samplesPerSegment;
  const size_t j = std::min(static_cast<size_t>(scaled), lengths_.size() - 2);
  const double fraction = scaled - static_cast<double>(j);
  return lengths_[j] + fraction * (lengths_[j + 1] - lengths_[j]);
}

TrackCurve::Station TrackCurve::stationAt(double s) const {
  Station station;
  const int n = pointCount();
  if (n == 0) return station;
  if (n == 1 || !(length() > 0.0)) {
    station.at = points_[0];
    return station;
  }
  const double total = length();
  double t = 0.0;
  double beyond = 0.0;
  if (!(s > 0.0)) {
    beyond = std::isfinite(s) ? s : 0.0;
  } else if (s >= total) {
    t = n - 1;
    beyond = std::isfinite(s) ? s - total : 0.0;
  } else {
    // The sample interval holding s; the parameter is interpolated linearly
    // in it, the inverse of distanceAt.
    const size_t j = static_cast<size_t>(std::upper_bound(lengths_.begin(), lengths_.end(), s) -
                                         lengths_.begin() - 1);
    const double span = lengths_[j + 1] - lengths_[j];
    const double fraction = span > 0.0 ? (s - lengths_[j]) / span : 0.0;
    t = (static_cast<double>(j) + fraction) / samplesPerSegment;
  }
  station.at = positionAt(t);
  Point3 d = derivativeAt(t);
  double size = groundLength(d.x, d.z);
  if (!(size > 0.0)) {
    // A cusp where two points meet: the chord of the neighbouring samples.
    const Point3 a = positionAt(t - 1.0 / samplesPerSegment);
    const Point3 b = positionAt(t + 1.0 / samplesPerSegment);
    d = {b.x - a.x, 0.0, b.z - a.z};
    size = groundLength(d.x, d.z);
  }
  if (size > 0.0) {
    station.dirX = d.x / size;
    station.dirZ = d.z / size;
    station.hasDirection = true;
  }
  station.at.x += beyond * station.dirX;
  station.at.z += beyond * station.dirZ;
  return station;
}
