// The view's event handler: left-button picking and dragging of control
// points, arrow-key steps of the selected point, the view's keys (undo, redo,
// write, play, frame steps), the mouse wheel and F for the camera, and
// right-button camera rotation.
#include <FL/Fl.H>
#include <FL/Fl_Gl_Window.H>
#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "draw/PathCurveDrawing.h"
#include "motion/FigureFrame.h"
#include "motion/GroundAxes.h"
#include "path/GroundMapping.h"
#include "path/PathKinds.h"
#include "view/MotionView.h"

namespace {

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
    case keyLeft:
      dx = -step;
      return true;
    case keyRight:
      dx = step;
      return true;
    case keyUp:
      dz = -step;
      return true;
    case keyDown:
      dz = step;
      return true;
    default:
      return false;
  }
}

// A convex outline on the screen, in window pixels.
struct ScreenPoint {
  double x;
  double y;
};

double cross(const ScreenPoint& o, const ScreenPoint& a, const ScreenPoint& b) {
  return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

// Convex hull of a few points, counter-clockwise (monotone chain).
std::vector<ScreenPoint> convexHull(std::vector<ScreenPoint> points) {
  std::sort(points.begin(), points.end(), [](const ScreenPoint& a, const ScreenPoint& b) {
    return a.x < b.x || (a.x == b.x && a.y < b.y);
  });
  std::vector<ScreenPoint> hull(2 * points.size());
  size_t k = 0;
  for (size_t i = 0; i < points.size(); ++i) {
    while (k >= 2 && cross(hull[k - 2], hull[k - 1], points[i]) <= 0.0) --k;
    hull[k++] = points[i];
  }
  for (size_t i = points.size() - 1, lower = k + 1; i-- > 0;) {
    while (k >= lower && cross(hull[k - 2], hull[k - 1], points[i]) <= 0.0) --k;
    hull[k++] = points[i];
  }
  hull.resize(k > 1 ? k - 1 : k);
  return hull;
}

// Whether a convex outline and the square of half size r about (cx, cy)
// overlap: no axis of either separates them.
bool hullMeetsSquare(const std::vector<ScreenPoint>& hull, double cx, double cy, double r) {
  if (hull.empty()) return false;
  const auto separated = [&](double ax, double ay) {
    double low = HUGE_VAL;
    double high = -HUGE_VAL;
    for (const ScreenPoint& p : hull) {
      const double d = p.x * ax + p.y * ay;
      low = std::min(low, d);
      high = std::max(high, d);
    }
    const double centre = cx * ax + cy * ay;
    const double reach = r * (std::fabs(ax) + std::fabs(ay));
    return high < centre - reach || low > centre + reach;
  };
  if (separated(1.0, 0.0) || separated(0.0, 1.0)) return false;
  for (size_t i = 0; i < hull.size(); ++i) {
    const ScreenPoint& a = hull[i];
    const ScreenPoint& b = hull[(i + 1) % hull.size()];
    if (separated(b.y - a.y, a.x - b.x)) return false;
  }
  return true;
}

}  // namespace

