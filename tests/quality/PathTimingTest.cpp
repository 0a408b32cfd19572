// The track path's timing judged from the written clips: with timing by
// points a scaled or bent walk ends on the last point and passes every point
// on time without turning the figure; Keep Pace keeps the distances instead,
// and the measure sees that it then misses the points.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "motion/BvhMotion.h"
#include "quality/MotionQuality.h"
#include "quality/PathTiming.h"

namespace {

constexpr double kEndLimit = 0.05;     // hip heights
constexpr double kDelayLimit = 0.1;    // seconds
constexpr double kScaledFacing = 2.0;  // degrees
constexpr double kBentFacing = 5.0;    // degrees

TEST(PathTimingTest, ScaledAndBentWalksAreWalkedToTheirEndOnTime) {
  testsupport::TempDir dir;
  const std::string clip =
      dir.write("walk.bvh", firstFramesOf(MPE_CLIP_DATA_DIR "/cmu-01_01.bvh", 1100));
  BvhMotion original;
  Notes notes;
  ASSERT_TRUE(original.read(clip.c_str(), notes));
  const PathPace points = PathPace::points;
  const PathPace keep = PathPace::keep;
  const struct Row {
    const char* name;
    TrackEdit edit;
    bool onTime;  // ends on the last point and passes every point on time
    const char* note;
  } rows[] = {
      {"scale 0.7",
       {0.7, false, points},
       true,
       "Strides 30% shorter: the feet cannot stay planted"},
      {"scale 0.85", {0.85, false, points}, true, "Strides up to 15% shorter"},
      {"scale 1.15", {1.15, false, points}, true, "Strides up to 15% longer"},
      {"scale 1.3", {1.3, false, points}, true, "Strides 30% longer: the feet cannot stay planted"},
      {"sideways", {1.0, true, points}, true, nullptr},
      {"scale 0.7, Keep Pace", {0.7, false, keep}, false, ""},
      {"scale 1.3, Keep Pace", {1.3, false, keep}, false, ""},
      {"sideways, Keep Pace", {1.0, true, keep}, false, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string out = dir.path() + "/edited.bvh";
    std::vector<Point3> fitted, moved;
    std::string error, note;
    ASSERT_TRUE(writeTrackEdit(original, row.edit, out, fitted, moved, &error, &note)) << error;
    BvhMotion written;
    ASSERT_TRUE(written.read(out.c_str(), notes));
    PathTiming timing;
    MotionQuality quality;
    ASSERT_TRUE(measureTiming(original, written, fitted, moved, timing, &error)) << error;
    ASSERT_TRUE(measureQuality(original, written, quality, &error)) << error;
    ASSERT_GE(timing.points, 6);
    const bool onTime = timing.endDistance <= kEndLimit && timing.worstDelay <= kDelayLimit;
    EXPECT_EQ(onTime, row.onTime) << "end " << timing.endDistance << " hip heights, delay "
                                  << timing.worstDelay << " s";
    // Either way the figure keeps facing where it walks.
    EXPECT_LE(quality.facingChange95, row.edit.sideways ? kBentFacing : kScaledFacing);
    if (row.note != nullptr) {
      EXPECT_EQ(note, row.note);
    }
  }
}

}  // namespace
