#include "motion/ChannelLayout.h"

#include "motion/BvhJoint.h"
#include "motion/FrameWords.h"

Point3 JointLayout::position(const std::vector<double>& values) const {
  return {valueAt(values, wordOf(ChannelKind::xPosition)),
          valueAt(values, wordOf(ChannelKind::yPosition)),
          valueAt(values, wordOf(ChannelKind::zPosition))};
}

void ChannelLayout::add(const BvhJoint& joint) {
  JointLayout layout;
  layout.firstRotation = static_cast<int>(rotations_.size());
  const int count = readableChannelCount(joint);
  for (int i = 0; i < count; ++i) {
    const ChannelKind kind = channelKind(joint.channelNames[static_cast<size_t>(i)]);
    if (kind == ChannelKind::other) continue;
    const int word = joint.channelOffset + i;
    if (static_cast<size_t>(word) >= wordsUsed_) wordsUsed_ = static_cast<size_t>(word) + 1;
    layout.word[static_cast<int>(kind)] = word;
    const int axis = rotationAxis(kind);
    if (axis >= 0) rotations_.push_back({axis, word});
  }
  layout.rotationCount = static_cast<int>(rotations_.size()) - layout.firstRotation;
  joints_.push_back(layout);
}

void ChannelLayout::clear() {
  joints_.clear();
  joints_.shrink_to_fit();
  rotations_.clear();
  rotations_.shrink_to_fit();
  wordsUsed_ = 0;
}

ChannelLayout::Rotations ChannelLayout::rotations(size_t joint) const {
  const JointLayout& layout = joints_[joint];
  const RotationChannel* first = rotations_.data() + layout.firstRotation;
  return {first, first + layout.rotationCount};
}
