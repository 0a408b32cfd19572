#include "path/EditSession.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "motion/TrackJoint.h"
#include "path/EditedClip.h"
#include "path/PathFit.h"
#include "path/PathKinds.h"
#include "path/PathWriter.h"

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

std::string pointText(int index) { return "point " + std::to_string(index); }

}  // namespace

std::vector<EditSession::Slot> EditSession::freshSlots() {
  std::vector<Slot> slots(static_cast<size_t>(pathKindCount()));
  for (size_t kind = 0; kind < slots.size(); ++kind)
    slots[kind].path = makePath(static_cast<int>(kind));
  return slots;
}

EditSession::EditSession() : motion_(std::make_unique<BvhMotion>()) { slots_ = freshSlots(); }

bool EditSession::fitKinds(const BvhMotion& motion, const TrackJoint& track, UpAxis up,
                           std::vector<Slot>& slots, std::string* reason) {
  slots = freshSlots();
  const PathClip clip{motion, up, track};
  for (int kind : {0, kind_}) {
    Slot& slot = slots[static_cast<size_t>(kind)];
    if (slot.fitted) continue;
    const Status fitted = slot.path->fit(clip, 0, notes_);
    if (!fitted) {
      *reason = fitted.failure().message;
      return false;
    }
    slot.fitted = true;
  }
  return true;
}

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
  const UpAxis clipUp = up ? *up : decideUpAxis(*motion);
  const TrackJoint track = findTrackJoint(*motion, clipUp);
  std::vector<Slot> slots;
  std::string reason;
  if (!fitKinds(*motion, track, clipUp, slots, &reason)) {
    return refuse("Could not fit a path to " + fileName + reason + "; the clip was not loaded");
  }
  motion_ = std::move(motion);
  slots_ = std::move(slots);
  up_ = clipUp;
  track_ = track;
  canCarry_ = ::canCarry(track_);
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
  const TrackJoint track = findTrackJoint(*motion_, up_);
  std::vector<Slot> slots;
  std::string reason;
  if (!fitKinds(*motion_, track, up_, slots, &reason)) {
    return refuse("Could not fit a path" + reason + "; the path stays as it was");
  }
  slots_ = std::move(slots);
  track_ = track;
  canCarry_ = ::canCarry(track_);
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
  const int track = track_.joint;
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
  // The writer's message already names the file and what failed.
  const Status written = writePath(fileName.c_str(), *motion_, path(), up_, notes_, existing);
  if (!written) {
    const std::string& failure = written.failure().message;
    return refuse(failure.empty()
                      ? "Could not write " + fileName + ": the file could not be written"
                      : failure);
  }
  History& history = shown().history;
  history.savedState = history.currentState();
  message_ = "Wrote " + fileName;
  return Status();
}

Status EditSession::select(int index) {
  if (index < -1 || index >= pointCount()) return refuseQuietly();
  stepOpen_ = false;
  shown().selected = index;
  return Status();
}

int EditSession::selected() const { return shown().selected; }

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
  ++revision_;
  shown().path->setPoint(index, p);
  // Every change is a new state, also one merged into the open step, so a
  // write in the middle of a run is never mistaken for the state after it.
  const long state = nextState_++;
  std::vector<Step>& undo = shown().history.undo;
  if (stepOpen_ && !undo.empty() && undo.back().index == index &&
      undo.back().change == Step::Change::move) {
    undo.back().after = p;
    undo.back().state = state;
  } else {
    undo.push_back(Step{index, before, p, state});
    stepOpen_ = true;
  }
  shown().history.redo.clear();
  return Status();
}

Status EditSession::moveSelected(double dx, double dz) {
  if (selected() < 0) return refuse("Select a control point first");
  return movePoint(selected(), dx, dz);
}

Status EditSession::undo() { return replay(shown().history.undo, shown().history.redo, false); }

Status EditSession::redo() { return replay(shown().history.redo, shown().history.undo, true); }

Status EditSession::replay(std::vector<Step>& from, std::vector<Step>& to, bool forward) {
  stepOpen_ = false;
  const char* verb = forward ? "redo" : "undo";
  if (from.empty()) return refuse(std::string("Nothing to ") + verb);
  ++revision_;
  const Step step = from.back();
  from.pop_back();
  to.push_back(step);
  applyStep(step, forward);
  shown().selected = std::min(step.index, pointCount() - 1);
  const char* what = step.change == Step::Change::insert   ? " the insertion of "
                     : step.change == Step::Change::remove ? " the deletion of "
                                                           : " the move of ";
  message_ = std::string(forward ? "Redid" : "Undid") + what + pointText(step.index);
  return Status();
}

