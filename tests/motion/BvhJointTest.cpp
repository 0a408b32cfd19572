#include "motion/BvhJoint.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "TestSupport.h"

namespace {

TEST(BvhJointTest, NewJointIsEmpty) {
  BvhJoint joint;
  EXPECT_EQ(joint.name, nullptr);
  EXPECT_EQ(joint.offset.x, 0.0);
  EXPECT_EQ(joint.channelCount, 0);
  EXPECT_TRUE(joint.channelNames.empty());
  EXPECT_TRUE(joint.children.empty());
  EXPECT_EQ(joint.parent, nullptr);
  EXPECT_FALSE(joint.isEndSite);
  EXPECT_EQ(joint.channelOffset, 0);
  EXPECT_EQ(joint.color.r + joint.color.g + joint.color.b, 0.0);
}

TEST(BvhJointTest, ChannelIndexFindsTheFirstExactName) {
  BvhJoint joint;
  joint.channelNames = {"Xposition", "Yposition", "Zposition", "Zrotation", "Zposition"};
  EXPECT_EQ(joint.channelIndex("Xposition"), 0);
  EXPECT_EQ(joint.channelIndex("Zposition"), 2);
  EXPECT_EQ(joint.channelIndex("Zrotation"), 3);
  EXPECT_EQ(joint.channelIndex("zposition"), -1);
  EXPECT_EQ(joint.channelIndex("Zpos"), -1);
  EXPECT_EQ(joint.channelIndex(""), -1);
  EXPECT_EQ(joint.channelIndex(nullptr), -1);
  BvhJoint none;
  EXPECT_EQ(none.channelIndex("Xposition"), -1);
}

TEST(BvhJointTest, DestroysAVeryDeepChainWithoutRecursion) {
  testsupport::runOnSmallStack(1 << 20, [] {
    auto root = std::make_unique<BvhJoint>();
    BvhJoint* tip = root.get();
    for (int i = 0; i < 200000; ++i) {
      tip->children.push_back(std::make_unique<BvhJoint>());
      tip->children.back()->parent = tip;
      tip = tip->children.back().get();
    }
    root.reset();
  });
  SUCCEED();  // reaching here without a stack overflow is the check
}

TEST(BvhJointTest, DestroysWideAndDeepBranchesTogether) {
  testsupport::runOnSmallStack(1 << 20, [] {
    auto root = std::make_unique<BvhJoint>();
    for (int branch = 0; branch < 4; ++branch) {
      BvhJoint* tip = root.get();
      for (int i = 0; i < 25000; ++i) {
        tip->children.push_back(std::make_unique<BvhJoint>());
        tip->children.push_back(std::make_unique<BvhJoint>());
        tip = tip->children.back().get();
      }
    }
  });
  SUCCEED();
}

}  // namespace
