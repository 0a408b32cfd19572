#pragma once

#include "base/Point3.h"
#include "motion/FigureFrame.h"
#include "motion/TrackJoint.h"
#include "path/PathCurve.h"

class BvhMotion;

// The track joint's position in one frame line in the ground frame (x,
// height, z), reading no further than its last word; missing words read 0.0,
// a null line the origin.
Point3 readTrackPosition(const char* line, const TrackJoint& track);

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
  // The track joint and its words (-1 for a clip without hierarchy).
  TrackJoint track;
  // Fit-time directions shorter than this on the ground count as none.
  double noDirection = 0.0;
  // Bounds of the track joint's finite positions (the origin without one).
  Point3 boundsMin;
  Point3 boundsMax;
};

// Ground position (x, z) of frame i of a clip of N frames carried along the
// path: the path's point at the frame's parameter plus the frame's offset
// from the fitted curve (its track position, trackX and trackZ in the ground
// frame, minus the fitted curve's point). False, x and z unchanged, when the
// record does not cover frame i (or N <= 0).
bool loopGroundPosition(const LoopFit& fit, double trackX, double trackZ, int i, int N, double& x,
                        double& z);
// The same with the track position read from motion's frame line i.
bool loopGroundPosition(const LoopFit& fit, const BvhMotion& motion, int i, int N, double& x,
                        double& z);

// Turn, in degrees about the vertical axis, from the fitted curve's direction
// at frame i to the path's present one; 0 without a record entry or when
// either direction is none (a zero vector, or a fit-time direction shorter
// than noDirection).
double loopHeadingDegrees(const LoopFit& fit, int i, int N);

// Where frame f of a clip of frameCount frames, whose track joint stands at
// trackX, trackZ (ground frame), stands when carried along the loop path:
// loopGroundPosition and loopHeadingDegrees. False, placement unchanged, for
// frames the record does not cover (they keep the clip's own placement).
bool framePlacement(const LoopFit& fit, double trackX, double trackZ, int f, int frameCount,
                    FramePlacement& placement);
// The same with the track position read from motion's frame line f.
bool framePlacement(const LoopFit& fit, const BvhMotion& motion, int f, int frameCount,
                    FramePlacement& placement);
