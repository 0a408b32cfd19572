// The track path judged from the written clips: a middle control point moved
// sideways by a quarter of its distance to its neighbours must keep facing
// against travel, feet during contacts and standing stretches. The loop path's
// figures for the same edit show that the measure sees a bad carry.

#include "quality/MotionQuality.h"

#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "motion/BvhMotion.h"

namespace {

using testsupport::captureStdout;

constexpr double kFacingLimit = 5.0;
constexpr double kSlideLimit = 0.15;
constexpr double kStillLimit = 0.02;

TEST(MotionQualityTest, ASidewaysBendKeepsWalkingClipsFaithful) {
  const std::string walk = MPE_CLIP_DATA_DIR "/cmu-01_01.bvh";
  struct Row {
    const char* name;
    std::string file;
    int frames;  // the clip's first frames; 0: all
    bool trackPath;
    bool withinLimits;
  } rows[] = {
      {"CMU 01_01 walk, frames 0-1099, track", walk, 1100, true, true},
      {"CMU 01_01 walk, frames 0-599, track", walk, 600, true, true},
      {"dance01, track", MPE_SOURCE_DIR "/dance01.bvh", 0, true, true},
      {"CMU 01_01 walk, frames 0-1099, loop", walk, 1100, false, false},
      {"CMU 01_01 walk, frames 0-599, loop", walk, 600, false, false},
  };
  testsupport::TempDir dir;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string clip =
        row.frames > 0 ? dir.write("clip.bvh", firstFramesOf(row.file, row.frames)) : row.file;
    const std::string edited = dir.path() + "/edited.bvh";
    BvhMotion original;
    BvhMotion written;
    std::string error;
    captureStdout([&] {
      ASSERT_TRUE(original.read(clip.c_str()));
      ASSERT_TRUE(writeSidewaysEdit(original, row.trackPath, edited, &error)) << error;
      ASSERT_TRUE(written.read(edited.c_str()));
    });
    MotionQuality q;
    ASSERT_TRUE(measureQuality(original, written, q, &error)) << error;
    ASSERT_GT(q.walkingFrames, 100);
    ASSERT_GT(q.contactSeconds, 5.0);
    const bool within = q.facingChange95 <= kFacingLimit &&
                        q.slideEdited - q.slideOriginal <= kSlideLimit &&
                        q.stillExtraTravel <= kStillLimit;
    EXPECT_EQ(within, row.withinLimits)
        << "facing change " << q.facingChange95 << " deg, sliding " << q.slideOriginal << " -> "
        << q.slideEdited << ", still extra " << q.stillExtraTravel;
  }
}

}  // namespace
