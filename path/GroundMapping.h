#pragma once

#include "base/Point3.h"
#include "motion/FigureFrame.h"
#include "motion/UpAxis.h"

class BvhMotion;

// How the path is laid under the figure: in the figure's frame, shifted by
// the carried joint's fixed offset so that it lies under that joint's track.
struct PathLayout {
  Point3 trackOffset;
  // Half the edge of a control point's cube, in clip units.
  double cubeHalfSize = 1.6;
  // With Z up the figure's frame holds the ground as x and y (figureToWorld
  // turns it upright).
  UpAxis up = UpAxis::y;
};

// The layout for the clip's carried joint (its skeleton index; the root
// when it is none). Cubes are sized from the larger of the track's extent
// (ClipPath::trackExtent) and the skeleton's rest size, so they read the same
// whatever the clip's units.
PathLayout pathLayout(const BvhMotion& motion, int carried, double trackExtent,
                      UpAxis up = UpAxis::y);

// How far one arrow press moves a control point, in clip units: 1% of the
// figure's rest size, so a millimetre clip and a CMU clip edit alike; 0.05
// for a skeleton without size.
double pointStep(const BvhMotion& motion);

// Where a curve point lies on the floor in the figure's frame (clip units,
// height 0): its x and z plus the track offset's. The point's own y is
// dropped. With Z up: (x, z, 0) plus the track offset's x and y.
Point3 groundMapping(const Point3& p, const PathLayout& layout);
