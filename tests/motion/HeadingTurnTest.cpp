#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "TestSupport.h"
#include "motion/BvhWriterTestSupport.h"
#include "motion/FrameWords.h"
#include "motion/HeadingTurn.h"
#include "motion/Skeleton.h"
#include "path/PathWriter.h"

namespace {

struct Case {
  const char* name;
  std::vector<const char*> channels;
  const char* line;
  double heading;
  // The words turned and their values; none: the line keeps its words.
  std::vector<std::pair<long, double>> expected;
};

TEST(HeadingTurnTest, TurnsOnlyTheRotationWordsItCan) {
  const Case cases[] = {
      {"yaw first takes the turn alone",
       {"Xposition", "Yposition", "Zposition", "Yrotation", "Xrotation", "Zrotation"},
       "1 2 3\t10 20  30 7",
       15.0,
       {{3, 25.0}}},
      {"single yaw", {"Yrotation"}, " -170 5", -20.0, {{0, -190.0}}},
      {"three axes, turn about an untouched vertical (no -0)",
       {"Zrotation", "Xrotation", "Yrotation"},
       "0 0 10 99",
       30.0,
       {{0, 0.0}, {1, 0.0}, {2, 40.0}}},
      {"heading 0 leaves the words", {"Zrotation", "Xrotation", "Yrotation"}, "1.50 2 3", 0.0, {}},
      {"not a number", {"Zrotation", "Xrotation", "Yrotation"}, "nan 2 3", 10.0, {}},
      {"missing word", {"Zrotation", "Xrotation", "Yrotation"}, "1 2", 10.0, {}},
  };
  for (const Case& c : cases) {
    BvhJoint joint;
    joint.name = "Hips";
    for (const char* channel : c.channels) joint.channelNames.push_back(channel);
    joint.channelCount = static_cast<int>(c.channels.size());
    Skeleton skeleton;
    skeleton.add(std::move(joint));
    HeadingTurn turn(skeleton, 0);
    std::vector<double> values;
    readFrameValues(c.line, values);
    EditedFrame turned;
    const bool didTurn = turn.turn(values, c.heading, turned);
    EXPECT_EQ(didTurn, !c.expected.empty()) << c.name;
    ASSERT_EQ(turned.words().size(), c.expected.size()) << c.name;
    for (size_t n = 0; n < c.expected.size(); ++n) {
      const WordValue& edit = turned.words()[n];
      EXPECT_EQ(edit.word, c.expected[n].first) << c.name;
      EXPECT_NEAR(edit.value, c.expected[n].second, 1e-9) << c.name;
      EXPECT_FALSE(std::signbit(edit.value) && edit.value == 0.0) << c.name;
    }
  }
}

TEST(HeadingTurnTest, ChannelsThatCannotHoldATurnAreLeftAndSaidOnce) {
  BvhJoint joint;
  joint.name = "Hips";
  joint.channelNames = {"Zrotation", "Xrotation"};
  joint.channelCount = 2;
  Skeleton skeleton;
  skeleton.add(std::move(joint));
  HeadingTurn turn(skeleton, 0);
  const std::vector<double> line = {10.0, 20.0};
  Notes notes;
  EditedFrame turned;
  EXPECT_FALSE(turn.turn(line, 30.0, turned));
  turn.noteRefusal(notes);
  EXPECT_FALSE(turn.turn(line, 40.0, turned));
  turn.noteRefusal(notes);
  EXPECT_TRUE(turned.empty());
  EXPECT_EQ(notes.text(),
            "Hips has no rotation channels that can hold the path's turn: its rotations are "
            "written as read\n");
}

// --- Through the writer, checked with matrices built here, apart from the
// code under test.

struct Mat {
  double m[3][3];
};

Mat multiply(const Mat& a, const Mat& b) {
  Mat p{};
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c)
      for (int k = 0; k < 3; ++k) p.m[r][c] += a.m[r][k] * b.m[k][c];
  return p;
}

