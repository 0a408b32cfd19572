// The track path judged from the written clips: a middle control point moved
// sideways by a quarter of its distance to its neighbours must keep facing
// against travel, feet during contacts and standing stretches. The loop path's
// figures for the same edit show that the measure sees a bad carry.

#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "motion/BvhMotion.h"
#include "path/PathWriter.h"
#include "path/TrackFit.h"
#include "path/TrackPath.h"
#include "quality/MotionQuality.h"

namespace {

// The clip written along a track path with fit as its record, each frame
// keeping its distance along the path (Keep Pace), so that strides keep
// their length.
Status writeTrackPathFor(const std::string& out, const BvhMotion& motion, const TrackFit& fit,
                         Notes& notes) {
  TrackPath path;
  path.record() = fit;
  path.setPace(PathPace::keep);
  return writePath(out.c_str(), motion, path, UpAxis::y, notes);
}

constexpr double kFacingLimit = 5.0;
constexpr double kSlideLimit = 0.15;
constexpr double kStillLimit = 0.02;

// The clip carried along its track path bent into a wide S (points 1 to 4
// moved alternately to either side): a walk that curves, written to out.
void writeBentWalk(const std::string& clip, const std::string& out) {
  BvhMotion motion;
  Notes testNotes;
  ASSERT_TRUE(motion.read(clip.c_str(), testNotes));
  TrackFit fit = fitTrackPath(motion, 6);
  const Point3 moves[4] = {{25, 0, 10}, {-20, 0, 15}, {25, 0, -5}, {-20, 0, 0}};
  for (int k = 1; k <= 4; ++k) {
    const Point3 p = fit.path.point(k);
    const Point3& d = moves[k - 1];
    fit.path.setPoint(k, {p.x + d.x, p.y, p.z + d.z});
  }
  ASSERT_TRUE(writeTrackPathFor(out, motion, fit, testNotes));
}

TEST(MotionQualityTest, ASidewaysBendKeepsWalkingClipsFaithful) {
  const std::string walk = MPE_CLIP_DATA_DIR "/cmu-01_01.bvh";
  struct Row {
    const char* name;
    std::string file;
    int frames;  // the clip's first frames; 0: all
    bool bent;   // carried along an S first (writeBentWalk)
    bool trackPath;
    bool withinLimits;
  } rows[] = {
      {"CMU 01_01 walk, frames 0-1099, track", walk, 1100, false, true, true},
      {"CMU 01_01 walk, frames 0-599, track", walk, 600, false, true, true},
      {"CMU 01_01 walk bent into an S, track", walk, 1100, true, true, true},
      {"dance01, track", MPE_SOURCE_DIR "/dance01.bvh", 0, false, true, true},
      {"CMU 01_01 walk, frames 0-1099, loop", walk, 1100, false, false, false},
      {"CMU 01_01 walk, frames 0-599, loop", walk, 600, false, false, false},
  };
  testsupport::TempDir dir;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::string clip =
        row.frames > 0 ? dir.write("clip.bvh", firstFramesOf(row.file, row.frames)) : row.file;
    if (row.bent) {
      const std::string bent = dir.path() + "/bent.bvh";
      writeBentWalk(clip, bent);
      clip = bent;
    }
    const std::string edited = dir.path() + "/edited.bvh";
    BvhMotion original;
    BvhMotion written;
    std::string error;
    Notes testNotes;
    ASSERT_TRUE(original.read(clip.c_str(), testNotes));
    ASSERT_TRUE(writeSidewaysEdit(original, row.trackPath, edited, &error)) << error;
    ASSERT_TRUE(written.read(edited.c_str(), testNotes));
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
