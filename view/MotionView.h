#pragma once

#include <FL/Fl_Gl_Window.H>

#include <memory>
#include <string>
#include <vector>

#include <functional>

#include "motion/BvhMotion.h"
#include "path/EditSession.h"
#include "path/LoopFit.h"
#include "view/ArcBall.h"

// text as it fits within width (measured by measure): the longest words,
// paths as a rule, are shortened in the middle with "...", and as a last
// resort the end is cut.
std::string fitToWidth(std::string text, double width,
                       const std::function<double(const std::string&)>& measure);

// The OpenGL view: draws an edit session (the clip and its path) with the
// camera's arcball, holds the playback and display state the controls switch,
// and turns mouse and keys into the session's operations. Construction asks
// for a clip, loads, dumps and fits it, and starts the playback timer.
class MotionView : public Fl_Gl_Window {
 public:
  MotionView(int x, int y, int w, int h);
  ~MotionView() override;

  void draw() override;            // MotionView.cpp
  int handle(int event) override;  // MotionViewPicking.cpp

  // Control operations; each ends with a redraw request.
  void toggleUsesPath();
  void toggleFollowMotion();
  // Back to the start-up camera: pan, height, zoom and rotation
  // (MotionViewCamera.cpp). That is the fixed view the default clip is seen
  // in, when it shows frame 0's figure in sight at a workable size, and
  // otherwise the figure of frame 0 framed as F frames it.
  void resetCamera();
  void panX(double step);
  void panZ(double step);

  // Playback (MotionViewPlayback.cpp). Frames wrap and clamp within the clip;
  // with no frames, currentFrame stays 0.
  // When more than frameTime seconds have passed on the playback clock since
  // the current frame became due (and animated is on), shows the frame due
  // now, skipping frames when drawing is slower than the clip; lastStepClock
  // is the clock of that step.
  void stepAnimation();
  // While animated, a toolkit timer wakes the view when the next frame is
  // due (no timer at all while paused); each wake-up steps, tells the
  // controls and sets the next timer. Called by the operations that change
  // the pace or the animated switch.
  void schedulePlayback();
  bool playbackScheduled() const;
  void setCurrentFrame(double value);
  void frameForward();
  void frameBackward();
  void setFrameTime(double value);
  // The clip's own frame time, or a sound pace when the file's cannot be
  // played (0, negative, NaN, absurdly long); clipPaceNote says so then and
  // is empty otherwise. The clip keeps the value it was read with.
  double clipPace() const;
  std::string clipPaceNote() const;
  void toggleAnimated();
  void toggleStrobing();

  // Clip and path.
  void fitPath();
  // Null: nothing happens. Otherwise loads the file as the new clip with a
  // fresh fit and history, takes its frame time, starts at frame 0, frames
  // the figure (as F) and redraws. A file that cannot be read or fitted changes nothing but the
  // message. Returns whether the file was loaded.
  bool loadPath(const char* fileName);
  // Null: nothing is written. An existing file is replaced only after the
  // user agreed (askQuestion). Returns whether the file was written.
  bool writePath(const char* fileName);
  // "Load Path" and "Write Path" with their choosers; Write Path suggests a
  // name beside the clip.
  void chooseAndLoadPath();
  void chooseAndWritePath();
  // U: the other up axis, with both paths fitted again for it (the message
  // says "Up axis: Y" or "Up axis: Z"); the figure is framed anew. Edits not
  // yet written are dropped only when the user agrees (askQuestion).
  void switchUpAxis();
  // Asks whether to go ahead with action ("Load the clip") and lose the
  // edits not yet written; the one question of every action that would
  // drop them (EditSession::wouldDropEdits).
  bool agreesToDropEdits(const std::string& action, const char* goAhead);
  // One line for the view's corner: clip, frame i / N, time, the selected
  // point and the last message.
  std::string statusText() const;

  // Drawing.
  void clearView();
  void drawScene();
  void drawFloor();
  void pointerToUnit(double& ux, double& uy) const;
  // The path of the kind the session shows, with its cubes.
  void drawShownPath();
  // The camera drawScene sets up (viewport, projection, model view), applied
  // to the current GL state without drawing.
  void applyCamera();
  // The matrices and viewport of the camera as it is now; needs the view's
  // context current. Leaves the GL matrices set to it.
  void cameraMatrices(double modelView[16], double projection[16], int viewport[4]);

  // Camera (MotionViewCamera.cpp). handleCameraEvent takes the mouse wheel
  // (zoom about the look-at centre) and the F key (frame the figure) and
  // returns nonzero when it used the event. followFigure moves the pan a step
  // towards the figure's drawn root, both ways; draw calls it while
  // followMotion is on. frameFigure centres the figure and zooms to fit it;
  // frameFigureAt does so for frame f.
  int handleCameraEvent(int event);
  void followFigure();
  void frameFigure();
  void frameFigureAt(int f);

  // Called whenever the view changed playback or clip state by itself (a
  // timer step, a key, a load), so the window can bring its controls in line.
  std::function<void()> controlsChanged;

  EditSession session;
  double lastX = -1.0;
  double lastY = -1.0;
  double pickDepth = -1.0;
  double rotateX = -1.0;
  double rotateY = -1.0;
  // The session's clip and path, for drawing code that reads them directly.
  std::unique_ptr<BvhMotion>& motion;
  bool animated = true;
  bool usesPath = false;
  long lastStepClock = 0;
  int currentFrame = 0;
  std::unique_ptr<LoopFit>& path;
  double eyeX = 0.0;
  double eyeZ = 1.0;
  double centerX = 0.0;
  double centerZ = 0.0;
  bool followMotion = false;
  double frameTime = 0.0;
  bool strobing = false;
  std::unique_ptr<ArcBall> arcBall;
  // Height of the eye and centre, and the zoom: the pivot's distance and
  // the eye-to-centre distance are divided by it.
  double eyeY = 0.0;
  double zoom = 1.0;

 private:
  // Brings currentFrame into 0..frameCount - 1 (0 for an empty clip).
  void clampCurrentFrame();
  // After a clip was loaded: its pace, a frame inside it, a redraw.
  void clipLoaded();
  // Counts playback time from now: after a pause, a load or a new pace.
  void restartPlaybackClock();
  // Adds clipPaceNote to the message when there is one.
  void noteClipPace();
  void notifyControls();
  static void playbackTimeout(void* data);
  // Keys of the view (MotionViewPicking.cpp); returns whether one was used.
  bool handleShortcut();
  // Every key of the view (shortcuts, Escape, play, frame steps, arrows on
  // the selected point); returns whether one was used.
  bool handleViewKey();
  // Where the pointer's ray meets the ground the path is drawn on, in clip
  // units, from the camera of the last drawing; a pointer outside the view is
  // taken at its edge. False before any drawing and when the ray meets the
  // ground behind the eye, beyond the far plane or not at all.
  bool pointerOnGround(double pointerX, double pointerY, double& clipX, double& clipZ) const;
  void drawStatusLine();

  // The camera of the last drawing, for turning the pointer into ground
  // positions while dragging.
  struct CameraSnapshot {
    double modelView[16];
    double projection[16];
    int viewport[4];
  };
  CameraSnapshot camera{};
  bool cameraKnown = false;
  // A left-button drag of the selected point: the last ground position.
  bool dragging = false;
  double dragX = 0.0;
  double dragZ = 0.0;

  // Clock reading (ms, with fractions) at which the current frame became due.
  double stepOriginMs_ = 0.0;

  // The deep-hierarchy notice is printed once per clip.
  bool depthLimitReported = false;
};
