#include "motion/HeadingTurn.h"

#include <algorithm>
#include <cmath>

#include "motion/FrameWords.h"
#include "motion/Skeleton.h"

namespace {

// Values of the words at the given indices (count of them, any order);
// false when the line is shorter.
bool readWords(const char* line, const long* indices, size_t count, double* values) {
  long wanted = -1;
  for (size_t n = 0; n < count; ++n) wanted = std::max(wanted, indices[n]);
  FrameWords words(line);
  const char* first = nullptr;
  const char* last = nullptr;
  for (long k = 0; k <= wanted; ++k) {
    if (!words.next(first, last)) return false;
    for (size_t n = 0; n < count; ++n) {
      if (indices[n] == k) values[n] = wordValue(first, last);
    }
  }
  return true;
}

}  // namespace

HeadingTurn::HeadingTurn(const Skeleton& skeleton, int joint, int upAxis)
    : jointName_(skeleton.contains(joint) ? skeleton[joint].name : nullptr), upAxis_(upAxis) {
  std::vector<long> rotationWords;
  std::vector<int> axes;
  if (skeleton.contains(joint)) {
    for (const RotationChannel& channel : skeleton.layout().rotations(static_cast<size_t>(joint))) {
      rotationWords.push_back(channel.word);
      axes.push_back(channel.axis);
    }
  }
  if (!axes.empty() && axes[0] == upAxis_) {
    mode_ = Mode::addToFirstYaw;
    words_.assign(1, rotationWords[0]);
  } else if (axes.size() == 3 && axes[0] != axes[1] && axes[1] != axes[2] && axes[0] != axes[2]) {
    mode_ = Mode::threeAxes;
    words_ = rotationWords;
    order_ = AxisOrder{{axes[0], axes[1], axes[2]}};
  }
}

bool HeadingTurn::turn(const char* line, double headingDegrees, Notes& notes, TurnedWords& turned) {
  turned.count = 0;
  if (line == nullptr || headingDegrees == 0.0 || !std::isfinite(headingDegrees)) return false;
  if (mode_ == Mode::cannotTurn) {
    if (!reported_) {
      reported_ = true;
      notes.addf(
          "%s has no rotation channels that can hold the path's turn: its rotations are "
          "written as read\n",
          jointName_ != nullptr ? jointName_ : "The carried joint");
    }
    return false;
  }

  double own[3] = {0.0, 0.0, 0.0};
  if (!readWords(line, words_.data(), words_.size(), own)) return false;
  for (size_t n = 0; n < words_.size(); ++n) {
    if (!std::isfinite(own[n])) return false;
  }

  double angles[3] = {own[0] + headingDegrees, 0.0, 0.0};
  if (mode_ == Mode::threeAxes) {
    const Matrix3 rotation =
        axisRotation(upAxis_, headingDegrees) * rotationFromAngles(order_, own);
    anglesFromRotation(rotation, order_, own, angles);
  }
  turned.count = static_cast<int>(words_.size());
  for (size_t n = 0; n < words_.size(); ++n) {
    turned.word[n] = words_[n];
    // What "%f" shows as zero is written as zero, never as "-0.000000".
    turned.value[n] = std::fabs(angles[n]) < 5e-7 ? 0.0 : angles[n];
  }
  return true;
}
