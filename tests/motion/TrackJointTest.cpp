#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "motion/BvhJoint.h"
#include "motion/BvhMotion.h"
#include "motion/TrackJoint.h"

namespace {

using testsupport::TempDir;

// Root R (X Y Z position), child A (X Z position), child B (X only), grandchild C of A
// (X Z position). Frame lines are given per case.
std::string clip(const std::string& frames, int count) {
  return "HIERARCHY\nROOT R\n{\n OFFSET 0 0 0\n CHANNELS 3 Xposition Yposition Zposition\n"
         " JOINT A\n {\n  OFFSET 0 0 0\n  CHANNELS 2 Xposition Zposition\n"
         "  JOINT C\n  {\n   OFFSET 0 0 0\n   CHANNELS 2 Zposition Xposition\n"
         "   End Site\n   {\n    OFFSET 0 1 0\n   }\n  }\n }\n"
         " JOINT B\n {\n  OFFSET 0 0 0\n  CHANNELS 1 Xposition\n"
         "  End Site\n  {\n   OFFSET 0 1 0\n  }\n }\n}\n"
         "MOTION\nFrames:\t" +
         std::to_string(count) + "\nFrame Time:\t0.1\n" + frames;
}

TEST(TrackJointTest, PicksTheJointThatWalks) {
  //                 R: x y z   A: x z   C: z x   B: x
  const struct {
    const char* name;
    std::string frames;
    int count;
    const char* expected;
    int xWord;
    int zWord;
  } cases[] = {
      {"moving root", "0 0 0  0 0  0 0  0\n0 0 1  5 5  5 5  5\n", 2, "R", 0, 2},
      {"still root, walking child", "1 0 1  0 0  0 0  0\n1 0 1  5 0  0 0  0\n", 2, "A", 3, 4},
      {"same value written differently", "1 0 1  0 0  0 0  0\n1.000 0 1e0  0 0  3 0  7\n", 2, "C",
       6, 5},
      {"only a joint with one ground channel moves", "0 0 0  0 0  0 0  0\n0 0 0  0 0  0 0  9\n", 2,
       "R", 0, 2},
      {"non-finite values are not movement", "0 0 0  0 0  0 0  0\n0 0 0  nan inf  0 0  0\n", 2, "R",
       0, 2},
      {"one frame", "0 0 0  1 1  1 1  1\n", 1, "R", 0, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const std::string path = dir.write("clip.bvh", clip(c.frames, c.count));
    BvhMotion motion;
    bool read = false;
    Notes readNotes;
    read = motion.read(path.c_str(), readNotes).ok();
    ASSERT_TRUE(read);
    const TrackJoint track = findTrackJoint(motion);
    ASSERT_NE(track.joint, -1);
    EXPECT_STREQ(motion.skeleton[track.joint].name, c.expected);
    EXPECT_EQ(track.xWord, c.xWord);
    EXPECT_EQ(track.zWord, c.zWord);
  }
}

TEST(TrackJointTest, ExportWithStillRootNodeFollowsTheHips) {
  BvhMotion motion;
  bool read = false;
  Notes readNotes;
  read = motion.read(MPE_TEST_DATA_DIR "/track/still-root.bvh", readNotes).ok();
  ASSERT_TRUE(read);
  const TrackJoint track = findTrackJoint(motion);
  ASSERT_NE(track.joint, -1);
  EXPECT_STREQ(motion.skeleton[track.joint].name, "Hips");
  EXPECT_EQ(track.xWord, 6);
  EXPECT_EQ(track.zWord, 8);
  EXPECT_EQ(findTrackJoint(BvhMotion{}).joint, -1);
}

}  // namespace
