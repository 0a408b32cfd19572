#include "view/OrbitCamera.h"

#include <algorithm>
#include <cmath>

namespace {

// Share of the remaining way the pan moves per redraw while following:
// playback redraws every frame, so the camera glides after the figure.
constexpr double followShare = 0.2;
constexpr double wheelStep = 1.1;
constexpr double smallestZoom = 0.05;
constexpr double largestZoom = 1000.0;
// Framing: the figure's size over the height the view shows at the centre's
// distance (13 / zoom with a 45 degree field of view).
constexpr double framedShare = 0.5;
constexpr double startDistance = 13.0;
constexpr double halfFieldTangent = 0.41421356237309503;  // tan(22.5 degrees)
constexpr double fieldOfViewDegrees = 45.0;
// A figure the start-up pose shows at a size one can work with: between these
// shares of the view's height. The default clip's figure fills most of it; a
// CMU figure (a seventh of its size), one in metres or millimetres, or one
// standing far from the origin does not.
constexpr double smallestFixedShare = 0.25;
constexpr double largestFixedShare = 2.0;
// The level orbit turns by twice the pointer's way in the unit square, as
// the arcball does near the middle, and tilts from a little above the
// horizon to straight down.
constexpr double levelTurnGain = 2.0;
constexpr double lowestPitch = -10.0 * 3.14159265358979323846 / 180.0;
constexpr double highestPitch = 89.0 * 3.14159265358979323846 / 180.0;
// Framed views leave this share of the view around what they frame.
constexpr double framingMargin = 1.1;

using Matrix = std::array<double, 16>;

// a * b, both column-major.
Matrix multiply(const Matrix& a, const Matrix& b) {
  Matrix m{};
  for (int column = 0; column < 4; ++column) {
    for (int row = 0; row < 4; ++row) {
      double sum = 0.0;
      for (int k = 0; k < 4; ++k) sum += a[k * 4 + row] * b[column * 4 + k];
      m[column * 4 + row] = sum;
    }
  }
  return m;
}

Matrix translation(double x, double y, double z) {
  return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1};
}

// Looking from eye along the unit forward direction, y up (forward is level,
// so side and up need no normalising beyond forward's).
Matrix lookAlong(const Point3& eye, double forwardX, double forwardZ) {
  // side = forward x (0, 1, 0); up = side x forward = (0, 1, 0).
  const double sideX = -forwardZ;
  const double sideZ = forwardX;
  const Matrix rotation = {sideX, 0, -forwardX, 0, 0, 1, 0, 0, sideZ, 0, -forwardZ, 0, 0, 0, 0, 1};
  return multiply(rotation, translation(-eye.x, -eye.y, -eye.z));
}

}  // namespace

void OrbitCamera::pan(double dx, double dz) {
  if (topView_) {
    topX_ += dx;
    topZ_ += dz;
    return;
  }
  eyeX_ += dx;
  centerX_ += dx;
  eyeZ_ += dz;
  centerZ_ += dz;
}

void OrbitCamera::centreOn(double x, double z) {
  const double dx = x - centerX_;
  const double dz = z - centerZ_;
  centerX_ += dx;
  centerZ_ += dz;
  eyeX_ += dx;
  eyeZ_ += dz;
}

void OrbitCamera::setZoom(double zoom) {
  zoom = std::clamp(zoom, smallestZoom, largestZoom);
  eyeY_ += 1.0 / zoom_ - 1.0 / zoom;
  double dx = eyeX_ - centerX_;
  double dz = eyeZ_ - centerZ_;
  const double length = std::hypot(dx, dz);
  if (length > 0.0) {
    dx /= length;
    dz /= length;
  } else {
    dx = 0.0;
    dz = 1.0;
  }
  eyeX_ = centerX_ + dx / zoom;
  eyeZ_ = centerZ_ + dz / zoom;
  zoom_ = zoom;
}

void OrbitCamera::zoomByNotches(int notches) {
  if (topView_) {
    topHalfHeight_ = std::clamp(topHalfHeight_ * std::pow(wheelStep, notches), 1e-4, 1e6);
    return;
  }
  setZoom(zoom_ * std::pow(wheelStep, -notches));
}

void OrbitCamera::follow(const Point3& target) {
  const auto glide = [](double from, double to) {
    const double at = from + (to - from) * followShare;
    return std::fabs(to - at) < 1e-6 ? to : at;
  };
  if (topView_) {
    topX_ = glide(topX_, target.x);
    topZ_ = glide(topZ_, target.z);
    return;
  }
  centreOn(glide(centerX_, target.x), glide(centerZ_, target.z));
}

