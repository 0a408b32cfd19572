#pragma once

#include <vector>

#include "base/Point3.h"
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

// Draws the path as the clip walks it (ClipPath::runs): the walked run as
// drawPath draws the curve, the rest of the path that the clip does not
// reach dimmed and dashed, and the straight run past the last point that it
// does walk dashed in the walked run's colour, so a person sees where the clip
// ends. Needs a current GL context; restores what it changes.
void drawPathRuns(const ClipPath& path, const PathLayout& layout);

// Marks place (ClipPath::framePlace: the current frame's place on the path)
// with a flat ring on the floor and a short upright tick, sized with the
// control points' cubes. Needs a current GL context; restores what it
// changes.
void drawFramePlace(const Point3& place, const PathLayout& layout);
