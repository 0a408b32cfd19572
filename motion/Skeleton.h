#pragma once

#include <cstddef>
#include <vector>

#include "motion/BvhJoint.h"
#include "motion/ChannelLayout.h"

// A clip's hierarchy as a flat array in file order (pre-order: every parent
// before its children, a joint's subtree right after it), each joint naming
// its parent by index, End Sites included as flagged entries. Walks are
// loops over the array, so any depth of nesting is safe. The channel layout
// (which frame-line word holds which channel) is computed as joints are
// added; a joint's channels must not change after that.
class Skeleton {
 public:
  // Appends joint and returns its index. Its parent must be -1 for the first
  // joint and, for every other, the previous joint or one of its ancestors
  // (so that the array stays in pre-order); a joint that breaks this is
  // taken as a child of the previous one (the reader never gives one).
  int add(BvhJoint joint);
  // Room for joints in every array, so that adding up to that many never
  // copies them.
  void reserve(size_t joints);
  // Forgets every joint and gives the memory back.
  void clear();

  int size() const { return static_cast<int>(joints_.size()); }
  bool empty() const { return joints_.empty(); }
  // The root, index 0; only when !empty().
  const BvhJoint& root() const { return joints_.front(); }

  const BvhJoint& operator[](int i) const { return joints_[static_cast<size_t>(i)]; }
  // Joints may be recoloured in place; their channels stay as added.
  BvhJoint& operator[](int i) { return joints_[static_cast<size_t>(i)]; }
  const std::vector<BvhJoint>& joints() const { return joints_; }

  // Levels below the root (the root is 0).
  int depth(int i) const { return depths_[static_cast<size_t>(i)]; }
  // Index just past i's subtree: its descendants are i + 1 .. end - 1.
  // Costs a pass over the subtree.
  int subtreeEnd(int i) const;
  // Indexes of i's children, in file order. Costs a pass over i's subtree.
  std::vector<int> children(int i) const;
  // Whether i is a joint of this skeleton.
  bool contains(int i) const { return i >= 0 && i < size(); }

  const ChannelLayout& layout() const { return layout_; }

 private:
  std::vector<BvhJoint> joints_;
  std::vector<int> depths_;
  ChannelLayout layout_;

  // Whether parent is the last joint or one of its ancestors.
  bool onPathToLast(int parent) const;
};
