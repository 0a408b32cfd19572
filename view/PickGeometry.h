#pragma once

#include <array>
#include <vector>

#include "base/Point3.h"
#include "motion/UpAxis.h"

// The geometry of picking and dragging control points, without GL: cubes'
// outlines on the screen, whether one meets the pick square, and where a
// pointer's ray meets the floor.

// A point on the screen, in window pixels.
struct ScreenPoint {
  double x;
  double y;
};

// Convex hull of points, counter-clockwise (monotone chain); collinear and
// repeated points are dropped. Fewer than three distinct points give them as
// they are (sorted).
std::vector<ScreenPoint> convexHull(std::vector<ScreenPoint> points);

// Whether the convex outline hull and the square of half size r about
// (cx, cy) overlap (touching counts): no axis of either separates them. An
// empty hull meets nothing.
bool hullMeetsSquare(const std::vector<ScreenPoint>& hull, double cx, double cy, double r);

// The world positions of the corners of a control point's cube: half size s
// about centre, a point of the figure's frame (clip units), turned upright
// with the figure for its up axis (figureToWorld), raised by lift world units.
std::array<Point3, 8> cubeCorners(const Point3& centre, double s, UpAxis up, double lift);

// Where the segment from nearPoint (t = 0) to farPoint (t = 1) crosses the
// height floorY: false when it meets it outside the segment (behind the eye,
// beyond the far plane) or runs along it, or the crossing is not finite.
bool segmentMeetsFloor(const Point3& nearPoint, const Point3& farPoint, double floorY, double& x,
                       double& z);
