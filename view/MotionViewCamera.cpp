// The view's camera beyond the pan buttons: following the figure, zooming
// with the mouse wheel, framing the figure with F, and the reset.
//
// The camera looks from the eye towards the centre at height eyeY, turned by
// the arcball about the eye. The eye is kept 1 / zoom from the centre and the
// scene's distance is divided by zoom too, so whatever stands at the centre
// is magnified by zoom and stays where the world's origin is at start-up;
// the middle of the view is 1 / zoom above the centre.
#include <FL/Fl.H>

#include <algorithm>
#include <cmath>

#include "motion/FigureFrame.h"
#include "motion/TrackJoint.h"
#include "path/GroundMapping.h"
#include "view/MotionView.h"

namespace {

// Share of the remaining way the pan moves per redraw while following:
// playback redraws every frame, so the camera glides after the figure.
constexpr double followShare = 0.2;
constexpr double wheelStep = 1.1;
constexpr double smallestZoom = 0.05;
constexpr double largestZoom = 1000.0;
// F: the figure's size over the height the view shows at the centre's
// distance (13 / zoom with a 45 degree field of view).
constexpr double framedShare = 0.5;
constexpr double startDistance = 13.0;
constexpr double halfFieldTangent = 0.41421356237309503;  // tan(22.5 degrees)

// The joint the path carries: the root, or the joint that walks below a still root.
int carriedJoint(const MotionView& view) {
  return jointOfClip(*view.motion, view.path->trackJoint);
}

// World position of the carried joint in frame f.
Point3 figurePosition(const MotionView& view, int f) {
  const BvhMotion& motion = *view.motion;
  if (motion.skeleton.empty()) return figureToWorld({});
  FramePlacement placement;
  const UpAxis up = view.session.upAxis();
  const bool placed = view.usesPath && view.session.placeFrame(f, placement);
  placement = placementInClipAxes(placement, up);
  return figureToWorld(
      carriedJointPosition(motion, carriedJoint(view), f, placed ? &placement : nullptr, up), up);
}

Point3 figurePosition(const MotionView& view) { return figurePosition(view, view.currentFrame); }

// The middle of the rest pose's box in frame f (the point F centres on), and
// the box's size, both in world units.
Point3 figureMiddle(const MotionView& view, int f, double& size) {
  Point3 focus = figurePosition(view, f);
  size = 0.0;
  if (view.motion->skeleton.empty()) return focus;
  // The middle of the rest pose's box, carried to where the carried joint is.
  const RestPoseBox box = restPoseBox(view.motion->skeleton);
  const Point3 offset = offsetFromRoot(view.motion->skeleton, carriedJoint(view));
  const Point3 c = box.centre();
  const UpAxis up = view.session.upAxis();
  const Point3 toCentre = figureToWorld({c.x - offset.x, c.y - offset.y, c.z - offset.z}, up);
  const Point3 origin = figureToWorld({}, up);
  focus.x += toCentre.x - origin.x;
  focus.y += toCentre.y - origin.y;
  focus.z += toCentre.z - origin.z;
  size = box.size() * figureScale;
  return focus;
}

// Whether the fixed start-up camera shows the figure of frame 0 at a size one
// can work with: its middle in sight and its size between these shares of
// the view's height there. The default clip's figure fills most of it; a
// CMU figure (a seventh of its size), one in metres or millimetres, or one
// standing far from the origin does not.
constexpr double smallestFixedShare = 0.25;
constexpr double largestFixedShare = 2.0;

bool fixedViewShowsFigure(const MotionView& view) {
  double size = 0.0;
  const Point3 middle = figureMiddle(view, 0, size);
  // The fixed camera looks along -z from (0, 1, 13) (see applyCamera).
  const double depth = startDistance - middle.z;
  // Without a figure there is nothing to frame.
  if (!(size > 0.0) || !std::isfinite(size)) return true;
  if (!(depth > 0.0)) return false;
  const double halfHeight = depth * halfFieldTangent;
  const double aspect = view.h() > 0 ? static_cast<double>(view.w()) / view.h() : 1.0;
  const double share = size / (2.0 * halfHeight);
  return std::fabs(middle.x) <= aspect * halfHeight && std::fabs(middle.y - 1.0) <= halfHeight &&
         share >= smallestFixedShare && share <= largestFixedShare;
}

// Moves eye and centre together so that the centre is at (x, z).
void centreOn(MotionView& view, double x, double z) {
  const double dx = x - view.centerX;
  const double dz = z - view.centerZ;
  view.centerX += dx;
  view.centerZ += dz;
  view.eyeX += dx;
  view.eyeZ += dz;
}

// Sets the zoom, keeping the eye's direction from the centre and what is in
// the middle of the view there.
void setZoom(MotionView& view, double zoom) {
  zoom = std::clamp(zoom, smallestZoom, largestZoom);
  view.eyeY += 1.0 / view.zoom - 1.0 / zoom;
  double dx = view.eyeX - view.centerX;
  double dz = view.eyeZ - view.centerZ;
  const double length = std::hypot(dx, dz);
  if (length > 0.0) {
    dx /= length;
    dz /= length;
  } else {
    dx = 0.0;
    dz = 1.0;
  }
  view.eyeX = view.centerX + dx / zoom;
  view.eyeZ = view.centerZ + dz / zoom;
  view.zoom = zoom;
}

}  // namespace

int MotionView::handleCameraEvent(int event) {
  if (event == FL_MOUSEWHEEL) {
    const int notches = Fl::event_dy();
    if (notches == 0) return 0;
    // Rolling away from the user (negative dy) zooms in.
    setZoom(*this, zoom * std::pow(wheelStep, -notches));
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

void MotionView::followFigure() {
  const Point3 target = figurePosition(*this);
  double x = centerX + (target.x - centerX) * followShare;
  double z = centerZ + (target.z - centerZ) * followShare;
  // Close enough counts as there, so a still figure stops the camera.
  if (std::fabs(target.x - x) < 1e-6) x = target.x;
  if (std::fabs(target.z - z) < 1e-6) z = target.z;
  centreOn(*this, x, z);
}

void MotionView::frameFigure() { frameFigureAt(currentFrame); }

void MotionView::frameFigureAt(int f) {
  double size = 0.0;
  const Point3 focus = figureMiddle(*this, f, size);
  if (size > 0.0 && std::isfinite(size)) {
    setZoom(*this, startDistance * 2.0 * halfFieldTangent * framedShare / size);
  }
  centreOn(*this, focus.x, focus.z);
  // The scene sits 1 / zoom below the line of sight at the centre; raising
  // the eye by as much puts the figure in the middle of the view.
  eyeY = focus.y - 1.0 / zoom;
  redraw();
}

void MotionView::resetCamera() {
  eyeX = 0.0;
  eyeY = 0.0;
  eyeZ = 1.0;
  centerX = 0.0;
  centerZ = 0.0;
  zoom = 1.0;
  *arcBall = ArcBall();
  if (!fixedViewShowsFigure(*this)) frameFigureAt(0);
  redraw();
}
