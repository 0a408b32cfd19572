#include "path/TrackCurve.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace {

// Fine enough that the polyline's length is within a small fraction of a
// percent of the curve's for the bends a walk makes. Per knot unit, so that
// the halves of a split segment are sampled where the whole was.
constexpr int samplesPerKnot = 32;

Point3 add(const Point3& a, const Point3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Point3 subtract(const Point3& a, const Point3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Point3 scale(const Point3& a, double s) { return {a.x * s, a.y * s, a.z * s}; }

// The cubic Hermite blend of one segment and its derivatives with respect
// to the local parameter u, for end points p0, p1 and end tangents m0, m1
// (already scaled by the segment's span).
struct Segment {
  Point3 p0, m0, p1, m1;

  Point3 at(double u) const {
    const double u2 = u * u;
    const double u3 = u2 * u;
    return add(add(scale(p0, 2.0 * u3 - 3.0 * u2 + 1.0), scale(m0, u3 - 2.0 * u2 + u)),
               add(scale(p1, -2.0 * u3 + 3.0 * u2), scale(m1, u3 - u2)));
  }
  Point3 first(double u) const {
    const double u2 = u * u;
    return add(add(scale(p0, 6.0 * u2 - 6.0 * u), scale(m0, 3.0 * u2 - 4.0 * u + 1.0)),
               add(scale(p1, -6.0 * u2 + 6.0 * u), scale(m1, 3.0 * u2 - 2.0 * u)));
  }
  Point3 second(double u) const {
    return add(add(scale(p0, 12.0 * u - 6.0), scale(m0, 6.0 * u - 4.0)),
               add(scale(p1, -12.0 * u + 6.0), scale(m1, 6.0 * u - 2.0)));
  }
};

double largestMagnitude(const Point3& p) {
  return std::max({std::fabs(p.x), std::fabs(p.y), std::fabs(p.z)});
}

}  // namespace

double TrackCurve::groundLength(double x, double z) {
  // hypot alone costs as much as the rest of a placement.
  const double length = std::sqrt(x * x + z * z);
  return std::isfinite(length) && length > 1e-150 ? length : std::hypot(x, z);
}

TrackCurve::TrackCurve(std::vector<Point3> points) : points_(std::move(points)) {
  if (points_.size() > static_cast<size_t>(maxPoints)) points_.resize(maxPoints);
  for (size_t k = 0; k < points_.size(); ++k) knots_.push_back(static_cast<double>(k));
  corrections_.assign(points_.size(), Point3{});
  updateTangents();
  measure();
}

Point3 TrackCurve::point(int k) const {
  if (k < 0 || k >= pointCount()) return Point3{};
  return points_[static_cast<size_t>(k)];
}

double TrackCurve::knot(int k) const {
  if (k < 0 || k >= pointCount()) return 0.0;
  return knots_[static_cast<size_t>(k)];
}

bool TrackCurve::setPoint(int k, const Point3& p) {
  if (k < 0 || k >= pointCount()) return false;
  points_[static_cast<size_t>(k)] = p;
  updateTangents();
  measure();
  return true;
}

bool TrackCurve::insertPoint(int index, const Point3& p) {
  const int n = pointCount();
  if (index < 0 || index > n || n >= maxPoints) return false;
  double at = 0.0;
  Point3 tangent;
  if (n > 0 && index == 0) {
    at = firstKnot() - 1.0;
  } else if (n > 0 && index == n) {
    at = lastKnot() + 1.0;
  } else if (n > 0) {
    at = middleKnot(index - 1);
    if (!(at > knot(index - 1) && at < knot(index))) return false;
    tangent = derivativeAt(at);
  }
  // The neighbours' tangents as they were, so that their other segments
  // stay as they are.
  std::vector<std::pair<int, Point3>> kept;
  if (index > 0) kept.push_back({index - 1, tangents_[static_cast<size_t>(index - 1)]});
  if (index < n) kept.push_back({index + 1, tangents_[static_cast<size_t>(index)]});
  points_.insert(points_.begin() + index, p);
  knots_.insert(knots_.begin() + index, at);
  corrections_.insert(corrections_.begin() + index, Point3{});
  updateTangents();
  if (index > 0 && index < n) keepTangent(index, tangent);
  for (const auto& [k, t] : kept) keepTangent(k, t);
  updateTangents();
  measure();
  return true;
}

bool TrackCurve::removePoint(int k) {
  const int n = pointCount();
  if (k < 0 || k >= n) return false;
  std::vector<std::pair<int, Point3>> kept;
  if (k > 0) kept.push_back({k - 1, tangents_[static_cast<size_t>(k - 1)]});
  if (k + 1 < n) kept.push_back({k, tangents_[static_cast<size_t>(k + 1)]});
  points_.erase(points_.begin() + k);
  knots_.erase(knots_.begin() + k);
  corrections_.erase(corrections_.begin() + k);
  updateTangents();
  for (const auto& [i, t] : kept) keepTangent(i, t);
  updateTangents();
  measure();
  return true;
}

Point3 TrackCurve::slopeAt(int k) const {
  const int n = pointCount();
  if (n < 2) return Point3{};
  const auto p = [this](int i) { return points_[static_cast<size_t>(i)]; };
  const auto t = [this](int i) { return knots_[static_cast<size_t>(i)]; };
  // The ends take the chord to their neighbour: the slope a reflected
  // neighbour beyond them would give.
  if (k == 0) return scale(subtract(p(1), p(0)), 1.0 / (t(1) - t(0)));
  if (k == n - 1) return scale(subtract(p(n - 1), p(n - 2)), 1.0 / (t(n - 1) - t(n - 2)));
  const double before = t(k) - t(k - 1);
  const double after = t(k + 1) - t(k);
  return scale(add(scale(subtract(p(k), p(k - 1)), after / before),
                   scale(subtract(p(k + 1), p(k)), before / after)),
               1.0 / (before + after));
}

void TrackCurve::updateTangents() {
  tangents_.resize(points_.size());
  for (int k = 0; k < pointCount(); ++k) {
    tangents_[static_cast<size_t>(k)] = add(slopeAt(k), corrections_[static_cast<size_t>(k)]);
  }
}

void TrackCurve::keepTangent(int k, const Point3& tangent) {
  corrections_[static_cast<size_t>(k)] =
      pointCount() < 2 ? Point3{} : subtract(tangent, slopeAt(k));
}

double TrackCurve::clampKnot(double t) const {
  if (points_.empty()) return 0.0;
  if (!(t > firstKnot())) return firstKnot();  // also NaN
  return std::min(t, lastKnot());
}

int TrackCurve::segmentOf(double t, double& local) const {
  const int last = pointCount() - 2;
  // Knots one apart, as a fitted path has them, give the segment at once.
  // (t lies within the knots, so truncation is the floor.)
  const double from = t - knots_[0];
  int seg = from < static_cast<double>(last) ? static_cast<int>(from) : last;
  const auto at = [this](int k) { return knots_[static_cast<size_t>(k)]; };
  if (!(at(seg) <= t && (t < at(seg + 1) || seg == last))) {
    seg = static_cast<int>(std::upper_bound(knots_.begin(), knots_.end(), t) - knots_.begin()) - 1;
    seg = std::clamp(seg, 0, last);
  }
  const double span = knots_[static_cast<size_t>(seg + 1)] - knots_[static_cast<size_t>(seg)];
  local = (t - knots_[static_cast<size_t>(seg)]) / span;
  return seg;
}

namespace {

// Segment seg of a curve with these points, knots and tangents, its
// tangents scaled by its span so that u runs over [0, 1].
Segment segmentAt(const std::vector<Point3>& p, const std::vector<double>& knots,
                  const std::vector<Point3>& tangents, int seg, double& span) {
  const size_t a = static_cast<size_t>(seg);
  span = knots[a + 1] - knots[a];
  return Segment{p[a], scale(tangents[a], span), p[a + 1], scale(tangents[a + 1], span)};
}

}  // namespace

Point3 TrackCurve::positionAt(double t) const {
  const int n = pointCount();
  if (n == 0) return Point3{};
  if (n == 1) return points_[0];
  double u = 0.0;
  double span = 0.0;
  const int seg = segmentOf(clampKnot(t), u);
  return segmentAt(points_, knots_, tangents_, seg, span).at(u);
}

Point3 TrackCurve::derivativeAt(double t) const {
  Point3 position, first, second;
  evaluate(t, position, first, second);
  return first;
}

Point3 TrackCurve::secondDerivativeAt(double t) const {
  Point3 position, first, second;
  evaluate(t, position, first, second);
  return second;
}

void TrackCurve::evaluate(double t, Point3& position, Point3& first, Point3& second) const {
  const int n = pointCount();
  first = second = Point3{};
  if (n < 2) {
    position = n == 1 ? points_[0] : Point3{};
    return;
  }
  double u = 0.0;
  double span = 0.0;
  const int seg = segmentOf(clampKnot(t), u);
  const Segment s = segmentAt(points_, knots_, tangents_, seg, span);
  position = s.at(u);
  first = scale(s.first(u), 1.0 / span);
  second = scale(s.second(u), 1.0 / (span * span));
}

void TrackCurve::measure() {
  lengths_.clear();
  sampleKnots_.clear();
  const int n = pointCount();
  if (n < 2) return;
  lengths_.push_back(0.0);
  sampleKnots_.push_back(knots_[0]);
  Point3 previous = points_[0];
  for (int seg = 0; seg + 1 < n; ++seg) {
    double span = 0.0;
    const Segment s = segmentAt(points_, knots_, tangents_, seg, span);
    const long count = std::max(1L, std::lround(std::min(span, 1e6) * samplesPerKnot));
    for (long i = 1; i <= count; ++i) {
      const double u = i == count ? 1.0 : static_cast<double>(i) / static_cast<double>(count);
      const Point3 p = s.at(u);
      lengths_.push_back(lengths_.back() + groundLength(p.x - previous.x, p.z - previous.z));
      sampleKnots_.push_back(i == count ? knots_[static_cast<size_t>(seg + 1)]
                                        : knots_[static_cast<size_t>(seg)] + span * u);
      previous = p;
    }
  }
}

double TrackCurve::distanceAt(double t) const {
  if (lengths_.size() < 2) return 0.0;
  const double at = clampKnot(t);
  const size_t j = std::min(
      static_cast<size_t>(std::max<std::ptrdiff_t>(
          std::upper_bound(sampleKnots_.begin(), sampleKnots_.end(), at) - sampleKnots_.begin() - 1,
          0)),
      lengths_.size() - 2);
  const double fraction = (at - sampleKnots_[j]) / (sampleKnots_[j + 1] - sampleKnots_[j]);
  return lengths_[j] + fraction * (lengths_[j + 1] - lengths_[j]);
}

TrackCurve::Station TrackCurve::stationAtKnot(double t) const {
  Station station;
  const int n = pointCount();
  if (n == 0) return station;
  if (n == 1) {
    station.at = points_[0];
    return station;
  }
  Point3 d;
  Point3 unused;
  evaluate(t, station.at, d, unused);
  double size = groundLength(d.x, d.z);
  if (!(size > 0.0)) {
    // A cusp where two points meet: the chord of the neighbouring samples.
    const double step = 1.0 / samplesPerKnot;
    const Point3 a = positionAt(t - step);
    const Point3 b = positionAt(t + step);
    d = {b.x - a.x, 0.0, b.z - a.z};
    size = groundLength(d.x, d.z);
  }
  if (size > 0.0 && std::isfinite(size)) {
    station.dirX = d.x / size;
    station.dirZ = d.z / size;
    station.hasDirection = true;
  }
  return station;
}

TrackCurve::Station TrackCurve::stationAt(double s) const {
  const int n = pointCount();
  if (n == 0) return Station{};
  if (n == 1 || !(length() > 0.0)) {
    Station station;
    station.at = points_[0];
    return station;
  }
  const double total = length();
  double t = firstKnot();
  double beyond = 0.0;
  if (!(s > 0.0)) {
    beyond = std::isfinite(s) ? s : 0.0;
  } else if (s >= total) {
    t = lastKnot();
    beyond = std::isfinite(s) ? s - total : 0.0;
  } else {
    // The sample interval holding s; the knot is interpolated linearly in
    // it, the inverse of distanceAt.
    const size_t j = static_cast<size_t>(std::upper_bound(lengths_.begin(), lengths_.end(), s) -
                                         lengths_.begin() - 1);
    const double span = lengths_[j + 1] - lengths_[j];
    const double fraction = span > 0.0 ? (s - lengths_[j]) / span : 0.0;
    t = sampleKnots_[j] + fraction * (sampleKnots_[j + 1] - sampleKnots_[j]);
  }
  Station station = stationAtKnot(t);
  station.at.x += beyond * station.dirX;
  station.at.z += beyond * station.dirZ;
  return station;
}

double TrackCurve::reach() const {
  double largest = 0.0;
  const auto take = [&largest](const Point3& p) {
    const double m = largestMagnitude(p);
    largest = std::isfinite(m) ? std::max(largest, m) : std::numeric_limits<double>::infinity();
  };
  for (const Point3& p : points_) take(p);
  for (int seg = 0; seg + 1 < pointCount(); ++seg) {
    double span = 0.0;
    const Segment s = segmentAt(points_, knots_, tangents_, seg, span);
    take(add(s.p0, scale(s.m0, 1.0 / 3.0)));
    take(subtract(s.p1, scale(s.m1, 1.0 / 3.0)));
  }
  for (double length : lengths_) {
    if (!std::isfinite(length)) return std::numeric_limits<double>::infinity();
  }
  return largest;
}
