#pragma once

#include <array>

#include "base/Point3.h"
#include "view/ArcBall.h"
#include "view/WorldBox.h"

// The view's camera, in world units: it looks from the eye towards the
// centre, both at height eyeY, turned by the arcball about the eye. The eye
// is kept 1 / zoom from the centre and the scene's distance is divided by
// zoom too, so whatever stands at the centre is magnified by zoom and stays
// where the world's origin is at start-up; the middle of the view is
// 1 / zoom above the centre. It may instead look straight down (the top view,
// orthographic, the world's -z up on the screen), and its orbit may keep the
// horizon level. Headless: the view loads modelView() and projection() into
// GL.
class OrbitCamera {
 public:
  // The start-up pose: eye (0, 0, 1), centre (0, 0, 0), zoom 1, no turn.
  OrbitCamera() = default;

  double eyeX() const { return eyeX_; }
  double eyeY() const { return eyeY_; }
  double eyeZ() const { return eyeZ_; }
  double centerX() const { return centerX_; }
  double centerZ() const { return centerZ_; }
  double zoom() const { return zoom_; }
  const ArcBall& arcBall() const { return arcBall_; }
  // Whether the view glides after the figure (follow) on every redraw.
  bool following() const { return following_; }
  void toggleFollowing() { following_ = !following_; }

  // Moves eye and centre together along the ground (in the top view: what
  // it looks down on).
  void pan(double dx, double dz);
  // Mouse wheel notches: each one away from the user (negative) zooms in
  // by 1.1, about the middle of the view; the zoom stays within 0.05..1000.
  void zoomByNotches(int notches);
  // Moves the centre a fifth of the way towards target's ground position;
  // closer than 1e-6 counts as there, so a still figure stops the camera.
  void follow(const Point3& target);
  // Centres a figure whose middle is at middle and zooms so that its size
  // (world units; 0, negative or not finite: the zoom stays) takes half the
  // view's height, the middle in the middle of the view. The top view looks
  // down on it at that size.
  void frame(const Point3& middle, double size);
  // Everything in box in view, with a margin, from the direction the camera
  // looks now (in the top view: from above); an empty box changes nothing.
  void frameBox(const WorldBox& box, double aspect);
  // Back to the start-up pose (following and the level orbit are kept; the
  // top view is left).
  void reset();

  // The top view: looks straight down on box (framed, with a margin, in a
  // view of aspect), orthographic. Leaving it brings back the pose it left.
  bool topView() const { return topView_; }
  void viewFromAbove(const WorldBox& box, double aspect);
  void leaveTopView() { topView_ = false; }

  // The level orbit: right-button drags turn about the vertical and tilt,
  // never roll, and the tilt stays between looking slightly up and straight
  // down. Switching it on takes the roll out of the present turn. Off, the
  // drags turn the arcball freely.
  bool levelOrbit() const { return levelOrbit_; }
  void setLevelOrbit(bool on);

  // Where the viewer stands in the world (the eye of the whole transform).
  Point3 viewer() const;
  // The far plane's distance from the viewer.
  double reach() const;
  // The start-up pose when it shows the figure (middle, size) at a workable
  // size (fixedViewShows); otherwise that figure framed.
  void resetToShow(const Point3& middle, double size, double aspect);
  // Whether the start-up pose shows a figure of size with its middle at
  // middle, in a view of width / height aspect: the middle in sight and the
  // size between a quarter and twice the view's height there. No figure
  // (size 0, negative, not finite) counts as shown.
  static bool fixedViewShows(const Point3& middle, double size, double aspect);

  // A window pointer (toolkit pixels, y down) in the view's unit square
  // (-1..1, y up), as the arcball takes it.
  static void unitSquare(double x, double y, int width, int height, float& unitX, float& unitY);
  // Drops every turn: the camera looks level along -z again.
  void clearTurn();
  // Right-button drags, in the unit square: the arcball's drag, or with the
  // level orbit a turn and tilt by twice the pointer's way (as the arcball
  // turns near the middle). The top view does not turn.
  void beginTurn(float unitX, float unitY);
  void turnTo(float unitX, float unitY);

  // The model-view transform, column-major as glLoadMatrixd takes it: the
  // scene moved 1 / zoom down and 12 / zoom away, turned by the arcball, seen
  // from the eye towards the centre with y up; in the top view, seen from
  // above what it looks down on.
  std::array<double, 16> modelView() const;
  // The perspective projection, column-major: a 45 degree field of view over
  // the height, width / height aspect, near and far planes 0.01 / zoom and
  // 30 / zoom (the depth range grows as the zoom shrinks, so a framed large
  // figure stays inside it). The top view's is orthographic.
  std::array<double, 16> projection(double aspect) const;
  // Where the camera puts world point p in a view of aspect: x and y from -1
  // to 1 across the view when it is in sight; false behind the eye.
  bool project(const Point3& p, double aspect, double& x, double& y) const;

 private:
  // Sets the zoom (clamped), keeping the eye's direction from the centre and
  // what is in the middle of the view there.
  void setZoom(double zoom);
  void centreOn(double x, double z);

  double eyeX_ = 0.0;
  double eyeY_ = 0.0;
  double eyeZ_ = 1.0;
  double centerX_ = 0.0;
  double centerZ_ = 0.0;
  double zoom_ = 1.0;
  ArcBall arcBall_;
  bool following_ = false;

  // The level orbit's turn about the vertical and tilt (radians), and where
  // the drag began.
  bool levelOrbit_ = false;
  double yaw_ = 0.0;
  double pitch_ = 0.0;
  double dragYaw_ = 0.0;
  double dragPitch_ = 0.0;
  float dragX_ = 0.0f;
  float dragY_ = 0.0f;
  // Sets the arcball to the level turn of yaw_ and pitch_.
  void applyLevelTurn();

  // The top view: the ground point below the middle of the view, half the
  // view's height there, the height it looks down from and the lowest it
  // shows.
  bool topView_ = false;
  double topX_ = 0.0;
  double topZ_ = 0.0;
  double topHalfHeight_ = 5.0;
  double topEyeY_ = 10.0;
  double topLowY_ = -10.0;
};
