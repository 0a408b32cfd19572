#include "motion/RotationMatrix.h"

#include <cmath>

#include "motion/VectorMath.h"

namespace {

constexpr double degreesPerRadian = 180.0 / M_PI;

// Below this cosine of the middle angle the first and last axes are taken as
// one: atan2 of two numbers this small says more about rounding than angles.
constexpr double gimbalLockCosine = 1e-8;

// value moved by whole turns to lie within half a turn of target.
double nearestTurn(double value, double target) {
  const double apart = target - value;
  // Within half a turn already (the common case): round would give 0.
  if (apart > -180.0 && apart < 180.0) return value;
  return value + 360.0 * std::round(apart / 360.0);
}

// Angle of a rotation about a single axis, read back from its matrix.
double singleAxisAngle(const Matrix3& rotation, int axis) {
  const int i = (axis + 1) % 3;
  const int j = (axis + 2) % 3;
  return std::atan2(rotation.m[j][i], rotation.m[i][i]) * degreesPerRadian;
}

// Distance of a candidate solution from near, after moving each angle by
// whole turns towards it (written back).
double settle(double angles[3], const double near[3]) {
  double distance = 0.0;
  for (int k = 0; k < 3; ++k) {
    angles[k] = nearestTurn(angles[k], near[k]);
    distance += std::fabs(angles[k] - near[k]);
  }
  return distance;
}

}  // namespace

Matrix3 operator*(const Matrix3& a, const Matrix3& b) {
  Matrix3 p;
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) {
      p.m[r][c] = a.m[r][0] * b.m[0][c] + a.m[r][1] * b.m[1][c] + a.m[r][2] * b.m[2][c];
    }
  }
  return p;
}

Matrix3 transposed(const Matrix3& a) {
  Matrix3 t;
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) t.m[r][c] = a.m[c][r];
  }
  return t;
}

Matrix3 transposedTimes(const Matrix3& a, const Matrix3& b) {
  Matrix3 p;
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) {
      p.m[r][c] = a.m[0][r] * b.m[0][c] + a.m[1][r] * b.m[1][c] + a.m[2][r] * b.m[2][c];
    }
  }
  return p;
}

Matrix3 rotationAbout(const Point3& unitAxis, double radians) {
  const double c = std::cos(radians);
  const double s = std::sin(radians);
  const double t = 1.0 - c;
  const double x = unitAxis.x;
  const double y = unitAxis.y;
  const double z = unitAxis.z;
  Matrix3 r;
  r.m[0][0] = t * x * x + c;
  r.m[0][1] = t * x * y - s * z;
  r.m[0][2] = t * x * z + s * y;
  r.m[1][0] = t * x * y + s * z;
  r.m[1][1] = t * y * y + c;
  r.m[1][2] = t * y * z - s * x;
  r.m[2][0] = t * x * z - s * y;
  r.m[2][1] = t * y * z + s * x;
  r.m[2][2] = t * z * z + c;
  return r;
}

Matrix3 rotationBetween(const Point3& from, const Point3& to) {
  const Point3 a = unitOf(from);
  const Point3 b = unitOf(to);
  const Point3 axis = crossOf(a, b);
  const double sine = lengthOf(axis);
  const double cosine = dotProduct(a, b);
  if (sine > 1e-12) return rotationAbout((1.0 / sine) * axis, std::atan2(sine, cosine));
  if (cosine > 0.0) return Matrix3{};
  // Opposite: any axis square to a will do; take the one least along it.
  const Point3 other = std::fabs(a.x) < 0.6 ? Point3{1, 0, 0} : Point3{0, 1, 0};
  return rotationAbout(unitOf(crossOf(a, other)), M_PI);
}

double turnDegrees(const Matrix3& rotation) {
  const double trace = rotation.m[0][0] + rotation.m[1][1] + rotation.m[2][2];
  // Near no turn the trace says little (acos is flat at 1): the skew part
  // carries the sine there.
  const double sx = rotation.m[2][1] - rotation.m[1][2];
  const double sy = rotation.m[0][2] - rotation.m[2][0];
  const double sz = rotation.m[1][0] - rotation.m[0][1];
  const double sine = std::sqrt(sx * sx + sy * sy + sz * sz) / 2.0;
  return std::atan2(sine, (trace - 1.0) / 2.0) * degreesPerRadian;
}

Matrix3 axisRotation(int axis, double degrees) {
  Matrix3 r;
  if (axis < 0 || axis > 2) return r;
  const double radians = degrees / degreesPerRadian;
  const double c = std::cos(radians);
  const double s = std::sin(radians);
  const int i = (axis + 1) % 3;
  const int j = (axis + 2) % 3;
  r.m[i][i] = c;
  r.m[i][j] = -s;
  r.m[j][i] = s;
  r.m[j][j] = c;
  return r;
}

void turnAboutAxis(Matrix3& r, int axis, double degrees) {
  if (axis < 0 || axis > 2) return;
  const double radians = degrees / degreesPerRadian;
  const double c = std::cos(radians);
  const double s = std::sin(radians);
  const int i = (axis + 1) % 3;
  const int j = (axis + 2) % 3;
  // Only the two columns of the plane turned change.
  for (int row = 0; row < 3; ++row) {
    const double a = r.m[row][i];
    const double b = r.m[row][j];
    r.m[row][i] = a * c + b * s;
    r.m[row][j] = b * c - a * s;
  }
}

Matrix3 rotationFromAngles(const AxisOrder& order, const double angles[3]) {
  return axisRotation(order.axis[0], angles[0]) * axisRotation(order.axis[1], angles[1]) *
         axisRotation(order.axis[2], angles[2]);
}

void anglesFromRotation(const Matrix3& rotation, const AxisOrder& order, const double near[3],
                        double out[3]) {
  const int a = order.axis[0];
  const int b = order.axis[1];
  const int c = order.axis[2];
  // An order that is a cyclic shift of x, y, z has the signs of xyz; the
  // others mirror them.
  const double sign = (b == (a + 1) % 3) ? 1.0 : -1.0;
  const double sinMiddle = sign * rotation.m[a][c];
  const double cosMiddle = std::hypot(rotation.m[b][c], rotation.m[c][c]);

  if (cosMiddle < gimbalLockCosine) {
    // Only the first and last angle together are fixed: keep the first where
    // it was and give the rest of the turn to the last.
    out[0] = near[0];
    out[1] = sinMiddle >= 0.0 ? 90.0 : -90.0;
    const Matrix3 rest =
        transposed(axisRotation(b, out[1])) * transposed(axisRotation(a, out[0])) * rotation;
    out[2] = singleAxisAngle(rest, c);
    settle(out, near);
    return;
  }

  double first[3] = {
      std::atan2(-sign * rotation.m[b][c], rotation.m[c][c]) * degreesPerRadian,
      std::atan2(sinMiddle, cosMiddle) * degreesPerRadian,
      std::atan2(-sign * rotation.m[a][b], rotation.m[a][a]) * degreesPerRadian,
  };
  // The same rotation with the middle angle mirrored through 90 degrees.
  double second[3] = {first[0] + 180.0, 180.0 - first[1], first[2] + 180.0};
  const double firstDistance = settle(first, near);
  const double secondDistance = settle(second, near);
  const double* best = secondDistance < firstDistance ? second : first;
  for (int k = 0; k < 3; ++k) out[k] = best[k];
}
