#include "motion/Skeleton.h"

#include <utility>

int Skeleton::add(BvhJoint joint) {
  const int index = size();
  if (index == 0) {
    joint.parent = -1;
  } else if (joint.parent < 0 || joint.parent >= index || !onPathToLast(joint.parent)) {
    joint.parent = index - 1;
  }
  depths_.push_back(joint.parent < 0 ? 0 : depths_[static_cast<size_t>(joint.parent)] + 1);
  layout_.add(joint);
  joints_.push_back(std::move(joint));
  return index;
}

bool Skeleton::onPathToLast(int parent) const {
  // Closing n braces walks n levels up: the reader pays once per level.
  int j = size() - 1;
  while (j > parent && depth(j) > depth(parent)) j = joints_[static_cast<size_t>(j)].parent;
  return j == parent;
}

void Skeleton::reserve(size_t joints) {
  joints_.reserve(joints);
  depths_.reserve(joints);
  layout_.reserve(joints);
}

void Skeleton::clear() {
  joints_.clear();
  joints_.shrink_to_fit();
  depths_.clear();
  depths_.shrink_to_fit();
  layout_.clear();
}

int Skeleton::subtreeEnd(int i) const {
  int end = i + 1;
  while (end < size() && depth(end) > depth(i)) ++end;
  return end;
}

std::vector<int> Skeleton::children(int i) const {
  std::vector<int> found;
  const int end = subtreeEnd(i);
  for (int k = i + 1; k < end; ++k) {
    if (joints_[static_cast<size_t>(k)].parent == i) found.push_back(k);
  }
  return found;
}
