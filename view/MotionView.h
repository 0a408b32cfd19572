#pragma once

#include <FL/Fl_Gl_Window.H>

#include <memory>
#include <string>
#include <vector>

#include "motion/BvhMotion.h"
#include "path/PathCurve.h"
#include "view/ArcBall.h"

// The OpenGL view: owns the clip, its path and the camera's arcball, holds the
// playback and display state the controls switch, and draws the scene and the
// skeleton. Construction asks for a clip, loads, dumps and fits it.
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
  // (MotionViewCamera.cpp).
  void resetCamera();
  void panX(double step);
  void panZ(double step);

  // Playback (MotionViewPlayback.cpp). Frames wrap and clamp within the clip;
  // with no frames, currentFrame stays 0.
  // Advances one frame when more than frameTime seconds have passed on the
  // playback clock since lastStepClock (and animated is on).
  void stepAnimation();
  void setCurrentFrame(double value);
  void frameForward();
  void frameBackward();
  void setFrameTime(double value);
  void toggleAnimated();
  void toggleStrobing();

  // Clip and path.
  void fitPath();
  // Null: nothing happens. Otherwise replaces the clip with the file (with
  // dance01.bvh when it fails to load), refits the path to whichever clip was
  // loaded and brings currentFrame into it.
  void loadPath(const char* fileName);
  void writePath(const char* fileName);  // null: nothing is written

  // Drawing.
  void clearView();
  void drawScene();
  void drawFloor();
  void pointerToUnit(double& ux, double& uy) const;
  void drawPathForPicking();

  // Camera (MotionViewCamera.cpp). handleCameraEvent takes the mouse wheel
  // (zoom about the look-at centre) and the F key (frame the figure) and
  // returns nonzero when it used the event. followFigure moves the pan a step
  // towards the figure's drawn root, both ways; draw calls it while
  // followMotion is on. frameFigure centres the figure and zooms to fit it.
  int handleCameraEvent(int event);
  void followFigure();
  void frameFigure();

  // Picking (MotionViewPicking.cpp). Reads the hit records of one pick from
  // the pick's 100-word selection buffer (never past it, whatever hitCount
  // says) and selects the point of the last record with three names.
  void processHits(int hitCount, const unsigned int* buffer);

  double lastX = -1.0;
  double lastY = -1.0;
  double pickDepth = -1.0;
  double rotateX = -1.0;
  double rotateY = -1.0;
  std::unique_ptr<BvhMotion> motion;
  bool animated = true;
  bool usesPath = false;
  long lastStepClock = 0;
  int currentFrame = 0;
  std::unique_ptr<PathCurve> path;
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
  // Reads fileName into the emptied clip; when it fails, prints failureMessage
  // (when given) and reads the default clip instead; a null fileName reads the
  // default clip without a message. Leaves a frame count that never exceeds
  // the frame lines held. Returns whether fileName loaded.
  bool loadClip(const char* fileName, const char* failureMessage);
  // Brings currentFrame into 0..frameCount - 1 (0 for an empty clip).
  void clampCurrentFrame();

  // The deep-hierarchy notice is printed once per clip.
  bool depthLimitReported = false;
};
