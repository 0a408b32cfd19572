#pragma once

#include "base/Point3.h"

// Rotations as 3x3 matrices and as angles about the coordinate axes, in
// degrees, the way BVH rotation channels and glRotate use them: a list of
// axis turns is applied with the first listed outermost, so [Z, Y, X] with
// angles (a, b, c) is the matrix Rz(a) * Ry(b) * Rx(c).

// Row-major: m[row][column]; acts on column vectors.
struct Matrix3 {
  double m[3][3] = {{1.0, 0.0, 0.0}, {0.0, 1.0, 0.0}, {0.0, 0.0, 1.0}};
};

Matrix3 operator*(const Matrix3& a, const Matrix3& b);

// The inverse of a rotation.
Matrix3 transposed(const Matrix3& a);
// transposed(a) * b, without the copy.
Matrix3 transposedTimes(const Matrix3& a, const Matrix3& b);

// Turn by radians about a unit axis, right-handed.
Matrix3 rotationAbout(const Point3& unitAxis, double radians);

// The smallest turn that takes the direction of from to that of to (both
// non-zero); the identity when they point the same way, a half turn about
// some axis square to them when they point opposite ways.
Matrix3 rotationBetween(const Point3& from, const Point3& to);

// How far a rotation turns, in degrees [0, 180], whatever its axis.
double turnDegrees(const Matrix3& rotation);

// Turn by degrees about axis 0 (x), 1 (y) or 2 (z), right-handed as glRotate.
// Any other axis gives the identity.
Matrix3 axisRotation(int axis, double degrees);

// r := r * axisRotation(axis, degrees), in place and at a third of the cost
// of the product.
void turnAboutAxis(Matrix3& r, int axis, double degrees);

// Axes of three channels, each 0..2 and all different (an Euler order).
struct AxisOrder {
  int axis[3];
};

// axisRotation(order[0], angles[0]) * axisRotation(order[1], angles[1]) * ...
Matrix3 rotationFromAngles(const AxisOrder& order, const double angles[3]);

// Angles in the given order whose rotation equals rotation (a proper rotation
// matrix). Of the solutions, the one nearest to near (summed absolute
// difference, each angle free to move by whole turns) is written to out. At
// gimbal lock, where the first and last angle only count together, the first
// keeps near's value. Never produces NaN for finite input.
void anglesFromRotation(const Matrix3& rotation, const AxisOrder& order, const double near[3],
                        double out[3]);
