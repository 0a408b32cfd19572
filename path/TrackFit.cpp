#include "path/TrackFit.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>

#include "motion/BvhMotion.h"
#include "motion/TrackJoint.h"
#include "path/LoopFit.h"
#include "path/TrackNearest.h"
#include "path/TrackPlacement.h"

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
// Samples of the smoothed track kept for choosing and placing the points:
// every sample of a track up to this long, evenly spaced ones of a longer.
constexpr size_t kLineSamples = 1 << 17;

struct GroundPoint {
  double x = 0.0;
  double z = 0.0;
};

double distance(const GroundPoint& a, const GroundPoint& b) {
  return std::hypot(a.x - b.x, a.z - b.z);
}

// The smoothed track as kept: some of its points, each with its exact
// distance along the whole smoothed track, always the first and the last.
struct SampledLine {
  std::vector<GroundPoint> points;
  std::vector<double> lengths;
  double travel() const { return lengths.empty() ? 0.0 : lengths.back(); }
};

// What one pass over the smoothed track gathers.
struct TrackSummary {
  SampledLine line;
  // Box of the smoothed track.
  GroundPoint low;
  GroundPoint high;
  // Box and largest magnitude of the finite positions.
  GroundPoint rawLow;
  GroundPoint rawHigh;
  double rawReach = 0.0;
  GroundPoint first;
  size_t count = 0;
};

// The centred moving average of a stream of positions, the window narrowing
// symmetrically near the ends so that the first and last positions stay
// where they are; handed on in order, each with its frame, to sink(frame,
// point). Holds a window of running sums, never the whole track. The sums
// run from the first position on, as one array of them would, so the
// average is the same to the last bit.
template <typename Sink>
class MovingAverage {
 public:
  MovingAverage(size_t half, Sink& sink) : half_(half), room_(2 * half + 3), sink_(sink) {}

  void add(int frame, const GroundPoint& p) {
    if (count_ == 0) {
      first_ = p;
      store(0, {0.0, 0.0}, -1);
    }
    last_ = p;
    const GroundPoint sum = sums_[count_ % room_];
    store(count_ + 1, {sum.x + p.x, sum.z + p.z}, frame);
    ++count_;
    // Position i has its whole window once position i + half is in; the
    // latest one waits for finish, which knows whether it is the last.
    if (count_ >= half_ + 2) emit(count_ - 2 - half_);
  }

  // Hands on the positions still held, whose window narrows at the end.
  void finish() {
    const size_t n = count_;
    for (size_t i = n > half_ + 1 ? n - 1 - half_ : 0; i < n; ++i) emit(i);
  }

 private:
  // Sum k (of the first k positions) and the frame of position k - 1.
  void store(size_t k, const GroundPoint& sum, int frame) {
    if (sums_.size() < room_) {
      sums_.push_back(sum);
      frames_.push_back(frame);
      return;
    }
    sums_[k % room_] = sum;
    frames_[k % room_] = frame;
  }

  void emit(size_t i) {
    const size_t w = std::min({half_, i, count_ - 1 - i});
    const GroundPoint& high = sums_[(i + w + 1) % room_];
    const GroundPoint& low = sums_[(i - w) % room_];
    const double count = static_cast<double>(2 * w + 1);
    GroundPoint out{(high.x - low.x) / count, (high.z - low.z) / count};
    if (i == 0) out = first_;
    if (i + 1 == count_) out = last_;
    sink_(frames_[(i + 1) % room_], out);
  }

  size_t half_;
  size_t room_;
  Sink& sink_;
  std::vector<GroundPoint> sums_;
  std::vector<int> frames_;
  size_t count_ = 0;
  GroundPoint first_;
  GroundPoint last_;
};

