#include "view/MotionView.h"

#include <FL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "motion/BvhWriter.h"
#include "motion/SkeletonDrawing.h"
#include "path/GroundMapping.h"
#include "path/PathCurveDrawing.h"
#include "path/PathFit.h"
#include "view/FileChooser.h"
#include "view/TextureCache.h"

namespace {

const char* const defaultClip = "dance01.bvh";

}  // namespace

MotionView::MotionView(int x, int y, int w, int h) : Fl_Gl_Window(x, y, w, h, "Vovar Evuvu") {
  srand(static_cast<unsigned>(time(nullptr)));
  arcBall = std::make_unique<ArcBall>();
  lastX = -1.0;
  lastY = -1.0;
  pickDepth = -1.0;
  rotateX = -1.0;
  rotateY = -1.0;
  motion = std::make_unique<BvhMotion>();

  // Cancelling loads the default clip silently; a file the reader rejects says so first.
  loadClip(chooseFile("Choose a BVH File: ", "*.bvh"), "Failed to load, loading dance instead\n");
  motion->dump();

  currentFrame = 0;
  animated = true;
  strobing = false;
  eyeX = 0.0;
  eyeZ = 1.0;
  centerX = 0.0;
  centerZ = 0.0;
  frameTime = motion->frameTime;
  path = std::make_unique<PathCurve>();
  followMotion = false;
  usesPath = false;
  fitPath();
  // Someone watching the console (or a script reading it) sees the start-up
  // report before the window appears, also when standard output is a file.
  std::fflush(stdout);
}

MotionView::~MotionView() {
  motion.reset();
  path.reset();
  arcBall.reset();
}

bool MotionView::loadClip(const char* fileName, const char* failureMessage) {
  motion->reset();
  bool loaded = false;
  if (fileName != nullptr) {
    loaded = motion->read(fileName);
    if (!loaded) {
      if (failureMessage != nullptr) {
        std::printf("%s", failureMessage);
      }
      // A failed read may have set counts without taking any frame line.
      motion->reset();
    }
  }
  if (!loaded) {
    motion->read(defaultClip);
  }
  // Whatever the reader left, the count must not promise lines that are not there.
  motion->frameCount =
      std::clamp(motion->frameCount, 0, static_cast<int>(motion->frameLines.size()));
  depthLimitReported = false;
  return loaded;
}

void MotionView::clampCurrentFrame() {
  const int count = motion->frameCount;
  currentFrame = count > 0 ? std::clamp(currentFrame, 0, count - 1) : 0;
}

void MotionView::fitPath() { ::fitPath(*motion, *path); }

void MotionView::loadPath(const char* fileName) {
  if (fileName == nullptr) {
    return;
  }
  // A failed load falls back to the default clip, and that clip gets its own
  // fit too: clip, curve and fit record must describe the same frames.
  loadClip(fileName, nullptr);
  clampCurrentFrame();
  path->reset();
  fitPath();
  damage(0);
  std::fflush(stdout);
}

void MotionView::writePath(const char* fileName) { ::writePath(fileName, *motion, *path); }

void MotionView::toggleUsesPath() {
  usesPath = !usesPath;
  redraw();
}

void MotionView::toggleFollowMotion() {
  followMotion = !followMotion;
  redraw();
}

void MotionView::panX(double step) {
  eyeX += step;
  centerX += step;
  redraw();
}

void MotionView::panZ(double step) {
  eyeZ += step;
  centerZ += step;
  redraw();
}

void MotionView::draw() {
  clearView();
  if (followMotion) followFigure();
  drawScene();
  SkeletonDrawOptions options;
  options.currentFrame = currentFrame;
  options.strobing = strobing;
  if (usesPath) {
    options.placement = [this](int f, FramePlacement& placement) {
      return framePlacement(*path, f, motion->frameCount, placement);
    };
  }
  drawSkeleton(*motion, options, depthLimitReported);
}

void MotionView::clearView() {
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
}

void MotionView::drawScene() {
  glViewport(0, 0, w(), h());
  // The projection is multiplied onto the current one: identity when drawing,
  // the pick matrix when picking.
  const double aspect = h() > 0 ? static_cast<double>(w()) / static_cast<double>(h()) : 1.0;
  gluPerspective(45.0, aspect, 0.01, 30.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glTranslated(0.0, -1.0 / zoom, -12.0 / zoom);
  float rotation[16];
  arcBall->matrix(rotation);
  glMultMatrixf(rotation);
  glEnable(GL_DEPTH_TEST);
  gluLookAt(eyeX, eyeY, eyeZ, centerX, eyeY, centerZ, 0.0, 1.0, 0.0);

  glColor3f(0.5f, 0.5f, 0.5f);
  glBegin(GL_LINES);
  glVertex3d(-1.0, 0.0, 0.0);
  glVertex3d(1.0, 0.0, 0.0);
  glVertex3d(0.0, -1.0, 0.0);
  glVertex3d(0.0, 1.0, 0.0);
  glVertex3d(0.0, 0.0, -1.0);
  glVertex3d(0.0, 0.0, 1.0);
  glEnd();
  glFlush();

  drawFloor();
  if (usesPath) {
    drawPath(*path, pathLayout(*motion, *path, nullptr), true);
  }

  // Lighting, colour material and light 0 stay enabled on purpose: the next
  // frame's floor and path are drawn lit with these values.
  glEnable(GL_LIGHTING);
  glEnable(GL_COLOR_MATERIAL);
  const GLfloat ambient[] = {0.5f, 0.5f, 0.5f, 1.0f};
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
  glEnable(GL_LIGHT0);
  // Set after the camera, so the light stays fixed in the world.
  const GLfloat position[] = {0.0f, 1000.0f, 0.0f, 0.0f};
  const GLfloat white[] = {1.0f, 1.0f, 1.0f, 1.0f};
  const GLfloat down[] = {0.0f, -1.0f, 0.0f};
  glLightfv(GL_LIGHT0, GL_POSITION, position);
  glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
  glLightfv(GL_LIGHT0, GL_SPECULAR, white);
  glLightf(GL_LIGHT0, GL_SPOT_CUTOFF, 15.0f);
  glLightfv(GL_LIGHT0, GL_SPOT_DIRECTION, down);
  glLightf(GL_LIGHT0, GL_SPOT_EXPONENT, 3.0f);
}

void MotionView::drawFloor() {
  glColor3d(1.0, 1.0, 1.0);
  // Texturing stays enabled after the floor, with texture 0 bound.
  glEnable(GL_TEXTURE_2D);
  fetchTexture("checker", false, false);
  glPushMatrix();
  glTranslated(-5.0, -2.0, -5.0);
  glBegin(GL_QUADS);
  glNormal3d(0.0, 1.0, 0.0);
  glTexCoord2d(0.0, 1.0);
  glVertex3d(0.0, 0.0, 0.0);
  glTexCoord2d(1.0, 1.0);
  glVertex3d(10.0, 0.0, 0.0);
  glTexCoord2d(1.0, 0.0);
  glVertex3d(10.0, 0.0, 10.0);
  glTexCoord2d(0.0, 0.0);
  glVertex3d(0.0, 0.0, 10.0);
  glEnd();
  glPopMatrix();
  glBindTexture(GL_TEXTURE_2D, 0);
}

void MotionView::pointerToUnit(double& ux, double& uy) const {
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  const double width = viewport[2];
  const double height = viewport[3];
  ux = rotateX / width * 2.0 - 1.0;
  uy = (height - rotateY) / height * 2.0 - 1.0;
}

void MotionView::drawPathForPicking() { drawPath(*path, pathLayout(*motion, *path, nullptr), true); }
