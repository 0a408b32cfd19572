#include "motion/HeadingTurn.h"

#include <algorithm>
#include <cmath>

#include "motion/Skeleton.h"

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

bool HeadingTurn::turn(const std::vector<double>& values, double headingDegrees, EditedFrame& out) {
  if (headingDegrees == 0.0 || !std::isfinite(headingDegrees)) return false;
  if (mode_ == Mode::cannotTurn) {
    refused_ = true;
    return false;
  }
  double own[3] = {0.0, 0.0, 0.0};
  for (size_t n = 0; n < words_.size(); ++n) {
    if (static_cast<size_t>(words_[n]) >= values.size()) return false;
    own[n] = values[static_cast<size_t>(words_[n])];
    if (!std::isfinite(own[n])) return false;
  }

  double angles[3] = {own[0] + headingDegrees, 0.0, 0.0};
  if (mode_ == Mode::threeAxes) {
    const Matrix3 rotation =
        axisRotation(upAxis_, headingDegrees) * rotationFromAngles(order_, own);
    anglesFromRotation(rotation, order_, own, angles);
  }
  for (size_t n = 0; n < words_.size(); ++n) {
    // What "%f" shows as zero is written as zero, never as "-0.000000".
    out.set(words_[n], std::fabs(angles[n]) < 5e-7 ? 0.0 : angles[n]);
  }
  return true;
}

size_t HeadingTurn::wordsRead() const {
  long last = -1;
  for (long word : words_) last = std::max(last, word);
  return static_cast<size_t>(last + 1);
}

void HeadingTurn::noteRefusal(Notes& notes) {
  if (!refused_ || reported_) return;
  reported_ = true;
  notes.addf(
      "%s has no rotation channels that can hold the path's turn: its rotations are "
      "written as read\n",
      jointName_ != nullptr ? jointName_ : "The carried joint");
}
