#pragma once

#include <vector>

#include "base/Outcome.h"
#include "motion/RotationMatrix.h"

class Skeleton;

// Rotation words of one frame line and their turned values, in channel order.
// A value that "%f" would show as zero is zero, never -0.
struct TurnedWords {
  int count = 0;
  long word[3] = {-1, -1, -1};
  double value[3] = {0.0, 0.0, 0.0};
};

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

  // The joint's rotation words in line and the values they take turned, for
  // the writer to put in their place ("%f", every other character as it
  // stands). False, turned.count 0, when the line keeps its words: the
  // heading is exactly 0, the channels cannot hold a turn, the line lacks one
  // of the words or one of the angles is not a finite number. The first line
  // that cannot take its turn notes why.
  bool turn(const char* line, double headingDegrees, Notes& notes, TurnedWords& turned);

 private:
  enum class Mode { cannotTurn, addToFirstYaw, threeAxes };

  Mode mode_ = Mode::cannotTurn;
  const char* jointName_;
  // Word indices in the frame line of the rotation channels used, in
  // channel order (one for addToFirstYaw, three for threeAxes).
  std::vector<long> words_;
  AxisOrder order_{{0, 1, 2}};
  int upAxis_ = 1;
  bool reported_ = false;
};
