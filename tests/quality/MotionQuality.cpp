#include "quality/MotionQuality.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "motion/BvhMotion.h"
#include "motion/FigureFrame.h"
#include "motion/PosedFigure.h"
#include "motion/TrackJoint.h"
#include "path/ClipPath.h"
#include "path/PathKinds.h"
#include "path/PathWriter.h"

namespace {

constexpr double pi = 3.14159265358979323846;
// Thresholds, in hip heights and seconds.
constexpr double footShare = 0.05;         // feet: this close to the lowest rest joint
constexpr double contactHeight = 0.08;     // above the foot's lowest height
constexpr double contactSpeed = 0.6;       // per second, on the ground
constexpr double walkingSpeed = 0.2;       // per second, smoothed
constexpr double stillSpeed = 0.05;        // per second, smoothed
constexpr double smoothingSeconds = 0.25;  // half window: one step
constexpr double shortestStill = 0.5;

struct Ground {
  double x = 0.0;
  double z = 0.0;
};

// What one clip gives the measure, per frame.
struct Trace {
  std::vector<Ground> hips;
  std::vector<double> facing;  // radians
  std::vector<std::vector<Point3>> feet;
};

Trace traceOf(const BvhMotion& motion, const PosedFigure& s, size_t hips,
              const std::vector<size_t>& feet) {
  Trace trace;
  std::vector<JointPose> world;
  for (int f = 0; f < motion.frameCount; ++f) {
    s.pose(motion.frameLine(f), world);
    trace.hips.push_back({world[hips].t.x, world[hips].t.z});
    const Point3 forward = rotatePoint(world[hips].r, Point3{0.0, 0.0, 1.0});
    trace.facing.push_back(std::atan2(forward.x, forward.z));
    std::vector<Point3> at;
    for (size_t foot : feet) at.push_back(world[foot].t);
    trace.feet.push_back(at);
  }
  return trace;
}

std::vector<Ground> smoothed(const std::vector<Ground>& track, int half) {
  const size_t n = track.size();
  std::vector<Ground> out(n);
  for (size_t i = 0; i < n; ++i) {
    const size_t h = std::min({static_cast<size_t>(half), i, n - 1 - i});
    Ground sum;
    for (size_t k = i - h; k <= i + h; ++k) {
      sum.x += track[k].x;
      sum.z += track[k].z;
    }
    out[i] = {sum.x / (2 * h + 1), sum.z / (2 * h + 1)};
  }
  return out;
}

// Direction of travel (radians) and speed (per second) from the smoothed
// track by central differences.
void travelOf(const std::vector<Ground>& track, double frameTime, std::vector<double>& direction,
              std::vector<double>& speed) {
  const size_t n = track.size();
  direction.assign(n, 0.0);
  speed.assign(n, 0.0);
  for (size_t i = 0; i < n; ++i) {
    const size_t a = i > 0 ? i - 1 : i;
    const size_t b = i + 1 < n ? i + 1 : i;
    if (a == b) continue;
    const double dx = track[b].x - track[a].x;
    const double dz = track[b].z - track[a].z;
    direction[i] = std::atan2(dx, dz);
    speed[i] = std::hypot(dx, dz) / (frameTime * static_cast<double>(b - a));
  }
}

// Angles averaged as unit vectors over the same window as the track, so
// that the hips' sway within a step counts no more than the track's does.
std::vector<double> smoothedAngles(const std::vector<double>& angles, int half) {
  std::vector<Ground> vectors;
  for (double a : angles) vectors.push_back({std::sin(a), std::cos(a)});
  std::vector<double> out;
  for (const Ground& v : smoothed(vectors, half)) out.push_back(std::atan2(v.x, v.z));
  return out;
}

double wrap(double radians) {
  while (radians > pi) radians -= 2 * pi;
  while (radians < -pi) radians += 2 * pi;
  return radians;
}

double percentile95(std::vector<double> values) {
  if (values.empty()) return 0.0;
  std::sort(values.begin(), values.end());
  const size_t k = static_cast<size_t>(std::ceil(0.95 * static_cast<double>(values.size()))) - 1;
  return values[std::min(k, values.size() - 1)];
}

bool sameShape(const BvhMotion& a, const BvhMotion& b) {
  const Skeleton& sa = a.skeleton;
  const Skeleton& sb = b.skeleton;
  if (sa.empty() || sb.empty() || a.frameCount != b.frameCount) return false;
  if (sa.size() != sb.size()) return false;
  for (int j = 0; j < sa.size(); ++j) {
    if (sa[j].channelCount != sb[j].channelCount || sa[j].parent != sb[j].parent) return false;
  }
  return true;
}

}  // namespace

