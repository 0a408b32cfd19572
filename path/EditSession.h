#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/Point3.h"
#include "motion/BvhMotion.h"
#include "path/PathCurve.h"

// One clip being edited: the clip, the path fitted to it (with its fit
// record), the selected control point, the undo history of point moves,
// whether there are edits not yet written, and the last outcome in words for
// the user. Headless: the window and console tools drive the same operations.
// Operations validate their input, return whether they did anything and
// leave a message; none of them prints.
class EditSession {
 public:
  // An empty clip with an empty path (no control points) and no history.
  EditSession();
  EditSession(const EditSession&) = delete;
  EditSession& operator=(const EditSession&) = delete;

  // Reads fileName into a fresh clip and fits a path to it. Only when both
  // succeed do they replace the clip and the path; the history starts afresh
  // and the session counts as saved. On failure nothing changes and the
  // message says why. The reader's own console output is left as it is.
  // afterRead, when given, sees the clip once it is read, before the fit.
  bool load(const std::string& fileName,
            const std::function<void(const BvhMotion&)>& afterRead = nullptr);
  // Fits a new path to the present clip (also an empty one); replaces the
  // path and starts a fresh history on success.
  bool fit();
  // Writes the clip carried along the path. Success marks the session saved;
  // the history is not changed. Never asks: replacing an existing file is
  // the caller's question.
  bool write(const std::string& fileName);

  // Selects control point index, or none with -1. Any other index is refused
  // (false, selection unchanged). Ends the open move step.
  bool select(int index);
  int selected() const { return path_->selectedPoint(); }

  // Moves control point index by dx, dz clip units (y stays). Consecutive
  // moves of the same point, with no select, undo, redo, write or endMove in
  // between, form one undo step: a run of arrow presses or a whole drag.
  // A new step clears the redo list. False for an index that is no point.
  bool movePoint(int index, double dx, double dz);
  // movePoint of the selected point; false when none is selected.
  bool moveSelected(double dx, double dz);
  // Closes the open move step, so the next move starts a new one.
  void endMove() { stepOpen_ = false; }

  // Undo puts the point of the last step back and selects it; redo applies
  // the last undone step again. False when there is nothing to undo or redo.
  bool undo();
  bool redo();
  bool canUndo() const { return !undo_.empty(); }
  bool canRedo() const { return !redo_.empty(); }

  // Edits not yet written: the path differs from the last load, fit or write
  // (undoing back to the written state counts as saved again).
  bool unsaved() const;

  // What can be done to a session from the editor.
  enum class Action { Load, Fit, Write, Select, Move, Undo, Redo, Close };
  // Whether doing action now would throw away edits not yet written: only
  // the actions that replace or abandon the path do, and only while there
  // are such edits.
  bool wouldDropEdits(Action action) const;

  // The last outcome for the user ("Wrote out.bvh", "Could not read ...").
  const std::string& message() const { return message_; }
  void setMessage(std::string text) { message_ = std::move(text); }

  // File name the clip was loaded from ("" before any load).
  const std::string& clipName() const { return clipName_; }
  const BvhMotion& motion() const { return *motion_; }
  const PathCurve& path() const { return *path_; }
  // Control point index, or a zero point when there is none.
  Point3 point(int index) const;

  // The owning slots, for drawing code that still reaches the clip and the
  // path directly. Changing the path through them bypasses the history.
  std::unique_ptr<BvhMotion>& motionSlot() { return motion_; }
  std::unique_ptr<PathCurve>& pathSlot() { return path_; }

  // The name Write Path suggests: "<clip>-path.bvh" beside the clip
  // ("path.bvh" without a clip).
  static std::string suggestedWriteName(const std::string& clipName);

 private:
  struct Step {
    int index;
    Point3 before;
    Point3 after;
    long state;  // identifies the path state this step leads to
  };

  void startFreshHistory();
  // Moves the last step of from to to, setting its point to the state after
  // it (forward) or before it.
  bool replay(std::vector<Step>& from, std::vector<Step>& to, bool forward);
  long currentState() const { return undo_.empty() ? 0 : undo_.back().state; }

  std::unique_ptr<BvhMotion> motion_;
  std::unique_ptr<PathCurve> path_;
  std::string clipName_;
  std::string message_;
  std::vector<Step> undo_;
  std::vector<Step> redo_;
  bool stepOpen_ = false;
  long nextState_ = 1;
  long savedState_ = 0;
};
