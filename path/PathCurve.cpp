#include "path/PathCurve.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr double degreesPerRadian = 180.0 / 3.14159265358979323846;

bool inRange(int index) { return index >= 0 && index < PathCurve::maxPoints; }

}  // namespace

PathCurve::PathCurve()
    : x(std::make_unique<CurveChannel>()),
      y(std::make_unique<CurveChannel>()),
      z(std::make_unique<CurveChannel>()) {
  std::fill(controlSet, controlSet + maxPoints, 0);
}

PathCurve::~PathCurve() = default;

void PathCurve::setPoint(const Point3& p, int index) {
  // Outside the point table there is nothing to write and no predecessor
  // that could be named in a message.
  if (!inRange(index)) return;
  if (index >= 1 && controlSet[index - 1] != 1) {
    std::printf("You must set point %d before you can set %d", index - 1, index);
    return;
  }
  x->setValue(p.x, index);
  y->setValue(p.y, index);
  z->setValue(p.z, index);
  controlSet[index] = 1;
  if (index > lastSetIndex) lastSetIndex = index;
}

void PathCurve::getPoint(int index, Point3& out) const {
  if (!inRange(index) || controlSet[index] != 1) {
    std::printf("Error:  The %d control point was not set", index);
    return;
  }
  out.x = x->value(index);
  out.y = y->value(index);
  out.z = z->value(index);
}

int PathCurve::pointCount() const { return lastSetIndex + 1; }

void PathCurve::positionAt(double u, Point3& out) const {
  out.x = x->evaluate(u);
  out.y = y->evaluate(u);
  out.z = z->evaluate(u);
}

void PathCurve::forwardAt(double u, Point3& out) const {
  if (lastSetIndex <= 1) {
    std::printf("You must set at least 3 points before you can get the forward vector!\n");
    return;
  }
  out.x = x->derivative(u);
  out.y = y->derivative(u);
  out.z = z->derivative(u);
}

void PathCurve::selectPoint(int index) {
  selectedIndex = index;
  if (index >= 0) {
    // Read only for its message: selecting an unset point tells the user so.
    Point3 scratch;
    getPoint(index, scratch);
  }
}

int PathCurve::selectedPoint() const { return selectedIndex; }

void PathCurve::useCatmullRomBasis() {
  x->useCatmullRomBasis();
  y->useCatmullRomBasis();
  z->useCatmullRomBasis();
}

void PathCurve::useBSplineBasis() {
  x->useBSplineBasis();
  y->useBSplineBasis();
  z->useBSplineBasis();
}

void PathCurve::reset() {
  x = std::make_unique<CurveChannel>();
  y = std::make_unique<CurveChannel>();
  z = std::make_unique<CurveChannel>();
  std::fill(controlSet, controlSet + maxPoints, 0);
  lastSetIndex = -1;
  selectedIndex = -1;
}

double PathCurve::framePathParameter(int i, int N) {
  if (N <= 0) return 0.0;
  return static_cast<double>(i) / N / 2.0;
}

bool PathCurve::pathGroundPosition(int i, int N, double& outX, double& outZ) const {
  const size_t recorded = std::min(rootOffsetX.size(), rootOffsetZ.size());
  if (N <= 0 || i < 0 || static_cast<size_t>(i) >= recorded) return false;
  Point3 c;
  positionAt(framePathParameter(i, N), c);
  outX = c.x + rootOffsetX[static_cast<size_t>(i)];
  outZ = c.z + rootOffsetZ[static_cast<size_t>(i)];
  return true;
}

double PathCurve::pathHeadingDegrees(int i, int N) const {
  const size_t recorded = std::min(fitForwardX.size(), fitForwardZ.size());
  if (N <= 0 || i < 0 || static_cast<size_t>(i) >= recorded) return 0.0;
  Point3 f;
  forwardAt(framePathParameter(i, N), f);
  const double gx = fitForwardX[static_cast<size_t>(i)];
  const double gz = fitForwardZ[static_cast<size_t>(i)];
  // Signed angle from the fit-time direction to the present one.
  const double cross = f.x * gz - f.z * gx;
  const double dot = f.x * gx + f.z * gz;
  // A zero vector on either side means no turn; atan2 of signed zeros could
  // otherwise answer a half turn (atan2(+0, -0) is pi).
  if (cross == 0.0 && dot == 0.0) return 0.0;
  return std::atan2(cross, dot) * degreesPerRadian;
}
