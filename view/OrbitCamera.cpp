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

void OrbitCamera::zoomByNotches(int notches) { setZoom(zoom_ * std::pow(wheelStep, -notches)); }

void OrbitCamera::follow(const Point3& target) {
  double x = centerX_ + (target.x - centerX_) * followShare;
  double z = centerZ_ + (target.z - centerZ_) * followShare;
  if (std::fabs(target.x - x) < 1e-6) x = target.x;
  if (std::fabs(target.z - z) < 1e-6) z = target.z;
  centreOn(x, z);
}

void OrbitCamera::frame(const Point3& middle, double size) {
  if (size > 0.0 && std::isfinite(size)) {
    setZoom(startDistance * 2.0 * halfFieldTangent * framedShare / size);
  }
  centreOn(middle.x, middle.z);
  // The scene sits 1 / zoom below the line of sight at the centre; raising
  // the eye by as much puts the figure in the middle of the view.
  eyeY_ = middle.y - 1.0 / zoom_;
}

void OrbitCamera::reset() {
  const bool following = following_;
  *this = OrbitCamera();
  following_ = following;
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
