#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "base/FullDisk.h"
#include "motion/BvhMotion.h"
#include "motion/BvhWriterTestSupport.h"
#include "path/LoopFit.h"
#include "path/PathWriter.h"

using testsupport::readFile;
using testsupport::TempDir;
using writertest::fixture;
using writertest::loadClip;
using writertest::wordsOf;

namespace {

const char* const smallHierarchy =
    "HIERARCHY\n"
    "ROOT Hips\n"
    "{\n"
    "\tOFFSET\t0.000000\t1.000000\t0.000000\n"
    "\tCHANNELS 6 Xposition Yposition Zposition Zrotation Xrotation Yrotation \n"
    "\tJOINT Chest\n"
    "\t{\n"
    "\t\tOFFSET\t0.000000\t2.500000\t0.000000\n"
    "\t\tCHANNELS 3 Zrotation Xrotation Yrotation \n"
    "\t\tEnd Site\n"
    "\t\t{\n"
    "\t\t\tOFFSET\t0.000000\t1.000000\t0.000000\n"
    "\t\t}\n"
    "\t}\n"
    "\tJOINT Leg\n"
    "\t{\n"
    "\t\tOFFSET\t1.000000\t-1.000000\t0.000000\n"
    "\t\tCHANNELS 3 Zrotation Xrotation Yrotation \n"
    "\t\tEnd Site\n"
    "\t\t{\n"
    "\t\t\tOFFSET\t0.000000\t-2.000000\t0.000000\n"
    "\t\t}\n"
    "\t}\n"
    "}\n";

const char* const smallExpected =
    "MOTION\n"
    "Frames: 10\n"
    "Frame Time: 0.033333\n"
    "1.500000 0.9 -2.250000 0 0 0 10 20 30 -5 0 5.5 \n"
    "1.750000 0.9 -2.125000 0 0 1 10 20 30 -5 0 5.5 \n"
    "2.000000 0.9 -2.000000 0 0 2 10 20 30 -5 0 5.5 \n"
    "2.250000 0.9 -2.125000 0 0 3 10 20 30 -5 0 5.5 \n"
    "2.500000 0.9 -2.250000 0 0 4 10 20 30 -5 0 5.5 \n"
    "2.750000 0.9 -2.375000 0 0 5 10 20 30 -5 0 5.5 \n"
    "3.000000 0.9 -2.500000 0 0 6 10 20 30 -5 0 5.5 \n"
    "3.250000 0.9 -2.375000 0 0 7 10 20 30 -5 0 5.5 \n"
    "3.500000 0.9 -2.250000 0 0 8 10 20 30 -5 0 5.5 \n"
    "3.750000 0.9 -2.125000 0 0 9 10 20 30 -5 0 5.5 \n";

struct Written {
  bool ok = false;
  std::string console;
  std::string bytes;
};

Written writeTo(const std::string& fileName, const BvhMotion& motion, const LoopFit& path) {
  Written written;
  written.console = writertest::writeNoting(written.ok, fileName.c_str(), motion, path);
  written.bytes = readFile(fileName);
  return written;
}

// Lines of the written file after "Frame Time:".
std::vector<std::string> frameLinesOf(const std::string& bytes) {
  std::vector<std::string> lines;
  size_t start = bytes.find("Frame Time:");
  if (start == std::string::npos) return lines;
  start = bytes.find('\n', start) + 1;
  while (start < bytes.size()) {
    const size_t end = bytes.find('\n', start);
    lines.push_back(bytes.substr(start, end - start + 1));
    start = end + 1;
  }
  return lines;
}

TEST(BvhWriterLayout, FittedClipGivesTheExactBytesAndEcho) {
  auto clip = loadClip(fixture("small.bvh"));
  ASSERT_TRUE(clip->readOk);
  TempDir dir;
  const Written written = writeTo(dir.path() + "/out.bvh", clip->motion, clip->path);
  EXPECT_TRUE(written.ok);
  EXPECT_EQ(written.console, "MMM\nROOT Hips\n{");
  EXPECT_EQ(written.bytes, std::string(smallHierarchy) + smallExpected);
}

TEST(BvhWriterLayout, CrlfClipIsWrittenWithLineFeedsOnly) {
  auto clip = loadClip(fixture("crlf.bvh"));
  ASSERT_TRUE(clip->readOk);
  TempDir dir;
  const Written written = writeTo(dir.path() + "/out.bvh", clip->motion, clip->path);
  EXPECT_TRUE(written.ok);
  EXPECT_EQ(written.bytes, std::string(smallHierarchy) + smallExpected);
}

TEST(BvhWriterLayout, RootPositionsAfterRotationsAreReplacedAtTheirOwnWords) {
  auto clip = loadClip(fixture("other-order.bvh"));
  ASSERT_TRUE(clip->readOk);
  TempDir dir;
  const Written written = writeTo(dir.path() + "/out.bvh", clip->motion, clip->path);
  EXPECT_TRUE(written.ok);
  EXPECT_EQ(written.console, "MMM\nROOT Hips\n{");
  const auto lines = frameLinesOf(written.bytes);
  ASSERT_EQ(lines.size(), 12u);
  // The rotations in words 0..2 stay text; x and z (words 3 and 5) follow the path.
  EXPECT_EQ(lines[0], "0 5 -5 3.000000 0.95 7.000000 1 2 3 4 5 6 \n");
  EXPECT_EQ(lines[11], "11 5 -5 8.500000 0.95 3.700000 1 2 3 4 5 6 \n");
}

TEST(BvhWriterLayout, RotationOnlyRootIsWrittenAsReadWithOneNotice) {
  auto clip = loadClip(fixture("rotation-only.bvh"));
  ASSERT_TRUE(clip->readOk);
  TempDir dir;
  const Written written = writeTo(dir.path() + "/out.bvh", clip->motion, clip->path);
  EXPECT_TRUE(written.ok);
  EXPECT_EQ(written.console,
            "Root Hips has no Xposition and Zposition channels: frames written as read, path "
            "not applied\nMMM\nROOT Hips\n{");
  const auto lines = frameLinesOf(written.bytes);
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[0], "0 0 0 1 2 3 4 5 6 \n");
  EXPECT_EQ(lines[7], "7 -7 14 1 2 3 4 5 6 \n");
}

