#pragma once

#include <vector>

#include "base/Outcome.h"
#include "base/Point3.h"
#include "motion/FigureFrame.h"
#include "motion/TrackJoint.h"
#include "motion/UpAxis.h"

class BvhMotion;

// What a path is fitted to: the clip, its up axis and the joint it carries
// (findTrackJoint for that axis). The clip must outlive the fit's use.
struct PathClip {
  const BvhMotion& motion;
  UpAxis up;
  TrackJoint track;
};

// A path a clip is carried along: its control points, the record that
// carries every frame along any later edit of them, and the samples it is
// drawn with. Points, placements and samples are in the ground frame
// (motion/GroundAxes.h). Every kind of path implements this one interface;
// the kinds are listed in path/PathKinds.h, and nothing else needs to know
// which kinds there are. Headless; nothing prints.
class ClipPath {
 public:
  virtual ~ClipPath() = default;

  // The kind's name for the status line ("Loop path") and its word for the
  // command line ("loop").
  virtual const char* name() const = 0;
  virtual const char* key() const = 0;

  // Fits the path to clip, replacing its points and record; pointCount 0
  // lets the kind choose (a kind with a fixed count ignores it). On failure
  // the path is left as it was and the failure's message is what to add
  // after "Could not fit a path" (may be empty). Console text goes to notes.
  virtual Status fit(const PathClip& clip, int pointCount, Notes& notes) = 0;

  virtual int pointCount() const = 0;
  // Point k, or a zero point when there is none.
  virtual Point3 point(int k) const = 0;
  // Replaces point k; false, nothing changed, for an index that is no point.
  virtual bool setPoint(int k, const Point3& p) = 0;

  // Whether points can be inserted and removed; the failure says why not.
  virtual Status canChangePointCount() const = 0;
  // Where a point inserted after point selected goes (its index, and its
  // place on the curve, which the curve keeps); fails saying why when none
  // can go there.
  virtual Status insertionAfter(int selected, int& index, Point3& p) const = 0;
  // Puts p before index / takes point k out; fails saying why (too many,
  // too few points).
  virtual Status insertPoint(int index, const Point3& p) = 0;
  virtual Status removePoint(int k) = 0;

  // Where frame f's carried joint stands when carried along the path, from
  // the frame's values (readFrameValues; the track joint's words at least).
  // False, placement unchanged, for a frame the record does not cover.
  virtual bool place(int f, const std::vector<double>& values, FramePlacement& placement) const = 0;

  // The joint the fit found walking, with its words (joint -1 before a fit
  // or for a clip without joints).
  virtual TrackJoint trackJoint() const = 0;

  // The curve as drawn: points along it in order.
  virtual std::vector<Point3> samples() const = 0;
  // The larger ground extent (x or z) of the track the path was fitted to
  // (0 without a fit): what its cubes are sized by.
  virtual double trackExtent() const = 0;
};
