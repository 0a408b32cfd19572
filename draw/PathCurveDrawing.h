#pragma once

#include "path/GroundMapping.h"

class PathCurve;
class TrackPath;

// Lift of the path above the floor, in world units: enough that the floor
// never hides it, small enough to read as lying on it.
constexpr double pathLift = 0.015;

// Draws the curve strip (parameter 0 to 0.6: the part the clip runs over and
// a little more) on the floor in the figure's frame, unlit, in a colour and
// width that stand out from the floor, and with withPoints its control
// points after it (selected: the selected point's index, -1 for none). Needs
// a current GL context; restores what it changes.
void drawPath(const PathCurve& path, const PathLayout& layout, bool withPoints, int selected);

// Draws each control point as a cube centred on its floor point, green when
// selected, else blue, under its selection name: pushes name 1, loads the
// point's index before each cube and 0 after the last, and never pops, so
// the second drawing of one pick gives the cubes three names.
void drawControlPoints(const PathCurve& path, const PathLayout& layout, int selected);

// The same for the open track path: the whole curve from its first point to
// its last, and its cubes under the same names.
void drawPath(const TrackPath& path, const PathLayout& layout, bool withPoints, int selected);
void drawControlPoints(const TrackPath& path, const PathLayout& layout, int selected);
