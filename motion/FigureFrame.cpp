#include "motion/FigureFrame.h"

#include <algorithm>
#include <string>
#include <vector>

#include "motion/BvhJoint.h"
#include "motion/BvhMotion.h"
#include "motion/FrameWords.h"
#include "motion/JointChannels.h"

RestPoseBox restPoseBox(const BvhJoint& root) {
  RestPoseBox box;
  box.low = box.high = root.offset;
  struct Visit {
    const BvhJoint* joint;
    Point3 at;
  };
  std::vector<Visit> pending{{&root, root.offset}};
  while (!pending.empty()) {
    const Visit visit = pending.back();
    pending.pop_back();
    const Point3& a = visit.at;
    box.low = {std::min(box.low.x, a.x), std::min(box.low.y, a.y), std::min(box.low.z, a.z)};
    box.high = {std::max(box.high.x, a.x), std::max(box.high.y, a.y), std::max(box.high.z, a.z)};
    for (const auto& child : visit.joint->children) {
      if (child == nullptr) continue;
      const Point3& o = child->offset;
      pending.push_back({child.get(), {a.x + o.x, a.y + o.y, a.z + o.z}});
    }
  }
  return box;
}

double RestPoseBox::size() const {
  return std::max({high.x - low.x, high.y - low.y, high.z - low.z});
}

Point3 RestPoseBox::centre() const {
  return {(low.x + high.x) / 2.0, (low.y + high.y) / 2.0, (low.z + high.z) / 2.0};
}

Point3 offsetFromRoot(const BvhJoint& joint) {
  Point3 sum;
  for (const BvhJoint* j = &joint; j != nullptr; j = j->parent) {
    sum = {sum.x + j->offset.x, sum.y + j->offset.y, sum.z + j->offset.z};
  }
  return sum;
}

Point3 carriedJointPosition(const BvhMotion& motion, const BvhJoint& joint, int f,
                            const FramePlacement* placement, UpAxis up) {
  Point3 at = offsetFromRoot(joint);
  if (f < 0 || f >= motion.frameCount || static_cast<size_t>(f) >= motion.frameLines.size()) {
    return at;
  }
  std::string copy;
  std::vector<const char*> words;
  splitFrameLine(motion.frameLine(f), copy, words);
  Point3 own = jointPosition(joint, words);
  if (placement != nullptr) {
    own.x = placement->x;
    (up == UpAxis::z ? own.y : own.z) = placement->z;
  }
  return {at.x + own.x, at.y + own.y, at.z + own.z};
}
