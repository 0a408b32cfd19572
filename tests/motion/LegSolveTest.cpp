// The two-bone solve, checked by posing what it writes: in every channel
// order the ankle reaches its goal with the foot turned as asked, the
// captured pose asked for gives the captured angles back, a knee that does
// not bend about the clip's hinge or is bent backwards of it still reaches
// without a jump, and a goal pulled out of reach straightens the knee
// without a snap.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "motion/LegSolve.h"
#include "motion/PosedFigure.h"
#include "motion/Skeleton.h"
#include "motion/VectorMath.h"

namespace {

const char* const kRotationNames[3] = {"Xrotation", "Yrotation", "Zrotation"};

// Hips (positions and three rotations) -> thigh -> knee -> ankle -> toes,
// every joint's rotations in order.
Skeleton legOf(const AxisOrder& order) {
  struct Part {
    const char* name;
    Point3 offset;
    bool positions;
  } parts[] = {{"Hips", {0, 0, 0}, true},
               {"Thigh", {1, -0.5, 0}, false},
               {"Knee", {0.2, -4, 0}, false},
               {"Ankle", {0, -4.2, 0.1}, false}};
  Skeleton skeleton;
  int word = 0;
  for (int k = 0; k < 4; ++k) {
    BvhJoint joint;
    joint.name = parts[k].name;
    joint.offset = parts[k].offset;
    joint.parent = k - 1;
    joint.channelOffset = word;
    if (parts[k].positions) {
      for (const char* name : {"Xposition", "Yposition", "Zposition"}) {
        joint.channelNames.push_back(name);
      }
    }
    for (int axis : order.axis) joint.channelNames.push_back(kRotationNames[axis]);
    joint.channelCount = static_cast<int>(joint.channelNames.size());
    word += joint.channelCount;
    skeleton.add(std::move(joint));
  }
  BvhJoint toes;
  toes.name = "END";
  toes.isEndSite = true;
  toes.offset = {0, -0.5, 1.5};
  toes.parent = 3;
  toes.channelOffset = -1;
  skeleton.add(std::move(toes));
  return skeleton;
}

// The frame's angles in channel order for turns about x, y and z.
void put(std::vector<double>& values, int first, const AxisOrder& order, Point3 turns) {
  const double byAxis[3] = {turns.x, turns.y, turns.z};
  for (int k = 0; k < 3; ++k) values[static_cast<size_t>(first + k)] = byAxis[order.axis[k]];
}

double largestDifference(const Matrix3& a, const Matrix3& b) {
  double most = 0.0;
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) most = std::fmax(most, std::fabs(a.m[r][c] - b.m[r][c]));
  }
  return most;
}

