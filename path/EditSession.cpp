#include "path/EditSession.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "motion/TrackJoint.h"
#include "path/PathFit.h"
#include "path/PathWriter.h"

namespace {

// Why the reader refused fileName, in words for the user.
std::string readFailure(const std::string& fileName, const BvhMotion& motion) {
  // The system's words for a file that cannot be reached are clearer than the
  // reader's; stat and access never block, even on a FIFO.
  struct stat info {};
  if (stat(fileName.c_str(), &info) != 0 || access(fileName.c_str(), R_OK) != 0) {
    return std::strerror(errno);
  }
  if (!motion.readError.empty()) return motion.readError;
  return "not a BVH clip this editor can read";
}

// Fits path (new or reset) to motion; false when no path could be fitted.
bool fitClip(const BvhMotion& motion, PathCurve& path) {
  return fitPath(motion, path) && path.pointCount() > 0;
}

// Writes the clip carried along the path; on failure *reason says why.
bool writeClip(const std::string& fileName, const BvhMotion& motion, const PathCurve& path,
               std::string* reason) {
  const bool written = writePath(fileName.c_str(), motion, path, reason);
  if (!written && reason->empty()) *reason = "the file could not be written";
  return written;
}

std::string pointText(int index) { return "point " + std::to_string(index); }

}  // namespace

EditSession::EditSession()
    : motion_(std::make_unique<BvhMotion>()), path_(std::make_unique<PathCurve>()) {}

bool EditSession::load(const std::string& fileName,
                       const std::function<void(const BvhMotion&)>& afterRead) {
  auto motion = std::make_unique<BvhMotion>();
  if (!motion->read(fileName.c_str())) {
    message_ = "Could not read " + fileName + ": " + readFailure(fileName, *motion);
    return false;
  }
  // The count must not promise frame lines the reader did not keep.
  motion->frameCount =
      std::clamp(motion->frameCount, 0, static_cast<int>(motion->frameLines.size()));
  if (afterRead) afterRead(*motion);
  auto path = std::make_unique<PathCurve>();
  if (!fitClip(*motion, *path)) {
    message_ = "Could not fit a path to " + fileName + "; the clip was not loaded";
    return false;
  }
  motion_ = std::move(motion);
  path_ = std::move(path);
  clipName_ = fileName;
  startFreshHistory();
  message_ = "Loaded " + fileName + " (" + std::to_string(motion_->frameCount) + " frames)";
  const BvhJoint* track = path_->trackJoint;
  if (track != nullptr && track != motion_->root.get()) message_ += ". " + trackJointNotice(*track);
  return true;
}

bool EditSession::fit() {
  auto path = std::make_unique<PathCurve>();
  if (!fitClip(*motion_, *path)) {
    message_ = "Could not fit a path; the path stays as it was";
    return false;
  }
  path_ = std::move(path);
  startFreshHistory();
  return true;
}

bool EditSession::write(const std::string& fileName) {
  stepOpen_ = false;
  std::string reason;
  if (!writeClip(fileName, *motion_, *path_, &reason)) {
    message_ = "Could not write " + fileName + ": " + reason;
    return false;
  }
  savedState_ = currentState();
  message_ = "Wrote " + fileName;
  return true;
}

bool EditSession::select(int index) {
  if (index < -1 || index >= path_->pointCount()) return false;
  stepOpen_ = false;
  path_->selectPoint(index);
  return true;
}

bool EditSession::movePoint(int index, double dx, double dz) {
  if (index < 0 || index >= path_->pointCount()) {
    message_ = "There is no control point " + std::to_string(index);
    return false;
  }
  Point3 p = point(index);
  const Point3 before = p;
  p.x += dx;
  p.z += dz;
  path_->setPoint(p, index);
  // Every change is a new state, also one merged into the open step, so a
  // write in the middle of a run is never mistaken for the state after it.
  const long state = nextState_++;
  if (stepOpen_ && !undo_.empty() && undo_.back().index == index) {
    undo_.back().after = p;
    undo_.back().state = state;
  } else {
    undo_.push_back(Step{index, before, p, state});
    stepOpen_ = true;
  }
  redo_.clear();
  return true;
}

bool EditSession::moveSelected(double dx, double dz) {
  if (selected() < 0) {
    message_ = "Select a control point first";
    return false;
  }
  return movePoint(selected(), dx, dz);
}

bool EditSession::undo() { return replay(undo_, redo_, false); }

bool EditSession::redo() { return replay(redo_, undo_, true); }

bool EditSession::replay(std::vector<Step>& from, std::vector<Step>& to, bool forward) {
  stepOpen_ = false;
  const char* verb = forward ? "redo" : "undo";
  if (from.empty()) {
    message_ = std::string("Nothing to ") + verb;
    return false;
  }
  const Step step = from.back();
  from.pop_back();
  to.push_back(step);
  path_->setPoint(forward ? step.after : step.before, step.index);
  path_->selectPoint(step.index);
  message_ = std::string(forward ? "Redid" : "Undid") + " the move of " + pointText(step.index);
  return true;
}

bool EditSession::unsaved() const { return currentState() != savedState_; }

bool EditSession::wouldDropEdits(Action action) const {
  const bool replacesPath =
      action == Action::Load || action == Action::Fit || action == Action::Close;
  return replacesPath && unsaved();
}

Point3 EditSession::point(int index) const {
  Point3 p;
  if (index >= 0 && index < path_->pointCount()) path_->getPoint(index, p);
  return p;
}

std::string EditSession::suggestedWriteName(const std::string& clipName) {
  if (clipName.empty()) return "path.bvh";
  const size_t slash = clipName.find_last_of('/');
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  std::string stem = clipName;
  const size_t dot = clipName.find_last_of('.');
  if (dot != std::string::npos && dot > nameStart) stem.erase(dot);
  return stem + "-path.bvh";
}

void EditSession::startFreshHistory() {
  undo_.clear();
  redo_.clear();
  stepOpen_ = false;
  savedState_ = 0;
}
