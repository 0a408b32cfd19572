#pragma once

#include "base/Point3.h"
#include "motion/FigureFrame.h"
#include "motion/UpAxis.h"

// The one mapping between a clip's own axes and the ground frame the paths
// work in. The ground frame is (x, height, z): x and z on the ground, y up.
// With Y up it is the clip's own frame. With Z up the ground is the clip's x
// and y, so the ground frame holds the clip's y as z and its z as the height;
// the two frames are then mirror images, and a turn about the ground frame's
// up axis is the opposite turn about the clip's z.
//
// The view draws a Z-up figure turned upright (figureToWorld), which puts the
// clip's y, and so the ground frame's z, along the world's -z. Moves made in
// the world (a drag, an arrow key) reach the ground frame through here too.

// A point of the clip's axes in the ground frame, and back.
Point3 groundFromFile(const Point3& p, UpAxis up);
Point3 fileFromGround(const Point3& g, UpAxis up);

// A placement of the ground frame (x and z, a turn about its up axis) in the
// clip's axes: x and the second ground value (the clip's z, or its y with Z
// up) and the turn about the clip's up axis.
FramePlacement placementInFileAxes(const FramePlacement& ground, UpAxis up);

// The clip's name of the ground frame's second axis: "z" with Y up, "y" with
// Z up.
inline const char* secondGroundAxisName(UpAxis up) { return up == UpAxis::z ? "y" : "z"; }

// A step along the world's floor (x and z, any units) as a step of the
// ground frame's x and z, in the same units.
void groundStepFromWorld(double worldX, double worldZ, UpAxis up, double& groundX, double& groundZ);
