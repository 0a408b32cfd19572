#include "view/MotionView.h"

#include <FL/Fl.H>
#include <FL/gl.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "draw/PathCurveDrawing.h"
#include "draw/SkeletonDrawing.h"
#include "motion/FigureFrame.h"
#include "motion/GroundAxes.h"
#include "motion/TrackJoint.h"
#include "path/GroundMapping.h"
#include "view/StatusLine.h"

namespace {

// Half the floor's edge in world units: the 10 by 10 it always was (about
// 1.3 heights of the default clip's figure), or as many heights of a larger
// figure, so a millimetre clip does not stand on a speck.
double floorHalfSize(const BvhMotion& motion) {
  constexpr double smallest = 5.0;
  constexpr double heightsPerHalf = 0.6;
  const double figure = restPoseBox(motion.skeleton).size();
  const double half = heightsPerHalf * figure * figureScale;
  return std::isfinite(half) ? std::max(smallest, half) : smallest;
}

constexpr double statusBandHeight = 26.0;

}  // namespace

MotionView::MotionView(int x, int y, int w, int h, const EditSession& session,
                       const ViewState& state, CommandSink& sink)
    : Fl_Gl_Window(x, y, w, h, "Vovar Evuvu"),
      session_(session),
      state_(state),
      sink_(sink),
      clipsSeen_(state.clipsLoaded) {}

MotionView::~MotionView() {
  // Deleted while their context is current rather than left to it: the
  // toolkit shares one context's objects with the other GL windows' ones.
  if (context() != nullptr) {
    make_current();
    textures_.deleteTextures();
  }
}

void MotionView::resize(int x, int y, int w, int h) {
  Fl_Gl_Window::resize(x, y, w, h);
  sink_.viewResized(w, h);
}

void MotionView::noteNewClip() {
  if (clipsSeen_ == state_.clipsLoaded) return;
  clipsSeen_ = state_.clipsLoaded;
  depthLimitReported_ = false;
  // A texture missing before may have been put in place since.
  textures_.retryMissing();
}

void MotionView::draw() {
  // A window hidden and shown again draws in a new context: the textures of
  // the old one went with it.
  if (!context_valid()) textures_.forgetTextures();
  noteNewClip();
  sink_.aboutToDraw();
  clearView();
  drawScene();
  snapshotCamera();
  drawFigure();
  drawStatusLine();
}

void MotionView::snapshotCamera() {
  glGetDoublev(GL_MODELVIEW_MATRIX, snapshot_.modelView);
  glGetDoublev(GL_PROJECTION_MATRIX, snapshot_.projection);
  glGetIntegerv(GL_VIEWPORT, snapshot_.viewport);
  snapshotTaken_ = true;
}

void MotionView::drawFigure() {
  const BvhMotion& motion = session_.motion();
  SkeletonDrawOptions options;
  options.currentFrame = state_.playback.frame();
  options.strobing = state_.playback.strobing();
  options.up = session_.upAxis();
  if (state_.usesPath) options.edits = &session_.editedFrames();
  Notes notes;
  drawSkeleton(motion, options, depthLimitReported_, notes);
  sink_.console(notes.text());
}

void MotionView::drawStatusLine() {
  // Text over the scene: no lighting, texture or depth, pixel coordinates.
  glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0.0, w(), 0.0, h(), -1.0, 1.0);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  // A dark band under the text keeps it readable over the floor.
  glColor3f(0.08f, 0.08f, 0.1f);
  glRectd(0.0, 0.0, w(), statusBandHeight);
  glColor3f(1.0f, 1.0f, 0.6f);
  gl_font(FL_HELVETICA, 13);
  // Building the glyph lists fails for glyphs without pixels (the blank)
  // under some GL drivers, which leaves an error behind but draws the rest;
  // the words are therefore placed one by one with the blank's width.
  while (glGetError() != GL_NO_ERROR) {
  }
  const double blank = gl_width(" ");
  const auto measure = [](const std::string& word) { return gl_width(word.c_str()); };
  const std::string text = statusText(session_, state_.playback);
  for (const PlacedWord& word : layoutStatusLine(text, w() - 16.0, measure, blank)) {
    gl_draw(word.text.c_str(), static_cast<float>(8.0 + word.x), 8.0f);
  }
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopAttrib();
}

void MotionView::clearView() {
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
}

void MotionView::applyCamera() {
  glViewport(0, 0, w(), h());
  const double aspect = h() > 0 ? static_cast<double>(w()) / static_cast<double>(h()) : 1.0;
  glMatrixMode(GL_PROJECTION);
  glLoadMatrixd(state_.camera.projection(aspect).data());
  glMatrixMode(GL_MODELVIEW);
  glLoadMatrixd(state_.camera.modelView().data());
}

void MotionView::drawScene() {
  applyCamera();
  glEnable(GL_DEPTH_TEST);

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
  if (state_.usesPath) drawShownPath();

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
  Notes notes;
  textures_.fetch("checker", false, false, notes);
  sink_.console(notes.text());
  glPushMatrix();
  const double half = floorHalfSize(session_.motion());
  glTranslated(-half, -2.0, -half);
  glScaled(half / 5.0, 1.0, half / 5.0);
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

void MotionView::drawShownPath() {
  drawPath(session_.path(), session_.layout(), true, session_.selected());
}
