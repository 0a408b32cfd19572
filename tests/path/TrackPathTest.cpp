// The track path from fit to file: an unedited path gives the clip back, a
// still clip's single point moves the whole clip without turning it (a
// track too wild to measure gets one point too), and
// inserting and deleting points keeps the frames where the curve keeps them.

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
#include "path/TrackPlacement.h"

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

  // Hips leaping between the largest numbers overflow the smoothing: such a
  // track has no shape either, and gets one point, asked for more or not.
  std::string leaping = text.substr(0, text.find("Frame Time: 0.033333\n") + 21);
  for (int i = 0; i < 90; ++i)
    leaping += i % 2 == 0 ? "1e308 9 -1e308 0 0 0 0 0 0\n" : "-1e308 9 1e308 0 0 0 0 0 0\n";
  BvhMotion wild;
  read(wild, dir.write("leaping.bvh", leaping));
  for (int asked : {0, 3}) EXPECT_EQ(fitTrackPath(wild, asked).path.pointCount(), 1) << asked;
}

}  // namespace

namespace {

// Each frame's carried position and turn along the path.
std::vector<FramePlacement> placements(const BvhMotion& clip, const ClipPath& path) {
  std::vector<FramePlacement> all;
  for (int f = 0; f < clip.frameCount; ++f) {
    std::vector<double> values;
    readFrameValues(clip.frameLine(f), values);
    FramePlacement p;
    EXPECT_TRUE(path.place(f, values, p)) << f;
    all.push_back(p);
  }
  return all;
}

bool samePlace(const FramePlacement& a, const FramePlacement& b, double tolerance) {
  return std::fabs(a.x - b.x) <= tolerance && std::fabs(a.z - b.z) <= tolerance &&
         std::fabs(a.headingDegrees - b.headingDegrees) <= tolerance;
}

TEST(TrackPathTest, InsertingOnTheCurveChangesNothingAndDeletingRetimesOnlyItsSegments) {
  BvhMotion clip;
  read(clip, MPE_CLIP_DATA_DIR "/cmu-01_01.bvh");
  TrackPath path;
  Notes notes;
  ASSERT_TRUE(path.fit(PathClip{clip, UpAxis::y, findTrackJoint(clip)}, 8, notes));
  // A bent path, so that an insertion that moved the curve would show.
  const Point3 p3 = path.point(3);
  ASSERT_TRUE(path.setPoint(3, {p3.x + 30.0, p3.y, p3.z - 20.0}));
  const std::vector<FramePlacement> bent = placements(clip, path);

  for (int selected : {2, 3, 4, 4}) {
    int index = 0;
    Point3 p;
    ASSERT_TRUE(path.insertionAfter(selected, index, p));
    ASSERT_TRUE(path.insertPoint(index, p));
  }
  ASSERT_EQ(path.pointCount(), 12);
  const std::vector<FramePlacement> inserted = placements(clip, path);
  for (int f = 0; f < clip.frameCount; ++f) {
    ASSERT_TRUE(samePlace(inserted[f], bent[f], 1e-9)) << "frame " << f;
  }

  // Deleting point 8 (the fitted path's point 4, between its points 3 and
  // 5, at knot 4) changes the frames that walked the two segments it joined,
  // and no other.
  ASSERT_EQ(path.record().path.knot(8), 4.0);
  ASSERT_TRUE(path.removePoint(8));
  const std::vector<FramePlacement> deleted = placements(clip, path);
  const TrackFit& fit = path.record();
  int changed = 0;
  for (int f = 0; f < clip.frameCount; ++f) {
    std::vector<double> values;
    readFrameValues(clip.frameLine(f), values);
    const TrackJoint& track = fit.track;
    double knot = 0.0;
    ASSERT_TRUE(trackFrameKnot(fit, f, values[track.xWord], values[track.zWord], knot));
    const bool same = samePlace(deleted[f], bent[f], 1e-9);
    if (knot <= 3.0 || knot >= 5.0) {
      EXPECT_TRUE(same) << "frame " << f << " at knot " << knot;
    }
    changed += same ? 0 : 1;
  }
  EXPECT_GT(changed, 100);
}

}  // namespace

namespace {

double groundGap(const Point3& a, const Point3& b) { return std::hypot(a.x - b.x, a.z - b.z); }

// What the drawing is given: with timing by points the clip walks the whole
// path; with Keep Pace a longer path has a part the clip does not reach and
// a shorter one a straight run past its end, which the last frame stands on.
TEST(TrackPathTest, TheRunsShowWhereTheClipWalksAndEnds) {
  BvhMotion clip;
  read(clip, MPE_SOURCE_DIR "/dance01.bvh");
  const struct Row {
    double scale;
    PathPace pace;
    bool unreached;
    bool pastEnd;
  } rows[] = {
      {1.3, PathPace::points, false, false},
      {0.7, PathPace::points, false, false},
      {1.3, PathPace::keep, true, false},
      {0.7, PathPace::keep, false, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.scale) + (row.pace == PathPace::keep ? " keep" : " points"));
    TrackPath path;
    Notes notes;
    ASSERT_TRUE(path.fit(PathClip{clip, UpAxis::y, findTrackJoint(clip)}, 0, notes));
    path.setPace(row.pace);
    const Point3 origin = path.point(0);
    for (int k = 1; k < path.pointCount(); ++k) {
      const Point3 p = path.point(k);
      path.setPoint(k, {origin.x + (p.x - origin.x) * row.scale, p.y,
                        origin.z + (p.z - origin.z) * row.scale});
    }
    const PathRuns runs = path.runs();
    const Point3 last = path.point(path.pointCount() - 1);
    ASSERT_GE(runs.walked.size(), 2u);
    EXPECT_LT(groundGap(runs.walked.front(), origin), 1e-6);
    EXPECT_EQ(runs.unreached.empty(), !row.unreached);
    EXPECT_EQ(runs.pastEnd.empty(), !row.pastEnd);
    // The walk ends at the last point, or where the clip stops short of it
    // or runs past it.
    const Point3 end = row.pastEnd ? runs.pastEnd.back() : runs.walked.back();
    EXPECT_EQ(groundGap(runs.walked.back(), last) < 1e-6, !row.unreached);
    if (row.unreached) {
      EXPECT_LT(groundGap(runs.unreached.back(), last), 1e-6);
    }
    // The last frame's place on the path is where the walk ends.
    const int f = clip.frameCount - 1;
    std::vector<double> values;
    readFrameValues(clip.frameLine(f), values);
    Point3 place;
    ASSERT_TRUE(path.framePlace(f, values, place));
    EXPECT_LT(groundGap(place, end), 1e-6);
  }
}

}  // namespace
