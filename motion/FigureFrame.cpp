#include "motion/FigureFrame.h"

#include <algorithm>
#include <vector>

#include "motion/BvhMotion.h"
#include "motion/FrameWords.h"

RestPoseBox restPoseBox(const Skeleton& skeleton) {
  RestPoseBox box;
  if (skeleton.empty()) return box;
  // Each joint's rest position, parents before children.
  std::vector<Point3> at(static_cast<size_t>(skeleton.size()));
  for (int i = 0; i < skeleton.size(); ++i) {
    const BvhJoint& joint = skeleton[i];
    const Point3& o = joint.offset;
    const Point3 base = joint.parent >= 0 ? at[static_cast<size_t>(joint.parent)] : Point3{};
    const Point3 a{base.x + o.x, base.y + o.y, base.z + o.z};
    at[static_cast<size_t>(i)] = a;
    if (i == 0) box.low = box.high = a;
    box.low = {std::min(box.low.x, a.x), std::min(box.low.y, a.y), std::min(box.low.z, a.z)};
    box.high = {std::max(box.high.x, a.x), std::max(box.high.y, a.y), std::max(box.high.z, a.z)};
  }
  return box;
}

double RestPoseBox::size() const {
  return std::max({high.x - low.x, high.y - low.y, high.z - low.z});
}

Point3 RestPoseBox::centre() const {
  return {(low.x + high.x) / 2.0, (low.y + high.y) / 2.0, (low.z + high.z) / 2.0};
}

Point3 offsetFromRoot(const Skeleton& skeleton, int joint) {
  Point3 sum;
  for (int j = skeleton.contains(joint) ? joint : -1; j >= 0; j = skeleton[j].parent) {
    const Point3& o = skeleton[j].offset;
    sum = {sum.x + o.x, sum.y + o.y, sum.z + o.z};
  }
  return sum;
}

Point3 carriedJointPosition(const BvhMotion& motion, int joint, int f, FrameEditor* edits) {
  Point3 at = offsetFromRoot(motion.skeleton, joint);
  if (!motion.skeleton.contains(joint) || f < 0 || f >= motion.frameCount ||
      static_cast<size_t>(f) >= motion.frameLines.size()) {
    return at;
  }
  std::vector<double> values;
  readFrameValues(motion.frameLine(f), values, motion.skeleton.layout().wordsUsed());
  if (edits != nullptr) {
    EditedFrame edited;
    edits->edit(f, values, edited);
    edited.applyTo(values);
  }
  const Point3 own = motion.skeleton.layout()[static_cast<size_t>(joint)].position(values);
  return {at.x + own.x, at.y + own.y, at.z + own.z};
}
