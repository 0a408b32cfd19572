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

  void draw() override;               // MotionView.cpp
  int handle(int event) override;     // MotionViewPicking.cpp

  // Control operations; each ends with a redraw request.
  void toggleUsesPath();
  void toggleFollowMotion();
  void resetCamera();
  void panX(double step);
  void panZ(double step);

  // Playback (MotionViewPlayback.cpp).
  void stepAnimation();
  void setCurrentFrame(double value);
  void frameForward();
  void frameBackward();
  void setFrameTime(double value);
  void toggleAnimated();
  void toggleStrobing();

  // Clip and path.
  void fitPath();
  void loadPath(const char* fileName);   // null: nothing happens
  void writePath(const char* fileName);  // null: nothing is written

  // Drawing.
  void clearView();
  void drawScene();
  void drawFloor();
  void pointerToUnit(double& ux, double& uy) const;
  void drawPathForPicking();
  void drawSkeleton();                                  // SkeletonDrawing.cpp
  void drawJoint(const BvhJoint* joint, int f, double alpha);  // SkeletonDrawing.cpp

  // Picking (MotionViewPicking.cpp).
  void processHits(int hitCount, const unsigned int* buffer);

  double lastX = -1.0;
  double lastY = -1.0;
  double pickDepth = -1.0;
  double rotateX = -1.0;
  double rotateY = -1.0;
  std::unique_ptr<BvhMotion> motion;
  std::vector<const char*> tokens;
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

 private:
  // Loads frame s's words into tokens (a private copy; the clip's line stays).
  void loadFrame(int s);
  std::string tokenText;
};
