#pragma once

#include <functional>
#include <string>

#include "path/EditSession.h"
#include "view/CommandSink.h"
#include "view/Question.h"
#include "view/ViewState.h"

// The editor's operations: everything a key, a mouse gesture or a control
// asks for, carried out on the session and the view state, with the
// questions and choosers they need. Headless: the questions, the file
// chooser and the console come in as functions, so tests drive every flow
// without a display. Every operation leaves its outcome in the session's
// message ("Moved point 2 to x 10.00, z 4.50"), so the status line never
// shows a stale one. After each operation that changed what is shown it
// calls the changed function (the window redraws and brings its controls in
// line there).
class EditorActions : public CommandSink {
 public:
  // The chooser's answer to a message and a pattern ("*.bvh"), given a name
  // to suggest (or null): the chosen name, or null for a cancel. The text
  // belongs to the chooser and lasts until its next call.
  using ChooseFunction =
      std::function<const char*(const char* message, const char* pattern, const char* suggested)>;
  using ConsoleFunction = std::function<void(const std::string& text)>;

  struct Seams {
    QuestionFunction ask;
    ChooseFunction choose;
    // Without one, console text is dropped.
    ConsoleFunction console;
  };

  // Actions on session and state (both owned by the caller, which keeps them
  // for the actions' life), which start as the view starts on a clip: its
  // first frame at the clip's pace (the pace note added to the message when
  // the file's cannot be played), the camera in its start-up pose, or framing
  // a figure that pose shows too small, too large or not at all.
  EditorActions(EditSession& session, ViewState& state, Seams seams);

  void setChanged(std::function<void()> changed);

  // CommandSink.
  bool run(Command command, int times = 1) override;
  void selectPoint(int index) override;
  void dragSelected(double dx, double dz) override;
  void endDrag() override;
  void zoom(int notches) override;
  void beginTurn(float unitX, float unitY) override;
  void turnTo(float unitX, float unitY) override;
  void aboutToDraw() override;
  void console(const std::string& text) override;
  void viewResized(int width, int height) override;

  // The controls that carry a value. The frame slider: the frame value
  // truncated into the clip; the rate slider: any pace; the typed rate: 0.001
  // to 10 seconds, anything else refused with a message; the clip's rate
  // brings the clip's own pace back.
  void setCurrentFrame(double value);
  void setFrameTime(double seconds);
  void typeFrameTime(double seconds);
  void useClipRate();
  // The pan buttons: the camera along the ground by step world units.
  void panX(double step);
  void panZ(double step);
  // The typed frame: that frame, brought into the clip (the message says so
  // when it was not in it).
  void goToFrame(double typed);
  // The typed ground coordinates of the selected point (x and the ground's
  // second axis, z or, with Z up, the clip's y): the point moves there as
  // one undo step. Refused without a selection or for a value that is not a
  // finite number.
  void movePointTo(double x, double z);

  // Null: nothing happens. Otherwise loads the file as the new clip with a
  // fresh fit and history, takes its frame time, starts at frame 0, frames
  // the figure (as F). A file that cannot be read or fitted changes nothing
  // but the message. Edits not yet written are dropped only when the user
  // agrees, or written first when the user asks for "Write First" (a write
  // that does not happen loads nothing). Returns whether the file was loaded.
  bool loadPath(const char* fileName);
  // Null: nothing is written. An existing name (a dangling link too) is
  // replaced only after the user agreed. Returns whether the file was written.
  bool writePath(const char* fileName);
  // "Load Path" and "Write Path" with their choosers ("Choose a BVH File: ",
  // "Enter a BVH File name: ", "*.bvh"); writing suggests <clip>-path.bvh.
  // Return whether the clip was loaded, written.
  bool chooseAndLoadPath();
  bool chooseAndWritePath();
  // U: the other up axis, with both paths fitted again for it (the console
  // and the message say "Up axis: Y" or "Up axis: Z"); the figure is framed
  // anew. Edits not yet written are dropped only when the user agrees.
  void switchUpAxis();
  // Whether the editor may close now: yes without unwritten edits, else only
  // when the user agrees or the edits were written first ("Write First");
  // the message says so when not.
  bool mayClose();

  // The playback clock's step: the frame due now, when playing.
  void tick();
  // Seconds until the next frame is due (playback paced by the clock).
  double secondsToNextFrame() const;

  // The status line (statusText of the session and the playback).
  std::string statusText() const;
  const EditSession& session() const { return session_; }
  const ViewState& state() const { return state_; }

 private:
  // The groups of commands run() hands on to; each carries the command out
  // with its message and returns false for a command that is not its own.
  bool runPlayback(Command command);
  bool runTimeline(Command command);
  bool runCamera(Command command);
  bool runDisplay(Command command);
  bool runEdit(Command command);
  bool runPoints(Command command);
  bool nudge(Command command, int times);
  void switchPathKind();
  void stepPoint(bool forward);
  void resetCamera();
  void frameFigure();
  void frameEverything();
  void switchTopView();
  // Whether the camera stands where one can work (cameraStandsSound).
  bool cameraSound() const;
  // "Moved point 2 to x 10.00, z 4.50" and the like, for the selected point.
  void notePoint(const char* verb);
  // How an action that would drop unwritten edits may go on: the user
  // agreed to drop them, they were written first, the user keeps them, or
  // the write asked for first did not happen (its message says why).
  enum class GoOn { dropping, written, kept, notWritten };
  // The one question of every action that would drop unwritten edits;
  // offerWriteFirst adds "Write First", which writes as Write Path does.
  GoOn mayDropEdits(const std::string& action, const char* goAhead, bool offerWriteFirst);
  // After a clip was loaded: its pace from frame 0.
  void clipLoaded();
  void noteClipPace();
  // Hands text, after what the session's operations left, to the console.
  void say(const std::string& text);
  void notify();

  EditSession& session_;
  ViewState& state_;
  Seams seams_;
  std::function<void()> changed_;
};
