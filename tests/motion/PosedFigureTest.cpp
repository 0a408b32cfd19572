#include <gtest/gtest.h>

#include <vector>

#include "motion/PosedFigure.h"
#include "motion/Skeleton.h"

namespace {

BvhJoint joint(int parent, Point3 offset, int channelOffset, PackedTextList channels) {
  BvhJoint j;
  j.name = "J";
  j.parent = parent;
  j.offset = offset;
  j.channelOffset = channelOffset;
  j.channelCount = static_cast<int>(channels.size());
  j.channelNames = std::move(channels);
  return j;
}

// Root{A{A1, A2}, B{B1}}: A's second child and B need poses kept while a
// subtree before them was posed; B1 follows its parent directly.
TEST(PosedFigure, WorldPositionsOfABranchingSkeleton) {
  Skeleton skeleton;
  skeleton.add(joint(-1, {0, 0, 0}, 0, {"Xposition", "Yposition", "Zposition", "Zrotation"}));
  skeleton.add(joint(0, {1, 0, 0}, 4, {"Zrotation"}));
  skeleton.add(joint(1, {1, 0, 0}, 5, {}));
  skeleton.add(joint(1, {0, 1, 0}, 5, {}));
  skeleton.add(joint(0, {0, 0, 1}, 5, {}));
  skeleton.add(joint(4, {2, 0, 0}, 5, {}));
  const PosedFigure figure(skeleton);

  // The root at (1, 2, 3) turned by 90 degrees about z, A by 90 more.
  const struct {
    const char* line;
    std::vector<Point3> expected;
  } rows[] = {
      {"1 2 3 90 90", {{1, 2, 3}, {1, 3, 3}, {0, 3, 3}, {1, 2, 3}, {1, 2, 4}, {1, 4, 4}}},
      {nullptr, {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {1, 1, 0}, {0, 0, 1}, {2, 0, 1}}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.line != nullptr ? row.line : "rest pose");
    std::vector<JointPose> pose;
    figure.pose(row.line, pose);
    ASSERT_EQ(pose.size(), row.expected.size());
    for (size_t j = 0; j < pose.size(); ++j) {
      EXPECT_NEAR(pose[j].t.x, row.expected[j].x, 1e-12) << j;
      EXPECT_NEAR(pose[j].t.y, row.expected[j].y, 1e-12) << j;
      EXPECT_NEAR(pose[j].t.z, row.expected[j].z, 1e-12) << j;
    }
  }
}

}  // namespace
