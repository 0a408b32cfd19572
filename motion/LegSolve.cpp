#include "motion/LegSolve.h"

#include <algorithm>
#include <cmath>

#include "motion/FrameWords.h"
#include "motion/Skeleton.h"
#include "motion/VectorMath.h"

namespace {

// The knee is held back from straightening beyond this share of the leg's
// length (a bend of about 11 degrees at the knee for equal bones).
constexpr double reachShare = 0.995;

// The angle at the thigh joint between thigh bone and the line to the
// ankle, for bones a and b and ankle distance d (the triangle's own).
double hipAngle(double a, double b, double d) {
  return std::acos(std::clamp((a * a + d * d - b * b) / (2.0 * a * d), -1.0, 1.0));
}

// A knee counts as bent backwards from this turn of the thigh past straight
// on (radians), and a goal as asking for another length of the leg from this
// share of its length on.
constexpr double backBend = 0.02;
constexpr double slightChange = 0.001;

// Distance d held within reach of a leg of full length whole: unchanged up
// to reach, then rising ever more slowly towards whole (smooth at reach).
double softened(double d, double reach, double whole) {
  const double room = whole - reach;
  if (d <= reach) return d;
  if (room <= 0.0) return reach;
  return reach + room * (1.0 - std::exp(-(d - reach) / room));
}

// 0 at 0, 1 at 1, flat at both ends.
double smoothStep(double x) {
  x = std::clamp(x, 0.0, 1.0);
  return x * x * (3.0 - 2.0 * x);
}

// The thigh's angle about the hinge (negative: the knee bent forwards) for
// a captured angle now, when -root is the forward angle that puts the ankle
// at the goal's distance, change is how far the goal's distance is from the
// captured one, as a share of the leg's length, and hold is how much of the
// solve the frame takes: that angle, or as much of the way to it from the
// captured one as the goal holds. A knee captured bent backwards (past
// straight by more than backBend, as a knee often is at heel strike) comes
// to bend forwards, as a knee does, only as far as the goal asks for another
// length (in full from slightChange on), so that it never flips from one
// frame to the next as a correction fades in or out.
double bentAngle(double now, double root, double change, double hold) {
  const double backwards = smoothStep(now / backBend);
  const double asked = std::min(1.0, change / slightChange);
  const double share = std::clamp(hold, 0.0, 1.0) * (1.0 - backwards * (1.0 - asked));
  return now + share * (-root - now);
}

}  // namespace

bool findLegChannels(const Skeleton& skeleton, int thigh, int knee, int ankle, LegChannels& out) {
  const int joints[3] = {thigh, knee, ankle};
  for (int n = 0; n < 3; ++n) {
    if (!skeleton.contains(joints[n])) return false;
    const ChannelLayout::Rotations rotations =
        skeleton.layout().rotations(static_cast<size_t>(joints[n]));
    if (rotations.size() != 3) return false;
    int k = 0;
    for (const RotationChannel& channel : rotations) {
      out.order[n].axis[k] = channel.axis;
      out.word[n][k] = channel.word;
      ++k;
    }
    const int* axis = out.order[n].axis;
    if (axis[0] == axis[1] || axis[1] == axis[2] || axis[0] == axis[2]) return false;
    out.joint[n] = joints[n];
  }
  return true;
}

Point3 kneeBend(const JointPose& thigh, const JointPose& knee, const JointPose& ankle) {
  const Point3 bone = unitOf(knee.t - thigh.t);
  const Point3 line = unitOf(ankle.t - thigh.t);
  return rotatePoint(transposed(thigh.r), crossOf(bone, line));
}

double legReach(const LegPose& pose) {
  const double whole = lengthOf(pose.knee.t - pose.thigh.t) + lengthOf(pose.ankle.t - pose.knee.t);
  return legReach(lengthOf(pose.ankle.t - pose.thigh.t), whole);
}

double legReach(double captured, double whole) {
  return std::max(reachShare * whole, std::min(captured, whole));
}

void solveLeg(const LegPose& pose, const LegGoal& goal, Matrix3 local[3]) {
  const Point3 hip = pose.thigh.t;
  const Point3 thighBone = pose.knee.t - hip;
  const Point3 shinBone = pose.ankle.t - pose.knee.t;
  const Point3 captured = pose.ankle.t - hip;
  const double a = lengthOf(thighBone);
  const double b = lengthOf(shinBone);
  const double whole = a + b;
  const Point3 toward = goal.ankle - hip;
  const double far = lengthOf(toward);
  const double near = lengthOf(captured);
  Matrix3 thighWorld = pose.thigh.r;
  Matrix3 kneeWorld = pose.knee.r;
  if (a > 0.0 && b > 0.0 && far > 0.0 && near > 0.0) {
    const Point3 along = (1.0 / far) * toward;
    const double shortest = std::fabs(a - b) + 1e-9 * whole;
    const double d = std::clamp(softened(far, legReach(pose), whole), shortest, whole);
    const double from = std::clamp(near, shortest, whole);

    // Swing: the whole leg turned to face the goal.
    const Matrix3 swing = rotationBetween(rotatePoint(goal.turn, captured), toward) * goal.turn;

    // Bend: the thigh turned about the hinge, square to the line to the
    // goal, until the knee stands a shin's length from the goal. A frame's
    // knee need not bend exactly about the clip's hinge, so the turn is
    // worked out from where the swung thigh bone points, not from the change
    // of the triangle's angle alone: the ankle then lands on the goal.
    const Point3 hinge = rotatePoint(swing, pose.hinge);
    const Point3 axis = unitOf(hinge - dotProduct(hinge, along) * along);
    Matrix3 leg = swing;
    if (lengthOf(axis) > 0.0) {
      const Point3 bone = rotatePoint(swing, thighBone);
      const Point3 side = crossOf(axis, along);
      const double c1 = dotProduct(bone, along);
      const double c2 = dotProduct(bone, side);
      const double r = std::hypot(c1, c2);
      const double now = std::atan2(c2, c1);
      // The bone's share along the line to the goal that puts the knee a
      // shin's length from it: a cos(angle at the hip).
      const double wanted = a * std::cos(hipAngle(a, b, d));
      const double root = r > 0.0 ? std::acos(std::clamp(wanted / r, -1.0, 1.0)) : 0.0;
      leg =
          rotationAbout(axis, bentAngle(now, root, std::fabs(d - from) / whole, goal.hold) - now) *
          swing;
    }
    thighWorld = leg * pose.thigh.r;

    // The knee then turns the shin onto the goal.
    const Point3 knee = hip + rotatePoint(leg, thighBone);
    const Point3 shin = rotatePoint(leg, shinBone);
    const Point3 reached = hip + d * along;
    kneeWorld = rotationBetween(shin, reached - knee) * (leg * pose.knee.r);
  }
  local[0] = transposedTimes(pose.thighParent, thighWorld);
  local[1] = transposedTimes(thighWorld, kneeWorld);
  local[2] = transposedTimes(kneeWorld, goal.ankleRotation);
}

void legAngles(const LegChannels& channels, const Matrix3 local[3],
               const std::vector<double>& values, double angles[3][3]) {
  for (int n = 0; n < 3; ++n) {
    double near[3];
    for (int k = 0; k < 3; ++k) near[k] = valueAt(values, channels.word[n][k]);
    anglesFromRotation(local[n], channels.order[n], near, angles[n]);
  }
}
