#pragma once

#include <array>

#include "base/Point3.h"
#include "view/ArcBall.h"

// The view's camera, in world units: it looks from the eye towards the
// centre, both at height eyeY, turned by the arcball about the eye. The eye
// is kept 1 / zoom from the centre and the scene's distance is divided by
// zoom too, so whatever stands at the centre is magnified by zoom and stays
// where the world's origin is at start-up; the middle of the view is
// 1 / zoom above the centre. Headless: the view loads modelView() and
// projection() into GL.
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

  // Moves eye and centre together along the ground.
  void pan(double dx, double dz);
  // Mouse wheel notches: each one away from the user (negative) zooms in
  // by 1.1, about the middle of the view; the zoom stays within 0.05..1000.
  void zoomByNotches(int notches);
  // Moves the centre a fifth of the way towards target's ground position;
  // closer than 1e-6 counts as there, so a still figure stops the camera.
  void follow(const Point3& target);
  // Centres a figure whose middle is at middle and zooms so that its size
  // (world units; 0, negative or not finite: the zoom stays) takes half the
  // view's height, the middle in the middle of the view.
  void frame(const Point3& middle, double size);
  // Back to the start-up pose (following is kept).
  void reset();
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
  // Right-button drags, in the unit square: the arcball's drag.
  void beginTurn(float unitX, float unitY) { arcBall_.beginDrag(unitX, unitY); }
  void turnTo(float unitX, float unitY) { arcBall_.dragTo(unitX, unitY); }

  // The model-view transform, column-major as glLoadMatrixd takes it: the
  // scene moved 1 / zoom down and 12 / zoom away, turned by the arcball, seen
  // from the eye towards the centre with y up.
  std::array<double, 16> modelView() const;
  // The perspective projection, column-major: a 45 degree field of view over
  // the height, width / height aspect, near and far planes 0.01 / zoom and
  // 30 / zoom (the depth range grows as the zoom shrinks, so a framed large
  // figure stays inside it).
  std::array<double, 16> projection(double aspect) const;

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
};
