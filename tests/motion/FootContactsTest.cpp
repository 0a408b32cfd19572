// A walk in place has legs but no contacts: its feet slide back under the
// figure at walking speed, never still on the ground. The planner then has
// nothing to keep, however far the path is moved.

#include <gtest/gtest.h>

#include <vector>

#include "motion/BvhMotion.h"
#include "motion/EditedFrame.h"
#include "motion/FootContacts.h"
#include "motion/FootPlanting.h"
#include "motion/FrameWords.h"
#include "motion/TrackJoint.h"

namespace {

TEST(FootContactsTest, AWalkInPlaceHasLegsButNoContacts) {
  BvhMotion motion;
  Notes notes;
  ASSERT_TRUE(motion.read(MPE_CLIP_DATA_DIR "/makehuman-zombieWalk1.bvh", notes));
  const UpAxis up = decideUpAxis(motion);
  ASSERT_EQ(up, UpAxis::z);
  const int carried = jointOfClip(motion, findTrackJoint(motion, up).joint);
  const FootContacts found = findFootContacts(motion, up, carried);
  ASSERT_EQ(found.legs.size(), 2u);
  EXPECT_STREQ(motion.skeleton[found.legs[0].foot].name, "Toe_L");
  EXPECT_STREQ(motion.skeleton[found.legs[0].knee].name, "LoLeg_L");
  EXPECT_STREQ(motion.skeleton[found.legs[1].ankle].name, "Foot_R");
  EXPECT_GT(found.hipHeight, 0.0);
  EXPECT_TRUE(found.contacts.empty());

  const FramePlacementFunction farAway = [](int, FramePlacement& placement) {
    placement = {100.0, -50.0, 45.0};
    return true;
  };
  Notes planted;
  const FootPlanting planting(motion, found, carried, up, farAway, planted);
  EXPECT_FALSE(planting.plants());
  EXPECT_TRUE(planted.empty());
  std::vector<double> values;
  for (int f = 0; f < motion.frameCount; ++f) {
    readFrameValues(motion.frameLine(f), values);
    EditedFrame out;
    FramePlacement placement;
    farAway(f, placement);
    planting.addEdits(f, values, &placement, out);
    EXPECT_TRUE(out.empty()) << f;
  }
}

}  // namespace
