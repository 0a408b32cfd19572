// Read, fit, write, read again: the written file must hold the same clip.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "TestSupport.h"
#include "motion/BvhMotion.h"
#include "motion/BvhWriter.h"
#include "motion/BvhWriterTestSupport.h"

using testsupport::captureStdout;
using testsupport::TempDir;
using writertest::expectSameFrames;
using writertest::expectSameHierarchy;
using writertest::loadClip;
using writertest::rootWord;

namespace {

struct RoundTripCase {
  const char* label;
  std::string fileName;
  // Clips from outside the repository may be absent on a machine.
  bool optional;
};

std::string printCase(const testing::TestParamInfo<RoundTripCase>& info) {
  return info.param.label;
}

class BvhWriterRoundTrip : public testing::TestWithParam<RoundTripCase> {};

TEST_P(BvhWriterRoundTrip, WrittenClipReadsBackTheSame) {
  const RoundTripCase& c = GetParam();
  if (!std::filesystem::exists(c.fileName)) {
    if (c.optional) GTEST_SKIP() << c.fileName << " is not on this machine";
    FAIL() << c.fileName << " is missing";
  }
  auto original = loadClip(c.fileName);
  ASSERT_TRUE(original->readOk);

  TempDir dir;
  const std::string written = dir.path() + "/written.bvh";
  bool ok = false;
  captureStdout([&] { ok = writePath(written.c_str(), original->motion, original->path); });
  ASSERT_TRUE(ok);

  auto again = loadClip(written, false);
  ASSERT_TRUE(again->readOk);
  ASSERT_NE(again->motion.root, nullptr);
  expectSameHierarchy(*original->motion.root, *again->motion.root);
  EXPECT_EQ(again->motion.channelTotal, original->motion.channelTotal);
  EXPECT_NEAR(again->motion.frameTime, original->motion.frameTime, 5.01e-7);
  const int xWord = rootWord(original->motion, "Xposition");
  const int zWord = rootWord(original->motion, "Zposition");
  expectSameFrames(original->motion, again->motion, xWord, zWord);
}

std::string writerData(const char* name) {
  return std::string(MPE_TEST_DATA_DIR) + "/writer/" + name;
}

std::string sharedData(const char* name) { return std::string(MPE_SHARED_DATA_DIR) + "/" + name; }

INSTANTIATE_TEST_SUITE_P(
    Clips, BvhWriterRoundTrip,
    testing::Values(
        RoundTripCase{"DefaultClip", std::string(MPE_SOURCE_DIR) + "/dance01.bvh", false},
        RoundTripCase{"Small", writerData("small.bvh"), false},
        RoundTripCase{"Crlf", writerData("crlf.bvh"), false},
        RoundTripCase{"PositionsAfterRotations", writerData("other-order.bvh"), false},
        RoundTripCase{"RotationOnlyRoot", writerData("rotation-only.bvh"), false},
        RoundTripCase{"ShortFrameLines", writerData("short-lines.bvh"), false},
        RoundTripCase{"ZeroFrames", writerData("zero-frames.bvh"), false},
        RoundTripCase{"Cmu0101", sharedData("cmu-01_01.bvh"), true},
        RoundTripCase{"ZombieWalk", sharedData("makehuman-zombieWalk1.bvh"), true},
        RoundTripCase{"FacePoseUnits", sharedData("makehuman-face-poseunits.bvh"), true},
        RoundTripCase{"PfnnCrlf", sharedData("fairmotion-pfnn.bvh"), true}),
    printCase);

}  // namespace
