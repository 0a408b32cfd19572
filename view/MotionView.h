#pragma once

#include <FL/Fl_Gl_Window.H>

#include <functional>
#include <string>

#include "draw/TextureCache.h"
#include "path/EditSession.h"
#include "view/OrbitCamera.h"
#include "view/Playback.h"

// The OpenGL view of an edit session: draws the clip and its path through
// the camera, plays the clip, and turns mouse, keys and the controls'
// operations into operations of the session, the playback and the camera.
// It asks for no clip and prints nothing: console text goes to the console
// function app/ installs.
class MotionView : public Fl_Gl_Window {
 public:
  // A view of session (owned by the caller, which keeps it for the view's
  // life) as it is now: its clip playing from frame 0 at the clip's pace
  // (the pace note added to the message when the file's cannot be played),
  // the camera in its start-up pose, or framing a figure that pose shows too
  // small, too large or not at all, and the playback timer started.
  MotionView(int x, int y, int w, int h, EditSession& session);
  // Frees the view's textures and stops its timer.
  ~MotionView() override;
  MotionView(const MotionView&) = delete;
  MotionView& operator=(const MotionView&) = delete;

  void draw() override;            // MotionView.cpp
  int handle(int event) override;  // MotionViewEvents.cpp

  const EditSession& session() const { return session_; }
  const Playback& playback() const { return playback_; }
  const OrbitCamera& camera() const { return camera_; }
  // Whether the path is shown and carries the figure ("Uses Path").
  bool usesPath() const { return usesPath_; }

  // Where console text goes (texture tries, "Up axis: ...", the session's
  // console notes), as it stands; without one it is dropped. It is called
  // after every operation that may have left console text, also with an
  // empty one.
  void setConsole(std::function<void(const std::string&)> console);
  // Called whenever the view changed playback or clip state by itself (a
  // timer step, a key, a load), so the window can bring its controls in line.
  void setControlsChanged(std::function<void()> changed);

  // Control operations; each ends with a redraw request.
  void toggleUsesPath();
  void toggleFollowMotion();
  // Back to the start-up camera (OrbitCamera::resetToShow), for the figure of
  // frame 0.
  void resetCamera();
  void panX(double step);
  void panZ(double step);
  // Frames the figure of the current frame (the F key).
  void frameFigure();
  // Puts the camera in pose (OrbitCamera() is the start-up pose itself).
  void setCamera(const OrbitCamera& pose);

  // Playback: the operations of Playback at the playback clock's time. While
  // animated, a toolkit timer wakes the view when the next frame is due (no
  // timer while paused); each wake-up steps, tells the controls and sets the
  // next timer.
  bool playbackScheduled() const;
  void setCurrentFrame(double value);
  void frameForward();
  void frameBackward();
  void setFrameTime(double value);
  void toggleAnimated();
  void toggleStrobing();

  // Null: nothing happens. Otherwise loads the file as the new clip with a
  // fresh fit and history, takes its frame time, starts at frame 0, frames
  // the figure (as F) and redraws. A file that cannot be read or fitted
  // changes nothing but the message. Edits not yet written are dropped only
  // when the user agrees. Returns whether the file was loaded.
  bool loadPath(const char* fileName);
  // Null: nothing is written. An existing file is replaced only after the
  // user agreed (askQuestion). Returns whether the file was written.
  bool writePath(const char* fileName);
  // "Load Path" and "Write Path" with their choosers; Write Path suggests a
  // name beside the clip.
  void chooseAndLoadPath();
  void chooseAndWritePath();
  // U: the other up axis, with both paths fitted again for it (the console
  // and the message say "Up axis: Y" or "Up axis: Z"); the figure is framed
  // anew. Edits not yet written are dropped only when the user agrees.
  void switchUpAxis();
  // Asks whether to go ahead with action ("Load the clip") and lose the
  // edits not yet written; the one question of every action that would
  // drop them (EditSession::wouldDropEdits).
  bool agreesToDropEdits(const std::string& action, const char* goAhead);
  // The status line (statusText of the session and the playback).
  std::string statusText() const;

  // Drawing, with the view's context current: clearView clears and resets
  // the projection; drawScene sets the camera (leaving its matrices loaded)
  // and draws the axis cross, the floor and, with Uses Path, the path.
  void clearView();
  void drawScene();

 private:
  void drawFloor();
  // The path of the kind the session shows, with its cubes.
  void drawShownPath();
  void drawStatusLine();
  // Loads the camera's projection and model view into GL, with the viewport.
  void applyCamera();
  // The matrices and viewport of the camera as it is now; leaves the GL
  // matrices set to it.
  void cameraMatrices(double modelView[16], double projection[16], int viewport[4]);
  void frameFigureAt(int f);

  // Events (MotionViewEvents.cpp). handleCameraEvent takes the mouse wheel
  // and the F key and returns nonzero when it used the event.
  int handleCameraEvent(int event);
  // Keys of the view; each returns whether one was used.
  bool handleShortcut();
  bool handleViewKey();
  // Left press: selects the control point under the pointer (last drawn
  // wins), or none.
  void pickControlPoint(int pointerX, int pointerY);
  // Where the pointer's ray meets the ground the path is drawn on, in clip
  // units, from the camera of the last drawing; a pointer outside the view is
  // taken at its edge. False before any drawing and when the ray meets the
  // ground behind the eye, beyond the far plane or not at all.
  bool pointerOnGround(double pointerX, double pointerY, double& clipX, double& clipZ) const;

  // After a clip was loaded: its pace from frame 0, a redraw.
  void clipLoaded();
  // Adds the playback's pace note to the message when there is one.
  void noteClipPace();
  // Hands text, and what the session's operations left, to the console.
  void say(const std::string& text);
  void notifyControls();
  void stepAnimation();
  void schedulePlayback();
  static void playbackTimeout(void* data);

  EditSession& session_;
  Playback playback_;
  OrbitCamera camera_;
  bool usesPath_ = false;
  TextureCache textures_;
  std::function<void(const std::string&)> console_;
  std::function<void()> controlsChanged_;

  // The camera of the last drawing, for turning the pointer into ground
  // positions while dragging.
  struct CameraSnapshot {
    double modelView[16];
    double projection[16];
    int viewport[4];
  };
  CameraSnapshot snapshot_{};
  bool snapshotTaken_ = false;
  // A left-button drag of the selected point: the last ground position.
  bool dragging_ = false;
  double dragX_ = 0.0;
  double dragZ_ = 0.0;
  // The deep-hierarchy notice is printed once per clip.
  bool depthLimitReported_ = false;
};
