// The track path from fit to file: an unedited path gives the clip back, and
// a still clip's single point moves the whole clip without turning it.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "motion/BvhMotion.h"
#include "motion/FrameWords.h"
#include "motion/TrackJoint.h"
#include "path/PathWriter.h"
#include "path/TrackFit.h"
#include "path/TrackPath.h"

namespace {

// The clip written along a track path with fit as its record.
Status writeTrackPathFor(const std::string& out, const BvhMotion& motion, const TrackFit& fit,
                         Notes& notes) {
  TrackPath path;
  path.record() = fit;
  return writePath(out.c_str(), motion, path, UpAxis::y, notes);
}

using testsupport::TempDir;

std::vector<std::string> wordsOf(const char* line) {
  std::string copy;
  std::vector<const char*> words;
  splitFrameLine(line, copy, words);
  return std::vector<std::string>(words.begin(), words.end());
}

using Words = std::vector<std::string>;

// Calls check with the words of each frame as read and as written.
void forEachFrame(const BvhMotion& clip, const BvhMotion& written,
                  const std::function<void(const Words&, const Words&)>& check) {
  for (int i = 0; i < clip.frameCount; ++i) {
    SCOPED_TRACE("frame " + std::to_string(i));
    const Words before = wordsOf(clip.frameLine(i));
    const Words after = wordsOf(written.frameLine(i));
    ASSERT_EQ(after.size(), before.size());
    check(before, after);
  }
}

void read(BvhMotion& motion, const std::string& file) {
  Notes readNotes;
  ASSERT_TRUE(motion.read(file.c_str(), readNotes));
}

// Writes the clip along fit's path and reads it back.
void writeAndRead(const BvhMotion& clip, const TrackFit& fit, BvhMotion& written) {
  TempDir dir;
  const std::string out = dir.path() + "/out.bvh";
  Notes notes;
  ASSERT_TRUE(writeTrackPathFor(out, clip, fit, notes));
  read(written, out);
  ASSERT_EQ(written.frameCount, clip.frameCount);
}

TEST(TrackPathTest, AnUneditedPathWritesTheClipAsRead) {
  // The whole CMU walk: forward, turning round and back again.
  BvhMotion clip;
  read(clip, MPE_CLIP_DATA_DIR "/cmu-01_01.bvh");
  const TrackFit fit = fitTrackPath(clip);
  const TrackJoint track = findTrackJoint(clip);
  ASSERT_GE(fit.path.pointCount(), 4);
  const auto first = wordsOf(clip.frameLine(0));
  const auto last = wordsOf(clip.frameLine(clip.frameCount - 1));
  const Point3 start = fit.path.point(0);
  const Point3 end = fit.path.point(fit.path.pointCount() - 1);
  EXPECT_EQ(start.x, std::stod(first[track.xWord]));
  EXPECT_EQ(start.z, std::stod(first[track.zWord]));
  EXPECT_EQ(end.x, std::stod(last[track.xWord]));
  EXPECT_EQ(end.z, std::stod(last[track.zWord]));

  BvhMotion written;
  writeAndRead(clip, fit, written);
  forEachFrame(clip, written, [&](const Words& before, const Words& after) {
    for (size_t w = 0; w < before.size(); ++w) {
      if (static_cast<int>(w) == track.xWord || static_cast<int>(w) == track.zWord) {
        ASSERT_NEAR(std::stod(after[w]), std::stod(before[w]), 5.000001e-7) << w;
      } else {
        ASSERT_EQ(after[w], before[w]) << w;
      }
    }
  });
}

TEST(TrackPathTest, AStillClipHasOnePointThatMovesItWholeAndUnturned) {
  // Hips swaying by a hundredth of their height around one spot.
  std::string text =
      "HIERARCHY\nROOT Hips\n{\n\tOFFSET 0 0 0\n"
      "\tCHANNELS 6 Xposition Yposition Zposition Zrotation Xrotation Yrotation\n"
      "\tJOINT Chest\n\t{\n\t\tOFFSET 0 5 0\n\t\tCHANNELS 3 Zrotation Xrotation Yrotation\n"
      "\t\tEnd Site\n\t\t{\n\t\t\tOFFSET 0 5 0\n\t\t}\n\t}\n}\nMOTION\n"
      "Frames: 90\nFrame Time: 0.033333\n";
  for (int i = 0; i < 90; ++i) {
    char line[200];
    std::snprintf(line, sizeof line, "%.6f 9 %.6f 10 -20 %d 1 2 3\n", 50.0 + 0.05 * std::sin(i),
                  -30.0 + 0.05 * std::cos(i), i);
    text += line;
  }
  TempDir dir;
  BvhMotion clip;
  read(clip, dir.write("still.bvh", text));
  TrackFit fit = fitTrackPath(clip);
  ASSERT_EQ(fit.path.pointCount(), 1);
  EXPECT_NEAR(fit.path.point(0).x, 50.0, 1e-9);
  EXPECT_NEAR(fit.path.point(0).z, -29.95, 1e-9);

  Point3 p = fit.path.point(0);
  fit.path.setPoint(0, {p.x + 20.0, p.y, p.z - 5.0});
  BvhMotion written;
  writeAndRead(clip, fit, written);
  forEachFrame(clip, written, [](const Words& before, const Words& after) {
    EXPECT_NEAR(std::stod(after[0]), std::stod(before[0]) + 20.0, 1e-6);
    EXPECT_NEAR(std::stod(after[2]), std::stod(before[2]) - 5.0, 1e-6);
    for (size_t w : {1, 3, 4, 5, 6, 7, 8}) EXPECT_EQ(after[w], before[w]) << w;
  });
}

}  // namespace
