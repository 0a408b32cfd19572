#pragma once

#include <vector>

#include "base/Point3.h"

// Draws a flat disc of radius (world units) on the floor under each mark (a
// world position; its height is dropped), unlit, over the floor and the
// path, in a colour of its own. Needs a current GL context; restores what
// it changes.
void drawContactMarks(const std::vector<Point3>& marks, double radius);
