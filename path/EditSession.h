#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/Outcome.h"
#include "base/Point3.h"
#include "base/SafeFileWriter.h"
#include "motion/BvhMotion.h"
#include "motion/FrameEditor.h"
#include "motion/TrackJoint.h"
#include "motion/UpAxis.h"
#include "path/ClipPath.h"
#include "path/GroundMapping.h"

// One clip being edited: the clip, the path fitted to it (with its fit
// record), the selected control point, the undo history of point moves,
// whether there are edits not yet written, and the last outcome in words for
// the user. Headless: the window and console tools drive the same operations.
// Operations validate their input and return a Status; none of them prints.
// What they have to tell the user they leave in message() (the status line's
// text, also after a success); a failure's message is that same text. A
// refusal with nothing new to say (select of no point, setUpAxis to the axis
// in use) leaves message() as it was, and its failure carries that text.
// A failure's line is the clip's line where the reader names one, else 0.
class EditSession {
 public:
  // An empty clip with an empty path (no control points) and no history.
  EditSession();
  EditSession(const EditSession&) = delete;
  EditSession& operator=(const EditSession&) = delete;

  // Reads fileName into a fresh clip and fits a path to it. Only when both
  // succeed do they replace the clip and the path; the history starts afresh
  // and the session counts as saved. On failure nothing changes and the
  // message says why. The reader's console notes are appended to the
  // session's (takeConsoleNotes) before afterRead is called, also when the
  // read fails. A fit whose control points are not all finite numbers
  // counts as failed. The fit's console text goes to the console notes
  // either way.
  // afterRead, when given, sees the clip once it is read, before the fit.
  // The up axis is up when given, else decided from the posed figure
  // (decideUpAxis). The message carries the reader's warning (frames cut
  // short), names the track joint when it is not the
  // root, "Up axis: Z" when it is Z, and says when the clip has nothing the
  // path can carry (kNoGroundChannels).
  Status load(const std::string& fileName,
              const std::function<void(const BvhMotion&)>& afterRead = nullptr,
              std::optional<UpAxis> up = std::nullopt);
  // Fits the paths to the present clip (also an empty one) anew: the first
  // kind and the kind shown at once, the others when next shown; replaces
  // them and starts fresh histories on success, leaving the message as it
  // was. The fit's console text goes to the console notes either way.
  Status fit();

  // The clip's up axis: the ground is x and z with Y up, x and y with Z up.
  // Both kinds of path, moves (dx, dz: along the ground's second axis, the
  // clip's y with Z up) and write use it.
  UpAxis upAxis() const { return up_; }
  // Sets the up axis and fits the paths again for it (fit: fresh
  // histories); fails, nothing changed, when it is already up (the message
  // as it was) or the fit fails (the fit's message). On success the message
  // says "Up axis: Y" or "Up axis: Z".
  Status setUpAxis(UpAxis up);
  // Whether the path can move the clip: its track joint has both ground
  // position channels.
  bool canCarry() const { return canCarry_; }
  // Writes the clip carried along the path of the kind shown. Success marks
  // that kind saved; the history is not changed. Never asks: replacing an
  // existing file is the caller's question, answered by existing (with kKeep
  // a file that exists when the new one is put in place makes the write fail).
  // The writer's console notes are appended to the session's.
  Status write(const std::string& fileName, ExistingTarget existing = ExistingTarget::kReplace);

  // Selects control point index, or none with -1. Any other index is refused
  // (selection unchanged). Ends the open move step. Leaves the message as it
  // was either way.
  Status select(int index);
  int selected() const;

  // Moves control point index by dx, dz clip units (y stays); refused with
  // kNoGroundChannels when the path cannot carry the clip. Consecutive
  // moves of the same point, with no select, undo, redo, write or endMove in
  // between, form one undo step: a run of arrow presses or a whole drag.
  // A new step clears the redo list. Fails for an index that is no point
  // and for a move that would take the point past the largest number. A
  // move that succeeds leaves the message as it was.
  Status movePoint(int index, double dx, double dz);
  // movePoint of the selected point; fails when none is selected.
  Status moveSelected(double dx, double dz);
  // Closes the open move step, so the next move starts a new one.
  void endMove() { stepOpen_ = false; }

  // Undo puts the point of the last step back and selects it; redo applies
  // the last undone step again. Fails when there is nothing to undo or redo.
  Status undo();
  Status redo();
  bool canUndo() const { return !shown().history.undo.empty(); }
  bool canRedo() const { return !shown().history.redo.empty(); }

  // Edits not yet written: a path of either kind differs from the last load,
  // fit or write of it (undoing back to the written state counts as saved
  // again).
  bool unsaved() const;

