#pragma once

#include <cstddef>
#include <vector>

#include "base/Point3.h"
#include "motion/JointChannels.h"

struct BvhJoint;

// A rotation channel of a joint: its axis (0 x, 1 y, 2 z) and the frame-line
// word that holds its angle.
struct RotationChannel {
  int axis;
  int word;
};

// Where one joint's channels stand in a frame line.
struct JointLayout {
  // Word of each channel kind (by ChannelKind, `other` excluded); -1 where the
  // joint has no such channel among its readable ones. A later channel of a
  // name overrides an earlier one.
  int word[6] = {-1, -1, -1, -1, -1, -1};
  // The joint's rotation channels, in listed order, in ChannelLayout's list.
  int firstRotation = 0;
  int rotationCount = 0;

  int wordOf(ChannelKind kind) const {
    return kind == ChannelKind::other ? -1 : word[static_cast<int>(kind)];
  }

  // The values of the joint's Xposition, Yposition and Zposition channels
  // among a frame's values (readFrameValues); 0 where it has no such channel
  // or the frame no such word.
  Point3 position(const std::vector<double>& values) const;
};

// The channel layout of a whole skeleton, one JointLayout per joint in
// skeleton order, computed as the joints are added. Only the readable
// channels count (readableChannelCount): a name listed beyond the declared
// count has no word of the joint's own.
class ChannelLayout {
 public:
  // Appends the layout of joint, whose channels start at its channelOffset.
  void add(const BvhJoint& joint);
  void clear();

  size_t size() const { return joints_.size(); }
  const JointLayout& operator[](size_t joint) const { return joints_[joint]; }

  // The rotation channels of one joint, in listed order (first outermost).
  struct Rotations {
    const RotationChannel* first;
    const RotationChannel* last;
    const RotationChannel* begin() const { return first; }
    const RotationChannel* end() const { return last; }
    size_t size() const { return static_cast<size_t>(last - first); }
  };
  Rotations rotations(size_t joint) const;

  // One past the highest frame-line word any known channel uses: the words
  // that ever need reading (0 without channels).
  size_t wordsUsed() const { return wordsUsed_; }

 private:
  std::vector<JointLayout> joints_;
  std::vector<RotationChannel> rotations_;
  size_t wordsUsed_ = 0;
};