bool measureQuality(const BvhMotion& original, const BvhMotion& edited, MotionQuality& q,
                    std::string* error) {
  q = MotionQuality{};
  if (!sameShape(original, edited) || original.frameCount < 3 ||
      static_cast<int>(original.frameLines.size()) < original.frameCount ||
      static_cast<int>(edited.frameLines.size()) < edited.frameCount) {
    if (error != nullptr)
      *error = "the clips differ in joints, channels or frames, or are too short";
    return false;
  }
  const PosedFigure s(original.skeleton);
  const size_t hips = static_cast<size_t>(findTrackJoint(original).joint);
  const RestPoseBox box = restPoseBox(original.skeleton);
  double hip = offsetFromRoot(original.skeleton, static_cast<int>(hips)).y - box.low.y;
  if (!(hip > 0.0)) hip = box.size() / 2.0;
  if (!(hip > 0.0)) hip = 1.0;

  std::vector<size_t> feet;
  for (int j = 0; j < original.skeleton.size(); ++j) {
    if (offsetFromRoot(original.skeleton, j).y - box.low.y <= footShare * hip) {
      feet.push_back(static_cast<size_t>(j));
    }
  }

  const double dt = original.frameTime > 0.0 ? original.frameTime : 1.0 / 30.0;
  const int half = std::max(1, static_cast<int>(std::lround(smoothingSeconds / dt)));
  const Trace a = traceOf(original, s, hips, feet);
  const Trace b = traceOf(edited, PosedFigure(edited.skeleton), hips, feet);
  const size_t n = a.hips.size();

  // Facing against travel, on the frames where the original walks.
  std::vector<double> dirA, speedA, dirB, speedB;
  travelOf(smoothed(a.hips, half), dt, dirA, speedA);
  travelOf(smoothed(b.hips, half), dt, dirB, speedB);
  const std::vector<double> turnA = smoothedAngles(a.facing, half);
  const std::vector<double> turnB = smoothedAngles(b.facing, half);
  std::vector<double> change, facingA, facingB;
  for (size_t i = 0; i < n; ++i) {
    if (speedA[i] < walkingSpeed * hip) continue;
    const double relA = wrap(turnA[i] - dirA[i]);
    const double relB = wrap(turnB[i] - dirB[i]);
    change.push_back(std::fabs(wrap(relB - relA)) * 180.0 / pi);
    facingA.push_back(std::fabs(relA) * 180.0 / pi);
    facingB.push_back(std::fabs(relB) * 180.0 / pi);
  }
  q.walkingFrames = static_cast<int>(change.size());
  q.facingChange95 = percentile95(change);
  q.facingOriginal95 = percentile95(facingA);
  q.facingEdited95 = percentile95(facingB);

  // Feet during the original's contacts: low and slow in the original.
  double slideA = 0.0;
  double slideB = 0.0;
  int contactSteps = 0;
  for (size_t k = 0; k < feet.size(); ++k) {
    double lowest = a.feet[0][k].y;
    for (size_t i = 0; i < n; ++i) lowest = std::min(lowest, a.feet[i][k].y);
    for (size_t i = 1; i < n; ++i) {
      const Point3& p0 = a.feet[i - 1][k];
      const Point3& p1 = a.feet[i][k];
      const double step = std::hypot(p1.x - p0.x, p1.z - p0.z);
      const bool contact = p0.y <= lowest + contactHeight * hip &&
                           p1.y <= lowest + contactHeight * hip && step <= contactSpeed * hip * dt;
      if (!contact) continue;
      const Point3& e0 = b.feet[i - 1][k];
      const Point3& e1 = b.feet[i][k];
      slideA += step;
      slideB += std::hypot(e1.x - e0.x, e1.z - e0.z);
      ++contactSteps;
    }
  }
  q.contactSeconds = contactSteps * dt;
  if (contactSteps > 0) {
    q.slideOriginal = slideA / hip / q.contactSeconds;
    q.slideEdited = slideB / hip / q.contactSeconds;
  }

  // Stretches where the original stands still: how much farther the edited
  // hips stray from where the stretch began.
  const size_t shortest = static_cast<size_t>(std::ceil(shortestStill / dt));
  size_t start = 0;
  for (size_t i = 0; i <= n; ++i) {
    const bool still = i < n && speedA[i] < stillSpeed * hip;
    if (still) continue;
    if (i - start >= shortest) {
      ++q.stillStretches;
      double strayA = 0.0;
      double strayB = 0.0;
      for (size_t k = start; k < i; ++k) {
        strayA = std::max(strayA,
                          std::hypot(a.hips[k].x - a.hips[start].x, a.hips[k].z - a.hips[start].z));
        strayB = std::max(strayB,
                          std::hypot(b.hips[k].x - b.hips[start].x, b.hips[k].z - b.hips[start].z));
      }
      q.stillExtraTravel = std::max(q.stillExtraTravel, (strayB - strayA) / hip);
    }
    start = i + 1;
  }
  return true;
}

