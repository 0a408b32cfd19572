#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "TestSupport.h"
#include "motion/BvhMotion.h"

namespace {

using testsupport::TempDir;

const char kSeparator[] = "\n\n----------------------------------------------------\n";

const char kSmallClip[] =
    "HIERARCHY\n"
    "ROOT Hips\n"
    "{\n"
    "\tOFFSET 1 2 3\n"
    "\tCHANNELS 6 Xposition Yposition Zposition Zrotation Xrotation Yrotation\n"
    "\tJOINT Knee\n"
    "\t{\n"
    "\t\tOFFSET 0 -4.5 0\n"
    "\t\tCHANNELS 3 Zrotation Xrotation Yrotation\n"
    "\t\tEnd Site\n"
    "\t\t{\n"
    "\t\t\tOFFSET 0 -3 0.25\n"
    "\t\t}\n"
    "\t}\n"
    "}\n"
    "MOTION\n"
    "Frames: 2\n"
    "Frame Time: 0.033333\n"
    "1 2 3 4 5 6 7 8 9\n"
    "9 8 7 6 5 4 3 2 1\n";

bool readClip(BvhMotion& motion, const std::string& contents) {
  TempDir dir;
  const std::string path = dir.write("clip.bvh", contents);
  Notes notes;
  return motion.read(path.c_str(), notes).ok();
}

TEST(BvhMotionTest, NewClipIsEmptyAndDumpsNothing) {
  BvhMotion motion;
  EXPECT_TRUE(motion.frameLines.empty());
  EXPECT_TRUE(motion.skeleton.empty());
  EXPECT_EQ(motion.frameCount, 0);
  EXPECT_EQ(motion.frameTime, 0.0);
  EXPECT_EQ(motion.channelTotal, 0);
  EXPECT_EQ(motion.dump(), "");
}

TEST(BvhMotionTest, DumpPrintsTheExactHierarchyLayout) {
  BvhMotion motion;
  ASSERT_TRUE(readClip(motion, kSmallClip));
  const std::string expected =
      std::string(kSeparator) +
      "Name Hips, Offset XYZ 1.000000 2.000000 3.000000\n"
      "Channels 6, Chan Offset 0   Xposition Yposition Zposition Zrotation Xrotation Yrotation \n"
      "Children Knee \n"
      "NULL Parent\n" +
      kSeparator +
      "Name Knee, Offset XYZ 0.000000 -4.500000 0.000000\n"
      "Channels 3, Chan Offset 6   Zrotation Xrotation Yrotation \n"
      "Children END \n"
      "Parent Hips" +
      kSeparator +
      "Name END, Offset XYZ 0.000000 -3.000000 0.250000\n"
      "Channels 0, Chan Offset -1   \n"
      "Children \n"
      "Parent Knee";
  EXPECT_EQ(motion.dump(), expected);
}

TEST(BvhMotionTest, DumpListsChannelNamesActuallyStoredNotTheCount) {
  BvhMotion motion;
  // Without a JOINT or End Site every later word is a channel name and the
  // read fails at "Frames:", but the root stays for the dump.
  EXPECT_FALSE(readClip(motion,
                        "HIERARCHY ROOT R { OFFSET 0 0 0 CHANNELS 1 A B C\n"
                        "} MOTION Frames: 0 Frame Time: 1\n"));
  const std::string out = motion.dump();
  EXPECT_NE(out.find("Channels 1, Chan Offset 0   A B C } MOTION Frames: 0 Frame Time: 1 \n"),
            std::string::npos)
      << out;
}

TEST(BvhMotionTest, DumpIsPreOrderWithChildrenInFileOrder) {
  BvhMotion motion;
  ASSERT_TRUE(readClip(motion,
                       "HIERARCHY ROOT A { OFFSET 0 0 0 CHANNELS 0\n"
                       " JOINT B { OFFSET 0 0 0 CHANNELS 0\n"
                       "  JOINT C { OFFSET 0 0 0 CHANNELS 0 End Site { OFFSET 0 0 0 } }\n"
                       "  JOINT D { OFFSET 0 0 0 CHANNELS 0 End Site { OFFSET 0 0 0 } }\n"
                       " }\n"
                       " JOINT E { OFFSET 0 0 0 CHANNELS 0 End Site { OFFSET 0 0 0 } }\n"
                       "}\nMOTION Frames: 0 Frame Time: 1\n"));
  const std::string out = motion.dump();
  std::string order;
  for (size_t at = out.find("Name "); at != std::string::npos; at = out.find("Name ", at + 1)) {
    order += out.substr(at + 5, out.find(',', at) - at - 5) + " ";
  }
  EXPECT_EQ(order, "A B C END D END E END ");
  EXPECT_NE(out.find("Children C D \nParent A"), std::string::npos);
  EXPECT_NE(out.find("Children B E \nNULL Parent\n"), std::string::npos);
}

TEST(BvhMotionTest, ResetEmptiesALoadedClip) {
  BvhMotion motion;
  ASSERT_TRUE(readClip(motion, kSmallClip));
  ASSERT_EQ(motion.frameCount, 2);
  motion.reset();
  EXPECT_TRUE(motion.frameLines.empty());
  EXPECT_TRUE(motion.skeleton.empty());
  EXPECT_EQ(motion.text, nullptr);
  EXPECT_EQ(motion.frameCount, 0);
  EXPECT_EQ(motion.frameTime, 0.0);
  EXPECT_EQ(motion.channelTotal, 0);
  EXPECT_EQ(motion.dump(), "");
  // The clip can be filled again after a reset.
  ASSERT_TRUE(readClip(motion, kSmallClip));
  EXPECT_STREQ(motion.frameLine(1), "9 8 7 6 5 4 3 2 1");
}

TEST(BvhMotionTest, HundredThousandNestedJointsReadDumpAndRelease) {
  const int depth = 100000;
  std::string file = "HIERARCHY\nROOT J0\n{\nOFFSET 0 0 0\nCHANNELS 1 Xposition\n";
  for (int i = 1; i <= depth; ++i) {
    file += "JOINT J" + std::to_string(i) + "\n{\nOFFSET 0 1 0\nCHANNELS 1 Zrotation\n";
  }
  file += "End Site\n{\nOFFSET 0 1 0\n}\n";
  for (int i = 1; i <= depth; ++i) file += "}\n";
  file += "MOTION\nFrames: 1\nFrame Time: 0.1\n";
  for (int i = 0; i <= depth; ++i) file += "0 ";
  file += "\n";

  testsupport::runOnSmallStack(4 << 20, [&] {
    auto motion = std::make_unique<BvhMotion>();
    ASSERT_TRUE(readClip(*motion, file));
    EXPECT_EQ(motion->channelTotal, depth + 1);
    EXPECT_EQ(motion->frameCount, 1);
    // A chain: each joint the parent of the next.
    const Skeleton& skeleton = motion->skeleton;
    ASSERT_EQ(skeleton.size(), depth + 2);
    for (int i = 1; i < skeleton.size(); ++i) ASSERT_EQ(skeleton[i].parent, i - 1);
    const int levels = skeleton.depth(skeleton.size() - 1);
    EXPECT_EQ(levels, depth + 1);
    const BvhJoint* tip = &skeleton[skeleton.size() - 1];
    EXPECT_TRUE(tip->isEndSite);
    EXPECT_STREQ(skeleton[tip->parent].name, "J100000");
    EXPECT_EQ(skeleton[tip->parent].channelOffset, depth);

    const std::string out = motion->dump();
    size_t names = 0;
    for (size_t at = out.find("\nName "); at != std::string::npos;
         at = out.find("\nName ", at + 1)) {
      ++names;
    }
    EXPECT_EQ(names, static_cast<size_t>(depth + 2));
    const std::string tail =
        "Name END, Offset XYZ 0.000000 1.000000 0.000000\n"
        "Channels 0, Chan Offset -1   \n"
        "Children \n"
        "Parent J100000";
    ASSERT_GT(out.size(), tail.size());
    EXPECT_EQ(out.substr(out.size() - tail.size()), tail);
    motion.reset();
  });
}

}  // namespace
