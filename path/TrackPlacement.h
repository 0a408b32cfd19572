#pragma once

#include "motion/FigureFrame.h"
#include "path/ClipPath.h"

struct TrackFit;

// The knot of the fitted path nearest frame f's track position (x, z in the
// ground frame), refined from the record's samples on either side of the
// frame (refinedKnot), so that every frame finds its own exactly and the same
// way each time. False for a frame the record does not cover or whose
// position is not finite.
bool trackFrameKnot(const TrackFit& fit, int f, double x, double z, double& knot);

// Where frame f's track joint, standing at (x, z), stands when carried along
// the fit's present path: at its place on the path for pace (the same knot,
// editedKnot, or the same distance along it, continued straight past the
// ends), at its offset from the fitted path's point there turned with the
// path's direction (and with timing by points stretched as the path is
// there, placeByPoints), and turned about the vertical by as much as that
// direction turned (exactly 0 on the unedited path, which gives every
// position back up to rounding). at, when given, receives the place on the
// path itself. False, placement unchanged, for a frame trackFrameKnot does not
// place.
bool trackPlacement(const TrackFit& fit, int f, double x, double z, PathPace pace,
                    FramePlacement& placement, Point3* at = nullptr);
