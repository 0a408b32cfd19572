#include "path/TrackFit.h"

#include <algorithm>
#include <cmath>

#include "motion/BvhMotion.h"
#include "motion/FigureFrame.h"
#include "motion/FrameWords.h"
#include "motion/GroundAxes.h"
#include "motion/TrackJoint.h"

namespace {

// Shares of the hip height that set the rule.
constexpr double stillShare = 0.05;
constexpr double deviationShare = 0.25;
constexpr double spacingShare = 2.0;
constexpr double secondsPerSegment = 2.0;
// Half the smoothing window: half a gait cycle, so the sway of one cycle
// cancels out.
constexpr double smoothingSeconds = 0.5;
constexpr double fallbackFrameTime = 1.0 / 30.0;

struct GroundPoint {
  double x = 0.0;
  double z = 0.0;
};

double distance(const GroundPoint& a, const GroundPoint& b) {
  return std::hypot(a.x - b.x, a.z - b.z);
}

// The track joint's rest height above the lowest joint, with fallbacks for
// skeletons that have no height.
double hipHeightOf(const BvhMotion& motion, int track, UpAxis up) {
  if (motion.skeleton.empty()) return 1.0;
  const RestPoseBox box = restPoseBox(motion.skeleton);
  const Point3 at = track >= 0 ? offsetFromRoot(motion.skeleton, track) : box.low;
  double height = groundFromFile(at, up).y - groundFromFile(box.low, up).y;
  if (!(height > 0.0) || !std::isfinite(height)) height = box.size() / 2.0;
  if (!(height > 0.0) || !std::isfinite(height)) height = 1.0;
  return height;
}

// Diagonal of the box around a ground track: how far it gets about, which
// for a figure standing and swaying stays small however long the clip.
double groundExtent(const std::vector<GroundPoint>& line) {
  GroundPoint low = line.front();
  GroundPoint high = line.front();
  for (const GroundPoint& p : line) {
    low = {std::min(low.x, p.x), std::min(low.z, p.z)};
    high = {std::max(high.x, p.x), std::max(high.z, p.z)};
  }
  return distance(low, high);
}

// Centred moving average; the window narrows symmetrically near the ends, so
// the first and last positions stay where they are.
std::vector<GroundPoint> smoothed(const std::vector<GroundPoint>& track, int halfWindow) {
  const size_t n = track.size();
  std::vector<GroundPoint> sums(n + 1);
  for (size_t i = 0; i < n; ++i) {
    sums[i + 1] = {sums[i].x + track[i].x, sums[i].z + track[i].z};
  }
  std::vector<GroundPoint> out(n);
  for (size_t i = 0; i < n; ++i) {
    const size_t h = std::min({static_cast<size_t>(halfWindow), i, n - 1 - i});
    const double count = static_cast<double>(2 * h + 1);
    out[i] = {(sums[i + h + 1].x - sums[i - h].x) / count,
              (sums[i + h + 1].z - sums[i - h].z) / count};
  }
  out.front() = track.front();
  out.back() = track.back();
  return out;
}

// Cumulative distance along a polyline.
std::vector<double> arcLengths(const std::vector<GroundPoint>& line) {
  std::vector<double> lengths(line.size(), 0.0);
  for (size_t i = 1; i < line.size(); ++i)
    lengths[i] = lengths[i - 1] + distance(line[i - 1], line[i]);
  return lengths;
}

// The point at distance s along a polyline with the given arc lengths.
GroundPoint pointAtLength(const std::vector<GroundPoint>& line, const std::vector<double>& lengths,
                          double s) {
  const size_t j =
      static_cast<size_t>(std::upper_bound(lengths.begin(), lengths.end(), s) - lengths.begin());
  if (j == 0) return line.front();
  if (j >= line.size()) return line.back();
  const double span = lengths[j] - lengths[j - 1];
  const double f = span > 0.0 ? (s - lengths[j - 1]) / span : 0.0;
  return {line[j - 1].x + f * (line[j].x - line[j - 1].x),
          line[j - 1].z + f * (line[j].z - line[j - 1].z)};
}

// Control points at even spacing along the smoothed track, the ends on the
// track's own ends.
TrackCurve pathThrough(const std::vector<GroundPoint>& line, const std::vector<double>& lengths,
                       int count) {
  std::vector<Point3> points;
  const double total = lengths.back();
  for (int k = 0; k < count; ++k) {
    const GroundPoint p = pointAtLength(line, lengths, total * k / (count - 1));
    points.push_back({p.x, 0.0, p.z});
  }
  return TrackCurve(std::move(points));
}

// Parameter on the path that the smoothed track's distance s corresponds to.
double parameterOf(const TrackCurve& path, double s, double total) {
  return total > 0.0 ? s / total * (path.pointCount() - 1) : 0.0;
}

double squaredGroundDistance(const TrackCurve& path, double t, const GroundPoint& p) {
  const Point3 c = path.positionAt(t);
  return (c.x - p.x) * (c.x - p.x) + (c.z - p.z) * (c.z - p.z);
}

// The parameter of the path point nearest p, looked for within half a
// segment of guess: the track can cross itself, and the guess from the
// smoothed track keeps the search on the right pass.
double nearestParameter(const TrackCurve& path, const GroundPoint& p, double guess) {
  const double last = path.pointCount() - 1;
  double low = std::max(0.0, guess - 0.5);
  double high = std::min(last, guess + 0.5);
  constexpr int coarse = 16;
  double best = guess;
  double bestDistance = squaredGroundDistance(path, guess, p);
  const double step = (high - low) / coarse;
  for (int k = 0; k <= coarse; ++k) {
    const double t = low + step * k;
    const double d = squaredGroundDistance(path, t, p);
    if (d < bestDistance) {
      bestDistance = d;
      best = t;
    }
  }
  low = std::max(low, best - step);
  high = std::min(high, best + step);
  for (int k = 0; k < 40; ++k) {
    const double a = low + (high - low) / 3.0;
    const double b = high - (high - low) / 3.0;
    if (squaredGroundDistance(path, a, p) < squaredGroundDistance(path, b, p)) {
      high = b;
    } else {
      low = a;
    }
  }
  const double refined = (low + high) / 2.0;
  return squaredGroundDistance(path, refined, p) <= bestDistance ? refined : best;
}

// How far the smoothed track strays from the path: the largest distance
// from one of its points to the nearest point of the path.
double largestDeviation(const TrackCurve& path, const std::vector<GroundPoint>& line,
                        const std::vector<double>& lengths) {
  // Some dozens of samples per segment are plenty for a track smoothed over
  // a second, and keep long clips cheap.
  const size_t step =
      std::max<size_t>(1, line.size() / (static_cast<size_t>(path.pointCount()) * 32));
  double largest = 0.0;
  for (size_t i = 0; i < line.size(); i += step) {
    const double t = nearestParameter(path, line[i], parameterOf(path, lengths[i], lengths.back()));
    largest = std::max(largest, squaredGroundDistance(path, t, line[i]));
  }
  return std::sqrt(largest);
}

}  // namespace

