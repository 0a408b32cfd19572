// The view's event handler: keys become the commands of the command table;
// a left press picks a control point and a left drag moves it over the
// ground; the right button turns the camera and the wheel zooms.
#include <FL/Fl.H>
#include <FL/Fl_Gl_Window.H>
#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "draw/PathCurveDrawing.h"
#include "motion/FigureFrame.h"
#include "motion/GroundAxes.h"
#include "path/GroundMapping.h"
#include "view/MotionView.h"
#include "view/PickGeometry.h"

namespace {

constexpr double pickRegionPixels = 5.0;

constexpr int leftButton = 1;
constexpr int rightButton = 3;

// The key of the event as the command table names it.
KeyPress pressedKey() {
  KeyPress press;
  press.ctrl = Fl::event_state(FL_CTRL) != 0;
  press.shift = Fl::event_state(FL_SHIFT) != 0;
  const int key = Fl::event_key();
  struct Named {
    int toolkit;
    int table;
  };
  static const Named named[] = {
      {FL_Escape, keyEscape}, {FL_Tab, keyTab},       {FL_Left, keyLeft}, {FL_Up, keyUp},
      {FL_Right, keyRight},   {FL_Down, keyDown},     {FL_Home, keyHome}, {FL_End, keyEnd},
      {FL_Insert, keyInsert}, {FL_Delete, keyDelete}, {FL_F + 1, keyF1},
  };
  press.key = key >= 'A' && key <= 'Z' ? key - 'A' + 'a' : key;
  for (const Named& n : named) {
    if (n.toolkit == key) press.key = n.table;
  }
  // '?' needs Shift on most layouts, where the key itself is another one.
  const char* text = Fl::event_text();
  if (text != nullptr && std::strcmp(text, "?") == 0) press.key = '?';
  return press;
}

void unitSquareOfEvent(const Fl_Gl_Window& view, float& unitX, float& unitY) {
  OrbitCamera::unitSquare(Fl::event_x(), Fl::event_y(), view.w(), view.h(), unitX, unitY);
}

}  // namespace

int MotionView::handle(int event) {
  switch (event) {
    case FL_FOCUS:
    case FL_UNFOCUS:
      // Taking the focus is what makes the toolkit send the keys here.
      return 1;

    case FL_MOUSEWHEEL:
      if (Fl::event_dy() == 0) return 0;
      sink_.zoom(Fl::event_dy());
      redraw();
      return 1;

    case FL_SHORTCUT:
      // The view's keys whatever widget has the keyboard: the toolkit offers
      // every key its focus widget did not use to the whole window.
      return runKey() ? 1 : Fl_Gl_Window::handle(event);

    case FL_KEYBOARD:
      if (runKey()) return 1;
      // With a point selected every other key is used too, and redraws.
      if (session_.selected() == -1) return 0;
      redraw();
      return 1;

    case FL_PUSH:
      return handlePush();
    case FL_RELEASE:
      return handleRelease(event);
    case FL_DRAG:
      return handleDrag();
    default:
      return Fl_Gl_Window::handle(event);
  }
}

bool MotionView::runKey() {
  const CommandRow* row = commandForKey(pressedKey());
  if (row == nullptr || !sink_.run(row->command, row->times)) return false;
  redraw();
  return true;
}

int MotionView::handlePush() {
  if (Fl::event_button() == leftButton) {
    // A click on a button moves the keyboard focus there; take it back so
    // the arrow keys that follow a pick reach the view.
    Fl::focus(this);
    sink_.selectPoint(pointUnder(Fl::event_x(), Fl::event_y()));
    damage(1);
    dragging_ =
        session_.selected() >= 0 && pointerOnGround(Fl::event_x(), Fl::event_y(), dragX_, dragZ_);
  } else if (Fl::event_button() == rightButton) {
    float unitX = 0.0f;
    float unitY = 0.0f;
    unitSquareOfEvent(*this, unitX, unitY);
    sink_.beginTurn(unitX, unitY);
  }
  return 1;
}

int MotionView::handleRelease(int event) {
  if (Fl::event_button() != leftButton) return Fl_Gl_Window::handle(event);
  // The whole drag is one undo step.
  if (dragging_) sink_.endDrag();
  dragging_ = false;
  return 1;
}

