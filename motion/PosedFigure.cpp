#include "motion/PosedFigure.h"

#include <algorithm>

#include "motion/FrameWords.h"
#include "motion/Skeleton.h"

Point3 rotatePoint(const Matrix3& m, const Point3& p) {
  return {m.m[0][0] * p.x + m.m[0][1] * p.y + m.m[0][2] * p.z,
          m.m[1][0] * p.x + m.m[1][1] * p.y + m.m[1][2] * p.z,
          m.m[2][0] * p.x + m.m[2][1] * p.y + m.m[2][2] * p.z};
}

void PosedFigure::pose(const char* line, std::vector<JointPose>& out) const {
  out.resize(static_cast<size_t>(skeleton.size()));
  visit(line, [&out](int joint, const JointPose& pose) { out[static_cast<size_t>(joint)] = pose; });
}

void PosedFigure::visit(const char* line,
                        const std::function<void(int, const JointPose&)>& visitJoint) const {
  const int count = skeleton.size();
  std::vector<double> values;
  if (count > 0) {
    const BvhJoint& last = skeleton[count - 1];
    values.reserve(static_cast<size_t>(std::max(0, last.channelOffset + last.channelCount)));
  }
  readFrameValues(line, values);
  const ChannelLayout& layout = skeleton.layout();
  // In file order a joint's first child comes right after it: only a joint
  // with a later child keeps its pose while its subtree is posed, so a long
  // chain holds one pose, not one per link.
  std::vector<bool> hasLaterChild(static_cast<size_t>(count), false);
  for (int j = 1; j < count; ++j) {
    const int parent = skeleton[j].parent;
    if (parent != j - 1 && parent >= 0) hasLaterChild[static_cast<size_t>(parent)] = true;
  }
  struct Kept {
    int joint;
    JointPose pose;
  };
  std::vector<Kept> kept;
  JointPose previous;
  JointPose world;
  for (int j = 0; j < count; ++j) {
    const BvhJoint& joint = skeleton[j];
    const JointLayout& words = layout[static_cast<size_t>(j)];
    const Point3 own = words.position(values);
    JointPose local;
    local.t = {joint.offset.x + own.x, joint.offset.y + own.y, joint.offset.z + own.z};
    for (const RotationChannel& channel : layout.rotations(static_cast<size_t>(j))) {
      local.r = local.r * axisRotation(channel.axis, valueAt(values, channel.word));
    }
    // Joints kept after the parent have had all their children.
    while (joint.parent != j - 1 && !kept.empty() && kept.back().joint != joint.parent) {
      kept.pop_back();
    }
    const JointPose* parent = joint.parent < 0        ? nullptr
                              : joint.parent == j - 1 ? &previous
                              : !kept.empty()         ? &kept.back().pose
                                                      : nullptr;
    if (parent == nullptr) {
      world = local;
    } else {
      const Point3 moved = rotatePoint(parent->r, local.t);
      world.t = {parent->t.x + moved.x, parent->t.y + moved.y, parent->t.z + moved.z};
      world.r = parent->r * local.r;
    }
    if (hasLaterChild[static_cast<size_t>(j)]) kept.push_back({j, world});
    previous = world;
    visitJoint(j, world);
  }
}