Mat turn(char axis, double degrees) {
  const double a = degrees * M_PI / 180.0;
  const double c = std::cos(a);
  const double s = std::sin(a);
  if (axis == 'X') return {{{1, 0, 0}, {0, c, -s}, {0, s, c}}};
  if (axis == 'Y') return {{{c, 0, s}, {0, 1, 0}, {-s, 0, c}}};
  return {{{c, -s, 0}, {s, c, 0}, {0, 0, 1}}};
}

// "Zrotation Yrotation Xrotation" as most exporters list them.
Mat zyx(double z, double y, double x) {
  return multiply(multiply(turn('Z', z), turn('Y', y)), turn('X', x));
}

TEST(HeadingTurnThroughWriter, EditedPathWritesRootRotationsTurnedByTheHeading) {
  std::string clip =
      "HIERARCHY\nROOT Hips\n{\n OFFSET 0 0 0\n"
      " CHANNELS 6 Xposition Yposition Zposition Zrotation Yrotation Xrotation\n"
      " JOINT Chest\n {\n  OFFSET 0 10 0\n  CHANNELS 3 Zrotation Yrotation Xrotation\n"
      "  End Site\n  {\n   OFFSET 0 10 0\n  }\n }\n}\nMOTION\nFrames: 40\nFrame Time: 0.1\n";
  for (int i = 0; i < 40; ++i) {
    char line[200];
    // Angles that leave no axis at rest, one frame close to gimbal lock.
    std::snprintf(line, sizeof line, "%d 90 %d %g %g %g 5 -7 3\n", 10 * i, 3 * i, 10.0 + i,
                  i == 20 ? 89.9999 : 40.0 - i, 170.0 + i);
    clip += line;
  }
  testsupport::TempDir dir;
  dir.write("walk.bvh", clip);
  auto loaded = writertest::loadClip(dir.path() + "/walk.bvh");
  ASSERT_TRUE(loaded->readOk);
  Point3 p = loaded->path.path.point(2);
  p.z += 150.0;
  loaded->path.path.setPoint(2, p);

  const std::string out = dir.path() + "/out.bvh";
  bool ok = false;
  writertest::writeNoting(ok, out.c_str(), loaded->motion, loaded->path);
  ASSERT_TRUE(ok);
  auto written = writertest::loadClip(out, false);
  ASSERT_TRUE(written->readOk);
  ASSERT_EQ(written->motion.frameCount, 40);

  double largestHeading = 0.0;
  for (int i = 0; i < 40; ++i) {
    SCOPED_TRACE("frame " + std::to_string(i));
    const auto before = writertest::wordsOf(loaded->motion.frameLine(i));
    const auto after = writertest::wordsOf(written->motion.frameLine(i));
    ASSERT_EQ(after.size(), before.size());
    double x = 0.0;
    double z = 0.0;
    ASSERT_TRUE(loopGroundPosition(loaded->path, loaded->motion, i, 40, x, z));
    EXPECT_NEAR(std::atof(after[0].c_str()), x, 5e-7);
    EXPECT_NEAR(std::atof(after[2].c_str()), z, 5e-7);
    const double heading = loopHeadingDegrees(loaded->path, i, 40);
    largestHeading = std::fmax(largestHeading, std::fabs(heading));

    auto angle = [](const std::vector<std::string>& words, int k) {
      return std::atof(words[static_cast<size_t>(k)].c_str());
    };
    const Mat expected =
        multiply(turn('Y', heading), zyx(angle(before, 3), angle(before, 4), angle(before, 5)));
    const Mat actual = zyx(angle(after, 3), angle(after, 4), angle(after, 5));
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c) EXPECT_NEAR(actual.m[r][c], expected.m[r][c], 1e-4);
    // No needless whole turns: the written angles stay near the frame's own.
    for (int k = 3; k < 6; ++k) EXPECT_LT(std::fabs(angle(after, k) - angle(before, k)), 180.0);
    EXPECT_EQ(after[1], before[1]);
    for (size_t k = 6; k < after.size(); ++k) EXPECT_EQ(after[k], before[k]);
  }
  EXPECT_GT(largestHeading, 10.0) << "the edit must bend the path";
}

}  // namespace