bool measureQualityFiles(const std::string& original, const std::string& edited,
                         MotionQuality& quality, std::string* error) {
  BvhMotion a;
  BvhMotion b;
  Notes notes;
  if (!a.read(original.c_str(), notes) || !b.read(edited.c_str(), notes)) {
    if (error != nullptr) *error = "could not read the clips";
    return false;
  }
  return measureQuality(a, b, quality, error);
}

Point3 sidewaysOffset(const Point3& before, const Point3& middle, const Point3& after) {
  const double reach = (std::hypot(middle.x - before.x, middle.z - before.z) +
                        std::hypot(after.x - middle.x, after.z - middle.z)) /
                       2.0;
  const double cx = after.x - before.x;
  const double cz = after.z - before.z;
  const double chord = std::hypot(cx, cz);
  if (!(chord > 0.0)) return Point3{};
  return {cz / chord * reach / 4.0, 0.0, -cx / chord * reach / 4.0};
}

bool writeSidewaysEdit(const BvhMotion& motion, bool trackPath, const std::string& out,
                       std::string* error, int* points) {
  const auto fail = [error](const std::string& why) {
    if (error != nullptr) *error = why;
    return false;
  };
  std::unique_ptr<ClipPath> path = makePath(pathKindOf(trackPath ? "track" : "loop"));
  // The fit's and the writer's console notes say nothing the measure needs.
  Notes notes;
  const PathClip clip{motion, UpAxis::y, findTrackJoint(motion)};
  if (!path->fit(clip, 0, notes)) return fail("the loop path could not be fitted");
  const int n = path->pointCount();
  if (points != nullptr && trackPath) *points = n;
  if (n < 3) return fail("the track path has fewer than three points");
  // The loop path's point 2, the track path's middle one.
  const int k = trackPath ? (n - 1) / 2 : 2;
  const Point3 p = path->point(k);
  const Point3 d = sidewaysOffset(path->point(k - 1), p, path->point(k + 1));
  path->setPoint(k, {p.x + d.x, p.y, p.z + d.z});
  const Status status = writePath(out.c_str(), motion, *path, UpAxis::y, notes);
  if (!status) return fail(status.failure().message);
  return true;
}

std::string firstFramesOf(const std::string& fileName, int frames) {
  std::FILE* file = std::fopen(fileName.c_str(), "rb");
  if (file == nullptr) return "";
  std::string text;
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
  std::fclose(file);
  const size_t motion = text.find("MOTION");
  const size_t count = text.find("Frames:", motion == std::string::npos ? 0 : motion);
  const size_t time =
      text.find('\n', text.find("Frame Time:", count == std::string::npos ? 0 : count));
  if (motion == std::string::npos || count == std::string::npos || time == std::string::npos) {
    return "";
  }
  std::string cut =
      text.substr(0, count) + "Frames: " + std::to_string(frames) + "\n" +
      text.substr(text.find("Frame Time:", count), time + 1 - text.find("Frame Time:", count));
  size_t at = time + 1;
  for (int f = 0; f < frames && at < text.size(); ++f) {
    const size_t end = text.find('\n', at);
    const size_t stop = end == std::string::npos ? text.size() : end + 1;
    cut += text.substr(at, stop - at);
    at = stop;
  }
  return cut;
}
