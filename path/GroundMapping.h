#pragma once

#include "path/Point3.h"

// Where a curve point is drawn on the ground: the rectangle between boundsMin
// and boundsMax in x and z is stretched over the square -5..5 of the plane
// y = 0. The point's own y is dropped. On an axis whose bounds are equal (a
// root that never moved along it) the point is placed at 0 on that axis.
Point3 groundMapping(const Point3& p, const Point3& boundsMin, const Point3& boundsMax);
