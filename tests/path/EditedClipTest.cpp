// With the planted feet kept, an unedited path changes no word the path
// itself does not: the written clip is byte for byte the one written
// without them, for both kinds of path.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "motion/BvhMotion.h"
#include "motion/FootContacts.h"
#include "motion/FrameWords.h"
#include "path/ClipPath.h"
#include "path/EditedClip.h"
#include "path/PathKinds.h"
#include "path/PathWriter.h"

namespace {

TEST(EditedClipTest, KeptFeetOnAnUneditedPathChangeNothing) {
  BvhMotion motion;
  Notes notes;
  ASSERT_TRUE(motion.read(MPE_CLIP_DATA_DIR "/xia-neutral-01.bvh", notes));
  const UpAxis up = decideUpAxis(motion);
  const TrackJoint track = findTrackJoint(motion, up);
  const FootContacts feet = findFootContacts(motion, up, jointOfClip(motion, track.joint));
  ASSERT_GE(feet.contacts.size(), 4u);
  testsupport::TempDir dir;
  for (const char* kind : {"track", "loop"}) {
    SCOPED_TRACE(kind);
    std::unique_ptr<ClipPath> path = makePath(pathKindOf(kind));
    ASSERT_TRUE(path->fit(PathClip{motion, up, track}, 0, notes));

    // Frame by frame, the planner adds no edit to those of the path.
    EditedClip plain(motion, path.get(), track, up);
    EditedClip planted(motion, path.get(), track, up);
    Notes plantedNotes;
    planted.keepFeet(feet, plantedNotes);
    EXPECT_TRUE(plantedNotes.empty());
    EXPECT_GT(planted.wordsRead(), plain.wordsRead());
    std::vector<double> values;
    for (int f = 0; f < motion.frameCount; ++f) {
      readFrameValues(motion.frameLine(f), values, planted.wordsRead());
      EditedFrame a;
      EditedFrame b;
      plain.edit(f, values, a);
      planted.edit(f, values, b);
      ASSERT_EQ(a.words().size(), b.words().size()) << f;
    }

    // And the files are the same bytes.
    const std::string without = dir.path() + "/without.bvh";
    const std::string with = dir.path() + "/with.bvh";
    ASSERT_TRUE(writePath(without.c_str(), motion, *path, up, notes));
    ASSERT_TRUE(writePath(with.c_str(), motion, *path, up, notes, ExistingTarget::kReplace, &feet));
    EXPECT_EQ(testsupport::readFile(with), testsupport::readFile(without));
  }
}

}  // namespace
