#include "path/EditedClip.h"

#include <algorithm>

#include "motion/BvhMotion.h"
#include "motion/FigureFrame.h"
#include "motion/FrameWords.h"
#include "motion/GroundAxes.h"
#include "path/ClipPath.h"

EditedClip::EditedClip(const BvhMotion& motion, const ClipPath* path, const TrackJoint& track,
                       UpAxis up)
    : motion_(motion),
      path_(path),
      track_(track),
      up_(up),
      carried_(jointOfClip(motion, track.joint)),
      canCarry_(canCarry(track)),
      turn_(motion.skeleton, carried_, upAxisIndex(up)) {}

void EditedClip::keepFeet(const FootContacts& contacts, Notes& notes) {
  planting_.reset();
  if (!canCarry_ || path_ == nullptr) return;
  const size_t words = static_cast<size_t>(track_.wordsRead());
  // The planner asks where the path puts a frame in the file's axes.
  const FramePlacementFunction placement = [this, words](int f, FramePlacement& placed) {
    if (f < 0 || static_cast<size_t>(f) >= motion_.frameLines.size()) return false;
    std::vector<double> values;
    readFrameValues(motion_.frameLine(f), values, words);
    FramePlacement ground;
    if (!path_->place(f, values, ground)) return false;
    placed = placementInFileAxes(ground, up_);
    return true;
  };
  planting_ = std::make_unique<FootPlanting>(motion_, contacts, carried_, up_, placement, notes);
}

size_t EditedClip::wordsRead() const {
  if (!canCarry_) return 0;
  const size_t planted = planting_ != nullptr ? planting_->wordsRead() : 0;
  return std::max({static_cast<size_t>(track_.wordsRead()), turn_.wordsRead(), planted});
}

void EditedClip::edit(int f, const std::vector<double>& values, EditedFrame& out) {
  out.clear();
  if (!canCarry_) return;
  FramePlacement ground;
  const bool placed = path_ != nullptr && path_->place(f, values, ground);
  const FramePlacement file = placementInFileAxes(ground, up_);
  out.set(track_.xWord, placed ? file.x : valueAt(values, track_.xWord));
  out.set(track_.zWord, placed ? file.z : valueAt(values, track_.zWord));
  // A bent path turns the carried joint as well as moving it.
  if (placed) turn_.turn(values, file.headingDegrees, out);
  if (planting_ != nullptr) planting_->addEdits(f, values, placed ? &file : nullptr, out);
}

void EditedClip::noteBeforeFrames(Notes& notes) {
  if (canCarry_ || !motion_.skeleton.contains(carried_)) return;
  const char* name = motion_.skeleton[carried_].name;
  notes.addf("%s %s has no Xposition and %s channels: frames written as read, path not applied\n",
             carried_ == 0 ? "Root" : "Joint", name != nullptr ? name : "",
             secondGroundChannel(up_));
}

void EditedClip::noteAfterFrames(Notes& notes) { turn_.noteRefusal(notes); }
