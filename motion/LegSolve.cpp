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

// Distance d held within reach of a leg of full length whole: unchanged up
// to reach, then rising ever more slowly towards whole (smooth at reach).
double softened(double d, double reach, double whole) {
  const double room = whole - reach;
  if (d <= reach) return d;
  if (room <= 0.0) return reach;
  return reach + room * (1.0 - std::exp(-(d - reach) / room));
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

    // Bend: the thigh turned about the hinge, square to the line to the goal,
    // by the change of the angle at the hip the distance asks for (none when
    // the distance stays as captured).
    const Point3 hinge = rotatePoint(swing, pose.hinge);
    const Point3 axis = unitOf(hinge - dotProduct(hinge, along) * along);
    const double change = hipAngle(a, b, from) - hipAngle(a, b, d);
    const Matrix3 leg =
        lengthOf(axis) > 0.0 && change != 0.0 ? rotationAbout(axis, change) * swing : swing;
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