TrackFit fitTrackPath(const BvhMotion& motion, int pointCount, UpAxis up) {
  return fitTrackPath(motion, findTrackJoint(motion, up), pointCount, up);
}

TrackFit fitTrackPath(const BvhMotion& motion, const TrackJoint& track, int pointCount, UpAxis up) {
  TrackFit fit;
  fit.track = track;
  fit.hipHeight = hipHeightOf(motion, track.joint, up);
  const int frames =
      std::max(0, std::min(motion.frameCount, static_cast<int>(motion.frameLines.size())));
  fit.frames.assign(static_cast<size_t>(frames), TrackFrame{});

  // Frames with a finite position, in order; only they shape the path.
  std::vector<int> used;
  std::vector<GroundPoint> raw;
  for (int i = 0; i < frames; ++i) {
    const char* line = motion.frameLine(i);
    double x = 0.0;
    double z = 0.0;
    if (track.xWord >= 0 && !frameWordValue(line, track.xWord, x)) x = 0.0;
    if (track.zWord >= 0 && !frameWordValue(line, track.zWord, z)) z = 0.0;
    if (!std::isfinite(x) || !std::isfinite(z)) continue;
    used.push_back(i);
    raw.push_back({x, z});
  }
  if (raw.empty()) {
    fit.path = TrackCurve({Point3{}});
    return fit;
  }
  {
    GroundPoint low = raw.front();
    GroundPoint high = raw.front();
    for (const GroundPoint& p : raw) {
      low = {std::min(low.x, p.x), std::min(low.z, p.z)};
      high = {std::max(high.x, p.x), std::max(high.z, p.z)};
    }
    fit.trackExtent = std::max(high.x - low.x, high.z - low.z);
  }

  const double frameTime = motion.frameTime > 0.0 && std::isfinite(motion.frameTime)
                               ? motion.frameTime
                               : fallbackFrameTime;
  const double window = std::min(smoothingSeconds / frameTime, 1e6);
  const std::vector<GroundPoint> line = smoothed(raw, static_cast<int>(std::lround(window)));
  const std::vector<double> lengths = arcLengths(line);
  const double travel = lengths.back();
  const double hip = fit.hipHeight;

  int count = pointCount;
  if (count <= 0) {
    if (!(groundExtent(line) >= stillShare * hip)) {
      count = 1;
    } else {
      const int limit = std::min(TrackCurve::maxPoints, std::max(2, static_cast<int>(raw.size())));
      // A floor by time as well: slow walks still get a point every two
      // seconds to bend.
      const double duration = static_cast<double>(raw.size()) * frameTime;
      const double spaced = std::max(std::ceil(travel / (spacingShare * hip)),
                                     std::ceil(duration / secondsPerSegment)) +
                            1.0;
      count = static_cast<int>(std::clamp(spaced, 2.0, static_cast<double>(limit)));
      while (count < limit && largestDeviation(pathThrough(line, lengths, count), line, lengths) >
                                  deviationShare * hip) {
        count = std::min(limit, count < 12 ? count + 1 : count + count / 4);
      }
    }
  }
  count = std::clamp(count, 1, TrackCurve::maxPoints);
  fit.path = count == 1 ? TrackCurve({Point3{raw.front().x, 0.0, raw.front().z}})
                        : pathThrough(line, lengths, count);

  // The record: each frame's distance along the path and its offset in the
  // path's frame there, measured against the station the placement will use,
  // so that the unedited path gives every position back.
  const TrackCurve& path = fit.path;
  for (size_t j = 0; j < raw.size(); ++j) {
    double distanceAlong = 0.0;
    if (path.pointCount() > 1) {
      const double guess = parameterOf(path, lengths[j], travel);
      distanceAlong = path.distanceAt(nearestParameter(path, raw[j], guess));
    }
    const TrackCurve::Station station = path.stationAt(distanceAlong);
    const double dx = raw[j].x - station.at.x;
    const double dz = raw[j].z - station.at.z;
    TrackFrame& frame = fit.frames[static_cast<size_t>(used[j])];
    frame.onPath = true;
    frame.distance = distanceAlong;
    frame.dirX = station.dirX;
    frame.dirZ = station.dirZ;
    frame.along = dx * station.dirX + dz * station.dirZ;
    frame.side = dx * station.dirZ - dz * station.dirX;
  }
  return fit;
}
