#include "path/JointIndex.h"

#include <vector>

#include "motion/BvhJoint.h"
#include "motion/BvhMotion.h"

namespace {

// Calls visit(joint, index) in file order until it returns true; returns that
// joint, or null. An explicit stack keeps deep trees safe.
template <typename Visit>
const BvhJoint* walk(const BvhMotion& motion, const Visit& visit) {
  std::vector<const BvhJoint*> pending;
  if (motion.root != nullptr) pending.push_back(motion.root.get());
  int index = 0;
  while (!pending.empty()) {
    const BvhJoint* joint = pending.back();
    pending.pop_back();
    if (visit(joint, index++)) return joint;
    for (auto it = joint->children.rbegin(); it != joint->children.rend(); ++it) {
      pending.push_back(it->get());
    }
  }
  return nullptr;
}

}  // namespace

int jointIndex(const BvhMotion& motion, const BvhJoint* joint) {
  if (joint == nullptr) return -1;
  int found = -1;
  walk(motion, [joint, &found](const BvhJoint* candidate, int index) {
    if (candidate != joint) return false;
    found = index;
    return true;
  });
  return found;
}

const BvhJoint* jointAt(const BvhMotion& motion, int index) {
  if (index < 0) return nullptr;
  return walk(motion, [index](const BvhJoint*, int at) { return at == index; });
}
