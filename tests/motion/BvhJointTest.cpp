#include <gtest/gtest.h>

#include "motion/BvhJoint.h"

namespace {

TEST(BvhJointTest, NewJointIsEmpty) {
  BvhJoint joint;
  EXPECT_EQ(joint.name, nullptr);
  EXPECT_EQ(joint.offset.x, 0.0);
  EXPECT_EQ(joint.channelCount, 0);
  EXPECT_TRUE(joint.channelNames.empty());
  EXPECT_EQ(joint.parent, -1);
  EXPECT_FALSE(joint.isEndSite);
  EXPECT_EQ(joint.channelOffset, 0);
  EXPECT_EQ(joint.color.r + joint.color.g + joint.color.b, 0.0);
}

}  // namespace
