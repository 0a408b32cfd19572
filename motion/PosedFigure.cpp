#include "motion/PosedFigure.h"

#include "motion/FrameWords.h"
#include "motion/Skeleton.h"

Point3 rotatePoint(const Matrix3& m, const Point3& p) {
  return {m.m[0][0] * p.x + m.m[0][1] * p.y + m.m[0][2] * p.z,
          m.m[1][0] * p.x + m.m[1][1] * p.y + m.m[1][2] * p.z,
          m.m[2][0] * p.x + m.m[2][1] * p.y + m.m[2][2] * p.z};
}

JointPose localPose(const Skeleton& skeleton, int joint, const std::vector<double>& values) {
  const ChannelLayout& layout = skeleton.layout();
  const Point3 own = layout[static_cast<size_t>(joint)].position(values);
  const Point3& offset = skeleton[joint].offset;
  JointPose local;
  local.t = {offset.x + own.x, offset.y + own.y, offset.z + own.z};
  for (const RotationChannel& channel : layout.rotations(static_cast<size_t>(joint))) {
    turnAboutAxis(local.r, channel.axis, valueAt(values, channel.word));
  }
  return local;
}

namespace {

// out[j] from its parent's world pose (parents come before their children
// in file order) and its own local pose.
void placeJoint(const Skeleton& skeleton, int j, const std::vector<double>& values,
                std::vector<JointPose>& out) {
  const size_t at = static_cast<size_t>(j);
  const int parent = skeleton[j].parent;
  if (parent < 0) {
    out[at] = localPose(skeleton, j, values);
    return;
  }
  const ChannelLayout& layout = skeleton.layout();
  const Point3 own = layout[at].position(values);
  const Point3& offset = skeleton[j].offset;
  const JointPose& above = out[static_cast<size_t>(parent)];
  const Point3 moved = rotatePoint(above.r, {offset.x + own.x, offset.y + own.y, offset.z + own.z});
  JointPose& pose = out[at];
  pose.t = {above.t.x + moved.x, above.t.y + moved.y, above.t.z + moved.z};
  // The parent's axes turned by the joint's channels, first listed outermost.
  pose.r = above.r;
  for (const RotationChannel& channel : layout.rotations(at)) {
    turnAboutAxis(pose.r, channel.axis, valueAt(values, channel.word));
  }
}

}  // namespace

void PosedFigure::pose(const char* line, std::vector<JointPose>& out) const {
  std::vector<double> values;
  // Words beyond the channels move nothing.
  readFrameValues(line, values, skeleton.layout().wordsUsed());
  out.resize(static_cast<size_t>(skeleton.size()));
  for (int j = 0; j < skeleton.size(); ++j) placeJoint(skeleton, j, values, out);
}

void PosedFigure::poseJoints(const std::vector<double>& values, const std::vector<int>& joints,
                             std::vector<JointPose>& out) const {
  for (int j : joints) placeJoint(skeleton, j, values, out);
}

std::vector<int> jointsReaching(const Skeleton& skeleton, const std::vector<int>& joints) {
  std::vector<char> wanted(static_cast<size_t>(skeleton.size()), 0);
  for (int j : joints) {
    for (int k = skeleton.contains(j) ? j : -1; k >= 0 && !wanted[static_cast<size_t>(k)];
         k = skeleton[k].parent) {
      wanted[static_cast<size_t>(k)] = 1;
    }
  }
  std::vector<int> out;
  for (int j = 0; j < skeleton.size(); ++j) {
    if (wanted[static_cast<size_t>(j)]) out.push_back(j);
  }
  return out;
}
