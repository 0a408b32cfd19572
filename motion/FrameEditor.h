#pragma once

#include <cstddef>
#include <vector>

#include "base/Outcome.h"
#include "motion/EditedFrame.h"

// What edits a clip's frames: for frame f, the words whose values change.
// The writer formats what it gives and the drawing draws it, so the preview
// is the written file. Calls come from one thread at a time (the writer may
// make them from a second thread while the first formats).
class FrameEditor {
 public:
  virtual ~FrameEditor() = default;

  // How many leading words of a frame line edit() reads: the caller hands
  // it the values of at least these (readFrameValues with that limit).
  virtual size_t wordsRead() const = 0;
  // Frame f's edits into out (cleared first), from its values; values may
  // be shorter than wordsRead() when the line is.
  virtual void edit(int f, const std::vector<double>& values, EditedFrame& out) = 0;
  // Console text about the edits as a whole (a joint that cannot be
  // moved), left by the writer once its file is open, before the hierarchy.
  virtual void noteBeforeFrames(Notes& notes) { (void)notes; }
  // Console text the edits found to say (a turn the channels cannot hold),
  // left once every frame wanted was edited.
  virtual void noteAfterFrames(Notes& notes) { (void)notes; }
};
