#include <gtest/gtest.h>

#include <vector>

#include "TestSupport.h"
#include "motion/Skeleton.h"

namespace {

BvhJoint jointUnder(int parent, const char* name = "J") {
  BvhJoint joint;
  joint.name = name;
  joint.parent = parent;
  return joint;
}

// Root{A{A1, A2}, B{B1}}, in file order.
Skeleton smallTree() {
  Skeleton skeleton;
  skeleton.add(jointUnder(-1, "Root"));
  skeleton.add(jointUnder(0, "A"));
  skeleton.add(jointUnder(1, "A1"));
  skeleton.add(jointUnder(1, "A2"));
  skeleton.add(jointUnder(0, "B"));
  skeleton.add(jointUnder(4, "B1"));
  return skeleton;
}

TEST(SkeletonTest, ChildrenDepthsAndSubtreesComeFromTheParentIndexes) {
  const Skeleton skeleton = smallTree();
  ASSERT_EQ(skeleton.size(), 6);
  EXPECT_STREQ(skeleton.root().name, "Root");
  EXPECT_EQ(skeleton.children(0), (std::vector<int>{1, 4}));
  EXPECT_EQ(skeleton.children(1), (std::vector<int>{2, 3}));
  EXPECT_EQ(skeleton.children(4), (std::vector<int>{5}));
  EXPECT_TRUE(skeleton.children(5).empty());
  const int depths[] = {0, 1, 2, 2, 1, 2};
  for (int i = 0; i < skeleton.size(); ++i) EXPECT_EQ(skeleton.depth(i), depths[i]) << i;
  EXPECT_EQ(skeleton.subtreeEnd(0), 6);
  EXPECT_EQ(skeleton.subtreeEnd(1), 4);
  EXPECT_EQ(skeleton.subtreeEnd(2), 3);
  EXPECT_EQ(skeleton.subtreeEnd(4), 6);
  EXPECT_TRUE(skeleton.contains(5));
  EXPECT_FALSE(skeleton.contains(6));
  EXPECT_FALSE(skeleton.contains(-1));
}

TEST(SkeletonTest, AParentThatIsNotEarlierIsTakenAsThePreviousJoint) {
  Skeleton skeleton;
  EXPECT_EQ(skeleton.add(jointUnder(3)), 0);
  EXPECT_EQ(skeleton[0].parent, -1);
  skeleton.add(jointUnder(0));
  EXPECT_EQ(skeleton.add(jointUnder(7)), 2);
  EXPECT_EQ(skeleton[2].parent, 1);
  EXPECT_EQ(skeleton.add(jointUnder(-1)), 3);
  EXPECT_EQ(skeleton[3].parent, 2);
  // Joint 4 goes under 0; joint 2 is no longer on the path to it, and a child
  // of 2 after 4 would break the file order every walk relies on.
  skeleton.add(jointUnder(0));
  EXPECT_EQ(skeleton.add(jointUnder(2)), 5);
  EXPECT_EQ(skeleton[5].parent, 4);
  EXPECT_EQ(skeleton.subtreeEnd(0), 6);
}

TEST(SkeletonTest, AVeryDeepChainIsBuiltAndFreedWithoutRecursion) {
  testsupport::runOnSmallStack(1 << 20, [] {
    Skeleton skeleton;
    for (int i = 0; i < 200000; ++i) skeleton.add(jointUnder(i - 1));
    EXPECT_EQ(skeleton.depth(199999), 199999);
    skeleton.clear();
    EXPECT_TRUE(skeleton.empty());
  });
}

}  // namespace