TEST(BvhWriterLayout, ShortFrameLinesWriteOnlyTheWordsTheyHave) {
  auto clip = loadClip(fixture("short-lines.bvh"));
  ASSERT_TRUE(clip->readOk);
  ASSERT_EQ(clip->motion.frameCount, 6);
  // A path that was never fitted has no record: every frame keeps its own place.
  LoopFit unfitted;
  TempDir dir;
  const Written written = writeTo(dir.path() + "/out.bvh", clip->motion, unfitted);
  EXPECT_TRUE(written.ok);
  const std::vector<std::string> expected = {
      "1.250000 0.9 2.500000 0 0 0 1 2 3 4 5 6 \n",
      "1.500000 0.9 2.750000 0 0 \n",
      "1.750000 0.9 \n",
      "2.000000 \n",
      "2.250000 0.9 3.250000 0 0 0 1 2 3 4 5 6 \n",
      "2.500000 0.9 3.500000 \n",
  };
  EXPECT_EQ(frameLinesOf(written.bytes), expected);
}

TEST(BvhWriterLayout, ZeroFramesWritesTheHeaderAndNoFrameLines) {
  auto clip = loadClip(fixture("zero-frames.bvh"), false);
  ASSERT_TRUE(clip->readOk);
  LoopFit unfitted;
  TempDir dir;
  const Written written = writeTo(dir.path() + "/out.bvh", clip->motion, unfitted);
  EXPECT_TRUE(written.ok);
  EXPECT_EQ(written.bytes,
            std::string(smallHierarchy) + "MOTION\nFrames: 0\nFrame Time: 0.033333\n");
}

