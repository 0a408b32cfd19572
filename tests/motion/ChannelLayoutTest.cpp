#include <gtest/gtest.h>

#include <vector>

#include "motion/BvhJoint.h"
#include "motion/ChannelLayout.h"

namespace {

BvhJoint jointWith(std::vector<const char*> channels, int count, int offset) {
  BvhJoint joint;
  for (const char* channel : channels) joint.channelNames.push_back(channel);
  joint.channelCount = count;
  joint.channelOffset = offset;
  return joint;
}

TEST(ChannelLayoutTest, EachKindHasTheWordOfItsLastReadableChannel) {
  ChannelLayout layout;
  // Names must match exactly; a later channel of a name overrides an earlier one.
  layout.add(jointWith(
      {"Xposition", "Yposition", "Zposition", "Zrotation", "Zposition", "zposition", "Xrotation"},
      7, 10));
  const JointLayout& words = layout[0];
  EXPECT_EQ(words.wordOf(ChannelKind::xPosition), 10);
  EXPECT_EQ(words.wordOf(ChannelKind::yPosition), 11);
  EXPECT_EQ(words.wordOf(ChannelKind::zPosition), 14);
  EXPECT_EQ(words.wordOf(ChannelKind::zRotation), 13);
  EXPECT_EQ(words.wordOf(ChannelKind::xRotation), 16);
  EXPECT_EQ(words.wordOf(ChannelKind::yRotation), -1);
  EXPECT_EQ(words.wordOf(ChannelKind::other), -1);
}

TEST(ChannelLayoutTest, OnlyChannelsBothCountedAndNamedHaveWords) {
  ChannelLayout layout;
  // Named beyond the count: the value lies in the next joint's words.
  layout.add(jointWith({"Yrotation", "Xposition"}, 1, 0));
  // Counted beyond the names.
  layout.add(jointWith({"Zposition"}, 3, 1));
  // An End Site.
  layout.add(jointWith({}, 0, -1));
  EXPECT_EQ(layout[0].wordOf(ChannelKind::xPosition), -1);
  EXPECT_EQ(layout[0].wordOf(ChannelKind::yRotation), 0);
  EXPECT_EQ(layout[1].wordOf(ChannelKind::zPosition), 1);
  for (int kind = 0; kind < 6; ++kind) EXPECT_EQ(layout[2].word[kind], -1);
  EXPECT_EQ(layout.rotations(2).size(), 0u);
}

TEST(ChannelLayoutTest, RotationsKeepTheirListedOrderPerJoint) {
  ChannelLayout layout;
  layout.add(jointWith({"Xposition", "Zrotation", "Xrotation", "Yrotation", "Xrotation"}, 5, 0));
  layout.add(jointWith({"Yrotation"}, 1, 5));
  std::vector<std::pair<int, int>> first;
  for (const RotationChannel& r : layout.rotations(0)) first.push_back({r.axis, r.word});
  EXPECT_EQ(first, (std::vector<std::pair<int, int>>{{2, 1}, {0, 2}, {1, 3}, {0, 4}}));
  ASSERT_EQ(layout.rotations(1).size(), 1u);
  EXPECT_EQ(layout.rotations(1).begin()->axis, 1);
  EXPECT_EQ(layout.rotations(1).begin()->word, 5);
}

}  // namespace
