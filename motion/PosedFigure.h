#pragma once

#include <vector>

#include "base/Point3.h"
#include "motion/RotationMatrix.h"

class BvhJoint;

// Where one joint stands in the clip's frame in one frame of the clip: its
// origin and the rotation of its own axes.
struct JointPose {
  Matrix3 r;
  Point3 t;
};

// m applied to the column vector p.
Point3 rotatePoint(const Matrix3& m, const Point3& p);

// The joints of a clip in file order (pre-order, End Sites included) with
// each one's parent, and the forward kinematics that poses them. Holds
// pointers into the clip's tree: it lives no longer than the clip.
struct PosedFigure {
  explicit PosedFigure(const BvhJoint& root);

  std::vector<const BvhJoint*> joints;
  // Index of each joint's parent in joints; -1 for the root.
  std::vector<int> parents;

  // World pose of every joint in one frame line (null: the rest pose):
  // offset plus position channels, then the rotation channels in their
  // listed order, first listed outermost. Missing words read as 0. out is
  // resized to one entry per joint. Costs one split of the line.
  void pose(const char* line, std::vector<JointPose>& out) const;
};