TEST(BvhWriterLayout, FramesBeyondTheFitRecordKeepTheirOwnValues) {
  // The record belongs to a 6-frame clip; the 10-frame clip written with it
  // must not read entries 6..9, which do not exist.
  auto shorter = loadClip(fixture("short-lines.bvh"));
  auto clip = loadClip(fixture("small.bvh"), false);
  ASSERT_TRUE(shorter->readOk);
  ASSERT_TRUE(clip->readOk);
  ASSERT_EQ(shorter->path.frames, 6);
  TempDir dir;
  const Written written = writeTo(dir.path() + "/out.bvh", clip->motion, shorter->path);
  EXPECT_TRUE(written.ok);
  const auto lines = frameLinesOf(written.bytes);
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(lines[6], "3.000000 0.9 -2.500000 0 0 6 10 20 30 -5 0 5.5 \n");
  EXPECT_EQ(lines[9], "3.750000 0.9 -2.125000 0 0 9 10 20 30 -5 0 5.5 \n");
}

// The frame time and the offsets are written with six decimals where that
// holds them within 1e-4 of their value, else with the digits they need.
TEST(BvhWriterLayout, FrameTimeAndOffsetsKeepTheirDigits) {
  struct Row {
    const char* read;
    const char* written;
  };
  const Row rows[] = {
      {".0083333", "0.008333"},  {"0.033333", "0.033333"},
      {"0.0333333", "0.033333"}, {"0", "0.000000"},
      {"1e-7", "1e-07"},         {"-4.9e-7", "-4.9e-07"},
      {"5e-7", "5e-07"},         {"6e-7", "6e-07"},
      {"1.5e-6", "1.5e-06"},     {"0.00012345", "0.00012345"},
      {"12.5", "12.500000"},     {"1234.5678901", "1234.567890"},
  };
  TempDir dir;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.read);
    const std::string in = dir.write(
        "in.bvh",
        "HIERARCHY\nROOT R\n{\nOFFSET 0 0 0\nCHANNELS 1 Xposition\nEnd Site\n{\n"
        "OFFSET 0 " +
            std::string(row.read) +
            " 0\n}\n}\nMOTION\nFrames: 1\nFrame Time: " + std::string(row.read) + "\n1\n");
    auto clip = loadClip(in, false);
    ASSERT_TRUE(clip->readOk);
    LoopFit unfitted;
    const Written written = writeTo(dir.path() + "/out.bvh", clip->motion, unfitted);
    ASSERT_TRUE(written.ok);
    EXPECT_NE(written.bytes.find(std::string("\nFrame Time: ") + row.written + "\n"),
              std::string::npos);
    EXPECT_NE(
        written.bytes.find(std::string("\tOFFSET\t0.000000\t") + row.written + "\t0.000000\n"),
        std::string::npos)
        << written.bytes;
    // What was written reads back as what the writer wrote, which is the value
    // read wherever six decimals were not close enough.
    auto back = loadClip(dir.path() + "/out.bvh", false);
    const double value = std::atof(row.read);
    EXPECT_EQ(back->motion.frameTime, std::atof(row.written));
    EXPECT_EQ(back->motion.skeleton[1].offset.y, std::atof(row.written));
    EXPECT_LE(std::fabs(back->motion.frameTime - value), 1e-4 * std::fabs(value));
  }
}

