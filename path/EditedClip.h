#pragma once

#include <memory>
#include <vector>

#include "motion/FootPlanting.h"
#include "motion/FrameEditor.h"
#include "motion/HeadingTurn.h"
#include "motion/TrackJoint.h"
#include "motion/UpAxis.h"

class BvhMotion;
class ClipPath;

// The one place a frame of the clip, as edited, is worked out: for frame f,
// the words whose values change when the clip is carried along the path.
// The writer formats these and the drawing draws them, so what is shown is
// what is written. Today that is the carried joint's two ground position
// words (moved along the path, or its own value for a frame the path does
// not place: the writer always writes those two as numbers) and, where the
// path turned, its rotation words (Rup(heading) * R, HeadingTurn); with
// keepFeet, the legs' rotation words and the carried joint's height that
// keep planted feet planted (FootPlanting). A joint without both ground
// channels is not edited at all.
class EditedClip : public FrameEditor {
 public:
  // motion, and path when given, must outlive this; track is the carried
  // joint (findTrackJoint with up). Without a path every frame keeps its
  // place.
  EditedClip(const BvhMotion& motion, const ClipPath* path, const TrackJoint& track, UpAxis up);

  // Keeps the feet of contacts (findFootContacts for this clip, carried
  // joint and up axis) planted while the clip is carried along the path as
  // it stands now: the planner is built here, in one pass over the frames
  // near contacts, and its console notes (a leg that cannot hold the solve)
  // go to notes. Without a path, or for a joint the path cannot carry,
  // nothing is planted. contacts need not outlive this.
  void keepFeet(const FootContacts& contacts, Notes& notes);

  size_t wordsRead() const override;
  void edit(int f, const std::vector<double>& values, EditedFrame& out) override;
  // "Root Hips has no Xposition and Zposition channels: frames written as
  // read, path not applied" for a joint the path cannot move.
  void noteBeforeFrames(Notes& notes) override;
  // The turn's notice, once, when channels could not hold a turn.
  void noteAfterFrames(Notes& notes) override;

 private:
  const BvhMotion& motion_;
  const ClipPath* path_;
  TrackJoint track_;
  UpAxis up_;
  int carried_;
  bool canCarry_;
  HeadingTurn turn_;
  std::unique_ptr<FootPlanting> planting_;
};