// The pick is worked out from the camera's matrices rather than by drawing
// in GL selection mode: switching the driver into that mode and back made it
// build its vertex programs anew on every click, growing the editor each time.
void MotionView::pickControlPoint(int pointerX, int pointerY) {
  session_.select(-1);
  // A point can be picked only while the path is shown.
  if (!usesPath_) return;
  make_current();
  GLdouble modelView[16];
  GLdouble projection[16];
  GLint viewport[4];
  cameraMatrices(modelView, projection, viewport);
  const double windowX = pointerX;
  const double windowY = viewport[3] - pointerY;
  const PathLayout layout = session_.layout();
  const double s = layout.cubeHalfSize;
  for (int i = 0; i < session_.pointCount(); ++i) {
    const Point3 ground = groundMapping(session_.point(i), layout);
    std::vector<ScreenPoint> corners;
    bool seen = true;
    for (int c = 0; c < 8 && seen; ++c) {
      // The corner in the figure's frame, turned upright as the path drawing
      // turns it (figureToWorld), lifted as the path is.
      const Point3 corner =
          figureToWorld({ground.x + ((c & 1) ? s : -s), ground.y + ((c & 2) ? s : -s),
                         ground.z + ((c & 4) ? s : -s)},
                        layout.up);
      GLdouble wx = 0.0, wy = 0.0, wz = 0.0;
      // A cube reaching behind the eye or past the far plane is not picked.
      seen = gluProject(corner.x, corner.y + pathLift, corner.z, modelView, projection, viewport,
                        &wx, &wy, &wz) == GL_TRUE &&
             wz >= 0.0 && wz <= 1.0;
      corners.push_back({wx, wy});
    }
    // Later points are drawn over earlier ones, so the last one hit wins.
    if (seen && hullMeetsSquare(convexHull(corners), windowX, windowY, pickRegionPixels / 2.0)) {
      session_.select(i);
    }
  }
  damage(1);
}

bool MotionView::pointerOnGround(double pointerX, double pointerY, double& clipX,
                                 double& clipZ) const {
  if (!snapshotTaken_) return false;
  // A pointer dragged out of the view counts as being at its edge.
  const double width = snapshot_.viewport[2];
  const double height = snapshot_.viewport[3];
  if (!(width > 0.0 && height > 0.0)) return false;
  const double windowX = std::clamp(pointerX, 0.0, width - 1.0);
  const double windowY = height - std::clamp(pointerY, 0.0, height - 1.0);
  double nearPoint[3];
  double farPoint[3];
  if (gluUnProject(windowX, windowY, 0.0, snapshot_.modelView, snapshot_.projection,
                   snapshot_.viewport, &nearPoint[0], &nearPoint[1], &nearPoint[2]) != GL_TRUE ||
      gluUnProject(windowX, windowY, 1.0, snapshot_.modelView, snapshot_.projection,
                   snapshot_.viewport, &farPoint[0], &farPoint[1], &farPoint[2]) != GL_TRUE) {
    return false;
  }
  // The ray runs from the near plane (t = 0) to the far plane (t = 1). Ground
  // it meets behind the eye, beyond the far plane or not at all is ground the
  // camera does not show: no sound position.
  const double rise = farPoint[1] - nearPoint[1];
  const double t = (figureFloorY - nearPoint[1]) / rise;
  if (!(t >= 0.0 && t <= 1.0)) return false;
  const double x = (nearPoint[0] + t * (farPoint[0] - nearPoint[0])) / figureScale;
  const double z = (nearPoint[2] + t * (farPoint[2] - nearPoint[2])) / figureScale;
  if (!std::isfinite(x) || !std::isfinite(z)) return false;
  // The ground frame's axes, whichever the clip's up axis.
  groundStepFromWorld(x, z, session_.upAxis(), clipX, clipZ);
  return true;
}