int MotionView::handleDrag() {
  if (Fl::event_button() == leftButton && dragging_) {
    // Moved by as much as the pointer moved over the ground, so the point
    // keeps its place under the pointer.
    double x = 0.0;
    double z = 0.0;
    if (pointerOnGround(Fl::event_x(), Fl::event_y(), x, z)) {
      sink_.dragSelected(x - dragX_, z - dragZ_);
      dragX_ = x;
      dragZ_ = z;
      redraw();
    }
  } else if (Fl::event_button() == rightButton) {
    float unitX = 0.0f;
    float unitY = 0.0f;
    unitSquareOfEvent(*this, unitX, unitY);
    sink_.turnTo(unitX, unitY);
    damage(1);
  }
  return 1;
}

// The pick is worked out from the camera's matrices rather than by drawing
// in GL selection mode: switching the driver into that mode and back made it
// build its vertex programs anew on every click, growing the editor each time.
int MotionView::pointUnder(int pointerX, int pointerY) const {
  // A point can be picked only while the path is shown.
  if (!state_.usesPath) return -1;
  const double aspect = h() > 0 ? static_cast<double>(w()) / static_cast<double>(h()) : 1.0;
  const std::array<double, 16> modelView = state_.camera.modelView();
  const std::array<double, 16> projection = state_.camera.projection(aspect);
  const GLint viewport[4] = {0, 0, w(), h()};
  const double windowX = pointerX;
  const double windowY = h() - pointerY;
  const PathLayout layout = session_.layout();
  int picked = -1;
  for (int i = 0; i < session_.pointCount(); ++i) {
    const Point3 ground = groundMapping(session_.point(i), layout);
    std::vector<ScreenPoint> outline;
    bool seen = true;
    for (const Point3& corner : cubeCorners(ground, layout.cubeHalfSize, layout.up, pathLift)) {
      GLdouble wx = 0.0, wy = 0.0, wz = 0.0;
      // A cube reaching behind the eye or past the far plane is not picked.
      seen = gluProject(corner.x, corner.y, corner.z, modelView.data(), projection.data(), viewport,
                        &wx, &wy, &wz) == GL_TRUE &&
             wz >= 0.0 && wz <= 1.0;
      if (!seen) break;
      outline.push_back({wx, wy});
    }
    // Later points are drawn over earlier ones, so the last one hit wins.
    if (seen && hullMeetsSquare(convexHull(outline), windowX, windowY, pickRegionPixels / 2.0)) {
      picked = i;
    }
  }
  return picked;
}

bool MotionView::pointerOnGround(double pointerX, double pointerY, double& groundX,
                                 double& groundZ) const {
  if (!snapshotTaken_) return false;
  // A pointer dragged out of the view counts as being at its edge.
  const double width = snapshot_.viewport[2];
  const double height = snapshot_.viewport[3];
  if (!(width > 0.0 && height > 0.0)) return false;
  const double windowX = std::clamp(pointerX, 0.0, width - 1.0);
  const double windowY = height - std::clamp(pointerY, 0.0, height - 1.0);
  Point3 nearPoint;
  Point3 farPoint;
  if (gluUnProject(windowX, windowY, 0.0, snapshot_.modelView, snapshot_.projection,
                   snapshot_.viewport, &nearPoint.x, &nearPoint.y, &nearPoint.z) != GL_TRUE ||
      gluUnProject(windowX, windowY, 1.0, snapshot_.modelView, snapshot_.projection,
                   snapshot_.viewport, &farPoint.x, &farPoint.y, &farPoint.z) != GL_TRUE) {
    return false;
  }
  // Ground the ray meets behind the eye, beyond the far plane or not at all
  // is ground the camera does not show: no sound position.
  double worldX = 0.0;
  double worldZ = 0.0;
  if (!segmentMeetsFloor(nearPoint, farPoint, figureFloorY, worldX, worldZ)) return false;
  // The ground frame's axes, whichever the clip's up axis.
  groundStepFromWorld(worldX / figureScale, worldZ / figureScale, session_.upAxis(), groundX,
                      groundZ);
  return true;
}
