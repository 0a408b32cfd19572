#include "motion/PosedFigure.h"

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
  std::vector<double> values;
  readFrameValues(line, values);
  const ChannelLayout& layout = skeleton.layout();
  // The pose of the joint at each depth on the path to the present one: in
  // file order a joint's parent is the last joint one level up.
  std::vector<JointPose> path;
  for (int j = 0; j < skeleton.size(); ++j) {
    const BvhJoint& joint = skeleton[j];
    const JointLayout& words = layout[static_cast<size_t>(j)];
    const Point3 own = words.position(values);
    JointPose local;
    local.t = {joint.offset.x + own.x, joint.offset.y + own.y, joint.offset.z + own.z};
    for (const RotationChannel& channel : layout.rotations(static_cast<size_t>(j))) {
      local.r = local.r * axisRotation(channel.axis, valueAt(values, channel.word));
    }
    const size_t depth = static_cast<size_t>(skeleton.depth(j));
    if (path.size() <= depth) path.resize(depth + 1);
    if (depth == 0) {
      path[0] = local;
    } else {
      const JointPose& parent = path[depth - 1];
      const Point3 moved = rotatePoint(parent.r, local.t);
      path[depth].t = {parent.t.x + moved.x, parent.t.y + moved.y, parent.t.z + moved.z};
      path[depth].r = parent.r * local.r;
    }
    visitJoint(j, path[depth]);
  }
}