void EditSession::applyStep(const Step& step, bool forward) {
  ClipPath& path = *shown().path;
  const bool adds = (step.change == Step::Change::insert) == forward;
  switch (step.change) {
    case Step::Change::move:
      path.setPoint(step.index, forward ? step.after : step.before);
      break;
    case Step::Change::insert:
    case Step::Change::remove:
      // Steps replay what was done, in order, so they cannot be refused.
      if (adds) {
        path.insertPoint(step.index,
                         step.change == Step::Change::insert ? step.after : step.before);
      } else {
        path.removePoint(step.index);
      }
      break;
  }
}

bool EditSession::unsaved() const {
  for (const Slot& slot : slots_) {
    if (slot.history.currentState() != slot.history.savedState) return true;
  }
  return false;
}

Status EditSession::setKind(int kind) {
  stepOpen_ = false;
  if (kind < 0 || kind >= static_cast<int>(slots_.size())) {
    return Status::failed("There is no path kind " + std::to_string(kind));
  }
  Slot& slot = slots_[static_cast<size_t>(kind)];
  // Fitted when first shown: a session that only edits one kind never pays
  // for the others.
  if (!slot.fitted) {
    const Status fitted = slot.path->fit(PathClip{*motion_, up_, track_}, 0, notes_);
    if (!fitted) return refuse("Could not fit a path" + fitted.failure().message);
    slot.fitted = true;
  }
  if (kind != kind_) ++revision_;
  kind_ = kind;
  return Status();
}

Status EditSession::refit(int pointCount) {
  stepOpen_ = false;
  std::unique_ptr<ClipPath> path = makePath(kind_);
  const Status fitted = path->fit(PathClip{*motion_, up_, track_}, pointCount, notes_);
  if (!fitted) return refuse("Could not fit a path" + fitted.failure().message);
  ++revision_;
  Slot& slot = shown();
  slot.path = std::move(path);
  slot.fitted = true;
  slot.history = History{};
  slot.selected = -1;
  return Status();
}

std::string EditSession::kindText() const {
  const int count = pointCount();
  return std::string(path().name()) + ", " + std::to_string(count) +
         (count == 1 ? " point" : " points");
}

int EditSession::pointCount() const { return path().pointCount(); }

int EditSession::carriedJoint() const { return jointOfClip(*motion_, track_.joint); }

PathLayout EditSession::layout() const {
  return pathLayout(*motion_, carriedJoint(), path().trackExtent(), up_);
}

FrameEditor& EditSession::editedFrames() const {
  if (!edited_ || editedRevision_ != revision_) {
    edited_ = std::make_unique<EditedClip>(*motion_, &path(),
                                           channelsOf(*motion_, track_.joint, up_), up_);
    editedRevision_ = revision_;
  }
  return *edited_;
}

Status EditSession::startPointChange() {
  stepOpen_ = false;
  const Status changes = path().canChangePointCount();
  if (!changes) return refuse(changes.failure().message);
  if (selected() < 0) return refuse("Select a control point first");
  return Status();
}

void EditSession::recordPointChange(int index, const Point3& p, Step::Change change) {
  ++revision_;
  History& history = shown().history;
  history.undo.push_back(Step{index, p, p, nextState_++, change});
  history.redo.clear();
}

Status EditSession::insertPoint() {
  Status start = startPointChange();
  if (!start) return start;
  int index = 0;
  Point3 p;
  Status placed = path().insertionAfter(selected(), index, p);
  if (placed) placed = shown().path->insertPoint(index, p);
  if (!placed) return refuse(placed.failure().message);
  recordPointChange(index, p, Step::Change::insert);
  shown().selected = index;
  message_ = "Inserted " + pointText(index);
  return Status();
}

Status EditSession::removePoint() {
  Status start = startPointChange();
  if (!start) return start;
  const int k = selected();
  const Point3 p = point(k);
  const Status removed = shown().path->removePoint(k);
  if (!removed) return refuse(removed.failure().message);
  recordPointChange(k, p, Step::Change::remove);
  shown().selected = -1;
  message_ = "Deleted " + pointText(k);
  return Status();
}

bool EditSession::wouldDropEdits(Action action) const {
  // Switching the up axis fits every path again.
  const bool replacesPath = action == Action::Load || action == Action::Fit ||
                            action == Action::Close || action == Action::SetUpAxis;
  return replacesPath && unsaved();
}

Point3 EditSession::point(int index) const { return path().point(index); }

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
  stepOpen_ = false;
  for (Slot& slot : slots_) {
    slot.history = History{};
    slot.selected = -1;
  }
}
