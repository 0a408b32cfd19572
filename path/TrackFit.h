#pragma once

#include <vector>

#include "motion/TrackJoint.h"
#include "motion/UpAxis.h"
#include "path/TrackCurve.h"

class BvhMotion;

// Where one frame's track joint stood against the track path at fit time:
// its distance along the path, its offset from the path's point there in the
// path's own frame (along the direction and sideways to it), and the
// direction itself. Frames whose position is not finite are not on the path.
struct TrackFrame {
  bool onPath = false;
  double distance = 0.0;
  double along = 0.0;
  double side = 0.0;
  double dirX = 1.0;
  double dirZ = 0.0;
};

// A track path as fitted to a clip, and the record that carries the clip's
// frames along any later edit of it.
struct TrackFit {
  TrackCurve path;
  // One entry per frame of the fitted clip.
  std::vector<TrackFrame> frames;
  // The joint whose ground track was fitted (motion/TrackJoint); joint -1
  // for a clip without hierarchy.
  TrackJoint track;
  // Rest height of the track joint above the lowest joint: the length unit
  // of the point rule.
  double hipHeight = 0.0;
  // The larger extent (x or z) of the finite track positions.
  double trackExtent = 0.0;
};

// Fits an open path to the track joint's ground track, from the first
// frame's position to the last (both points sit exactly there; the ones
// between lie on the track smoothed over a second). pointCount 0 chooses the
// count: enough points, evenly spaced along the smoothed track, that the
// curve stays within a quarter of the hip height of it, and at least one per
// two hip heights travelled and one per two seconds of clip. A track whose smoothed ground track
// stays within a box of 5% of the hip height (diagonal) gets one point at the first frame's
// position: moving it moves the whole clip, unturned. A given count is clamped to 1..1000. Control
// points stand at ground height 0. Never fails and never prints; a clip without frames (or without
// one finite position) gets one point at the origin and no frame on the path. Costs a few passes
// over the frames per tried count. With Z up the ground is the clip's x and y, held as the path's x
// and z (as the loop fit does).
TrackFit fitTrackPath(const BvhMotion& motion, int pointCount = 0, UpAxis up = UpAxis::y);
// The same for the track joint already found (findTrackJoint with up).
TrackFit fitTrackPath(const BvhMotion& motion, const TrackJoint& track, int pointCount, UpAxis up);
