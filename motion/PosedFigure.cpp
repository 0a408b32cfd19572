#include "motion/PosedFigure.h"

#include <string>
#include <utility>

#include "motion/BvhJoint.h"
#include "motion/FrameWords.h"
#include "motion/JointChannels.h"

Point3 rotatePoint(const Matrix3& m, const Point3& p) {
  return {m.m[0][0] * p.x + m.m[0][1] * p.y + m.m[0][2] * p.z,
          m.m[1][0] * p.x + m.m[1][1] * p.y + m.m[1][2] * p.z,
          m.m[2][0] * p.x + m.m[2][1] * p.y + m.m[2][2] * p.z};
}

PosedFigure::PosedFigure(const BvhJoint& root) {
  // An explicit stack: clips may nest deeper than the call stack allows.
  std::vector<std::pair<const BvhJoint*, int>> pending{{&root, -1}};
  while (!pending.empty()) {
    const auto [joint, parent] = pending.back();
    pending.pop_back();
    const int index = static_cast<int>(joints.size());
    joints.push_back(joint);
    parents.push_back(parent);
    for (auto it = joint->children.rbegin(); it != joint->children.rend(); ++it) {
      if (*it != nullptr) pending.push_back({it->get(), index});
    }
  }
}

void PosedFigure::pose(const char* line, std::vector<JointPose>& out) const {
  std::string copy;
  std::vector<const char*> words;
  if (line != nullptr) splitFrameLine(line, copy, words);
  out.resize(joints.size());
  for (size_t j = 0; j < joints.size(); ++j) {
    const BvhJoint& joint = *joints[j];
    const Point3 own = jointPosition(joint, words);
    JointPose local;
    local.t = {joint.offset.x + own.x, joint.offset.y + own.y, joint.offset.z + own.z};
    const int count = readableChannelCount(joint);
    for (int i = 0; i < count; ++i) {
      const int axis = rotationAxis(channelKind(joint.channelNames[static_cast<size_t>(i)]));
      if (axis >= 0) local.r = local.r * axisRotation(axis, channelValue(joint, i, words));
    }
    if (parents[j] < 0) {
      out[j] = local;
    } else {
      // Parents come before their children in file order.
      const JointPose& parent = out[static_cast<size_t>(parents[j])];
      const Point3 moved = rotatePoint(parent.r, local.t);
      out[j].t = {parent.t.x + moved.x, parent.t.y + moved.y, parent.t.z + moved.z};
      out[j].r = parent.r * local.r;
    }
  }
}