// Reads the finite track positions in order, smooths them and sums up the
// smoothed track: its box, its length, the samples kept (every stride-th and
// the last), and in guesses (one entry per record step of frames) the
// distance along it of every step-th frame.
TrackSummary summarise(const BvhMotion& motion, const TrackJoint& track, int frames,
                       size_t halfWindow, std::vector<float>& guesses) {
  TrackSummary s;
  const size_t stride =
      std::max<size_t>(1, (static_cast<size_t>(frames) + kLineSamples - 1) / kLineSamples);
  size_t index = 0;
  GroundPoint previous;
  double travelled = 0.0;
  GroundPoint latest;
  double latestLength = 0.0;
  auto sink = [&](int frame, const GroundPoint& p) {
    if (index > 0) travelled += distance(previous, p);
    if (index == 0) s.low = s.high = p;
    s.low = {std::min(s.low.x, p.x), std::min(s.low.z, p.z)};
    s.high = {std::max(s.high.x, p.x), std::max(s.high.z, p.z)};
    if (index % stride == 0) {
      s.line.points.push_back(p);
      s.line.lengths.push_back(travelled);
    }
    if (frame % TrackRecord::step == 0) {
      guesses[static_cast<size_t>(frame / TrackRecord::step)] =
          static_cast<float>(std::min(travelled, static_cast<double>(FLT_MAX)));
    }
    latest = p;
    latestLength = travelled;
    previous = p;
    ++index;
  };
  MovingAverage<decltype(sink)> average(halfWindow, sink);
  PackedTextList::const_iterator lines = motion.frameLines.begin();
  for (int f = 0; f < frames; ++f, ++lines) {
    const Point3 p = readTrackPosition(*lines, track);
    if (!std::isfinite(p.x) || !std::isfinite(p.z)) continue;
    if (s.count == 0) {
      s.first = {p.x, p.z};
      s.rawLow = s.rawHigh = s.first;
    }
    ++s.count;
    s.rawLow = {std::min(s.rawLow.x, p.x), std::min(s.rawLow.z, p.z)};
    s.rawHigh = {std::max(s.rawHigh.x, p.x), std::max(s.rawHigh.z, p.z)};
    s.rawReach = std::max({s.rawReach, std::fabs(p.x), std::fabs(p.z)});
    average.add(f, {p.x, p.z});
  }
  average.finish();
  if (index > 0 && (index - 1) % stride != 0) {
    s.line.points.push_back(latest);
    s.line.lengths.push_back(latestLength);
  }
  return s;
}

// The point at distance s along a sampled line.
GroundPoint pointAtLength(const SampledLine& line, double s) {
  const std::vector<double>& lengths = line.lengths;
  const size_t j =
      static_cast<size_t>(std::upper_bound(lengths.begin(), lengths.end(), s) - lengths.begin());
  if (j == 0) return line.points.front();
  if (j >= line.points.size()) return line.points.back();
  const double span = lengths[j] - lengths[j - 1];
  const double f = span > 0.0 ? (s - lengths[j - 1]) / span : 0.0;
  const GroundPoint& a = line.points[j - 1];
  const GroundPoint& b = line.points[j];
  return {a.x + f * (b.x - a.x), a.z + f * (b.z - a.z)};
}

// Control points at even spacing along the smoothed track, the ends on the
// track's own ends.
TrackCurve pathThrough(const SampledLine& line, int count) {
  std::vector<Point3> points;
  const double total = line.travel();
  for (int k = 0; k < count; ++k) {
    const GroundPoint p = pointAtLength(line, total * k / (count - 1));
    points.push_back({p.x, 0.0, p.z});
  }
  return TrackCurve(std::move(points));
}

// Knot on the path that the smoothed track's distance s corresponds to.
double knotOf(const TrackCurve& path, double s, double total) {
  return total > 0.0 ? s / total * (path.pointCount() - 1) : 0.0;
}

// How far the smoothed track strays from the path: the largest distance
// from one of its points to the nearest point of the path.
double largestDeviation(const TrackCurve& path, const SampledLine& line) {
  // Some dozens of samples per segment are plenty for a track smoothed over
  // a second, and keep long clips cheap.
  const size_t step =
      std::max<size_t>(1, line.points.size() / (static_cast<size_t>(path.pointCount()) * 32));
  double largest = 0.0;
  for (size_t i = 0; i < line.points.size(); i += step) {
    const GroundPoint& p = line.points[i];
    const double t = nearestKnotQuick(path, p.x, p.z, knotOf(path, line.lengths[i], line.travel()));
    largest = std::max(largest, squaredGroundDistance(path, t, p.x, p.z));
  }
  return std::sqrt(largest);
}

