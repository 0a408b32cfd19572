#include "path/EditSession.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "motion/BvhWriter.h"
#include "motion/TrackJoint.h"
#include "path/EditedClip.h"
#include "path/PathFit.h"
#include "path/PathKinds.h"

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
  for (size_t kind = 0; kind < slots.size(); ++kind) {
    slots[kind].path = makePath(static_cast<int>(kind));
    slots[kind].keepsFeet = slots[kind].path->keepsFeetByDefault();
  }
  return slots;
}

EditSession::EditSession() : motion_(std::make_unique<BvhMotion>()) { slots_ = freshSlots(); }

bool EditSession::fitKinds(const BvhMotion& motion, const TrackJoint& track, UpAxis up,
                           std::vector<Slot>& slots, std::string* reason) {
  slots = freshSlots();
  const PathClip clip{motion, up, track};
  // Only the kind shown: a long clip should not pay for a path nobody looks
  // at (the others are fitted when first shown).
  Slot& slot = slots[static_cast<size_t>(kind_)];
  const Status fitted = slot.path->fit(clip, 0, notes_);
  if (!fitted) {
    *reason = fitted.failure().message;
    return false;
  }
  slot.fitted = true;
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
  const UpAxis clipUp = up ? *up : decideUpAxis(*motion, notes_);
  const TrackJoint track = findTrackJoint(*motion, clipUp);
  std::vector<Slot> slots;
  std::string reason;
  if (!fitKinds(*motion, track, clipUp, slots, &reason)) {
    return refuse("Could not fit a path to " + fileName + reason + "; the clip was not loaded");
  }
  motion_ = std::move(motion);
  slots_ = std::move(slots);
  paceAll();
  up_ = clipUp;
  track_ = track;
  canCarry_ = ::canCarry(track_);
  clipName_ = fileName;
  startFreshHistory();
  message_ = "Loaded " + fileName + " (" + std::to_string(motion_->frameCount) + " frames)";
  // A clip cut short must not pass for a whole one.
  if (!motion_->readWarning.empty()) message_ += ". " + motion_->readWarning;
  message_ += clipNotes(true);
  forgetFeet();
  if (keepsFeet()) noteFeet();
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
  // Whether each kind keeps the feet is the user's choice, not the fit's.
  for (size_t kind = 0; kind < slots.size(); ++kind) slots[kind].keepsFeet = slots_[kind].keepsFeet;
  slots_ = std::move(slots);
  paceAll();
  track_ = track;
  canCarry_ = ::canCarry(track_);
  startFreshHistory();
  forgetFeet();
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
  if (keepsFeet()) noteFeet();
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
  // What the feet have to say was said when they were first kept.
  Notes feetNotes;
  const std::unique_ptr<EditedClip> edited = editedClip(feetNotes);
  // The writer's message already names the file and what failed.
  const Status written = writeClip(fileName.c_str(), *motion_, edited.get(), notes_, existing);
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
  ClipPath& path = *shown().path;
  path.setPoint(index, p);
  // The point alone can be finite while the curve beyond it or a frame it
  // carries is not.
  const Status placed = path.checkPlacements();
  if (!placed) {
    path.setPoint(index, before);
    char text[160];
    std::snprintf(text, sizeof text, "Control point %d moved by %g, %g ", index, dx, dz);
    return refuse(text + placed.failure().message + "; it stays where it is");
  }
  ++revision_;
  // Every change is a new state, also one merged into the open step, so a
  // write in the middle of a run is never mistaken for the state after it.
  const long state = nextState_++;
  std::vector<Step>& undo = shown().history.undo;
  if (stepOpen_ && !undo.empty() && undo.back().index == index &&
      undo.back().change == Step::Change::move) {
    undo.back().after = p;
    undo.back().state = state;
  } else {
    undo.push_back(Step{index, before, p, state, Step::Change::move, nullptr});
    stepOpen_ = true;
  }
  shown().history.redo.clear();
  noteTiming("");
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
  noteTiming(std::string(forward ? "Redid" : "Undid") + what + pointText(step.index));
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
      // The path as it was before, exactly: a removed point's place on the
      // curve is more than its position.
      if (!forward) {
        shown().path = step.pathBefore->clone();
        shown().path->setPace(pace_);
        break;
      }
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
    slot.path->setPace(pace_);
    slot.fitted = true;
  }
  if (kind != kind_) ++revision_;
  kind_ = kind;
  if (keepsFeet()) noteFeet();
  return Status();
}

