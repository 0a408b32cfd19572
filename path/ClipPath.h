#pragma once

#include <memory>
#include <string>
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

// How an edited path times the frames along it: each frame keeps its place
// between the control points it stood between, so that it passes every point
// at the frame it passed it before and the clip ends on the last point
// (points, the default), or each frame keeps its distance along the path
// (keep: "Keep Pace"), so that strides keep their length and the clip ends
// where its distance runs out.
enum class PathPace { points, keep };

// The path as a clip walks it, for drawing, each run a line of points in
// order: walked, from the first frame's place on the path to the last's;
// unreached, the rest of the path beyond the last frame's place (Keep Pace
// on a path longer than the clip walks); pastEnd, the straight run past the
// last point that frames walk (Keep Pace on a path shorter than the clip
// walks). Runs that are not there are empty.
struct PathRuns {
  std::vector<Point3> walked;
  std::vector<Point3> unreached;
  std::vector<Point3> pastEnd;
};

// Placements beyond this magnitude are refused: the written clip's
// positions must still add up over its frames when it is read and fitted
// again.
constexpr double kLargestPlacement = 1e300;

// A path a clip is carried along: its control points, the record that
// carries every frame along any later edit of them, and the samples it is
// drawn with. Points, placements and samples are in the ground frame
// (motion/GroundAxes.h). Every kind of path implements this one interface;
// the kinds are listed in path/PathKinds.h, and nothing else needs to know
// which kinds there are. Headless; nothing prints.
class ClipPath {
 public:
  virtual ~ClipPath() = default;

  // A copy of the path as it stands, edits and record included.
  virtual std::unique_ptr<ClipPath> clone() const = 0;

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

  // Whether planted feet are kept planted on this kind unless the user says
  // otherwise (EditSession::setKeepsFeet).
  virtual bool keepsFeetByDefault() const = 0;

  // Whether every frame the record covers is placed at finite numbers
  // within kLargestPlacement, and the path itself is: checked after an edit,
  // before anything is drawn or written. The failure says why not, to follow
  // "Control point K moved by DX, DZ".
  virtual Status checkPlacements() const = 0;

  // How frames are timed along the edited path. A kind whose timing is its
  // own (pacesFrames false) takes the setting and places frames as before.
  virtual void setPace(PathPace pace) = 0;
  virtual PathPace pace() const = 0;
  virtual bool pacesFrames() const = 0;
  // What the timing does to the clip's strides, for the status line:
  // "Strides up to 18% longer", "Strides 31% longer: the feet cannot stay
  // planted" beyond 25%; empty when they barely change or the kind does not
  // stretch them.
  virtual std::string timingNote() const = 0;

  // The joint the fit found walking, with its words (joint -1 before a fit
  // or for a clip without joints).
  virtual TrackJoint trackJoint() const = 0;

  // The curve as drawn: points along it in order.
  virtual std::vector<Point3> samples() const = 0;
  // The path as the clip walks it (PathRuns).
  virtual PathRuns runs() const = 0;
  // Where on the path frame f stands (the curve point its offset is kept
  // from), from the frame's values as place takes them; false, at
  // unchanged, for a frame the record does not cover.
  virtual bool framePlace(int f, const std::vector<double>& values, Point3& at) const = 0;
  // The larger ground extent (x or z) of the track the path was fitted to
  // (0 without a fit): what its cubes are sized by.
  virtual double trackExtent() const = 0;
};