void OrbitCamera::frame(const Point3& middle, double size) {
  if (topView_) {
    topX_ = middle.x;
    topZ_ = middle.z;
    if (size > 0.0 && std::isfinite(size)) topHalfHeight_ = size;
    topEyeY_ = std::max(topEyeY_, middle.y + 2.0 * topHalfHeight_);
    topLowY_ = std::min(topLowY_, middle.y - topHalfHeight_);
    return;
  }
  if (size > 0.0 && std::isfinite(size)) {
    setZoom(startDistance * 2.0 * halfFieldTangent * framedShare / size);
  }
  centreOn(middle.x, middle.z);
  // The scene sits 1 / zoom below the line of sight at the centre; raising
  // the eye by as much puts the figure in the middle of the view.
  eyeY_ = middle.y - 1.0 / zoom_;
}

void OrbitCamera::frameBox(const WorldBox& box, double aspect) {
  if (box.empty()) return;
  if (topView_) {
    viewFromAbove(box, aspect);
    return;
  }
  const Point3 middle = box.centre();
  // Framed at a size, whether every corner is in view.
  const auto fits = [&](double size) {
    frame(middle, size);
    for (int c = 0; c < 8; ++c) {
      const Point3 corner{(c & 1) ? box.high.x : box.low.x, (c & 2) ? box.high.y : box.low.y,
                          (c & 4) ? box.high.z : box.low.z};
      double x = 0.0;
      double y = 0.0;
      if (!project(corner, aspect, x, y) || std::fabs(x) * framingMargin > 1.0 ||
          std::fabs(y) * framingMargin > 1.0) {
        return false;
      }
    }
    return true;
  };
  double size = std::max({box.high.x - box.low.x, box.high.y - box.low.y, box.high.z - box.low.z});
  if (!(size > 0.0)) size = 1.0;
  // Seen at a slant a box reaches further across the view than its size
  // says, or not as far: widened until every corner is in view, then as
  // close as the corners allow.
  for (int tries = 0; tries < 40 && !fits(size); ++tries) size *= 1.2;
  for (int tries = 0; tries < 40 && fits(size / 1.1); ++tries) size /= 1.1;
  frame(middle, size);
}

void OrbitCamera::viewFromAbove(const WorldBox& box, double aspect) {
  topView_ = true;
  if (box.empty()) return;
  const Point3 middle = box.centre();
  topX_ = middle.x;
  topZ_ = middle.z;
  const double halfDepth = (box.high.z - box.low.z) / 2.0;
  const double halfWidth = (box.high.x - box.low.x) / 2.0;
  const double half = std::max(halfDepth, aspect > 0.0 ? halfWidth / aspect : halfWidth);
  topHalfHeight_ = std::max(half * framingMargin, 1e-3);
  topEyeY_ = box.high.y + topHalfHeight_;
  topLowY_ = box.low.y;
}

void OrbitCamera::reset() {
  const bool following = following_;
  const bool level = levelOrbit_;
  *this = OrbitCamera();
  following_ = following;
  levelOrbit_ = level;
}

void OrbitCamera::setLevelOrbit(bool on) {
  levelOrbit_ = on;
  if (!on) return;
  // The present turn's view direction, without its roll: the forward axis is
  // the third row of the rotation, negated.
  float m[16];
  arcBall_.matrix(m);
  pitch_ = std::clamp(std::asin(std::clamp(static_cast<double>(m[6]), -1.0, 1.0)), lowestPitch,
                      highestPitch);
  yaw_ = std::atan2(-static_cast<double>(m[2]), static_cast<double>(m[10]));
  applyLevelTurn();
}

void OrbitCamera::applyLevelTurn() {
  // The tilt about the screen's x after the turn about the vertical.
  const Quaternion tilt(static_cast<float>(std::sin(pitch_ / 2.0)), 0.0f, 0.0f,
                        static_cast<float>(std::cos(pitch_ / 2.0)));
  const Quaternion turn(0.0f, static_cast<float>(std::sin(yaw_ / 2.0)), 0.0f,
                        static_cast<float>(std::cos(yaw_ / 2.0)));
  arcBall_.rotation = tilt.multiply(turn);
  arcBall_.dragRotation = Quaternion();
}

void OrbitCamera::clearTurn() {
  arcBall_ = ArcBall();
  yaw_ = 0.0;
  pitch_ = 0.0;
}

void OrbitCamera::beginTurn(float unitX, float unitY) {
  if (topView_) return;
  if (!levelOrbit_) {
    arcBall_.beginDrag(unitX, unitY);
    return;
  }
  dragYaw_ = yaw_;
  dragPitch_ = pitch_;
  dragX_ = unitX;
  dragY_ = unitY;
}

