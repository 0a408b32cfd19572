#pragma once

#include <vector>

#include "base/Point3.h"
#include "motion/RotationMatrix.h"

class Skeleton;

// Where one joint stands in the clip's frame in one frame of the clip: its
// origin and the rotation of its own axes.
struct JointPose {
  Matrix3 r;
  Point3 t;
};

// m applied to the column vector p.
Point3 rotatePoint(const Matrix3& m, const Point3& p);

// The forward kinematics of a clip's skeleton. Holds a reference to the
// skeleton: it lives no longer than the clip.
struct PosedFigure {
  explicit PosedFigure(const Skeleton& skeleton) : skeleton(skeleton) {}

  const Skeleton& skeleton;

  // World pose of every joint (skeleton order, End Sites included) in one
  // frame line (null: the rest pose): offset plus position channels, then
  // the rotation channels in their listed order, first listed outermost.
  // Missing words read as 0. out is resized to one entry per joint. Costs
  // one read of the line's values.
  void pose(const char* line, std::vector<JointPose>& out) const;

  // The same for some joints only, from a frame's values (readFrameValues):
  // joints lists them in increasing order, each one's parent listed before
  // it (all but a root). out must hold one entry per joint of the skeleton;
  // only the listed entries are written. Costs a few products per listed
  // joint, nothing for the others.
  void poseJoints(const std::vector<double>& values, const std::vector<int>& joints,
                  std::vector<JointPose>& out) const;
};

// joint's pose in its parent's frame: offset plus position channels, and
// its rotation channels in listed order (first outermost); missing words
// read as 0.
JointPose localPose(const Skeleton& skeleton, int joint, const std::vector<double>& values);

// The ancestors of each of joints (the joints included) in increasing
// order: the list poseJoints needs to reach them.
std::vector<int> jointsReaching(const Skeleton& skeleton, const std::vector<int>& joints);