Status EditSession::refit(int pointCount) {
  stepOpen_ = false;
  std::unique_ptr<ClipPath> path = makePath(kind_);
  const Status fitted = path->fit(PathClip{*motion_, up_, track_}, pointCount, notes_);
  if (!fitted) return refuse("Could not fit a path" + fitted.failure().message);
  path->setPace(pace_);
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

std::unique_ptr<EditedClip> EditSession::editedClip(Notes& notes) const {
  // A path never fitted carries the root, as far as it carries anything.
  auto edited =
      std::make_unique<EditedClip>(*motion_, &path(), channelsOf(*motion_, track_.joint, up_), up_);
  if (keepsFeet()) edited->keepFeet(contacts(), notes);
  return edited;
}

FrameEditor& EditSession::editedFrames() const {
  if (!edited_ || editedRevision_ != revision_) {
    Notes said;
    edited_ = editedClip(said);
    editedRevision_ = revision_;
  }
  return *edited_;
}

const FootContacts& EditSession::contacts() const {
  if (!contacts_) {
    contacts_ = std::make_unique<FootContacts>(findFootContacts(*motion_, up_, carriedJoint()));
  }
  return *contacts_;
}

void EditSession::setKeepsFeet(bool keep) {
  stepOpen_ = false;
  if (keep == keepsFeet()) return;
  ++revision_;
  shown().keepsFeet = keep;
  message_ = keep ? "Planted feet stay planted" : "Feet free: the legs move with the path";
  if (keep) noteFeet();
}

void EditSession::noteFeet() {
  if (feetNoted_ || !canCarry_) return;
  feetNoted_ = true;
  Notes said;
  editedClip(said);
  if (contacts().contacts.empty()) said.add("No foot contacts found\n");
  // The status line says it too, one sentence a line.
  std::string text = said.text();
  notes_.append(said);
  while (!text.empty() && text.back() == '\n') text.pop_back();
  for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at)) {
    text.replace(at, 1, ". ");
  }
  if (!text.empty()) message_ += (message_.empty() ? "" : ". ") + text;
}

void EditSession::forgetFeet() {
  contacts_.reset();
  feetNoted_ = false;
}

Status EditSession::startPointChange() {
  stepOpen_ = false;
  const Status changes = path().canChangePointCount();
  if (!changes) return refuse(changes.failure().message);
  if (selected() < 0) return refuse("Select a control point first");
  return Status();
}

void EditSession::recordPointChange(int index, const Point3& p, Step::Change change,
                                    std::shared_ptr<const ClipPath> pathBefore) {
  ++revision_;
  History& history = shown().history;
  history.undo.push_back(Step{index, p, p, nextState_++, change, std::move(pathBefore)});
  history.redo.clear();
}

void EditSession::paceAll() {
  for (Slot& slot : slots_) slot.path->setPace(pace_);
}

void EditSession::setPace(PathPace pace) {
  if (pace != pace_) ++revision_;
  pace_ = pace;
  paceAll();
  message_ = pace_ == PathPace::keep
                 ? "Keep Pace on: frames keep their distance along the path"
                 : "Keep Pace off: frames pass each control point at the frame they passed it";
  if (!path().pacesFrames()) {
    message_ += std::string(" (the ") + path().name() + " keeps each frame at its own place)";
  }
  timingNote_.clear();
}

void EditSession::noteTiming(const std::string& text) {
  const std::string note = path().timingNote();
  if (!text.empty()) {
    message_ = note.empty() ? text : text + ". " + note;
  } else if (!note.empty()) {
    message_ = note;
  } else if (!timingNote_.empty() && message_ == timingNote_) {
    message_.clear();
  }
  timingNote_ = note;
}

Status EditSession::insertPoint() {
  Status start = startPointChange();
  if (!start) return start;
  int index = 0;
  Point3 p;
  std::shared_ptr<const ClipPath> before = path().clone();
  Status placed = path().insertionAfter(selected(), index, p);
  if (placed) placed = shown().path->insertPoint(index, p);
  if (!placed) return refuse(placed.failure().message);
  recordPointChange(index, p, Step::Change::insert, std::move(before));
  shown().selected = index;
  noteTiming("Inserted " + pointText(index));
  return Status();
}

Status EditSession::removePoint() {
  Status start = startPointChange();
  if (!start) return start;
  const int k = selected();
  const Point3 p = point(k);
  std::shared_ptr<const ClipPath> before = path().clone();
  const Status removed = shown().path->removePoint(k);
  if (!removed) return refuse(removed.failure().message);
  recordPointChange(k, p, Step::Change::remove, std::move(before));
  shown().selected = -1;
  noteTiming("Deleted " + pointText(k));
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