bool MotionView::handleShortcut() {
  const int key = Fl::event_key();
  const bool control = Fl::event_state(FL_CTRL) != 0;
  const bool shift = Fl::event_state(FL_SHIFT) != 0;
  if (control && (key == 'z' || key == 'y')) {
    if (key == 'z' && !shift) {
      session_.undo();
    } else {
      session_.redo();
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

bool MotionView::handleViewKey() {
  if (handleShortcut()) return true;
  switch (Fl::event_key()) {
    case FL_Escape:
      // Deselects; always used, so that it never reaches the window, which
      // would close.
      if (session_.selected() >= 0) {
        session_.select(-1);
        redraw();
      }
      return true;
    case ' ':
      toggleAnimated();
      notifyControls();
      return true;
    case ',':
      frameBackward();
      notifyControls();
      return true;
    case '.':
      frameForward();
      notifyControls();
      return true;
    case 't':
      session_.setKind((session_.kind() + 1) % pathKindCount());
      redraw();
      return true;
    case FL_Insert:
      session_.insertPoint();
      redraw();
      return true;
    case FL_Delete:
      session_.removePoint();
      redraw();
      return true;
    case 'u':
      switchUpAxis();
      return true;
    default:
      break;
  }
  if (session_.selected() == -1) return false;
  // A step is a share of the figure's size, whatever the clip's units.
  const double arrowStep = pointStep(session_.motion());
  const double step = Fl::event_state(FL_SHIFT) ? arrowStep * bigStepFactor : arrowStep;
  double dx = 0.0;
  double dz = 0.0;
  if (!stepByArrowKey(Fl::event_key(), step, dx, dz)) return false;
  // A run of arrow presses on one point is one undo step. Up moves away
  // from the camera (the world's -z) whichever the clip's up axis.
  double groundX = 0.0;
  double groundZ = 0.0;
  groundStepFromWorld(dx, dz, session_.upAxis(), groundX, groundZ);
  session_.moveSelected(groundX, groundZ);
  redraw();
  return true;
}

int MotionView::handleCameraEvent(int event) {
  if (event == FL_MOUSEWHEEL) {
    const int notches = Fl::event_dy();
    if (notches == 0) return 0;
    camera_.zoomByNotches(notches);
    redraw();
    return 1;
  }
  // Also as a shortcut, so that F works whatever control was clicked last.
  if ((event == FL_KEYBOARD || event == FL_SHORTCUT) &&
      (Fl::event_key() == 'f' || Fl::event_key() == 'F')) {
    frameFigure();
    return 1;
  }
  return 0;
}

int MotionView::handle(int event) {
  if (handleCameraEvent(event)) return 1;
  switch (event) {
    case FL_FOCUS:
    case FL_UNFOCUS:
      // Taking the focus is what makes the toolkit send the keys here.
      return 1;

    case FL_SHORTCUT:
      // The view's keys whatever widget has the keyboard: the toolkit offers
      // every key its focus widget did not use to the whole window.
      return handleViewKey() ? 1 : Fl_Gl_Window::handle(event);

    case FL_KEYBOARD:
      if (handleViewKey()) return 1;
      // With a point selected every other key is used too, and redraws.
      if (session_.selected() == -1) return 0;
      redraw();
      return 1;

    case FL_PUSH:
      if (Fl::event_button() == leftButton) {
        // A click on a button moves the keyboard focus there; take it back so
        // the arrow keys that follow a pick reach the view.
        Fl::focus(this);
        pickControlPoint(Fl::event_x(), Fl::event_y());
        dragging_ = session_.selected() >= 0 &&
                    pointerOnGround(Fl::event_x(), Fl::event_y(), dragX_, dragZ_);
      } else if (Fl::event_button() == rightButton) {
        float unitX = 0.0f;
        float unitY = 0.0f;
        OrbitCamera::unitSquare(Fl::event_x(), Fl::event_y(), w(), h(), unitX, unitY);
        camera_.beginTurn(unitX, unitY);
      }
      return 1;

    case FL_RELEASE:
      if (Fl::event_button() == leftButton) {
        // The whole drag is one undo step.
        if (dragging_) session_.endMove();
        dragging_ = false;
        return 1;
      }
      return Fl_Gl_Window::handle(event);

    case FL_DRAG:
      if (Fl::event_button() == leftButton && dragging_) {
        // Moved by as much as the pointer moved over the ground, so the point
        // keeps its place under the pointer.
        double x = 0.0;
        double z = 0.0;
        if (pointerOnGround(Fl::event_x(), Fl::event_y(), x, z)) {
          session_.moveSelected(x - dragX_, z - dragZ_);
          dragX_ = x;
          dragZ_ = z;
          redraw();
        }
      } else if (Fl::event_button() == rightButton) {
        float unitX = 0.0f;
        float unitY = 0.0f;
        OrbitCamera::unitSquare(Fl::event_x(), Fl::event_y(), w(), h(), unitX, unitY);
        camera_.turnTo(unitX, unitY);
        damage(1);
      }
      return 1;

    default:
      return Fl_Gl_Window::handle(event);
  }
}
