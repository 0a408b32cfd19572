#include "quality/PathTiming.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "motion/BvhMotion.h"
#include "motion/FigureFrame.h"
#include "motion/FootContacts.h"
#include "motion/TrackJoint.h"
#include "path/PathKinds.h"
#include "path/PathWriter.h"
#include "quality/MotionQuality.h"

namespace {

std::vector<Point3> trackOf(const BvhMotion& motion, int joint) {
  std::vector<Point3> track;
  for (int f = 0; f < motion.frameCount; ++f) {
    track.push_back(carriedJointPosition(motion, joint, f, nullptr));
  }
  return track;
}

double groundDistance(const Point3& a, const Point3& b) { return std::hypot(a.x - b.x, a.z - b.z); }

// The frame whose track position comes nearest p, and how near.
size_t nearestFrame(const std::vector<Point3>& track, const Point3& p, double& nearest) {
  size_t best = 0;
  nearest = groundDistance(track[0], p);
  for (size_t f = 1; f < track.size(); ++f) {
    const double d = groundDistance(track[f], p);
    if (d < nearest) {
      nearest = d;
      best = f;
    }
  }
  return best;
}

}  // namespace

bool measureTiming(const BvhMotion& original, const BvhMotion& edited,
                   const std::vector<Point3>& fitted, const std::vector<Point3>& moved,
                   PathTiming& timing, std::string* error) {
  timing = PathTiming{};
  if (original.frameCount < 1 || edited.frameCount != original.frameCount ||
      fitted.size() != moved.size() || fitted.empty() ||
      static_cast<int>(edited.frameLines.size()) < edited.frameCount ||
      static_cast<int>(original.frameLines.size()) < original.frameCount) {
    if (error != nullptr) *error = "the clips or the points do not match";
    return false;
  }
  const int joint = findTrackJoint(original).joint;
  const RestPoseBox box = restPoseBox(original.skeleton);
  double hip = offsetFromRoot(original.skeleton, joint).y - box.low.y;
  if (!(hip > 0.0)) hip = 1.0;
  const double dt = original.frameTime > 0.0 ? original.frameTime : 1.0 / 30.0;
  const std::vector<Point3> before = trackOf(original, joint);
  const std::vector<Point3> after = trackOf(edited, joint);
  timing.points = static_cast<int>(fitted.size());
  timing.endDistance = groundDistance(after.back(), moved.back()) / hip;
  for (size_t k = 0; k < fitted.size(); ++k) {
    double missBefore = 0.0;
    double missAfter = 0.0;
    const size_t was = nearestFrame(before, fitted[k], missBefore);
    const size_t now = nearestFrame(after, moved[k], missAfter);
    const double delay = std::fabs(static_cast<double>(now) - static_cast<double>(was)) * dt;
    timing.worstDelay = std::max(timing.worstDelay, delay);
    timing.worstMiss = std::max(timing.worstMiss, missAfter / hip);
  }
  return true;
}

bool writeTrackEdit(const BvhMotion& motion, const TrackEdit& edit, const std::string& out,
                    std::vector<Point3>& fitted, std::vector<Point3>& moved, std::string* error,
                    std::string* note) {
  const auto fail = [error](const std::string& why) {
    if (error != nullptr) *error = why;
    return false;
  };
  std::unique_ptr<ClipPath> path = makePath(pathKindOf("track"));
  Notes notes;
  if (!path->fit(PathClip{motion, UpAxis::y, findTrackJoint(motion)}, 0, notes)) {
    return fail("the track path could not be fitted");
  }
  path->setPace(edit.pace);
  const int n = path->pointCount();
  if (n < (edit.sideways ? 3 : 2)) return fail("the track path has too few points");
  fitted.clear();
  for (int k = 0; k < n; ++k) fitted.push_back(path->point(k));
  const Point3 origin = fitted[0];
  for (int k = 1; k < n; ++k) {
    const Point3& p = fitted[static_cast<size_t>(k)];
    path->setPoint(k, {origin.x + (p.x - origin.x) * edit.scale, p.y,
                       origin.z + (p.z - origin.z) * edit.scale});
  }
  if (edit.sideways) {
    const int k = (n - 1) / 2;
    const Point3 p = path->point(k);
    const Point3 d = sidewaysOffset(path->point(k - 1), p, path->point(k + 1));
    path->setPoint(k, {p.x + d.x, p.y, p.z + d.z});
  }
  moved.clear();
  for (int k = 0; k < n; ++k) moved.push_back(path->point(k));
  if (note != nullptr) *note = path->timingNote();
  const FootContacts feet =
      edit.keepFeet
          ? findFootContacts(motion, UpAxis::y, jointOfClip(motion, path->trackJoint().joint))
          : FootContacts{};
  const Status status = writePath(out.c_str(), motion, *path, UpAxis::y, notes,
                                  ExistingTarget::kReplace, edit.keepFeet ? &feet : nullptr);
  if (!status) return fail(status.failure().message);
  return true;
}

std::string backAndForthOf(const std::string& fileName, int forward, int back, int frames) {
  const std::string whole = firstFramesOf(fileName, 1 << 30);
  const size_t time = whole.find("Frame Time:");
  const size_t count = whole.rfind("Frames:", time);
  if (time == std::string::npos || count == std::string::npos || !(back < forward)) return "";
  std::vector<std::string> lines;
  for (size_t at = whole.find('\n', time) + 1; at < whole.size();) {
    const size_t end = whole.find('\n', at);
    const size_t stop = end == std::string::npos ? whole.size() : end + 1;
    lines.push_back(whole.substr(at, stop - at));
    at = stop;
  }
  std::string text = whole.substr(0, count) + "Frames: " + std::to_string(frames) + "\n" +
                     whole.substr(time, whole.find('\n', time) + 1 - time);
  int at = 0;
  int step = 1;
  int left = forward;
  for (int f = 0; f < frames; ++f) {
    if (at < 0 || static_cast<size_t>(at) >= lines.size()) return "";
    text += lines[static_cast<size_t>(at)];
    if (--left == 0) {
      step = -step;
      left = step > 0 ? forward : back;
    }
    at += step;
  }
  return text;
}
