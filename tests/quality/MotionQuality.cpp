#include "quality/MotionQuality.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "motion/BvhMotion.h"
#include "motion/FigureFrame.h"
#include "motion/FootContacts.h"
#include "motion/FootPlanting.h"
#include "motion/FrameWords.h"
#include "motion/GroundAxes.h"
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
// A joint may turn this much faster than its own fastest (degrees a second)
// in any case.
constexpr double turnAllowance = 90.0;

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

// Positions are held in the ground frame (x, height, z) whatever the clip's
// up axis.
Trace traceOf(const BvhMotion& motion, const PosedFigure& s, size_t hips,
              const std::vector<size_t>& feet, UpAxis up) {
  Trace trace;
  std::vector<JointPose> world;
  const Point3 facingAxis = up == UpAxis::z ? Point3{0.0, 1.0, 0.0} : Point3{0.0, 0.0, 1.0};
  for (int f = 0; f < motion.frameCount; ++f) {
    s.pose(motion.frameLine(f), world);
    const Point3 h = groundFromFile(world[hips].t, up);
    trace.hips.push_back({h.x, h.z});
    const Point3 forward = groundFromFile(rotatePoint(world[hips].r, facingAxis), up);
    trace.facing.push_back(std::atan2(forward.x, forward.z));
    std::vector<Point3> at;
    for (size_t foot : feet) at.push_back(groundFromFile(world[foot].t, up));
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

// What both clips share for the measure: the original's axes, hips, feet
// and sizes.
struct Setting {
  UpAxis up = UpAxis::y;
  int hips = 0;
  double hip = 1.0;
  double dt = 1.0 / 30.0;
  int half = 1;
  std::vector<size_t> feet;
};

Setting settingOf(const BvhMotion& original) {
  Setting setting;
  setting.up = decideUpAxis(original);
  setting.hips = jointOfClip(original, findTrackJoint(original, setting.up).joint);
  const RestPoseBox box = restPoseBox(original.skeleton);
  const double floor = groundFromFile(box.low, setting.up).y;
  const Skeleton& skeleton = original.skeleton;
  double hip = groundFromFile(offsetFromRoot(skeleton, setting.hips), setting.up).y - floor;
  if (!(hip > 0.0)) hip = box.size() / 2.0;
  if (!(hip > 0.0)) hip = 1.0;
  setting.hip = hip;
  for (int j = 0; j < skeleton.size(); ++j) {
    if (groundFromFile(offsetFromRoot(skeleton, j), setting.up).y - floor <= footShare * hip) {
      setting.feet.push_back(static_cast<size_t>(j));
    }
  }
  setting.dt = original.frameTime > 0.0 ? original.frameTime : 1.0 / 30.0;
  setting.half = std::max(1, static_cast<int>(std::lround(smoothingSeconds / setting.dt)));
  return setting;
}

// Facing against travel, on the frames where the original walks; returns
// the original's smoothed hip speed by frame.
std::vector<double> measureFacing(const Trace& a, const Trace& b, const Setting& setting,
                                  MotionQuality& q) {
  std::vector<double> dirA, speedA, dirB, speedB;
  travelOf(smoothed(a.hips, setting.half), setting.dt, dirA, speedA);
  travelOf(smoothed(b.hips, setting.half), setting.dt, dirB, speedB);
  const std::vector<double> turnA = smoothedAngles(a.facing, setting.half);
  const std::vector<double> turnB = smoothedAngles(b.facing, setting.half);
  std::vector<double> change, facingA, facingB;
  for (size_t i = 0; i < a.hips.size(); ++i) {
    if (speedA[i] < walkingSpeed * setting.hip) continue;
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
  return speedA;
}

// Feet during the original's contacts: low and slow in the original.
void measureSliding(const Trace& a, const Trace& b, const Setting& setting, MotionQuality& q) {
  const double hip = setting.hip;
  const size_t n = a.hips.size();
  double slideA = 0.0;
  double slideB = 0.0;
  int contactSteps = 0;
  for (size_t k = 0; k < setting.feet.size(); ++k) {
    double lowest = a.feet[0][k].y;
    for (size_t i = 0; i < n; ++i) lowest = std::min(lowest, a.feet[i][k].y);
    for (size_t i = 1; i < n; ++i) {
      const Point3& p0 = a.feet[i - 1][k];
      const Point3& p1 = a.feet[i][k];
      const double step = std::hypot(p1.x - p0.x, p1.z - p0.z);
      const bool contact = p0.y <= lowest + contactHeight * hip &&
                           p1.y <= lowest + contactHeight * hip &&
                           step <= contactSpeed * hip * setting.dt;
      if (!contact) continue;
      const Point3& e0 = b.feet[i - 1][k];
      const Point3& e1 = b.feet[i][k];
      slideA += step;
      slideB += std::hypot(e1.x - e0.x, e1.z - e0.z);
      ++contactSteps;
    }
  }
  q.contactSeconds = contactSteps * setting.dt;
  if (contactSteps > 0) {
    q.slideOriginal = slideA / hip / q.contactSeconds;
    q.slideEdited = slideB / hip / q.contactSeconds;
  }
}

// Stretches where the original stands still: how much farther the edited
// hips stray from where the stretch began.
void measureStill(const Trace& a, const Trace& b, const std::vector<double>& speedA,
                  const Setting& setting, MotionQuality& q) {
  const size_t n = a.hips.size();
  const size_t shortest = static_cast<size_t>(std::ceil(shortestStill / setting.dt));
  size_t start = 0;
  for (size_t i = 0; i <= n; ++i) {
    const bool still = i < n && speedA[i] < stillSpeed * setting.hip;
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
      q.stillExtraTravel = std::max(q.stillExtraTravel, (strayB - strayA) / setting.hip);
    }
    start = i + 1;
  }
}

// The world position of one joint in every frame, in the ground frame.
std::vector<Point3> jointTrack(const BvhMotion& motion, int joint, UpAxis up) {
  const PosedFigure figure(motion.skeleton);
  const std::vector<int> joints = jointsReaching(motion.skeleton, {joint});
  std::vector<JointPose> poses(static_cast<size_t>(motion.skeleton.size()));
  std::vector<double> values;
  std::vector<Point3> track;
  for (int f = 0; f < motion.frameCount; ++f) {
    readFrameValues(motion.frameLine(f), values);
    figure.poseJoints(values, joints, poses);
    track.push_back(groundFromFile(poses[static_cast<size_t>(joint)].t, up));
  }
  return track;
}

// The largest ground distance of a foot from where it stands at the
// contact's middle frame.
double wanderOf(const std::vector<Point3>& foot, const FootContact& contact) {
  const Point3& middle = foot[static_cast<size_t>(contact.middle())];
  double most = 0.0;
  for (int f = contact.first; f <= contact.last; ++f) {
    const Point3& p = foot[static_cast<size_t>(f)];
    most = std::max(most, std::hypot(p.x - middle.x, p.z - middle.z));
  }
  return most;
}

// The planted feet and the carried joint's height, against the original's
// contacts; returns the hip height they are measured in.
void measurePlantedFeet(const BvhMotion& original, const BvhMotion& edited, const Setting& setting,
                        MotionQuality& q) {
  const FootContacts found = findFootContacts(original, setting.up, setting.hips);
  const double hip = found.hipHeight > 0.0 ? found.hipHeight : setting.hip;
  q.contacts = static_cast<int>(found.contacts.size());
  for (size_t k = 0; k < found.legs.size(); ++k) {
    const std::vector<Point3> a = jointTrack(original, found.legs[k].foot, setting.up);
    const std::vector<Point3> b = jointTrack(edited, found.legs[k].foot, setting.up);
    for (const FootContact& contact : found.contacts) {
      if (contact.leg != static_cast<int>(k)) continue;
      const double wanderA = wanderOf(a, contact) / hip;
      const double wanderB = wanderOf(b, contact) / hip;
      q.wanderOriginal += wanderA;
      q.wanderEdited += wanderB;
      q.worstExtraWander = std::max(q.worstExtraWander, wanderB - wanderA);
    }
  }
  const std::vector<Point3> a = jointTrack(original, setting.hips, setting.up);
  const std::vector<Point3> b = jointTrack(edited, setting.hips, setting.up);
  for (size_t f = 0; f < a.size(); ++f) q.lowering = std::max(q.lowering, (a[f].y - b[f].y) / hip);
}

// Each joint's fastest turn of its local rotation, in degrees a second.
std::vector<double> fastestTurns(const BvhMotion& motion, double dt) {
  const Skeleton& skeleton = motion.skeleton;
  std::vector<double> fastest(static_cast<size_t>(skeleton.size()), 0.0);
  std::vector<Matrix3> before(fastest.size());
  std::vector<double> values;
  for (int f = 0; f < motion.frameCount; ++f) {
    readFrameValues(motion.frameLine(f), values);
    for (int j = 0; j < skeleton.size(); ++j) {
      const Matrix3 now = localPose(skeleton, j, values).r;
      const size_t at = static_cast<size_t>(j);
      if (f > 0)
        fastest[at] = std::max(fastest[at], turnDegrees(transposed(before[at]) * now) / dt);
      before[at] = now;
    }
  }
  return fastest;
}

// The worst of joints against their allowance.
TurnFigure worstTurn(const Skeleton& skeleton, const std::vector<int>& joints,
                     const std::vector<double>& a, const std::vector<double>& b) {
  TurnFigure worst;
  worst.beyondAllowance = -HUGE_VAL;
  for (int j : joints) {
    const size_t at = static_cast<size_t>(j);
    const double beyond = b[at] - (a[at] + std::max(a[at] / 2.0, turnAllowance));
    if (beyond <= worst.beyondAllowance) continue;
    worst = {skeleton[j].name, a[at], b[at], beyond};
  }
  return worst;
}

void measureTurns(const BvhMotion& original, const BvhMotion& edited, const Setting& setting,
                  MotionQuality& q) {
  const std::vector<double> a = fastestTurns(original, setting.dt);
  const std::vector<double> b = fastestTurns(edited, setting.dt);
  const Skeleton& skeleton = original.skeleton;
  std::vector<int> joints;
  for (int j = 0; j < skeleton.size(); ++j) {
    if (!skeleton[j].isEndSite) joints.push_back(j);
  }
  q.fastestTurn = worstTurn(skeleton, joints, a, b);
  std::vector<int> legs;
  for (const FootLeg& leg : findFootContacts(original, setting.up, setting.hips).legs) {
    legs.insert(legs.end(), {leg.thigh, leg.knee, leg.ankle});
  }
  q.fastestLegTurn = worstTurn(skeleton, legs, a, b);
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
  const Setting setting = settingOf(original);
  const size_t hips = static_cast<size_t>(setting.hips);
  const Trace a = traceOf(original, PosedFigure(original.skeleton), hips, setting.feet, setting.up);
  const Trace b = traceOf(edited, PosedFigure(edited.skeleton), hips, setting.feet, setting.up);
  const std::vector<double> speedA = measureFacing(a, b, setting, q);
  measureSliding(a, b, setting, q);
  measureStill(a, b, speedA, setting, q);
  measurePlantedFeet(original, edited, setting, q);
  measureTurns(original, edited, setting, q);
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

namespace {

// The offset that moves middle square to the line through before and after,
// by share of its mean distance to them.
Point3 sidewaysOffset(const Point3& before, const Point3& middle, const Point3& after,
                      double share) {
  const double reach = (std::hypot(middle.x - before.x, middle.z - before.z) +
                        std::hypot(after.x - middle.x, after.z - middle.z)) /
                       2.0;
  const double cx = after.x - before.x;
  const double cz = after.z - before.z;
  const double chord = std::hypot(cx, cz);
  if (!(chord > 0.0)) return Point3{};
  return {cz / chord * reach * share, 0.0, -cx / chord * reach * share};
}

// Makes edit to path, whose middle point is middle.
void editPath(ClipPath& path, int middle, PathEdit edit) {
  const Point3 m = path.point(middle);
  if (edit == PathEdit::secondHalfTurned) {
    for (int k = middle + 1; k < path.pointCount(); ++k) {
      const Point3 p = path.point(k);
      // A quarter turn on the ground about the middle point.
      path.setPoint(k, {m.x + (p.z - m.z), p.y, m.z - (p.x - m.x)});
    }
    return;
  }
  const double share = edit == PathEdit::quarterSideways ? 0.25
                       : edit == PathEdit::halfSideways  ? 0.5
                                                         : 1.0;
  const Point3 d = sidewaysOffset(path.point(middle - 1), m, path.point(middle + 1), share);
  path.setPoint(middle, {m.x + d.x, m.y, m.z + d.z});
}

Status writeEdit(const BvhMotion& motion, bool trackPath, PathEdit edit, bool keepFeet,
                 PathPace pace, const std::string& out, int* points) {
  const UpAxis up = decideUpAxis(motion);
  std::unique_ptr<ClipPath> path = makePath(pathKindOf(trackPath ? "track" : "loop"));
  path->setPace(pace);
  // The fit's and the writer's console notes say nothing the measure needs.
  Notes notes;
  const PathClip clip{motion, up, findTrackJoint(motion, up)};
  if (!path->fit(clip, 0, notes)) return Status::failed("the path could not be fitted");
  // A short walk gets two track points; the edits need a middle one.
  if (path->pointCount() < 3 && !path->fit(clip, 3, notes)) {
    return Status::failed("the path could not be fitted");
  }
  const int n = path->pointCount();
  if (points != nullptr) *points = n;
  if (n < 3) return Status::failed("the path has fewer than three points");
  // The loop path's point 2, the track path's middle one.
  editPath(*path, trackPath ? (n - 1) / 2 : 2, edit);
  if (!keepFeet) return writePath(out.c_str(), motion, *path, up, notes);
  const FootContacts feet =
      findFootContacts(motion, up, jointOfClip(motion, path->trackJoint().joint));
  return writePath(out.c_str(), motion, *path, up, notes, ExistingTarget::kReplace, &feet);
}

}  // namespace

Point3 sidewaysOffset(const Point3& before, const Point3& middle, const Point3& after) {
  return sidewaysOffset(before, middle, after, 0.25);
}

const char* pathEditName(PathEdit edit) {
  switch (edit) {
    case PathEdit::quarterSideways:
      return "quarter sideways";
    case PathEdit::halfSideways:
      return "half sideways";
    case PathEdit::wholeSideways:
      return "whole sideways";
    case PathEdit::secondHalfTurned:
      return "second half turned";
  }
  return "";
}

bool writePathEdit(const BvhMotion& motion, bool trackPath, PathEdit edit, bool keepFeet,
                   PathPace pace, const std::string& out, std::string* error, int* points) {
  const Status status = writeEdit(motion, trackPath, edit, keepFeet, pace, out, points);
  if (!status.ok() && error != nullptr) *error = status.failure().message;
  return status.ok();
}

bool writeSidewaysEdit(const BvhMotion& motion, bool trackPath, const std::string& out,
                       std::string* error, int* points) {
  return writePathEdit(motion, trackPath, PathEdit::quarterSideways, false, PathPace::points, out,
                       error, points);
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