// The point count the rule asks for.
int chosenCount(const TrackSummary& s, double hip, double frameTime) {
  const double extent = distance(s.low, s.high);
  if (!(extent >= stillShare * hip) || !std::isfinite(s.line.travel())) return 1;
  const int limit = std::min(
      TrackCurve::maxPoints,
      static_cast<int>(std::min<size_t>(std::max<size_t>(2, s.count), TrackCurve::maxPoints)));
  // A floor by time as well: slow walks still get a point every two
  // seconds to bend.
  const double duration = static_cast<double>(s.count) * frameTime;
  const double spaced = std::max(std::ceil(s.line.travel() / (spacingShare * hip)),
                                 std::ceil(duration / secondsPerSegment)) +
                        1.0;
  int count = static_cast<int>(std::clamp(spaced, 2.0, static_cast<double>(limit)));
  while (count < limit &&
         largestDeviation(pathThrough(s.line, count), s.line) > deviationShare * hip) {
    count = std::min(limit, count < 12 ? count + 1 : count + count / 4);
  }
  return count;
}

// Turns each sampled frame's distance along the smoothed track into its
// nearest knot on the fitted curve, reading only those frames' lines.
void recordKnots(const BvhMotion& motion, const TrackJoint& track, const TrackCurve& fitted,
                 double travel, std::vector<float>& knots) {
  for (size_t j = 0; j < knots.size(); ++j) {
    if (std::isnan(knots[j])) continue;
    const int f = static_cast<int>(j) * TrackRecord::step;
    const Point3 p = readTrackPosition(motion.frameLine(f), track);
    double t = 0.0;
    if (fitted.pointCount() > 1) {
      t = nearestKnotQuick(fitted, p.x, p.z, knotOf(fitted, knots[j], travel));
    }
    knots[j] = static_cast<float>(t);
  }
}

}  // namespace

TrackFit fitTrackPath(const BvhMotion& motion, int pointCount, UpAxis up) {
  return fitTrackPath(motion, findTrackJoint(motion, up), pointCount, up);
}

TrackFit fitTrackPath(const BvhMotion& motion, const TrackJoint& track, int pointCount, UpAxis up) {
  TrackFit fit;
  fit.track = track;
  fit.hipHeight = restHeight(motion, track.joint, up);
  const int frames =
      std::max(0, std::min(motion.frameCount, static_cast<int>(motion.frameLines.size())));
  auto record = std::make_shared<TrackRecord>();
  record->frames = frames;
  record->knots.assign(static_cast<size_t>(frames + TrackRecord::step - 1) / TrackRecord::step,
                       std::numeric_limits<float>::quiet_NaN());

  const double frameTime = motion.frameTime > 0.0 && std::isfinite(motion.frameTime)
                               ? motion.frameTime
                               : fallbackFrameTime;
  const double window = std::min(smoothingSeconds / frameTime, 1e6);
  const TrackSummary s =
      summarise(motion, track, frames, static_cast<size_t>(std::lround(window)), record->knots);
  if (s.count == 0) {
    fit.path = fit.fitted = TrackCurve({Point3{}});
    fit.record = std::move(record);
    return fit;
  }
  fit.trackExtent = std::max(s.rawHigh.x - s.rawLow.x, s.rawHigh.z - s.rawLow.z);
  fit.trackReach = s.rawReach;

  int count = pointCount > 0 ? pointCount : chosenCount(s, fit.hipHeight, frameTime);
  count = std::clamp(count, 1, TrackCurve::maxPoints);
  // Positions near the largest number overflow the smoothing and its length:
  // such a track has no shape to follow, so it gets the one point a still
  // track gets rather than points and knots that are not numbers.
  if (!std::isfinite(s.line.travel())) count = 1;
  fit.fitted =
      count == 1 ? TrackCurve({Point3{s.first.x, 0.0, s.first.z}}) : pathThrough(s.line, count);
  fit.path = fit.fitted;
  recordKnots(motion, track, fit.fitted, s.line.travel(), record->knots);
  fit.record = record;
  // The ends of the walk, for drawing it: the first and the last frame
  // placed.
  for (int f = 0; f < frames && record->firstFrame < 0; ++f) {
    const Point3 p = readTrackPosition(motion.frameLine(f), track);
    if (trackFrameKnot(fit, f, p.x, p.z, record->firstKnot)) record->firstFrame = f;
  }
  for (int f = frames - 1; f >= 0 && record->lastFrame < 0; --f) {
    const Point3 p = readTrackPosition(motion.frameLine(f), track);
    if (trackFrameKnot(fit, f, p.x, p.z, record->lastKnot)) record->lastFrame = f;
  }
  return fit;
}
