#include "path/EditSession.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "motion/TrackJoint.h"
#include "path/GroundMapping.h"
#include "path/PathFit.h"
#include "path/PathWriter.h"
#include "path/TrackFit.h"
#include "path/TrackPlacement.h"

namespace {

// Why the reader refused fileName (read: its failure), in words for the user.
std::string readFailure(const std::string& fileName, const Status& read) {
  // The system's words for a file that cannot be reached are clearer than the
  // reader's; stat and access never block, even on a FIFO.
  struct stat info {};
  if (stat(fileName.c_str(), &info) != 0 || access(fileName.c_str(), R_OK) != 0) {
    return std::strerror(errno);
  }
  if (!read.failure().message.empty()) return read.failure().message;
  return "not a BVH clip this editor can read";
}

bool isFinite(const Point3& p) {
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

// Fits a loop path to motion into fit; false when no path could be fitted,
// with *reason set when the fit overflowed. The fit's console text goes to
// notes either way.
bool fitClip(const BvhMotion& motion, LoopFit& fit, UpAxis up, Notes& notes, std::string* reason) {
  if (!fitPath(motion, fit, notes, up) || fit.path.pointCount() <= 0) return false;
  for (const Point3& p : fit.path.points()) {
    // Positions near the largest number overflow the fit: such a path can
    // be neither drawn nor written.
    if (!isFinite(p)) {
      *reason = " (the fitted path is not finite: the positions are too large)";
      return false;
    }
  }
  return true;
}

// Writes the clip carried along the track path when one is given, else along
// the loop path; on failure *message says why, naming the file once.
bool writeClip(const std::string& fileName, const BvhMotion& motion, const LoopFit& loop,
               const TrackFit* track, ExistingTarget existing, UpAxis up, Notes& notes,
               std::string* message) {
  const Status written = track != nullptr
                             ? writeTrackPath(fileName.c_str(), motion, *track, notes, existing, up)
                             : writePath(fileName.c_str(), motion, loop, notes, existing, up);
  if (written) return true;
  *message = written.failure().message;
  if (message->empty()) {
    *message = "Could not write " + fileName + ": the file could not be written";
  }
  return false;
}

std::string pointText(int index) { return "point " + std::to_string(index); }

}  // namespace

EditSession::EditSession()
    : motion_(std::make_unique<BvhMotion>()), loop_(std::make_unique<LoopFit>()) {}

Status EditSession::load(const std::string& fileName,
                         const std::function<void(const BvhMotion&)>& afterRead,
                         std::optional<UpAxis> up) {
  ++revision_;
  auto motion = std::make_unique<BvhMotion>();
  const Status read = motion->read(fileName.c_str(), notes_);
  if (!read) {
    return refuse("Could not read " + fileName + ": " + readFailure(fileName, read),
                  read.failure().line);
  }
  // The count must not promise frame lines the reader did not keep.
  motion->frameCount =
      std::clamp(motion->frameCount, 0, static_cast<int>(motion->frameLines.size()));
  if (afterRead) afterRead(*motion);
  const UpAxis clipUp = up ? *up : decideUpAxis(*motion, notes_);
  auto loop = std::make_unique<LoopFit>();
  std::string reason;
  if (!fitClip(*motion, *loop, clipUp, notes_, &reason)) {
    return refuse("Could not fit a path to " + fileName + reason + "; the clip was not loaded");
  }
  motion_ = std::move(motion);
  loop_ = std::move(loop);
  loopSelected_ = -1;
  up_ = clipUp;
  canCarry_ = ::canCarry(findTrackJoint(*motion_, up_));
  dropTrackFit();
  clipName_ = fileName;
  startFreshHistory();
  message_ = "Loaded " + fileName + " (" + std::to_string(motion_->frameCount) + " frames)";
  // A clip cut short must not pass for a whole one.
  if (!motion_->readWarning.empty()) message_ += ". " + motion_->readWarning;
  message_ += clipNotes(true);
  return Status();
}

Status EditSession::fit() {
  ++revision_;
  auto loop = std::make_unique<LoopFit>();
  std::string reason;
  if (!fitClip(*motion_, *loop, up_, notes_, &reason)) {
    return refuse("Could not fit a path" + reason + "; the path stays as it was");
  }
  loop_ = std::move(loop);
  loopSelected_ = -1;
  canCarry_ = ::canCarry(findTrackJoint(*motion_, up_));
  dropTrackFit();
  startFreshHistory();
  return Status();
}

Status EditSession::setUpAxis(UpAxis up) {
  if (up == up_) return refuseQuietly();
  const UpAxis before = up_;
  up_ = up;
  Status fitted = fit();
  if (!fitted) {
    up_ = before;
    return fitted;
  }
  message_ = std::string("Up axis: ") + upAxisName(up_) + clipNotes(false);
  return Status();
}

Status EditSession::refuse(std::string text, int line) {
  message_ = std::move(text);
  return Status(Failure{message_, line});
}

Status EditSession::refuseQuietly() const { return Status(Failure{message_}); }

std::string EditSession::clipNotes(bool withUpAxis) const {
  std::string notes;
  const int track = loop_->trackJoint;
  if (track > 0 && motion_->skeleton.contains(track)) {
    notes += ". " + trackJointNotice(motion_->skeleton[track]);
  }
  if (withUpAxis && up_ == UpAxis::z) notes += ". Up axis: Z";
  const std::string shortClip = shortClipNote(motion_->frameCount);
  if (!shortClip.empty()) notes += ". " + shortClip;
  if (!canCarry_) notes += std::string(". ") + kNoGroundChannels;
  return notes;
}

Status EditSession::write(const std::string& fileName, ExistingTarget existing) {
  stepOpen_ = false;
  std::string failure;
  const TrackFit* track = kind_ == PathKind::track ? &track_ : nullptr;
  // The writer's message already names the file and what failed.
  if (!writeClip(fileName, *motion_, *loop_, track, existing, up_, notes_, &failure)) {
    return refuse(std::move(failure));
  }
  savedState_ = currentState();
  message_ = "Wrote " + fileName;
  return Status();
}

Status EditSession::select(int index) {
  if (index < -1 || index >= pointCount()) return refuseQuietly();
  stepOpen_ = false;
  selectShown(index);
  return Status();
}

int EditSession::selected() const {
  return kind_ == PathKind::track ? trackSelected_ : loopSelected_;
}

Status EditSession::movePoint(int index, double dx, double dz) {
  if (index < 0 || index >= pointCount()) {
    return refuse("There is no control point " + std::to_string(index));
  }
  if (!canCarry_) return refuse(kNoGroundChannels);
  Point3 p = point(index);
  const Point3 before = p;
  p.x += dx;
  p.z += dz;
  if (!isFinite(p)) {
    char text[160];
    std::snprintf(text, sizeof text,
                  "Control point %d moved by %g, %g would not be finite; it stays where it is",
                  index, dx, dz);
    return refuse(text);
  }
  setShownPoint(p, index);
  // Every change is a new state, also one merged into the open step, so a
  // write in the middle of a run is never mistaken for the state after it.
  const long state = nextState_++;
  if (stepOpen_ && !undo_.empty() && undo_.back().index == index &&
      undo_.back().change == Step::Change::move) {
    undo_.back().after = p;
    undo_.back().state = state;
  } else {
    undo_.push_back(Step{index, before, p, state});
    stepOpen_ = true;
  }
  redo_.clear();
  return Status();
}

Status EditSession::moveSelected(double dx, double dz) {
  if (selected() < 0) return refuse("Select a control point first");
  return movePoint(selected(), dx, dz);
}

Status EditSession::undo() { return replay(undo_, redo_, false); }

Status EditSession::redo() { return replay(redo_, undo_, true); }

Status EditSession::replay(std::vector<Step>& from, std::vector<Step>& to, bool forward) {
  ++revision_;
  stepOpen_ = false;
  const char* verb = forward ? "redo" : "undo";
  if (from.empty()) return refuse(std::string("Nothing to ") + verb);
  const Step step = from.back();
  from.pop_back();
  to.push_back(step);
  if (kind_ == PathKind::track) {
    replayTrack(step, forward);
  } else {
    loop_->path.setPoint(step.index, forward ? step.after : step.before);
  }
  selectShown(std::min(step.index, pointCount() - 1));
  const char* what = step.change == Step::Change::insert   ? " the insertion of "
                     : step.change == Step::Change::remove ? " the deletion of "
                                                           : " the move of ";
  message_ = std::string(forward ? "Redid" : "Undid") + what + pointText(step.index);
  return Status();
}

void EditSession::replayTrack(const Step& step, bool forward) {
  TrackPath& path = track_.path;
  switch (step.change) {
    case Step::Change::move:
      path.setPoint(step.index, forward ? step.after : step.before);
      break;
    case Step::Change::insert:
      if (forward) {
        path.insertPoint(step.index, step.after);
      } else {
        path.removePoint(step.index);
      }
      break;
    case Step::Change::remove:
      if (forward) {
        path.removePoint(step.index);
      } else {
        path.insertPoint(step.index, step.before);
      }
      break;
  }
}

bool EditSession::unsaved() const {
  const long parkedState = parked_.undo.empty() ? 0 : parked_.undo.back().state;
  return currentState() != savedState_ || parkedState != parked_.savedState;
}

void EditSession::dropTrackFit() {
  track_ = TrackFit{};
  trackFitted_ = false;
  trackSelected_ = -1;
  if (kind_ == PathKind::track) fitTrack(0);
}

void EditSession::setKind(PathKind kind) {
  ++revision_;
  stepOpen_ = false;
  // Fitted when first shown: a session that only edits the loop path never
  // pays for it.
  if (kind == PathKind::track && !trackFitted_) fitTrack(0);
  if (kind == kind_) return;
  std::swap(undo_, parked_.undo);
  std::swap(redo_, parked_.redo);
  std::swap(savedState_, parked_.savedState);
  kind_ = kind;
}

void EditSession::fitTrack(int pointCount) {
  ++revision_;
  track_ = fitTrackPath(*motion_, pointCount, up_);
  trackFitted_ = true;
  trackSelected_ = -1;
  if (kind_ == PathKind::track) {
    undo_.clear();
    redo_.clear();
    stepOpen_ = false;
    savedState_ = 0;
  } else {
    parked_ = History{};
  }
}

bool EditSession::placeFrame(int f, FramePlacement& placement) const {
  if (kind_ == PathKind::track) return trackPlacement(track_, f, placement);
  return framePlacement(*loop_, *motion_, f, motion_->frameCount, placement);
}

std::string EditSession::kindText() const {
  const int count = pointCount();
  return std::string(kind_ == PathKind::track ? "Track path, " : "Loop path, ") +
         std::to_string(count) + (count == 1 ? " point" : " points");
}

int EditSession::pointCount() const {
  return kind_ == PathKind::track ? track_.path.pointCount() : loop_->path.pointCount();
}

Status EditSession::startPointChange() {
  stepOpen_ = false;
  if (kind_ != PathKind::track) return refuse("Points are inserted and deleted on the track path");
  if (selected() < 0) return refuse("Select a control point first");
  return Status();
}

void EditSession::recordPointChange(int index, const Point3& p, Step::Change change) {
  ++revision_;
  undo_.push_back(Step{index, p, p, nextState_++, change});
  redo_.clear();
}

Status EditSession::insertPoint() {
  Status start = startPointChange();
  if (!start) return start;
  const int k = selected();
  const int n = pointCount();
  if (n < 2) return refuse("A path of one point has no segment to insert into");
  // The middle of the segment after the selected point: the curve barely
  // changes, since the new point lies on it.
  const int segment = k < n - 1 ? k : k - 1;
  const Point3 p = track_.path.positionAt(segment + 0.5);
  if (!track_.path.insertPoint(segment + 1, p)) {
    return refuse("A track path holds at most " + std::to_string(TrackPath::maxPoints) + " points");
  }
  recordPointChange(segment + 1, p, Step::Change::insert);
  selectShown(segment + 1);
  message_ = "Inserted " + pointText(segment + 1);
  return Status();
}

Status EditSession::removePoint() {
  Status start = startPointChange();
  if (!start) return start;
  const int k = selected();
  if (pointCount() <= 2) return refuse("A track path keeps at least two points");
  const Point3 p = point(k);
  track_.path.removePoint(k);
  recordPointChange(k, p, Step::Change::remove);
  selectShown(-1);
  message_ = "Deleted " + pointText(k);
  return Status();
}

void EditSession::setShownPoint(const Point3& p, int index) {
  ++revision_;
  if (kind_ == PathKind::track) {
    track_.path.setPoint(index, p);
  } else {
    loop_->path.setPoint(index, p);
  }
}

void EditSession::selectShown(int index) {
  (kind_ == PathKind::track ? trackSelected_ : loopSelected_) = index;
}

bool EditSession::wouldDropEdits(Action action) const {
  // Switching the up axis fits both paths again.
  const bool replacesPath = action == Action::Load || action == Action::Fit ||
                            action == Action::Close || action == Action::SetUpAxis;
  return replacesPath && unsaved();
}

Point3 EditSession::point(int index) const {
  return kind_ == PathKind::track ? track_.path.point(index) : loop_->path.point(index);
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
  parked_ = History{};
}
