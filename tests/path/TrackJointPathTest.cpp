// A clip whose root node stands still while the hips below it walk, as many
// game exports write them: the path follows the hips, from fit to file.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "motion/BvhJoint.h"
#include "motion/BvhMotion.h"
#include "motion/FrameWords.h"
#include "motion/RotationMatrix.h"
#include "path/EditSession.h"

namespace {

std::vector<std::string> wordsOf(const char* line) {
  std::string copy;
  std::vector<const char*> words;
  splitFrameLine(line, copy, words);
  return std::vector<std::string>(words.begin(), words.end());
}

Matrix3 hipsRotation(const std::vector<std::string>& words) {
  // "Zrotation Yrotation Xrotation" of the hips: words 9 to 11.
  const double angles[3] = {std::stod(words[9]), std::stod(words[10]), std::stod(words[11])};
  return rotationFromAngles(AxisOrder{{2, 1, 0}}, angles);
}

TEST(TrackJointPathTest, StillRootClipIsFittedToTheHipsAndWrittenAlongTheirEditedPath) {
  testsupport::TempDir dir;
  EditSession session;
  // The fit leaves its lines in the session's notes.
  ASSERT_TRUE(session.load(MPE_TEST_DATA_DIR "/track/still-root.bvh"));
  const std::string console = session.takeConsoleNotes().text();
  const std::string notice = "Path follows joint Hips: the root does not move";
  EXPECT_NE(console.find(notice + "\n"), std::string::npos) << console;
  EXPECT_NE(session.message().find(notice), std::string::npos) << session.message();

  // The hips walk half a circle of radius 100 from (0, 0) to (0, 200); the
  // root's zeros would put every point at the origin.
  const LoopFit& path = testsupport::loopRecord(session);
  EXPECT_NEAR(path.boundsMax.x, 100.0, 0.5);
  EXPECT_NEAR(path.boundsMax.z, 200.0 - 100.0 * (1.0 - std::cos(M_PI / 40.0)), 0.5);
  for (int k = 0; k < 4; ++k) {
    const Point3 p = session.point(k);
    EXPECT_GT(std::hypot(p.x, p.z), 20.0) << "point " << k;
  }

  ASSERT_TRUE(session.movePoint(2, 0.0, 30.0));
  const std::string out = dir.path() + "/edited.bvh";
  ASSERT_TRUE(session.write(out));
  BvhMotion written;
  Notes readNotes;
  ASSERT_TRUE(written.read(out.c_str(), readNotes));

  const BvhMotion& clip = session.motion();
  ASSERT_EQ(written.frameCount, clip.frameCount);
  int turned = 0;
  for (int i = 0; i < clip.frameCount; ++i) {
    SCOPED_TRACE("frame " + std::to_string(i));
    const auto before = wordsOf(clip.frameLine(i));
    const auto after = wordsOf(written.frameLine(i));
    ASSERT_EQ(after.size(), before.size());
    // The root, the hips' height and the spine exactly as read.
    for (size_t w : {0, 1, 2, 3, 4, 5, 7, 12, 13, 14}) EXPECT_EQ(after[w], before[w]) << w;
    double x = 0.0;
    double z = 0.0;
    ASSERT_TRUE(loopGroundPosition(path, clip, i, clip.frameCount, x, z));
    EXPECT_NEAR(std::stod(after[6]), x, 5e-7);
    EXPECT_NEAR(std::stod(after[8]), z, 5e-7);
    const double heading = loopHeadingDegrees(path, i, clip.frameCount);
    if (std::fabs(heading) > 1e-3) ++turned;
    const Matrix3 expected = axisRotation(1, heading) * hipsRotation(before);
    const Matrix3 got = hipsRotation(after);
    for (int r = 0; r < 3; ++r) {
      for (int c = 0; c < 3; ++c) EXPECT_NEAR(got.m[r][c], expected.m[r][c], 1e-5);
    }
  }
  EXPECT_GT(turned, 0) << "the edit turned no frame";
}

}  // namespace
