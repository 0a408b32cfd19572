#pragma once

#include <cstddef>
#include <vector>

#include "base/Outcome.h"
#include "motion/EditedFrame.h"
#include "motion/RotationMatrix.h"

class Skeleton;

// Turns one joint's rotation in frame lines by a heading about the clip's up
// axis (Y, or Z for a Z-up clip): with R the joint's rotation from its
// channels (first listed outermost), the channels are rewritten to hold
// Rup(heading) * R, in their own order, choosing the angles nearest to the
// frame's own.
//
// Channels whose first rotation is about the up axis take the turn by adding it to that
// angle (exact, the others stay as written). Otherwise three rotation
// channels about three different axes are needed; any other set cannot hold a
// turn, which is noted once for the console and the line is left as read.
class HeadingTurn {
 public:
  // Turns joint (an index of skeleton) of lines of that skeleton's clip;
  // upAxis as axisRotation counts axes: 1 (y) or 2 (z).
  HeadingTurn(const Skeleton& skeleton, int joint, int upAxis = 1);

  // Adds the joint's rotation words turned by headingDegrees to out, from
  // the frame's values (readFrameValues, at least wordsRead() of them). A
  // value that "%f" would show as zero is zero, never -0. False, nothing
  // added, when the frame keeps its words: the heading is exactly 0, the
  // channels cannot hold a turn (remembered for noteRefusal), the frame
  // lacks one of the words or one of the angles is not a finite number.
  bool turn(const std::vector<double>& values, double headingDegrees, EditedFrame& out);
  // How many leading words of a frame turn() reads.
  size_t wordsRead() const;
  // Once a turn was refused for want of channels: notes why, once.
  void noteRefusal(Notes& notes);

 private:
  enum class Mode { cannotTurn, addToFirstYaw, threeAxes };

  Mode mode_ = Mode::cannotTurn;
  const char* jointName_;
  // Word indices in the frame line of the rotation channels used, in
  // channel order (one for addToFirstYaw, three for threeAxes).
  std::vector<long> words_;
  AxisOrder order_{{0, 1, 2}};
  int upAxis_ = 1;
  bool refused_ = false;
  bool reported_ = false;
};