void OrbitCamera::turnTo(float unitX, float unitY) {
  if (topView_) return;
  if (!levelOrbit_) {
    arcBall_.dragTo(unitX, unitY);
    return;
  }
  yaw_ = dragYaw_ + levelTurnGain * (unitX - dragX_);
  pitch_ = std::clamp(dragPitch_ - levelTurnGain * (unitY - dragY_), lowestPitch, highestPitch);
  applyLevelTurn();
}

Point3 OrbitCamera::viewer() const {
  if (topView_) return {topX_, topEyeY_, topZ_};
  // The eye of a rigid transform [R t] stands at -R^T t.
  const std::array<double, 16> m = modelView();
  Point3 eye;
  double* axes[3] = {&eye.x, &eye.y, &eye.z};
  for (int i = 0; i < 3; ++i) {
    *axes[i] = -(m[i * 4] * m[12] + m[i * 4 + 1] * m[13] + m[i * 4 + 2] * m[14]);
  }
  return eye;
}

double OrbitCamera::reach() const {
  return topView_ ? topEyeY_ - topLowY_ + topHalfHeight_ : 30.0 / zoom_;
}

bool OrbitCamera::project(const Point3& p, double aspect, double& x, double& y) const {
  const Matrix clip = multiply(projection(aspect), modelView());
  const double cx = clip[0] * p.x + clip[4] * p.y + clip[8] * p.z + clip[12];
  const double cy = clip[1] * p.x + clip[5] * p.y + clip[9] * p.z + clip[13];
  const double cw = clip[3] * p.x + clip[7] * p.y + clip[11] * p.z + clip[15];
  if (!(cw > 0.0)) return false;
  x = cx / cw;
  y = cy / cw;
  return true;
}

void OrbitCamera::resetToShow(const Point3& middle, double size, double aspect) {
  reset();
  if (!fixedViewShows(middle, size, aspect)) frame(middle, size);
}

bool OrbitCamera::fixedViewShows(const Point3& middle, double size, double aspect) {
  // The start-up pose looks along -z from (0, 1, 13).
  const double depth = startDistance - middle.z;
  if (!(size > 0.0) || !std::isfinite(size)) return true;
  if (!(depth > 0.0)) return false;
  const double halfHeight = depth * halfFieldTangent;
  const double share = size / (2.0 * halfHeight);
  return std::fabs(middle.x) <= aspect * halfHeight && std::fabs(middle.y - 1.0) <= halfHeight &&
         share >= smallestFixedShare && share <= largestFixedShare;
}

void OrbitCamera::unitSquare(double x, double y, int width, int height, float& unitX,
                             float& unitY) {
  const double w = width;
  const double h = height;
  unitX = static_cast<float>(x / w * 2.0 - 1.0);
  unitY = static_cast<float>((h - y) / h * 2.0 - 1.0);
}

std::array<double, 16> OrbitCamera::modelView() const {
  if (topView_) {
    // Straight down: the world's -y into the screen, its -z up the screen.
    const Matrix down = {1, 0, 0, 0, 0, 0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1};
    return multiply(down, translation(-topX_, -topEyeY_, -topZ_));
  }
  float turn[16];
  arcBall_.matrix(turn);
  Matrix rotation{};
  std::copy(turn, turn + 16, rotation.begin());
  double forwardX = centerX_ - eyeX_;
  double forwardZ = centerZ_ - eyeZ_;
  const double length = std::hypot(forwardX, forwardZ);
  if (length > 0.0) {
    forwardX /= length;
    forwardZ /= length;
  } else {
    forwardX = 0.0;
    forwardZ = -1.0;
  }
  return multiply(multiply(translation(0.0, -1.0 / zoom_, -12.0 / zoom_), rotation),
                  lookAlong({eyeX_, eyeY_, eyeZ_}, forwardX, forwardZ));
}

std::array<double, 16> OrbitCamera::projection(double aspect) const {
  if (topView_) {
    const double halfWidth = topHalfHeight_ * (aspect > 0.0 ? aspect : 1.0);
    const double depth = reach();
    Matrix m{};
    m[0] = 1.0 / halfWidth;
    m[5] = 1.0 / topHalfHeight_;
    m[10] = -2.0 / depth;
    m[14] = -1.0;
    m[15] = 1.0;
    return m;
  }
  const double nearPlane = 0.01 / zoom_;
  const double farPlane = 30.0 / zoom_;
  const double halfField = fieldOfViewDegrees / 2.0 * 3.14159265358979323846 / 180.0;
  const double cotangent = std::cos(halfField) / std::sin(halfField);
  const double depth = farPlane - nearPlane;
  Matrix m{};
  m[0] = cotangent / aspect;
  m[5] = cotangent;
  m[10] = -(farPlane + nearPlane) / depth;
  m[11] = -1.0;
  m[14] = -2.0 * nearPlane * farPlane / depth;
  return m;
}
