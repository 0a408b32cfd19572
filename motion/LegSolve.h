#pragma once

#include <vector>

#include "motion/PosedFigure.h"
#include "motion/RotationMatrix.h"

class Skeleton;

// Where a leg's three joints (thigh, knee, ankle) keep their rotations in a
// frame line: each joint's three rotation channels, in its own listed order.
struct LegChannels {
  int joint[3] = {-1, -1, -1};
  AxisOrder order[3] = {{{0, 1, 2}}, {{0, 1, 2}}, {{0, 1, 2}}};
  int word[3][3] = {{-1, -1, -1}, {-1, -1, -1}, {-1, -1, -1}};
};

// The channels of thigh, knee and ankle (indexes of skeleton); false when
// one of them has not exactly three rotation channels about three different
// axes: such a leg cannot hold a solve and is left as read.
bool findLegChannels(const Skeleton& skeleton, int thigh, int knee, int ankle, LegChannels& out);

// A leg as captured in one frame, in the clip's frame: the world rotation of
// the thigh's parent, the world poses of the three joints, and the axis the
// knee bends about (kneeAxis turned into the clip's frame), so that a knee
// captured straight, or bent a little backwards, still bends forwards.
struct LegPose {
  Matrix3 thighParent;
  JointPose thigh;
  JointPose knee;
  JointPose ankle;
  Point3 hinge;
};

// How a knee bent in one frame, in its thigh's own frame: the normal of the
// plane of thigh, knee and ankle, as long as the sine of the bend (so frames
// that bend more count more when these are summed over a clip), pointing so
// that turning the thigh about it by a positive angle brings a bent knee
// towards the line from thigh to ankle.
Point3 kneeBend(const JointPose& thigh, const JointPose& knee, const JointPose& ankle);

// Where the solve is to put the ankle, in the same frame: its position and
// world rotation, and the turn the goal came with (about the hip), which
// turns the plane the knee bends in along with the foot.
struct LegGoal {
  Point3 ankle;
  Matrix3 ankleRotation;
  Matrix3 turn;
  // How much of the solve the frame takes (a contact's share as its
  // correction fades in or out): below 1 the knee moves only that share of
  // the way from its captured bend, and the ankle comes near the goal.
  double hold = 1.0;
};

// The farthest the ankle may stand from the thigh joint before the knee is
// held back from straightening: a share just short of the leg's full length,
// or the captured distance where the capture is straighter than that.
double legReach(const LegPose& pose);
// The same for a leg of full length whole captured with its ankle at
// distance captured from the thigh joint.
double legReach(double captured, double whole);

// The two-bone solve: the local rotations of thigh, knee and ankle (in that
// order) that put the ankle at goal.ankle with goal.ankleRotation, the bones
// keeping their lengths. The leg first swings about the thigh joint to face
// the goal (the smallest swing after goal.turn), then bends about its hinge
// until the knee stands a shin's length from the goal (a knee bent
// backwards of its hinge is brought to bend forwards, as far as goal.hold
// asks), and the knee turns the shin onto the goal. A goal beyond legReach
// is approached ever more slowly, never reached at full stretch, so the knee
// never snaps straight; one nearer than the bones can fold is held at that
// fold. The captured pose itself as goal gives the captured rotations back
// up to rounding, but for a knee captured within about a degree past
// straight of its hinge, whose thigh may come out up to a degree nearer
// straight (so that nothing jumps between the two sides of straight).
void solveLeg(const LegPose& pose, const LegGoal& goal, Matrix3 local[3]);

// The three angles of each joint for rotations local (as solveLeg gives
// them), in each joint's channel order, each the solution nearest the
// frame's own values (readFrameValues): angles[joint][channel].
void legAngles(const LegChannels& channels, const Matrix3 local[3],
               const std::vector<double>& values, double angles[3][3]);
