#include "view/PickGeometry.h"

#include <algorithm>
#include <cmath>

#include "motion/FigureFrame.h"

namespace {

double cross(const ScreenPoint& o, const ScreenPoint& a, const ScreenPoint& b) {
  return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

}  // namespace

std::vector<ScreenPoint> convexHull(std::vector<ScreenPoint> points) {
  std::sort(points.begin(), points.end(), [](const ScreenPoint& a, const ScreenPoint& b) {
    return a.x < b.x || (a.x == b.x && a.y < b.y);
  });
  if (points.size() < 3) return points;
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

std::array<Point3, 8> cubeCorners(const Point3& centre, double s, UpAxis up, double lift) {
  std::array<Point3, 8> corners;
  for (int c = 0; c < 8; ++c) {
    // Turned upright as the path drawing turns it.
    Point3 corner = figureToWorld({centre.x + ((c & 1) ? s : -s), centre.y + ((c & 2) ? s : -s),
                                   centre.z + ((c & 4) ? s : -s)},
                                  up);
    corner.y += lift;
    corners[static_cast<size_t>(c)] = corner;
  }
  return corners;
}

bool segmentMeetsFloor(const Point3& nearPoint, const Point3& farPoint, double floorY, double& x,
                       double& z) {
  const double t = (floorY - nearPoint.y) / (farPoint.y - nearPoint.y);
  if (!(t >= 0.0 && t <= 1.0)) return false;
  const double atX = nearPoint.x + t * (farPoint.x - nearPoint.x);
  const double atZ = nearPoint.z + t * (farPoint.z - nearPoint.z);
  if (!std::isfinite(atX) || !std::isfinite(atZ)) return false;
  x = atX;
  z = atZ;
  return true;
}
