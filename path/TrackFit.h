#pragma once

#include <memory>
#include <vector>

#include "motion/TrackJoint.h"
#include "motion/UpAxis.h"
#include "path/TrackCurve.h"

class BvhMotion;

// Where the clip's frames stood against the fitted track path, sampled: for
// every step-th frame, the knot of the fitted curve nearest its track
// position (NaN for a frame without a finite position). A frame's own knot
// is found from these when it is placed (trackFrameKnot), so the record
// costs half a byte per step frames.
struct TrackRecord {
  static constexpr int step = 32;
  // Frames of the fitted clip: the record covers frames 0 .. frames - 1.
  int frames = 0;
  // Entry j for frame j * step.
  std::vector<float> knots;
  // The first and the last frame with a finite position (-1 without one),
  // and their knots (trackFrameKnot).
  int firstFrame = -1;
  int lastFrame = -1;
  double firstKnot = 0.0;
  double lastKnot = 0.0;
};

// A track path as fitted to a clip, and what carries the clip's frames along
// any later edit of it.
struct TrackFit {
  // The path as edited, and as fitted.
  TrackCurve path;
  TrackCurve fitted;
  // Shared by copies of the fit: it never changes after the fit.
  std::shared_ptr<const TrackRecord> record = std::make_shared<TrackRecord>();
  // The joint whose ground track was fitted (motion/TrackJoint); joint -1
  // for a clip without hierarchy.
  TrackJoint track;
  // Rest height of the track joint above the lowest joint: the length unit
  // of the point rule.
  double hipHeight = 0.0;
  // The larger extent (x or z) of the finite track positions, and their
  // largest coordinate magnitude.
  double trackExtent = 0.0;
  double trackReach = 0.0;
};

// Fits an open path to the track joint's ground track, from the first
// frame's position to the last (both points sit exactly there; the ones
// between lie on the track smoothed over a second). pointCount 0 chooses the
// count: enough points, evenly spaced along the smoothed track, that the
// curve stays within a quarter of the hip height of it, and at least one per
// two hip heights travelled and one per two seconds of clip. A track whose
// smoothed ground track stays within a box of 5% of the hip height
// (diagonal) gets one point at the first frame's position: moving it moves
// the whole clip, unturned. A given count is clamped to 1..1000. Control
// points stand at ground height 0. Never fails and never prints; a clip
// without frames (or without one finite position) gets one point at the
// origin and no frame on the path. With Z up the ground is the clip's x and
// y, held as the path's x and z (as the loop fit does).
//
// Costs one pass over the first words of every frame line and one over
// every step-th line, a few passes over at most 131,072 samples of the
// smoothed track per tried count (a longer track is sampled evenly, each
// sample keeping its exact distance along the whole track), and memory of a
// second's window of positions besides those samples and the record.
TrackFit fitTrackPath(const BvhMotion& motion, int pointCount = 0, UpAxis up = UpAxis::y);
// The same for the track joint already found (findTrackJoint with up).
TrackFit fitTrackPath(const BvhMotion& motion, const TrackJoint& track, int pointCount, UpAxis up);