  // The kinds of path a session holds (path/PathKinds.h), each with its own
  // points, selection and history, so a switch never loses an edit. kind()
  // is the one shown: select, moves, insert, delete, undo, redo, point and
  // write act on it. The first kind is fitted with every load; the others
  // when first shown.
  int kind() const { return kind_; }
  // Shows kind from now on (fitting it when it was not), ending the open
  // move step; fails, nothing changed, for a kind that is none or does not
  // fit.
  Status setKind(int kind);
  // The path shown, and the path of any kind (unfitted until first shown).
  const ClipPath& path() const { return *shown().path; }
  const ClipPath& pathOf(int kind) const { return *slots_[static_cast<size_t>(kind)].path; }
  // Refits the path shown with pointCount points (0: the kind chooses) and
  // starts its history afresh (no point selected); the other kinds are not
  // touched. Fails, nothing changed, when the fit does.
  Status refit(int pointCount);
  // Points of the path shown.
  int pointCount() const;
  // "Loop path, 4 points" or "Track path, 1 point", for the status line.
  std::string kindText() const;
  // Each one undo step that selects its point: insert puts a point on the
  // curve after the selected one (ClipPath::insertionAfter); remove takes the
  // selected point out. Fails when the path shown refuses.
  Status insertPoint();
  Status removePoint();

  // The joint the paths carry (the root, or the joint that walks below a
  // still root) with its words, and its index in the skeleton (the root
  // for a clip whose paths found none).
  const TrackJoint& trackJoint() const { return track_; }
  int carriedJoint() const;
  // How the path shown is laid under the figure (pathLayout).
  PathLayout layout() const;
  // The clip as edited along the path shown, for drawing what write writes:
  // the same edits, kept until the path, the clip or its axis change.
  FrameEditor& editedFrames() const;

  // What can be done to a session from the editor.
  enum class Action { Load, Fit, Write, Select, Move, Undo, Redo, Close, SetUpAxis };
  // Whether doing action now would throw away edits not yet written: only
  // the actions that replace or abandon the path do, and only while there
  // are such edits.
  bool wouldDropEdits(Action action) const;

  // The last outcome for the user ("Wrote out.bvh", "Could not read ...").
  const std::string& message() const { return message_; }
  void setMessage(std::string text) { message_ = std::move(text); }

  // Console text the operations left since it was last taken (the reader's,
  // the fit's and the writer's notes, in the order they came); app/ prints
  // it as it stands. Taking it empties it, so an afterRead hook can print
  // what the read left before the fit adds its own.
  Notes takeConsoleNotes() { return std::exchange(notes_, Notes()); }

  // Changes whenever what the clip looks like when carried along the path
  // shown may have changed (a load, a fit, a move, an undo, a switch of
  // kind or axis...), so that views can keep what they derive from it.
  long revision() const { return revision_; }

  // File name the clip was loaded from ("" before any load).
  const std::string& clipName() const { return clipName_; }
  const BvhMotion& motion() const { return *motion_; }
  // Control point index of the kind shown, or a zero point when there is none.
  Point3 point(int index) const;

  // The name Write Path suggests: "<clip>-path.bvh" beside the clip
  // ("path.bvh" without a clip).
  static std::string suggestedWriteName(const std::string& clipName);

 private:
  struct Step {
    int index;
    Point3 before;
    Point3 after;
    long state;  // identifies the path state this step leads to
    enum class Change { move, insert, remove } change = Change::move;
  };
  struct History {
    std::vector<Step> undo;
    std::vector<Step> redo;
    long savedState = 0;
    long currentState() const { return undo.empty() ? 0 : undo.back().state; }
  };
  // One kind of path with its own edits.
  struct Slot {
    std::unique_ptr<ClipPath> path;
    bool fitted = false;
    History history;
    int selected = -1;
  };

  // One unfitted path of every kind.
  static std::vector<Slot> freshSlots();
  Slot& shown() { return slots_[static_cast<size_t>(kind_)]; }
  const Slot& shown() const { return slots_[static_cast<size_t>(kind_)]; }
  void startFreshHistory();
  // Leaves text in the message and returns it as the failure.
  Status refuse(std::string text, int line = 0);
  // A failure that carries the message as it stands.
  Status refuseQuietly() const;
  // What the user should know about the clip and its fit, each after ". ":
  // the track joint, the up axis when it is Z (withUpAxis), a short clip's
  // fit, nothing to carry.
  std::string clipNotes(bool withUpAxis) const;
  // Fits fresh paths of every kind to motion, carrying track, with up: the
  // first kind and the kind shown; false (with *reason set) when one fails.
  bool fitKinds(const BvhMotion& motion, const TrackJoint& track, UpAxis up,
                std::vector<Slot>& slots, std::string* reason);
  // Moves the last step of from to to, setting its point to the state after
  // it (forward) or before it.
  Status replay(std::vector<Step>& from, std::vector<Step>& to, bool forward);
  // Applies step to the path shown, forward or back.
  void applyStep(const Step& step, bool forward);
  // Insert and delete: whether one may start (else the failure says why),
  // and the undo step that records it.
  Status startPointChange();
  void recordPointChange(int index, const Point3& p, Step::Change change);

  std::unique_ptr<BvhMotion> motion_;
  std::vector<Slot> slots_;
  int kind_ = 0;
  TrackJoint track_;
  std::string clipName_;
  std::string message_;
  Notes notes_;
  bool stepOpen_ = false;
  long nextState_ = 1;
  UpAxis up_ = UpAxis::y;
  bool canCarry_ = false;
  long revision_ = 0;
  // The edits drawn, and the revision they were made for.
  mutable std::unique_ptr<FrameEditor> edited_;
  mutable long editedRevision_ = -1;
};
