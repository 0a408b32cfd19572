// The view's event handler: left-button picking of control points, arrow-key
// steps of the selected point and right-button camera rotation.
#include <FL/Fl.H>
#include <FL/Fl_Gl_Window.H>
#include <GL/gl.h>
#include <GL/glu.h>

#include "path/Point3.h"
#include "view/HitRecords.h"
#include "view/MotionView.h"

namespace {

constexpr int selectionBufferWords = 100;
constexpr double pickRegionPixels = 5.0;
constexpr double arrowStep = 0.05;

// Low byte of the toolkit's arrow-key codes.
constexpr int keyLeft = 0x51;
constexpr int keyUp = 0x52;
constexpr int keyRight = 0x53;
constexpr int keyDown = 0x54;

constexpr int leftButton = 1;
constexpr int rightButton = 3;

// Moves point by one step for an arrow key (recognised by the low byte of the
// key code); false, point unchanged, for any other key.
bool stepByArrowKey(int key, Point3& point) {
  switch (key & 0xff) {
    case keyLeft: point.x -= arrowStep; return true;
    case keyRight: point.x += arrowStep; return true;
    case keyUp: point.z -= arrowStep; return true;
    case keyDown: point.z += arrowStep; return true;
    default: return false;
  }
}

// Records the pointer of a right-button event and gives it in the unit square.
void rotationPointer(MotionView& view, float& unitX, float& unitY) {
  view.rotateX = Fl::event_x();
  view.rotateY = Fl::event_y();
  // pointerToUnit reads the viewport, so the view's context must be current.
  view.make_current();
  double x = 0.0;
  double y = 0.0;
  view.pointerToUnit(x, y);
  unitX = static_cast<float>(x);
  unitY = static_cast<float>(y);
}

void pickControlPoint(MotionView& view) {
  view.make_current();
  view.lastX = Fl::event_x();
  view.lastY = Fl::event_y();
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);

  GLuint selection[selectionBufferWords] = {};
  glSelectBuffer(selectionBufferWords, selection);
  glRenderMode(GL_SELECT);
  glInitNames();
  glPushName(0);

  view.clearView();
  gluPickMatrix(view.lastX, viewport[3] - view.lastY, pickRegionPixels, pickRegionPixels, viewport);
  // The scene leaves [0, 0] on the name stack when it drew the path, so only
  // the second drawing's cubes get three names: a point can be picked only
  // while the path is shown.
  view.drawScene();
  view.drawPathForPicking();

  const GLint hitCount = glRenderMode(GL_RENDER);
  view.processHits(hitCount, selection);
  view.damage(1);
}

void unprojectRelease(MotionView& view) {
  const double x = Fl::event_x();
  const double y = Fl::event_y();
  if (x == view.lastX && y == view.lastY) return;
  view.make_current();
  GLint viewport[4];
  GLdouble modelView[16];
  GLdouble projection[16];
  glGetIntegerv(GL_VIEWPORT, viewport);
  glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
  glGetDoublev(GL_PROJECTION_MATRIX, projection);
  // Where the release lands at the picked point's depth. The mouse does not
  // move points (the arrow keys do), so the result is not applied.
  GLdouble objectX = 0.0;
  GLdouble objectY = 0.0;
  GLdouble objectZ = 0.0;
  gluUnProject(x, viewport[3] - y, view.pickDepth, modelView, projection, viewport, &objectX, &objectY,
               &objectZ);
}

}  // namespace

int MotionView::handle(int event) {
  if (handleCameraEvent(event)) return 1;
  switch (event) {
    case FL_FOCUS:
    case FL_UNFOCUS:
      // Taking the focus is what makes the toolkit send the keys here.
      return 1;

    case FL_KEYBOARD: {
      const int selected = path->selectedPoint();
      if (selected == -1) return 0;
      // A selection that is no control point is never read or written: that
      // would reach past the curve's points.
      if (selected >= 0 && selected < path->pointCount()) {
        Point3 point;
        path->getPoint(selected, point);
        if (stepByArrowKey(Fl::event_key(), point)) path->setPoint(point, selected);
      }
      redraw();
      return 1;
    }

    case FL_PUSH:
      if (Fl::event_button() == leftButton) {
        // A click on a button moves the keyboard focus there; take it back so
        // the arrow keys that follow a pick reach the view.
        Fl::focus(this);
        pickControlPoint(*this);
      } else if (Fl::event_button() == rightButton) {
        float unitX = 0.0f;
        float unitY = 0.0f;
        rotationPointer(*this, unitX, unitY);
        arcBall->beginDrag(unitX, unitY);
      }
      return 1;

    case FL_RELEASE:
      if (Fl::event_button() == leftButton) {
        unprojectRelease(*this);
        return 1;
      }
      return Fl_Gl_Window::handle(event);

    case FL_DRAG:
      if (Fl::event_button() == rightButton) {
        float unitX = 0.0f;
        float unitY = 0.0f;
        rotationPointer(*this, unitX, unitY);
        arcBall->dragTo(unitX, unitY);
        damage(1);
      }
      return 1;

    default:
      return Fl_Gl_Window::handle(event);
  }
}

void MotionView::processHits(int hitCount, const unsigned int* buffer) {
  path->selectPoint(-1);
  const HitRecordsResult hits = readHitRecords(hitCount, buffer, selectionBufferWords);
  if (hits.recordsRead > 0) pickDepth = hits.lastDepth;
  // A name that is no control point (not one this view draws) selects nothing.
  if (hits.selectedIndex >= 0 && hits.selectedIndex < path->pointCount()) {
    path->selectPoint(hits.selectedIndex);
    damage(1);
  }
}

