#include "motion/PosedFigure.h"

#include "motion/FrameWords.h"
#include "motion/Skeleton.h"

Point3 rotatePoint(const Matrix3& m, const Point3& p) {
  return {m.m[0][0] * p.x + m.m[0][1] * p.y + m.m[0][2] * p.z,
          m.m[1][0] * p.x + m.m[1][1] * p.y + m.m[1][2] * p.z,
          m.m[2][0] * p.x + m.m[2][1] * p.y + m.m[2][2] * p.z};
}

void PosedFigure::pose(const char* line, std::vector<JointPose>& out) const {
  std::vector<double> values;
  // Words beyond the channels move nothing.
  readFrameValues(line, values, skeleton.layout().wordsUsed());
  const ChannelLayout& layout = skeleton.layout();
  out.resize(static_cast<size_t>(skeleton.size()));
  for (int j = 0; j < skeleton.size(); ++j) {
    const BvhJoint& joint = skeleton[j];
    const JointLayout& words = layout[static_cast<size_t>(j)];
    const Point3 own = words.position(values);
    JointPose local;
    local.t = {joint.offset.x + own.x, joint.offset.y + own.y, joint.offset.z + own.z};
    for (const RotationChannel& channel : layout.rotations(static_cast<size_t>(j))) {
      local.r = local.r * axisRotation(channel.axis, valueAt(values, channel.word));
    }
    const size_t at = static_cast<size_t>(j);
    if (joint.parent < 0) {
      out[at] = local;
    } else {
      // Parents come before their children in file order.
      const JointPose& parent = out[static_cast<size_t>(joint.parent)];
      const Point3 moved = rotatePoint(parent.r, local.t);
      out[at].t = {parent.t.x + moved.x, parent.t.y + moved.y, parent.t.z + moved.z};
      out[at].r = parent.r * local.r;
    }
  }
}
