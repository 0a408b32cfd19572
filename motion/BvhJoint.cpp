#include "motion/BvhJoint.h"

#include <cstring>

BvhJoint::~BvhJoint() {
  // Detach every descendant into one flat list before it dies, so each node is
  // destroyed with no children of its own and no destructor ever recurses.
  std::vector<std::unique_ptr<BvhJoint>> pending = std::move(children);
  children.clear();
  while (!pending.empty()) {
    std::unique_ptr<BvhJoint> node = std::move(pending.back());
    pending.pop_back();
    for (std::unique_ptr<BvhJoint>& child : node->children) pending.push_back(std::move(child));
    node->children.clear();
  }
}

int BvhJoint::channelIndex(const char* channelName) const {
  if (channelName == nullptr) return -1;
  for (size_t i = 0; i < channelNames.size(); ++i) {
    if (channelNames[i] != nullptr && std::strcmp(channelNames[i], channelName) == 0) {
      return static_cast<int>(i);
    }
  }
  return -1;
}
