// The view's event handler: left-button picking and dragging of control
// points, arrow-key steps of the selected point, the view's keys (undo, redo,
// write, play, frame steps) and right-button camera rotation.
#include <FL/Fl.H>
#include <FL/Fl_Gl_Window.H>
#include <GL/gl.h>
#include <GL/glu.h>

#include "motion/FigureFrame.h"
#include "path/GroundMapping.h"
#include "view/HitRecords.h"
#include "view/MotionView.h"

namespace {

constexpr int selectionBufferWords = 100;
constexpr double pickRegionPixels = 5.0;
// Shift+arrow moves this many steps at once.
constexpr double bigStepFactor = 10.0;

// Low byte of the toolkit's arrow-key codes.
constexpr int keyLeft = 0x51;
constexpr int keyUp = 0x52;
constexpr int keyRight = 0x53;
constexpr int keyDown = 0x54;

constexpr int leftButton = 1;
constexpr int rightButton = 3;

// The ground step of an arrow key (recognised by the low byte of the key
// code); false for any other key.
bool stepByArrowKey(int key, double step, double& dx, double& dz) {
  dx = 0.0;
  dz = 0.0;
  switch (key & 0xff) {
    case keyLeft: dx = -step; return true;
    case keyRight: dx = step; return true;
    case keyUp: dz = -step; return true;
    case keyDown: dz = step; return true;
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

}  // namespace

bool MotionView::pointerOnGround(double pointerX, double pointerY, double& clipX,
                                 double& clipZ) const {
  if (!cameraKnown) return false;
  const double windowY = camera.viewport[3] - pointerY;
  double nearPoint[3];
  double farPoint[3];
  if (gluUnProject(pointerX, windowY, 0.0, camera.modelView, camera.projection, camera.viewport,
                   &nearPoint[0], &nearPoint[1], &nearPoint[2]) != GL_TRUE ||
      gluUnProject(pointerX, windowY, 1.0, camera.modelView, camera.projection, camera.viewport,
                   &farPoint[0], &farPoint[1], &farPoint[2]) != GL_TRUE) {
    return false;
  }
  const double rise = farPoint[1] - nearPoint[1];
  if (rise == 0.0) return false;
  const double t = (figureFloorY - nearPoint[1]) / rise;
  clipX = (nearPoint[0] + t * (farPoint[0] - nearPoint[0])) / figureScale;
  clipZ = (nearPoint[2] + t * (farPoint[2] - nearPoint[2])) / figureScale;
  // A Z-up clip's second ground axis, its y, points away from the camera.
  if (session.upAxis() == UpAxis::z) clipZ = -clipZ;
  return true;
}

bool MotionView::handleShortcut() {
  const int key = Fl::event_key();
  const bool control = Fl::event_state(FL_CTRL) != 0;
  const bool shift = Fl::event_state(FL_SHIFT) != 0;
  if (control && (key == 'z' || key == 'y')) {
    if (key == 'z' && !shift) {
      session.undo();
    } else {
      session.redo();
    }
    redraw();
    return true;
  }
  if (control && key == 's') {
    chooseAndWritePath();
    return true;
  }
  return false;
}

int MotionView::handle(int event) {
  if (handleCameraEvent(event)) return 1;
  switch (event) {
    case FL_FOCUS:
    case FL_UNFOCUS:
      // Taking the focus is what makes the toolkit send the keys here.
      return 1;

    case FL_SHORTCUT:
      // Ctrl+Z, Ctrl+S and the like also while a button has the focus.
      return handleShortcut() ? 1 : Fl_Gl_Window::handle(event);

    case FL_KEYBOARD: {
      if (handleShortcut()) return 1;
      switch (Fl::event_key()) {
        case FL_Escape:
          // Always used, so that it never reaches the window, which would close.
          if (session.selected() == -1) return 1;
          break;
        case ' ':
          toggleAnimated();
          notifyControls();
          return 1;
        case ',':
          frameBackward();
          notifyControls();
          return 1;
        case '.':
          frameForward();
          notifyControls();
          return 1;
        case 'u':
          switchUpAxis();
          return 1;
        default:
          break;
      }
      if (session.selected() == -1) return 0;
      const double arrowStep = pointStep(*motion);
      const double step = Fl::event_state(FL_SHIFT) ? arrowStep * bigStepFactor : arrowStep;
      double dx = 0.0;
      double dz = 0.0;
      // A run of arrow presses on one point is one undo step.
      if (stepByArrowKey(Fl::event_key(), step, dx, dz)) {
        // Up moves away from the camera whichever the clip's up axis.
        session.moveSelected(dx, session.upAxis() == UpAxis::z ? -dz : dz);
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
        dragging = session.selected() >= 0 &&
                   pointerOnGround(Fl::event_x(), Fl::event_y(), dragX, dragZ);
      } else if (Fl::event_button() == rightButton) {
        float unitX = 0.0f;
        float unitY = 0.0f;
        rotationPointer(*this, unitX, unitY);
        arcBall->beginDrag(unitX, unitY);
      }
      return 1;

    case FL_RELEASE:
      if (Fl::event_button() == leftButton) {
        // The whole drag is one undo step.
        if (dragging) session.endMove();
        dragging = false;
        return 1;
      }
      return Fl_Gl_Window::handle(event);

    case FL_DRAG:
      if (Fl::event_button() == leftButton && dragging) {
        // Moved by as much as the pointer moved over the ground, so the point
        // keeps its place under the pointer.
        double x = 0.0;
        double z = 0.0;
        if (pointerOnGround(Fl::event_x(), Fl::event_y(), x, z)) {
          session.moveSelected(x - dragX, z - dragZ);
          dragX = x;
          dragZ = z;
          redraw();
        }
      } else if (Fl::event_button() == rightButton) {
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
  session.select(-1);
  const HitRecordsResult hits = readHitRecords(hitCount, buffer, selectionBufferWords);
  if (hits.recordsRead > 0) pickDepth = hits.lastDepth;
  // A name that is no control point (not one this view draws) selects nothing.
  if (hits.selectedIndex >= 0 && hits.selectedIndex < path->pointCount()) {
    session.select(hits.selectedIndex);
    damage(1);
  }
}

