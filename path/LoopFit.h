#pragma once

#include "base/Point3.h"
#include "motion/FigureFrame.h"
#include "path/PathCurve.h"

class BvhMotion;

// Word index, within a frame line, of the track joint's value on each axis of
// the fit's ground frame (x, height, z); -1 where it has no such channel (that
// coordinate then reads as 0).
struct TrackWords {
  int index[3] = {-1, -1, -1};
  int last = -1;
};

// The track joint's coordinates in one frame line, reading no further than the
// last word asked for; missing words read 0.0, a null line the origin.
Point3 readTrackPosition(const char* line, const TrackWords& words);

// The closed loop path as fitted to a clip, and the record that carries the
// clip's frames along any later edit of it. The record is the curve as fitted
// plus what finds the track joint in a frame line: each frame's offset from
// the curve and its fit-time direction are worked out when the frame is
// placed, from the clip passed in then, so the record costs nothing per frame.
// It holds no address into a clip: placing the frames of another clip reads
// that clip's words (safely, if meaninglessly).
struct LoopFit {
  // The path as edited; fitPath sets its points.
  PathCurve path;
  // The path as fitted.
  PathCurve fitted;
  // Frames of the fitted clip: the record covers frames 0 .. frames - 1.
  int frames = 0;
  // The track joint's index in the clip's joints in file order (JointIndex);
  // -1 for a clip without hierarchy.
  int trackJoint = -1;
  TrackWords words;
  // Fit-time directions shorter than this on the ground count as none.
  double noDirection = 0.0;
  // Bounds of the track joint's finite positions (the origin without one).
  Point3 boundsMin;
  Point3 boundsMax;
};

// Ground position (x, z) of frame i of a clip of N frames carried along the
// path: the path's point at the frame's parameter plus the frame's offset
// from the fitted curve (its track position in motion minus the fitted
// curve's point). False, x and z unchanged, when the record does not cover
// frame i (or N <= 0). Costs one read of the frame line's first words.
bool loopGroundPosition(const LoopFit& fit, const BvhMotion& motion, int i, int N, double& x,
                        double& z);

// Turn, in degrees about the vertical axis, from the fitted curve's direction
// at frame i to the path's present one; 0 without a record entry or when
// either direction is none (a zero vector, or a fit-time direction shorter
// than noDirection).
double loopHeadingDegrees(const LoopFit& fit, int i, int N);

// Where frame f of a clip of frameCount frames stands when carried along the
// loop path: loopGroundPosition and loopHeadingDegrees. False, placement
// unchanged, for frames the record does not cover (they keep the clip's own
// placement).
bool framePlacement(const LoopFit& fit, const BvhMotion& motion, int f, int frameCount,
                    FramePlacement& placement);
