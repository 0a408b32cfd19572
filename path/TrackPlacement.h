#pragma once

#include "motion/FigureFrame.h"

struct TrackFit;

// Where frame f's track joint stands when carried along the fit's present
// path: at the frame's recorded distance along it, at its recorded offset
// turned with the path's direction there, and turned about the vertical by
// as much as that direction turned since the fit (exactly 0 on the unedited
// path, which gives every position back up to rounding). Distances are kept,
// so a shorter path is continued straight past its end. False, placement
// unchanged, for a frame that is not on the path.
bool trackPlacement(const TrackFit& fit, int f, FramePlacement& placement);
