#pragma once

#include <FL/Fl_Gl_Window.H>

#include "draw/TextureCache.h"
#include "path/EditSession.h"
#include "view/CommandSink.h"
#include "view/ViewState.h"

// The OpenGL view of an edit session: draws the clip, its path and the status
// line through the state's camera, and turns mouse and keys into commands for
// the sink. It changes neither the session nor the state itself; it keeps
// only its own GL state (textures, the camera of the last drawing, a drag in
// progress). It asks for no file and prints nothing: console text goes to
// the sink.
class MotionView : public Fl_Gl_Window {
 public:
  // A view of session and state, reporting to sink; all three are owned by
  // the caller, which keeps them for the view's life.
  MotionView(int x, int y, int w, int h, const EditSession& session, const ViewState& state,
             CommandSink& sink);
  // Frees the view's textures.
  ~MotionView() override;
  MotionView(const MotionView&) = delete;
  MotionView& operator=(const MotionView&) = delete;

  void draw() override;            // MotionView.cpp
  int handle(int event) override;  // MotionViewEvents.cpp
  // Tells the sink the new size.
  void resize(int x, int y, int w, int h) override;

  const EditSession& session() const { return session_; }

  // Drawing, with the view's context current: clearView clears and resets
  // the projection; drawScene sets the camera (leaving its matrices loaded)
  // and draws the axis cross, the floor and, with Uses Path, the path.
  void clearView();
  void drawScene();

 private:
  void drawFloor();
  // The path of the kind the session shows, with its cubes.
  void drawShownPath();
  // The foot contacts' marks (ContactMarks), with K.
  void drawContacts();
  // The figure at the current frame (or its strobe), carried along the path
  // with Uses Path; the spread strobe's figures and the ghost when shown.
  void drawFigure();
  // The carried joint's trails over the whole clip, as captured and as
  // carried along the path (M).
  void drawTrails();
  // The status line, wrapped onto more lines for a long message.
  void drawStatusLine();
  // Every key of the command table over the view (F1, ?).
  void drawKeyList();
  // Loads the camera's projection and model view into GL, with the viewport.
  void applyCamera();
  // Keeps the matrices drawScene left, for turning the pointer into ground
  // positions while dragging.
  void snapshotCamera();
  // Forgets what was kept of the last clip once another one is loaded.
  void noteNewClip();

  // Events (MotionViewEvents.cpp). A key press runs its command; true when
  // one was used.
  bool runKey();
  int handlePush();
  int handleRelease(int event);
  int handleDrag();
  // Left press: the control point of the path shown under the pointer (last
  // drawn wins), or -1; none while the path is hidden.
  int pointUnder(int pointerX, int pointerY) const;
  // Where the pointer's ray meets the ground the path is drawn on, in the
  // ground frame's clip units, from the camera of the last drawing; a pointer
  // outside the view is taken at its edge. False before any drawing and when
  // the ray meets the ground behind the eye, beyond the far plane or not at
  // all.
  bool pointerOnGround(double pointerX, double pointerY, double& groundX, double& groundZ) const;

  const EditSession& session_;
  const ViewState& state_;
  CommandSink& sink_;
  TextureCache textures_;

  // The camera of the last drawing.
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
  int clipsSeen_ = 0;
};