// A one-joint clip whose root has the given channels, holding the given frame lines.
std::string oneJointClip(const std::string& channels, int channelCount,
                         const std::vector<std::string>& lines) {
  std::string text =
      "HIERARCHY\nROOT R\n{\nOFFSET 0 0 0\nCHANNELS " + std::to_string(channelCount) + " " +
      channels +
      "\nEnd Site\n{\nOFFSET 0 1 0\n}\n}\nMOTION\nFrames: " + std::to_string(lines.size()) +
      "\nFrame Time: 0.1\n";
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

TEST(BvhWriterFrameLine, SeparatorsOfAnyKindBecomeOneBlankAfterEachWord) {
  struct Case {
    const char* line;
    const char* expected;
  };
  const Case cases[] = {
      {"1 2 3 4 5", "1.000000 2 3.000000 4 5 \n"},
      {"  1\t2  3   4\t5\r", "1.000000 2 3.000000 4 5 \n"},
      {"1 2 3 4  5 6", "1.000000 2 3.000000 4 5 6 \n"},
      {"1 2 3 4 5  6", "1.000000 2 3.000000 4 5 6 \n"},
      {"1 2 3 4\t5 6 \r", "1.000000 2 3.000000 4 5 6 \n"},
      {"1 2 3 4 5 6\t", "1.000000 2 3.000000 4 5 6 \n"},
      {"1 2 3 4 5 6   ", "1.000000 2 3.000000 4 5 6 \n"},
      {"1 2 3\t\t4 5 6", "1.000000 2 3.000000 4 5 6 \n"},
      {"1e1 2 -0.5e0 x", "10.000000 2 -0.500000 x \n"},
      {"1 2 3", "1.000000 2 3.000000 \n"},
      {"1 2 3 \t ", "1.000000 2 3.000000 \n"},
      // Irregular separators past the first 16 bytes of the run.
      {"1 2 3 4 5 6 7 8  9 10 11 12 13 14", "1.000000 2 3.000000 4 5 6 7 8 9 10 11 12 13 14 \n"},
      {"1 2 3 4 5 6 7 8 9 10 11 12 13 14 15\t16 17 18 19 20 21",
       "1.000000 2 3.000000 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 \n"},
      {"1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19  20",
       "1.000000 2 3.000000 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 \n"},
  };
  std::vector<std::string> lines;
  for (const Case& c : cases) lines.push_back(c.line);
  TempDir dir;
  const std::string in =
      dir.write("in.bvh", oneJointClip("Xposition Yposition Zposition", 3, lines));
  auto clip = loadClip(in, false);
  ASSERT_TRUE(clip->readOk);
  LoopFit unfitted;
  const Written written = writeTo(dir.path() + "/out.bvh", clip->motion, unfitted);
  ASSERT_TRUE(written.ok);
  const auto out = frameLinesOf(written.bytes);
  ASSERT_EQ(out.size(), lines.size());
  for (size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(out[i], cases[i].expected) << cases[i].line;
}

TEST(BvhWriterFrameLine, LinesOfARootWithoutPositionsAreNormalisedTheSameWay) {
  const std::vector<std::string> lines = {"a b c", "\ta  b\tc\r", "a b c  ", " a"};
  TempDir dir;
  const std::string in =
      dir.write("in.bvh", oneJointClip("Zrotation Xrotation Yrotation", 3, lines));
  auto clip = loadClip(in, false);
  ASSERT_TRUE(clip->readOk);
  LoopFit unfitted;
  const Written written = writeTo(dir.path() + "/out.bvh", clip->motion, unfitted);
  ASSERT_TRUE(written.ok);
  const std::vector<std::string> expected = {"a b c \n", "a b c \n", "a b c \n", "a \n"};
  EXPECT_EQ(frameLinesOf(written.bytes), expected);
}

TEST(BvhWriterFrameLine, LineLongerThanTheOutputBlockIsWrittenWhole) {
  // About 2.4 MB on one line, with blanks and tabs mixed.
  std::string line = "7.25 1 -3.5";
  std::string expected = "7.250000 1 -3.500000 ";
  for (int k = 0; k < 400000; ++k) {
    const std::string word = std::to_string(k % 1000);
    line += (k % 7 == 0 ? "\t" : " ") + word;
    expected += word + " ";
  }
  expected += "\n";
  TempDir dir;
  const std::string in =
      dir.write("in.bvh", oneJointClip("Xposition Yposition Zposition", 3, {line, "1 2 3"}));
  auto clip = loadClip(in, false);
  ASSERT_TRUE(clip->readOk);
  LoopFit unfitted;
  const Written written = writeTo(dir.path() + "/out.bvh", clip->motion, unfitted);
  ASSERT_TRUE(written.ok);
  const auto out = frameLinesOf(written.bytes);
  ASSERT_EQ(out.size(), 2u);
  EXPECT_TRUE(out[0] == expected) << "long line differs";
  EXPECT_EQ(out[1], "1.000000 2 3.000000 \n");
}

TEST(BvhWriterEditedPath, MovingAControlPointMovesEachFrameByTheCurveDisplacement) {
  auto clip = loadClip(fixture("small.bvh"));
  ASSERT_TRUE(clip->readOk);
  const int n = clip->motion.frameCount;
  ASSERT_EQ(n % 2, 0);

  std::vector<double> before(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    before[static_cast<size_t>(i)] =
        clip->path.path.positionAt(PathCurve::framePathParameter(i, n)).x;
  }
  const double d = 0.75;
  Point3 p2 = clip->path.path.point(2);
  p2.x += d;
  clip->path.path.setPoint(2, p2);

  TempDir dir;
  const Written written = writeTo(dir.path() + "/out.bvh", clip->motion, clip->path);
  ASSERT_TRUE(written.ok);
  const auto lines = frameLinesOf(written.bytes);
  ASSERT_EQ(lines.size(), static_cast<size_t>(n));

  for (int i = 0; i < n; ++i) {
    SCOPED_TRACE("frame " + std::to_string(i));
    const Point3 c = clip->path.path.positionAt(PathCurve::framePathParameter(i, n));
    const double displacement = c.x - before[static_cast<size_t>(i)];
    const auto original = wordsOf(clip->motion.frameLine(i));
    const auto out = wordsOf(lines[static_cast<size_t>(i)].c_str());
    ASSERT_EQ(out.size(), original.size());
    EXPECT_NEAR(std::atof(out[0].c_str()), std::atof(original[0].c_str()) + displacement, 5.01e-7);
    EXPECT_NEAR(std::atof(out[2].c_str()), std::atof(original[2].c_str()), 5.01e-7);
    // Words 3 to 5, the root's rotation, are turned by the heading (HeadingTurnTest).
    for (size_t k = 6; k < out.size(); ++k) EXPECT_EQ(out[k], original[k]);
    EXPECT_EQ(out[1], original[1]);
  }
  // Frame 0 lies on P1 and frame N/2 on P2, where the Catmull-Rom weights are (0, 1, 0, 0).
  EXPECT_EQ(wordsOf(lines[0].c_str())[0], "1.500000");
  const auto middle = wordsOf(lines[static_cast<size_t>(n / 2)].c_str());
  EXPECT_NEAR(std::atof(middle[0].c_str()),
              std::atof(wordsOf(clip->motion.frameLine(n / 2))[0].c_str()) + d, 5.01e-7);
}

TEST(BvhWriterFailure, UnwritableTargetsAreReportedAndReturnFalse) {
  auto clip = loadClip(fixture("small.bvh"));
  ASSERT_TRUE(clip->readOk);
  TempDir dir;
  const std::string fifo = dir.path() + "/fifo.bvh";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  struct Case {
    std::string fileName;
    std::string expectedConsole;
  };
  const std::vector<Case> cases = {
      {dir.path(), "Cannot open " + dir.path() + " for writing: Is a directory\n"},
      {dir.path() + "/missing/out.bvh",
       "Cannot open " + dir.path() + "/missing/out.bvh for writing: No such file or directory\n"},
      // Opening a FIFO for writing would wait for a reader forever.
      {fifo, "Cannot open " + fifo + " for writing: not a regular file\n"},
      // Replacing a device by a plain file would be worse than failing.
      {"/dev/full", "Cannot open /dev/full for writing: not a regular file\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fileName);
    bool ok = true;
    const std::string console =
        writertest::writeNoting(ok, c.fileName.c_str(), clip->motion, clip->path);
    EXPECT_FALSE(ok);
    EXPECT_EQ(console, c.expectedConsole);
  }
  EXPECT_FALSE(std::filesystem::exists(dir.path() + "/missing"));
}

TEST(BvhWriterFailure, ClipWithoutRootIsRefusedAndCreatesNoFile) {
  BvhMotion empty;
  LoopFit path;
  TempDir dir;
  const std::string fileName = dir.path() + "/out.bvh";
  bool ok = true;
  const std::string console = writertest::writeNoting(ok, fileName.c_str(), empty, path);
  EXPECT_FALSE(ok);
  EXPECT_EQ(console, "Nothing written to " + fileName + ": the clip has no hierarchy\n");
  EXPECT_FALSE(std::filesystem::exists(fileName));
}

TEST(BvhWriterFailure, NoFileNameDoesNothing) {
  auto clip = loadClip(fixture("small.bvh"));
  ASSERT_TRUE(clip->readOk);
  bool ok = true;
  const std::string console = writertest::writeNoting(ok, nullptr, clip->motion, clip->path);
  EXPECT_FALSE(ok);
  EXPECT_EQ(console, "");
}

// A chain of joints, each the only child of the one before, ending in an End Site.
struct Chain {
  BvhMotion motion;
  explicit Chain(int depth) {
    BvhJoint root;
    root.name = "Hips";
    root.channelCount = 3;
    root.channelNames = {"Xposition", "Yposition", "Zposition"};
    motion.skeleton.add(std::move(root));
    for (int d = 1; d <= depth; ++d) {
      BvhJoint child;
      child.parent = d - 1;
      if (d == depth) {
        child.name = "END";
        child.isEndSite = true;
        child.channelOffset = -1;
      } else {
        child.name = "J";
        child.channelCount = 1;
        child.channelNames = {"Zrotation"};
        child.offset.y = 1.0;
      }
      motion.skeleton.add(std::move(child));
    }
  }
};

// The recursive layout, built here line by line for a chain.
// Levels past 64 are indented like level 64.
std::string tabs(int n) { return std::string(static_cast<size_t>(std::min(n, 64)), '\t'); }

std::string chainLayout(int depth) {
  std::string out = "ROOT Hips\n{\n\tOFFSET\t0.000000\t0.000000\t0.000000\n";
  out += "\tCHANNELS 3 Xposition Yposition Zposition \n";
  for (int d = 1; d <= depth; ++d) {
    const std::string own = tabs(d);
    const std::string inner = tabs(d + 1);
    if (d == depth) {
      out += own + "End Site\n" + own + "{\n" + inner + "OFFSET\t0.000000\t0.000000\t0.000000\n";
    } else {
      out += own + "JOINT J\n" + own + "{\n" + inner + "OFFSET\t0.000000\t1.000000\t0.000000\n";
      out += inner + "CHANNELS 1 Zrotation \n";
    }
  }
  for (int d = depth; d >= 0; --d) out += tabs(d) + "}\n";
  return out;
}

// Runs writeJoint on a thread whose stack is far too small for one call
// frame per level; returns its console notes.
std::string writeOnSmallStack(const BvhMotion& motion, std::FILE* file) {
  Notes notes;
  testsupport::runOnSmallStack(256 * 1024, [&] { motion.writeJoint(0, 0, file, notes); });
  return notes.text();
}

TEST(BvhWriterHierarchy, DeepChainKeepsTheNestedLayout) {
  const int depth = 300;
  Chain chain(depth);
  TempDir dir;
  const std::string fileName = dir.path() + "/chain.bvh";
  std::FILE* file = std::fopen(fileName.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  const std::string console = writeOnSmallStack(chain.motion, file);
  std::fclose(file);
  EXPECT_EQ(console, "MMM\nROOT Hips\n{");
  EXPECT_EQ(readFile(fileName), chainLayout(depth));
}

TEST(BvhWriterHierarchy, NestingFarDeeperThanTheStackAllowsIsWritten) {
  // One call frame per level would need several megabytes here.
  // Indented by depth, the output would grow with its square (1.4 GB here).
  const int depth = 30000;
  Chain chain(depth);
  TempDir dir;
  const std::string fileName = dir.path() + "/deep.bvh";
  std::FILE* file = std::fopen(fileName.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  writeOnSmallStack(chain.motion, file);
  EXPECT_EQ(std::ferror(file), 0);
  std::fclose(file);
  EXPECT_LT(std::filesystem::file_size(fileName), static_cast<std::uintmax_t>(depth) * 400);
}

TEST(BvhWriterHierarchy, EchoOfARootBelowTheTopIsIndented) {
  Chain chain(1);
  std::FILE* sink = std::fopen("/dev/null", "wb");
  ASSERT_NE(sink, nullptr);
  Notes notes;
  chain.motion.writeJoint(0, 2, sink, notes);
  const std::string console = notes.text();
  std::fclose(sink);
  EXPECT_EQ(console, "\t\tMMM\nROOT Hips\n\t\t{");
}

}  // namespace

namespace {

bool writeBytes(const std::string& path, const std::string& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

size_t entriesIn(const std::string& folder) {
  size_t count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    (void)entry;
    ++count;
  }
  return count;
}

}  // namespace

// A write that runs out of room must leave the old file exactly as it was,
// with nothing left beside it, and say so.
TEST(BvhWriterFailure, FullDiskKeepsTheOldFile) {
  auto clip = loadClip(std::string(MPE_SOURCE_DIR) + "/dance01.bvh");
  ASSERT_TRUE(clip->readOk);
  for (const fulldisk::Kind kind : {fulldisk::Kind::kFileSizeLimit, fulldisk::Kind::kSmallTmpfs}) {
    const bool tmpfs = kind == fulldisk::Kind::kSmallTmpfs;
    SCOPED_TRACE(tmpfs ? "full tmpfs" : "file size limit");
    TempDir dir;
    const std::string target = dir.path() + "/out.bvh";
    const std::string old = "HIERARCHY\nthe old clip\n";
    const int status = fulldisk::run(kind, dir.path(), [&] {
      if (!writeBytes(target, old)) return 2;
      std::string message;
      bool ok = true;
      writertest::writeNoting(ok, target.c_str(), clip->motion, clip->path, &message);
      if (ok) return 3;
      const std::string expected =
          "Failed to write " + target + (tmpfs ? ": No space left on device" : ": File too large");
      if (message != expected) return 4;
      if (readFile(target) != old) return 5;
      if (entriesIn(dir.path()) != 1) return 6;
      return 0;
    });
    if (status == fulldisk::kCannotSetUp && tmpfs) GTEST_SKIP() << "tmpfs cannot be mounted here";
    EXPECT_EQ(status, 0) << "2: set-up, 3: success reported, 4: message, 5: old file changed, "
                            "6: a file left behind";
  }
}

// One frame whose root x is not a finite number must not spoil the path of
// the others, and is written back as it was read.
TEST(BvhWriterFrames, NonFiniteRootPositionStaysAsRead) {
  const std::string clipText = std::string(smallHierarchy) +
                               "MOTION\nFrames: 10\nFrame Time: 0.1\n" +
                               "0 0.9 0 0 0 0 0 0 0 0 0 0\n"
                               "1 0.9 0 0 0 0 0 0 0 0 0 0\n"
                               "2 0.9 1 0 0 0 0 0 0 0 0 0\n"
                               "nan 0.9 1 0 0 0 0 0 0 0 0 0\n"
                               "4 0.9 2 0 0 0 0 0 0 0 0 0\n"
                               "5 0.9 1e400 0 0 0 0 0 0 0 0 0\n"
                               "6 0.9 1 0 0 0 0 0 0 0 0 0\n"
                               "7 0.9 1 0 0 0 0 0 0 0 0 0\n"
                               "8 0.9 0 0 0 0 0 0 0 0 0 0\n"
                               "9 0.9 0 0 0 0 0 0 0 0 0 0\n";
  TempDir dir;
  auto clip = loadClip(dir.write("nan.bvh", clipText));
  ASSERT_TRUE(clip->readOk);
  for (int i = 0; i < 4; ++i) {
    const Point3 p = clip->path.path.point(i);
    EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.z)) << "control point " << i;
  }
  const std::string out = dir.path() + "/out.bvh";
  bool ok = false;
  writertest::writeNoting(ok, out.c_str(), clip->motion, clip->path);
  ASSERT_TRUE(ok);
  const auto lines = frameLinesOf(readFile(out));
  ASSERT_EQ(lines.size(), 10u);
  for (size_t i = 0; i < lines.size(); ++i) {
    const auto words = wordsOf(lines[i].c_str());
    ASSERT_GE(words.size(), 3u);
    SCOPED_TRACE(lines[i]);
    if (i == 3) {
      EXPECT_EQ(words[0], "nan");
    } else if (i == 5) {
      EXPECT_EQ(words[2], "1e400");
    } else {
      EXPECT_NEAR(std::atof(words[0].c_str()), static_cast<double>(i), 1e-5);
      EXPECT_TRUE(std::isfinite(std::atof(words[2].c_str())));
    }
  }
}
