#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "motion/BvhMotion.h"
#include "motion/FrameWords.h"
#include "motion/RotationMatrix.h"
#include "path/EditSession.h"

namespace {

using testsupport::TempDir;

constexpr double pi = 3.14159265358979323846;

// A Z-up figure (the end site 170 units above the hips) walking along x on
// the ground plane z = 0, at height 90, facing and swaying a little; its
// rotation channels X Y Z, so the turn cannot be added to one angle.
std::string zUpWalk(int frames) {
  std::string text =
      "HIERARCHY\nROOT Hips\n{\n\tOFFSET 0 0 0\n"
      "\tCHANNELS 6 Xposition Yposition Zposition Xrotation Yrotation Zrotation\n"
      "\tEnd Site\n\t{\n\t\tOFFSET 0 0 170\n\t}\n}\nMOTION\n";
  text += "Frames: " + std::to_string(frames) + "\nFrame Time: 0.04\n";
  for (int i = 0; i < frames; ++i) {
    text += std::to_string(4.0 * i) + " " + std::to_string(2.0 * std::sin(i * 0.5)) + " 90 " +
            std::to_string(5.0 * std::sin(i * 0.3)) + " 3 " + std::to_string(10.0 + i) + "\n";
  }
  return text;
}

Matrix3 rootRotation(const std::vector<const char*>& words) {
  const double angles[3] = {std::atof(words[3]), std::atof(words[4]), std::atof(words[5])};
  return rotationFromAngles(AxisOrder{{0, 1, 2}}, angles);
}

TEST(UpAxisEditTest, AZUpEditMovesAlongXAndYAndTurnsAboutZ) {
  TempDir dir;
  const int frames = 40;
  const std::string clip = dir.write("walk.bvh", zUpWalk(frames));
  for (const auto kind : {testsupport::loopKind(), testsupport::trackKind()}) {
    SCOPED_TRACE(kind == testsupport::loopKind() ? "loop path" : "track path");
    EditSession session;
    const std::string out = dir.path() + "/out.bvh";
    BvhMotion original;
    BvhMotion written;
    ASSERT_TRUE(session.load(clip));
    session.setKind(kind);
    // Bends the path sideways: along the clip's y.
    const int middle = kind == testsupport::loopKind() ? 2 : session.pointCount() / 2;
    ASSERT_TRUE(session.movePoint(middle, 0.0, 30.0));
    ASSERT_TRUE(session.write(out));
    Notes testNotes;
    ASSERT_TRUE(original.read(clip.c_str(), testNotes));
    ASSERT_TRUE(written.read(out.c_str(), testNotes));
    EXPECT_EQ(session.upAxis(), UpAxis::z);
    ASSERT_EQ(written.frameCount, frames);

    double largestTurn = 0.0;
    double largestShift = 0.0;
    std::vector<Point3> track;
    std::vector<double> turns;
    for (int i = 0; i < frames; ++i) {
      std::string a, b;
      std::vector<const char*> was, now;
      splitFrameLine(original.frameLine(i), a, was);
      splitFrameLine(written.frameLine(i), b, now);
      ASSERT_EQ(now.size(), 6u);
      // The height is written as read.
      EXPECT_STREQ(now[2], was[2]);
      track.push_back({std::atof(now[0]), std::atof(now[1]), 0.0});
      largestShift = std::max(largestShift, std::fabs(std::atof(now[1]) - std::atof(was[1])));
      // written = Rz(theta) * original: the difference is a turn about z only.
      const Matrix3 r = rootRotation(was);
      const Matrix3 w = rootRotation(now);
      Matrix3 d;  // w * transpose(r)
      for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
          d.m[row][col] = 0.0;
          for (int k = 0; k < 3; ++k) d.m[row][col] += w.m[row][k] * r.m[col][k];
        }
      }
      const double theta = std::atan2(d.m[1][0], d.m[0][0]);
      const Matrix3 z = axisRotation(2, theta * 180.0 / pi);
      for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) EXPECT_NEAR(d.m[row][col], z.m[row][col], 1e-5);
      }
      turns.push_back(theta);
      largestTurn = std::max(largestTurn, std::fabs(theta));
    }
    EXPECT_GT(largestShift, 5.0);
    EXPECT_GT(largestTurn * 180.0 / pi, 5.0);
    // The figure turns the way the written track bends, counter-clockwise
    // about z as seen from above where the track bends to +y (the clip
    // walked along +x).
    int bends = 0;
    for (int i = 1; i + 1 < frames; ++i) {
      const double travel =
          std::atan2(track[i + 1].y - track[i - 1].y, track[i + 1].x - track[i - 1].x);
      if (std::fabs(travel) < 0.25) continue;
      ++bends;
      EXPECT_GT(turns[static_cast<size_t>(i)] * travel, 0.0) << "frame " << i;
    }
    EXPECT_GT(bends, 5);
  }
}

}  // namespace
