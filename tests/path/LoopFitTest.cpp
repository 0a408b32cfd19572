#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "motion/BvhMotion.h"
#include "path/LoopFit.h"

namespace {

PathCurve catmullRom(const std::vector<Point3>& points) {
  PathCurve curve;
  curve.setBasis(PathCurve::catmullRomBasis);
  for (size_t k = 0; k < points.size(); ++k) curve.setPoint(static_cast<int>(k), points[k]);
  return curve;
}

// A record of two frames whose track joint's x and z are a frame line's two
// words. The fitted curve's point and direction are (10, 20) and (1, 0) at
// frame 0, (2, 0) and (0, -1) at frame 1, so the frames lie at offsets
// (1.5, -2.5) and (-1, 3) from it; the path as edited goes elsewhere.
struct Recorded {
  BvhMotion clip;
  LoopFit fit;

  Recorded() {
    clip.frameLines = {"11.5 17.5", "1 3"};
    clip.frameCount = 2;
    fit.frames = 2;
    fit.track.xWord = 0;
    fit.track.zWord = 1;
    fit.fitted = catmullRom({{0, 0, 0}, {10, 0, 20}, {2, 0, 0}, {10, 0, 18}});
    fit.path = catmullRom({{0, 0, 0}, {10, 0, 20}, {0, 0, 2}, {5, 0, 5}});
  }
};

TEST(LoopFit, TrackPositionsAreReadFromTheFrameLine) {
  TrackJoint words;
  words.xWord = 2;
  words.upWord = 0;
  const Point3 p = readTrackPosition(" 4\t5x 6.5e1 7", words);
  EXPECT_EQ(p.x, 65.0);
  EXPECT_EQ(p.y, 4.0);
  EXPECT_EQ(p.z, 0.0);  // no word for it
  const Point3 shortLine = readTrackPosition("4", words);
  EXPECT_EQ(shortLine.x, 0.0);
  EXPECT_EQ(shortLine.y, 4.0);
  const Point3 none = readTrackPosition(nullptr, words);
  EXPECT_EQ(none.y, 0.0);
}

TEST(LoopFit, GroundPositionIsThePathPlusTheFramesOffsetFromTheFittedCurve) {
  const Recorded recorded;
  double x = 0.0;
  double z = 0.0;
  // Frame 0 of 2 lies at u = 0, on point 1; frame 1 at u = 0.25, on point 2.
  ASSERT_TRUE(loopGroundPosition(recorded.fit, recorded.clip, 0, 2, x, z));
  EXPECT_EQ(x, 11.5);
  EXPECT_EQ(z, 17.5);
  ASSERT_TRUE(loopGroundPosition(recorded.fit, recorded.clip, 1, 2, x, z));
  EXPECT_EQ(x, -1.0);
  EXPECT_EQ(z, 5.0);
  // A clip with fewer lines than the record reads the missing frame at the origin.
  BvhMotion shorter;
  shorter.frameLines = {"11.5 17.5"};
  ASSERT_TRUE(loopGroundPosition(recorded.fit, shorter, 1, 2, x, z));
  EXPECT_EQ(x, -2.0);
  EXPECT_EQ(z, 2.0);
}

TEST(LoopFit, FramesWithoutARecordEntryAreLeftAlone) {
  const Recorded recorded;
  struct Case {
    int i;
    int n;
  };
  for (const Case& item : {Case{2, 2}, Case{-1, 2}, Case{5, 10}, Case{0, 0}, Case{0, -3}}) {
    FramePlacement placement{42.0, -42.0, 7.0};
    EXPECT_FALSE(framePlacement(recorded.fit, recorded.clip, item.i, item.n, placement))
        << item.i << " of " << item.n;
    EXPECT_EQ(placement.x, 42.0);
    EXPECT_EQ(placement.z, -42.0);
    EXPECT_EQ(placement.headingDegrees, 7.0);
    EXPECT_EQ(loopHeadingDegrees(recorded.fit, item.i, item.n), 0.0) << item.i << " of " << item.n;
  }
  const LoopFit fresh;
  double x = 1.0;
  double z = 2.0;
  EXPECT_FALSE(loopGroundPosition(fresh, recorded.clip, 0, 1, x, z));
}

TEST(LoopFit, HeadingIsTheSignedTurnFromTheFitDirection) {
  Recorded recorded;
  LoopFit& fit = recorded.fit;
  // At u = 0 the path's forward vector is (P2 - P0) / 2 = (0, 0, 1): from the
  // fitted (1, 0) that is atan2(0*0 - 1*1, 0*1 + 1*0) = -90 degrees.
  EXPECT_DOUBLE_EQ(loopHeadingDegrees(fit, 0, 2), -90.0);
  // At u = 0.25 it is (P3 - P1) / 2 = (-2.5, 0, -7.5) against (0, -1).
  const double expected = std::atan2(-2.5 * -1.0 - (-7.5) * 0.0, -7.5 * -1.0) * 180.0 / M_PI;
  EXPECT_NEAR(loopHeadingDegrees(fit, 1, 2), expected, 1e-12);
  FramePlacement placement;
  ASSERT_TRUE(framePlacement(fit, recorded.clip, 1, 2, placement));
  EXPECT_EQ(placement.headingDegrees, loopHeadingDegrees(fit, 1, 2));
  // The unedited path turns nothing.
  fit.fitted = fit.path;
  EXPECT_EQ(loopHeadingDegrees(fit, 0, 2), 0.0);
  EXPECT_EQ(loopHeadingDegrees(fit, 1, 2), 0.0);
  // Opposite directions: a half turn (the sign of the zero decides which
  // way); a fitted direction of zero length is none.
  fit.fitted = catmullRom({{0, 0, 2}, {1, 0, 1}, {0, 0, 0}, {1, 0, 1}});
  EXPECT_DOUBLE_EQ(std::fabs(loopHeadingDegrees(fit, 0, 2)), 180.0);
  EXPECT_EQ(loopHeadingDegrees(fit, 1, 2), 0.0);
  // So is one shorter than the record's threshold.
  fit.noDirection = 3.0;
  EXPECT_EQ(loopHeadingDegrees(fit, 0, 2), 0.0);
}

}  // namespace
