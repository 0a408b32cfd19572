#pragma once

#include <vector>

#include "base/Point3.h"

// Draws points (world units) as one line strip, unlit and untextured, in the
// colour (red, green, blue) and width in pixels given; a later trail hides
// an earlier one where they coincide. Needs a current GL context; restores
// the state it changes.
void drawTrail(const std::vector<Point3>& points, const float colour[3], float width);
