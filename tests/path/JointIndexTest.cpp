#include "path/JointIndex.h"

#include <gtest/gtest.h>

#include <memory>

#include "motion/BvhMotion.h"

namespace {

BvhJoint* addChild(BvhJoint& parent) {
  parent.children.push_back(std::make_unique<BvhJoint>());
  parent.children.back()->parent = &parent;
  return parent.children.back().get();
}

// Indexes follow file order: each joint before its children, children in order.
TEST(JointIndex, CountsJointsInFileOrderBothWays) {
  BvhMotion motion;
  motion.root = std::make_unique<BvhJoint>();
  BvhJoint* spine = addChild(*motion.root);
  BvhJoint* head = addChild(*spine);
  BvhJoint* leg = addChild(*motion.root);
  const BvhJoint* const order[] = {motion.root.get(), spine, head, leg};
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(jointIndex(motion, order[k]), k);
    EXPECT_EQ(jointAt(motion, k), order[k]);
  }
  BvhJoint stranger;
  EXPECT_EQ(jointIndex(motion, &stranger), -1);
  EXPECT_EQ(jointIndex(motion, nullptr), -1);
  EXPECT_EQ(jointAt(motion, 4), nullptr);
  EXPECT_EQ(jointAt(motion, -1), nullptr);
  EXPECT_EQ(jointAt(BvhMotion(), 0), nullptr);
}

}  // namespace
