#pragma once

#include "path/GroundMapping.h"

class ClipPath;

// Lift of the path above the floor, in world units: enough that the floor
// never hides it, small enough to read as lying on it.
constexpr double pathLift = 0.015;

// Draws the path's curve (its samples) on the floor in the figure's frame,
// unlit, in a colour and width that stand out from the floor, and with
// withPoints its control points after it (selected: the selected point's
// index, -1 for none). Needs a current GL context; restores what it changes.
void drawPath(const ClipPath& path, const PathLayout& layout, bool withPoints, int selected);

// Draws each control point as a cube centred on its floor point, green when
// selected, else blue.
void drawControlPoints(const ClipPath& path, const PathLayout& layout, int selected);
