#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "motion/BvhMotion.h"
#include "path/LoopPath.h"
#include "path/PathFit.h"
#include "path/PathWriter.h"

namespace {

using testsupport::TempDir;

const char kStandardRoot[] =
    "CHANNELS 6 Xposition Yposition Zposition Zrotation Xrotation Yrotation";

std::string number(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

// A two-joint clip whose root declares rootChannels; frame lines as given.
std::string clipText(const std::string& rootChannels, const std::vector<std::string>& lines) {
  std::string text =
      "HIERARCHY\nROOT Hips\n{\n\tOFFSET 0 0 0\n\t" + rootChannels +
      "\n\tJOINT Chest\n\t{\n\t\tOFFSET 0 5 0\n\t\tCHANNELS 3 Zrotation Xrotation Yrotation\n"
      "\t\tEnd Site\n\t\t{\n\t\t\tOFFSET 0 5 0\n\t\t}\n\t}\n}\nMOTION\nFrames: " +
      std::to_string(lines.size()) + "\nFrame Time: 0.033333\n";
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

// Standard channel order: root x y z, three root rotations, three chest ones.
std::vector<std::string> standardLines(int frames, const std::function<Point3(int)>& root) {
  std::vector<std::string> lines;
  for (int i = 0; i < frames; ++i) {
    const Point3 p = root(i);
    lines.push_back(number(p.x) + " " + number(p.y) + " " + number(p.z) + " 10 -20 30 1 2 3");
  }
  return lines;
}

void readClip(BvhMotion& motion, const std::string& text) {
  TempDir dir;
  const std::string path = dir.write("clip.bvh", text);
  bool ok = false;
  Notes readNotes;
  ok = motion.read(path.c_str(), readNotes).ok();
  ASSERT_TRUE(ok);
}

// The fit's console notes.
std::string fit(const BvhMotion& motion, LoopFit& path) {
  Notes notes;
  fitPath(motion, path, notes);
  return notes.text();
}

Point3 point(const LoopFit& path, int index) { return path.path.point(index); }

// Frame i's ground x less the path's x there: its offset from the path.
double offsetX(const LoopFit& path, const BvhMotion& motion, int i) {
  double x = 0.0;
  double z = 0.0;
  EXPECT_TRUE(loopGroundPosition(path, motion, i, path.frames, x, z));
  return x - path.path.positionAt(PathCurve::framePathParameter(i, path.frames)).x;
}

double offsetZ(const LoopFit& path, const BvhMotion& motion, int i) {
  double x = 0.0;
  double z = 0.0;
  EXPECT_TRUE(loopGroundPosition(path, motion, i, path.frames, x, z));
  return z - path.path.positionAt(PathCurve::framePathParameter(i, path.frames)).z;
}

Point3 linearRoot(int i) { return Point3{2.0 * i, 1.0 + 0.1 * i, 3.0 - 0.5 * i}; }

Point3 curvyRoot(int i) {
  return Point3{40.0 * std::sin(i * 0.05), 90.0 + std::cos(i * 0.3),
                25.0 * std::cos(i * 0.03) + 0.2 * i};
}

TEST(PathFitConsole, PrintsFrameCountAndTheFourMiddleFrames) {
  BvhMotion motion;
  readClip(motion, clipText(kStandardRoot, standardLines(100, linearRoot)));
  LoopFit path;
  EXPECT_EQ(fit(motion, path),
            "Number of Frames: 100\n"
            "\n"
            "General setting 10: 20.000000 0.050000 -2.000000\n"
            "General setting 30: 60.000000 0.050000 -12.000000\n"
            "General setting 50: 100.000000 0.050000 -22.000000\n"
            "General setting 70: 140.000000 0.050000 -32.000000\n");
  EXPECT_EQ(path.path.pointCount(), 4);
  EXPECT_EQ(path.path.basis()[3][1], 1.0);  // Catmull-Rom installed
  EXPECT_EQ(path.frames, 100);
}

TEST(PathFitConsole, RemainderFramesDoNotMoveTheGroups) {
  BvhMotion motion;
  readClip(motion, clipText(kStandardRoot, standardLines(103, linearRoot)));
  LoopFit path;
  const std::string printed = fit(motion, path);
  EXPECT_EQ(printed.substr(0, 23), "Number of Frames: 103\n\n");
  for (const char* line : {"General setting 10: 20.000000 0.050000 -2.000000\n",
                           "General setting 70: 140.000000 0.050000 -32.000000\n"}) {
    EXPECT_NE(printed.find(line), std::string::npos) << line;
  }
  EXPECT_EQ(path.frames, 103);
  EXPECT_EQ(path.boundsMax.x, 204.0);
  EXPECT_EQ(path.boundsMin.z, 3.0 - 0.5 * 102);
}

TEST(PathFitControlPoints, LastFifthOnlyShapesBoundsAndRecord) {
  const auto spiky = [](int i) {
    return i < 80 ? curvyRoot(i) : Point3{1000.0 + i, -500.0, 2000.0 - i};
  };
  BvhMotion smooth;
  BvhMotion tail;
  readClip(smooth, clipText(kStandardRoot, standardLines(100, curvyRoot)));
  readClip(tail, clipText(kStandardRoot, standardLines(100, spiky)));
  LoopFit smoothPath;
  LoopFit tailPath;
  fit(smooth, smoothPath);
  fit(tail, tailPath);
  for (int index = 0; index < 4; ++index) {
    EXPECT_EQ(point(smoothPath, index).x, point(tailPath, index).x) << index;
    EXPECT_EQ(point(smoothPath, index).z, point(tailPath, index).z) << index;
  }
  EXPECT_EQ(tailPath.boundsMax.x, 1099.0);
  EXPECT_EQ(tailPath.boundsMin.y, -500.0);
  EXPECT_NE(offsetX(smoothPath, smooth, 90), offsetX(tailPath, tail, 90));
  EXPECT_EQ(offsetX(smoothPath, smooth, 40), offsetX(tailPath, tail, 40));
}

TEST(PathFitControlPoints, ConstantRootGivesThatPointEverywhere) {
  const Point3 still{12.5, 88.0, -41.25};
  BvhMotion motion;
  readClip(motion, clipText(kStandardRoot, standardLines(60, [&](int) { return still; })));
  LoopFit path;
  fit(motion, path);
  for (int index = 0; index < 4; ++index) {
    EXPECT_NEAR(point(path, index).x, still.x, 1e-8) << index;
    EXPECT_EQ(point(path, index).y, 0.05) << index;
    EXPECT_NEAR(point(path, index).z, still.z, 1e-8) << index;
  }
  for (const Point3& bound : {path.boundsMin, path.boundsMax}) {
    EXPECT_EQ(bound.x, still.x);
    EXPECT_EQ(bound.y, still.y);
    EXPECT_EQ(bound.z, still.z);
  }
  for (int i = 0; i < 60; ++i) {
    EXPECT_NEAR(offsetX(path, motion, i), 0.0, 1e-8) << i;
    EXPECT_NEAR(offsetZ(path, motion, i), 0.0, 1e-8) << i;
  }
}

TEST(PathFitControlPoints, StraightLineIsFittedExactly) {
  for (int frames : {20, 37, 100, 103, 1000}) {
    BvhMotion motion;
    readClip(motion, clipText(kStandardRoot, standardLines(frames, linearRoot)));
    LoopFit path;
    fit(motion, path);
    const int r = frames / 5;
    for (int group = 1; group <= 4; ++group) {
      const int middle = group * r - r / 2;
      const Point3 expected = linearRoot(middle);
      EXPECT_NEAR(point(path, group - 1).x, expected.x, 1e-6 * frames) << frames << " frames";
      EXPECT_NEAR(point(path, group - 1).z, expected.z, 1e-6 * frames) << frames << " frames";
    }
  }
}

// Least-squares cubic in p of values over frames first..first + count - 1
// of a clip of frames frames, evaluated at middle's parameter: normal
// equations in long double, an independent way to the same fit.
double normalEquationsCubicAt(const std::function<double(int)>& value, int first, int count,
                              int frames, int middle) {
  long double a[4][5] = {};
  for (int i = first; i < first + count; ++i) {
    const long double p = static_cast<long double>(i + 1) / frames;
    const long double powers[4] = {1.0L, p, p * p, p * p * p};
    for (int r = 0; r < 4; ++r) {
      for (int c = 0; c < 4; ++c) a[r][c] += powers[r] * powers[c];
      a[r][4] += powers[r] * value(i);
    }
  }
  for (int pivot = 0; pivot < 4; ++pivot) {
    for (int r = pivot + 1; r < 4; ++r) {
      const long double factor = a[r][pivot] / a[pivot][pivot];
      for (int c = pivot; c < 5; ++c) a[r][c] -= factor * a[pivot][c];
    }
  }
  long double coefficients[4];
  for (int r = 3; r >= 0; --r) {
    long double sum = a[r][4];
    for (int c = r + 1; c < 4; ++c) sum -= a[r][c] * coefficients[c];
    coefficients[r] = sum / a[r][r];
  }
  const long double p = static_cast<long double>(middle + 1) / frames;
  return static_cast<double>(coefficients[0] +
                             p * (coefficients[1] + p * (coefficients[2] + p * coefficients[3])));
}

// Groups longer than the decomposition takes at once are solved block by
// block: every block must count, as in one solve over the whole group.
TEST(PathFitControlPoints, GroupsLongerThanOneBlockAreFittedAsAWhole) {
  const int frames = 400000;  // 80,000 frames a group: two blocks each
  const auto track = [](int i) {
    return Point3{50.0 * std::sin(i * 1e-4), 90.0, (i / 7000) % 2 == 0 ? 10.0 : -30.0};
  };
  BvhMotion motion;
  readClip(motion, clipText(kStandardRoot, standardLines(frames, track)));
  LoopFit path;
  fit(motion, path);
  const int r = frames / 5;
  for (int group = 1; group <= 4; ++group) {
    const int first = (group - 1) * r;
    const int middle = group * r - r / 2;
    const double x =
        normalEquationsCubicAt([&](int i) { return track(i).x; }, first, r, frames, middle);
    const double z =
        normalEquationsCubicAt([&](int i) { return track(i).z; }, first, r, frames, middle);
    EXPECT_NEAR(point(path, group - 1).x, x, 1e-6) << "group " << group;
    EXPECT_NEAR(point(path, group - 1).z, z, 1e-6) << "group " << group;
  }
}

TEST(PathFitControlPoints, ShortClipsFitALowerDegreeAlongTheirTrack) {
  // Groups of one frame take its position, of two or three the least-squares
  // line through them (closed form here), evaluated at the middle frame's pg.
  for (int frames : {7, 12, 17}) {
    SCOPED_TRACE(std::to_string(frames) + " frames");
    BvhMotion motion;
    readClip(motion, clipText(kStandardRoot, standardLines(frames, curvyRoot)));
    LoopFit path;
    const std::string printed = fit(motion, path);
    const int r = frames / 5;
    for (int group = 1; group <= 4; ++group) {
      double sp = 0.0, sx = 0.0, sz = 0.0, spp = 0.0, spx = 0.0, spz = 0.0;
      for (int i = (group - 1) * r; i < group * r; ++i) {
        const double p = (i + 1.0) / frames;
        sp += p;
        spp += p * p;
        sx += curvyRoot(i).x;
        sz += curvyRoot(i).z;
        spx += p * curvyRoot(i).x;
        spz += p * curvyRoot(i).z;
      }
      const double pg = (group * r - r / 2 + 1.0) / frames;
      const double det = r * spp - sp * sp;
      const auto line = [&](double s, double sps) {
        return r == 1 ? s : (s * spp - sp * sps) / det + (r * sps - sp * s) / det * pg;
      };
      EXPECT_NEAR(point(path, group - 1).x, line(sx, spx), 1e-9) << group;
      EXPECT_NEAR(point(path, group - 1).z, line(sz, spz), 1e-9) << group;
    }
    EXPECT_NE(printed.find("Short clip (" + std::to_string(frames) + " frames): "),
              std::string::npos);
  }
}

TEST(PathFitSmallClips, NoFramesGiveFourOriginPointsAndAnEmptyRecord) {
  BvhMotion motion;
  readClip(motion, clipText(kStandardRoot, {}));
  LoopFit path;
  const std::string origin = "General setting 0: 0.000000 0.050000 0.000000\n";
  EXPECT_EQ(fit(motion, path), "Number of Frames: 0\n\n" + origin + origin + origin + origin);
  EXPECT_EQ(path.path.pointCount(), 4);
  for (int index = 0; index < 4; ++index) {
    EXPECT_EQ(point(path, index).x, 0.0);
    EXPECT_EQ(point(path, index).y, 0.05);
    EXPECT_EQ(point(path, index).z, 0.0);
  }
  EXPECT_EQ(path.frames, 0);
  EXPECT_EQ(path.boundsMin.x, 0.0);
  EXPECT_EQ(path.boundsMax.z, 0.0);
  double x = 5.0;
  double z = 6.0;
  EXPECT_FALSE(loopGroundPosition(path, motion, 0, 0, x, z));
}

TEST(PathFitSmallClips, UnderFiveFramesPutEveryPointAtTheTrackMean) {
  BvhMotion motion;
  readClip(motion, clipText(kStandardRoot, standardLines(3, curvyRoot)));
  LoopFit path;
  const double meanX = (curvyRoot(0).x + curvyRoot(1).x + curvyRoot(2).x) / 3.0;
  const double meanZ = (curvyRoot(0).z + curvyRoot(1).z + curvyRoot(2).z) / 3.0;
  char line[128];
  std::snprintf(line, sizeof line, "General setting 0: %f 0.050000 %f\n", meanX, meanZ);
  EXPECT_EQ(fit(motion, path), "Number of Frames: 3\n\n" + std::string(line) + line + line + line +
                                   "Short clip (3 frames): every path point stands at the "
                                   "track's mean position\n");
  ASSERT_EQ(path.frames, 3);
  for (int i = 0; i < 3; ++i) {
    double x = 0.0;
    double z = 0.0;
    ASSERT_TRUE(loopGroundPosition(path, motion, i, 3, x, z));
    EXPECT_NEAR(x, curvyRoot(i).x, 1e-12);
    EXPECT_NEAR(z, curvyRoot(i).z, 1e-12);
  }
  EXPECT_EQ(path.boundsMax.y, std::max({curvyRoot(0).y, curvyRoot(1).y, curvyRoot(2).y}));
}

TEST(PathFitRootChannels, PositionsAreFoundByChannelName) {
  struct Case {
    const char* name;
    const char* channels;
    std::function<std::string(const Point3&)> line;
    Point3 expected;
  };
  const Point3 still{7.0, 8.0, -9.0};
  const Case cases[] = {
      {"positions after rotations",
       "CHANNELS 6 Zrotation Xrotation Yrotation Xposition Yposition Zposition",
       [](const Point3& p) {
         return "11 12 13 " + number(p.x) + " " + number(p.y) + " " + number(p.z) + " 1 2 3";
       },
       still},
      {"shuffled positions",
       "CHANNELS 6 Zposition Xrotation Xposition Yrotation Yposition Zrotation",
       [](const Point3& p) {
         return number(p.z) + " 55 " + number(p.x) + " 66 " + number(p.y) + " 77 1 2 3";
       },
       still},
      {"rotation-only root", "CHANNELS 3 Zrotation Xrotation Yrotation",
       [](const Point3&) { return std::string("11 12 13 1 2 3"); }, Point3{}},
      {"no height channel", "CHANNELS 5 Xposition Zposition Zrotation Xrotation Yrotation",
       [](const Point3& p) { return number(p.x) + " " + number(p.z) + " 40 50 60 1 2 3"; },
       Point3{still.x, 0.0, still.z}},
      {"positions listed beyond the channel count",
       "CHANNELS 3 Zrotation Xrotation Yrotation Xposition Yposition Zposition",
       [](const Point3& p) {
         return "11 12 13 " + number(p.x) + " " + number(p.y) + " " + number(p.z);
       },
       Point3{}},
      {"short frame lines", kStandardRoot,
       [](const Point3& p) { return number(p.x) + " " + number(p.y); },
       Point3{still.x, still.y, 0.0}},
  };
  for (const Case& item : cases) {
    BvhMotion motion;
    readClip(motion, clipText(item.channels, std::vector<std::string>(25, item.line(still))));
    LoopFit path;
    fit(motion, path);
    EXPECT_EQ(path.boundsMin.x, item.expected.x) << item.name;
    EXPECT_EQ(path.boundsMin.y, item.expected.y) << item.name;
    EXPECT_EQ(path.boundsMin.z, item.expected.z) << item.name;
    EXPECT_EQ(path.boundsMax.x, item.expected.x) << item.name;
    EXPECT_EQ(path.boundsMax.z, item.expected.z) << item.name;
    EXPECT_NEAR(point(path, 2).x, item.expected.x, 1e-8) << item.name;
    EXPECT_NEAR(point(path, 2).z, item.expected.z, 1e-8) << item.name;
  }
}

TEST(PathFitBounds, CoverCoordinatesBeyondAnyFixedStart) {
  const auto far = [](int i) { return Point3{200000.0 + i, -50000.0 - i, 150000.0}; };
  BvhMotion motion;
  readClip(motion, clipText(kStandardRoot, standardLines(30, far)));
  LoopFit path;
  fit(motion, path);
  EXPECT_EQ(path.boundsMin.x, 200000.0);
  EXPECT_EQ(path.boundsMax.x, 200029.0);
  EXPECT_EQ(path.boundsMin.y, -50029.0);
  EXPECT_EQ(path.boundsMax.y, -50000.0);
  EXPECT_EQ(path.boundsMin.z, 150000.0);
  EXPECT_EQ(path.boundsMax.z, 150000.0);
}

TEST(PathFitMapping, UneditedCurveReplaysTheClip) {
  for (int frames : {100, 103, 7}) {
    BvhMotion motion;
    readClip(motion, clipText(kStandardRoot, standardLines(frames, curvyRoot)));
    LoopFit path;
    fit(motion, path);
    for (int i = 0; i < frames; ++i) {
      double x = 0.0;
      double z = 0.0;
      ASSERT_TRUE(loopGroundPosition(path, motion, i, frames, x, z));
      EXPECT_NEAR(x, curvyRoot(i).x, 1e-9) << "frame " << i << " of " << frames;
      EXPECT_NEAR(z, curvyRoot(i).z, 1e-9) << "frame " << i << " of " << frames;
      EXPECT_EQ(loopHeadingDegrees(path, i, frames), 0.0) << "frame " << i << " of " << frames;
    }
    double x = 1.0;
    double z = 2.0;
    EXPECT_FALSE(loopGroundPosition(path, motion, frames, frames, x, z));
    EXPECT_FALSE(loopGroundPosition(path, motion, -1, frames, x, z));
    EXPECT_EQ(x, 1.0);
  }
}

TEST(PathFitMapping, MovingTheMiddlePointMovesTheMiddleFrameByThatMuch) {
  const int frames = 100;
  BvhMotion motion;
  readClip(motion, clipText(kStandardRoot, standardLines(frames, curvyRoot)));
  LoopFit path;
  fit(motion, path);
  double firstX = 0.0;
  double firstZ = 0.0;
  double middleX = 0.0;
  double middleZ = 0.0;
  double lateX = 0.0;
  double lateZ = 0.0;
  loopGroundPosition(path, motion, 0, frames, firstX, firstZ);
  loopGroundPosition(path, motion, 50, frames, middleX, middleZ);
  loopGroundPosition(path, motion, 75, frames, lateX, lateZ);

  const double d = 0.35;
  Point3 p2 = point(path, 2);
  p2.x += d;
  path.path.setPoint(2, p2);

  double x = 0.0;
  double z = 0.0;
  loopGroundPosition(path, motion, 0, frames, x, z);
  EXPECT_EQ(x, firstX);
  EXPECT_EQ(z, firstZ);
  loopGroundPosition(path, motion, 50, frames, x, z);
  EXPECT_NEAR(x - middleX, d, 1e-12);
  EXPECT_EQ(z, middleZ);
  // Between P2 and P3 the Catmull-Rom weight of P2 is 9/16 at the middle.
  loopGroundPosition(path, motion, 75, frames, x, z);
  EXPECT_NEAR(x - lateX, d * 9.0 / 16.0, 1e-12);
  // The curve's direction changed around the moved point, so frames there turn.
  EXPECT_NE(loopHeadingDegrees(path, 30, frames), 0.0);
}

}  // namespace

// A still track away from the origin fits a curve whose direction is rounding
// noise; moving a point must move the frames, never spin them.
TEST(PathFitMapping, AStillTrackAwayFromTheOriginIsMovedUnturned) {
  const int frames = 60;
  const Point3 at{123.456, 91.5, -78.9};
  BvhMotion motion;
  readClip(motion, clipText(kStandardRoot, standardLines(frames, [&](int) { return at; })));
  LoopFit path;
  fit(motion, path);
  Point3 p2 = point(path, 2);
  p2.x += 20.0;
  path.path.setPoint(2, p2);

  TempDir dir;
  const std::string out = dir.path() + "/moved.bvh";
  Notes notes;
  LoopPath loop;
  loop.record() = path;
  ASSERT_TRUE(writePath(out.c_str(), motion, loop, UpAxis::y, notes));
  BvhMotion written;
  readClip(written, testsupport::readFile(out));
  ASSERT_EQ(written.frameCount, frames);
  int moved = 0;
  for (int i = 0; i < frames; ++i) {
    EXPECT_EQ(loopHeadingDegrees(path, i, frames), 0.0) << "frame " << i;
    const std::string line = written.frameLine(i);
    // Rotations (every word after the three positions) exactly as read.
    EXPECT_EQ(line.substr(line.find(" 10 ")), " 10 -20 30 1 2 3 ") << "frame " << i;
    if (std::stod(line) != std::round(at.x * 1e6) / 1e6) ++moved;
  }
  EXPECT_GT(moved, 0) << "the edit moved no frame";
}

// Long clips are read and carried in two halves at once: every frame of
// both halves, and the bounds across them, must come out as in one pass.
TEST(PathFitRecord, LongClipKeepsEveryFrameOfBothHalves) {
  const int frames = 60001;
  const int badFrame = 45000;
  std::vector<std::string> lines = standardLines(frames, [](int i) {
    return Point3{static_cast<double>(i), 90.0 + (i == 40000 ? 7.0 : 0.0), -0.5 * i};
  });
  lines[badFrame] = "nan 1e9 1e9 0 0 0 0 0 0";  // left out of the bounds and the solve
  BvhMotion motion;
  readClip(motion, clipText(kStandardRoot, lines));
  LoopFit path;
  fit(motion, path);
  ASSERT_EQ(path.frames, frames);
  EXPECT_EQ(path.boundsMin.x, 0.0);
  EXPECT_EQ(path.boundsMax.x, frames - 1.0);
  EXPECT_EQ(path.boundsMax.y, 97.0);
  EXPECT_EQ(path.boundsMin.z, -0.5 * (frames - 1));
  for (int i = 0; i < frames; ++i) {
    double x = 0.0;
    double z = 0.0;
    ASSERT_TRUE(loopGroundPosition(path, motion, i, frames, x, z));
    if (i == badFrame) {
      ASSERT_TRUE(std::isnan(x));
      continue;
    }
    ASSERT_NEAR(x, i, 1e-6) << i;
    ASSERT_NEAR(z, -0.5 * i, 1e-6) << i;
    ASSERT_EQ(loopHeadingDegrees(path, i, frames), 0.0) << i;
  }
}