TEST(LegSolveTest, ReachesTheGoalInEveryOrderAndKeepsWhatIsNotAskedToMove) {
  const AxisOrder orders[] = {{{0, 1, 2}}, {{0, 2, 1}}, {{1, 0, 2}},
                              {{1, 2, 0}}, {{2, 0, 1}}, {{2, 1, 0}}};
  for (const AxisOrder& order : orders) {
    const std::string name = std::string(kRotationNames[order.axis[0]]) +
                             kRotationNames[order.axis[1]] + kRotationNames[order.axis[2]];
    SCOPED_TRACE(name);
    const Skeleton skeleton = legOf(order);
    LegChannels channels;
    ASSERT_TRUE(findLegChannels(skeleton, 1, 2, 3, channels));
    // A leg bent at the knee, the hips turned a little.
    std::vector<double> values(15, 0.0);
    values[1] = 8.0;
    put(values, 3, order, {5, 20, -4});
    put(values, 6, order, {-25, 8, 6});
    put(values, 9, order, {40, -5, 3});
    put(values, 12, order, {-10, 12, 4});
    const PosedFigure figure(skeleton);
    const std::vector<int> joints{0, 1, 2, 3, 4};
    std::vector<JointPose> poses(5);
    figure.poseJoints(values, joints, poses);
    LegPose pose{poses[0].r, poses[1], poses[2], poses[3], {}};
    pose.hinge = rotatePoint(poses[1].r, unitOf(kneeBend(poses[1], poses[2], poses[3])));
    const double whole = lengthOf(poses[2].t - poses[1].t) + lengthOf(poses[3].t - poses[2].t);

    const auto solved = [&](const LegGoal& goal) {
      Matrix3 local[3];
      solveLeg(pose, goal, local);
      double angles[3][3];
      legAngles(channels, local, values, angles);
      std::vector<double> written = values;
      for (int n = 0; n < 3; ++n) {
        for (int c = 0; c < 3; ++c)
          written[static_cast<size_t>(channels.word[n][c])] = angles[n][c];
      }
      std::vector<JointPose> after(5);
      figure.poseJoints(written, joints, after);
      return std::make_pair(written, after);
    };

    // Asked for the captured pose, it writes the captured angles.
    const auto same = solved({poses[3].t, poses[3].r, Matrix3{}});
    for (size_t w = 6; w < 15; ++w) EXPECT_NEAR(same.first[w], values[w], 1e-9) << w;

    // A goal moved and turned is reached, the foot turned as asked.
    const Matrix3 turn = axisRotation(1, 15.0);
    const LegGoal moved{poses[3].t + Point3{0.6, 0.5, -0.4}, turn * poses[3].r, turn};
    const auto reached = solved(moved);
    EXPECT_LT(lengthOf(reached.second[3].t - moved.ankle), 1e-9 * whole);
    EXPECT_LT(largestDifference(reached.second[3].r, moved.ankleRotation), 1e-9);
    // The bones keep their lengths: the hips and thigh joint do not move.
    EXPECT_LT(lengthOf(reached.second[1].t - poses[1].t), 1e-12);

    // The clip's hinge need not be the frame's own bend: the ankle still
    // lands on the goal.
    const Point3 ownHinge = pose.hinge;
    pose.hinge = rotatePoint(axisRotation(1, 25.0), ownHinge);
    EXPECT_LT(lengthOf(solved(moved).second[3].t - moved.ankle), 1e-9 * whole);
    // A knee captured bent backwards of its hinge, asked to reach nearer, is
    // brought forwards as the goal's hold fades in, never in a jump, and
    // reaches the goal once held in full.
    pose.hinge = -1.0 * ownHinge;
    LegGoal nearer{poses[1].t + 0.95 * (poses[3].t - poses[1].t), poses[3].r, Matrix3{}};
    Matrix3 kneeBefore;
    double fastest = 0.0;
    for (int step = 0; step <= 100; ++step) {
      nearer.hold = step / 100.0;
      const auto held = solved(nearer);
      const Matrix3 knee = transposed(held.second[1].r) * held.second[2].r;
      if (step > 0) fastest = std::fmax(fastest, turnDegrees(transposed(kneeBefore) * knee));
      kneeBefore = knee;
      if (step == 100) {
        EXPECT_LT(lengthOf(held.second[3].t - nearer.ankle), 1e-9 * whole);
      }
    }
    EXPECT_LT(fastest, 2.0);
    pose.hinge = ownHinge;

    // Pulled out past its reach in small steps, the knee straightens
    // smoothly: no step turns it by more than a degree, and it never goes
    // beyond straight.
    const Point3 away = unitOf(poses[3].t - poses[1].t);
    Matrix3 before;
    double largest = 0.0;
    for (double share = 0.97; share <= 1.05; share += 0.0005) {
      const auto pulled = solved({poses[1].t + (share * whole) * away, poses[3].r, Matrix3{}});
      const Matrix3 knee = transposed(pulled.second[1].r) * pulled.second[2].r;
      if (share > 0.97) largest = std::fmax(largest, turnDegrees(transposed(before) * knee));
      before = knee;
      EXPECT_LE(lengthOf(pulled.second[3].t - pulled.second[1].t), whole * (1.0 + 1e-12));
    }
    EXPECT_LT(largest, 1.0);
  }
}

}  // namespace
