// Read, fit, write, read again: the written file must hold the same clip.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "TestSupport.h"
#include "motion/BvhMotion.h"
#include "motion/BvhWriterTestSupport.h"
#include "path/PathWriter.h"

using testsupport::TempDir;
using writertest::expectSameFrames;
using writertest::expectSameHierarchy;
using writertest::loadClip;
using writertest::rootWord;

namespace {

struct RoundTripCase {
  const char* label;
  std::string fileName;
};

std::string printCase(const testing::TestParamInfo<RoundTripCase>& info) {
  return info.param.label;
}

class BvhWriterRoundTrip : public testing::TestWithParam<RoundTripCase> {};

TEST_P(BvhWriterRoundTrip, WrittenClipReadsBackTheSame) {
  const RoundTripCase& c = GetParam();
  ASSERT_TRUE(std::filesystem::exists(c.fileName)) << c.fileName << " is missing";
  auto original = loadClip(c.fileName);
  ASSERT_TRUE(original->readOk);

  TempDir dir;
  const std::string written = dir.path() + "/written.bvh";
  bool ok = false;
  writertest::writeNoting(ok, written.c_str(), original->motion, original->path);
  ASSERT_TRUE(ok);

  auto again = loadClip(written, false);
  ASSERT_TRUE(again->readOk);
  ASSERT_FALSE(again->motion.skeleton.empty());
  expectSameHierarchy(original->motion.skeleton, again->motion.skeleton);
  EXPECT_EQ(again->motion.channelTotal, original->motion.channelTotal);
  EXPECT_NEAR(again->motion.frameTime, original->motion.frameTime, 5.01e-7);
  const int xWord = rootWord(original->motion, "Xposition");
  const int zWord = rootWord(original->motion, "Zposition");
  expectSameFrames(original->motion, again->motion, xWord, zWord);
}

std::string writerData(const char* name) {
  return std::string(MPE_TEST_DATA_DIR) + "/writer/" + name;
}

std::string realClip(const char* name) { return std::string(MPE_CLIP_DATA_DIR) + "/" + name; }

INSTANTIATE_TEST_SUITE_P(
    Clips, BvhWriterRoundTrip,
    testing::Values(RoundTripCase{"DefaultClip", std::string(MPE_SOURCE_DIR) + "/dance01.bvh"},
                    RoundTripCase{"Small", writerData("small.bvh")},
                    RoundTripCase{"Crlf", writerData("crlf.bvh")},
                    RoundTripCase{"PositionsAfterRotations", writerData("other-order.bvh")},
                    RoundTripCase{"RotationOnlyRoot", writerData("rotation-only.bvh")},
                    RoundTripCase{"ShortFrameLines", writerData("short-lines.bvh")},
                    RoundTripCase{"ZeroFrames", writerData("zero-frames.bvh")},
                    RoundTripCase{"Cmu0101", realClip("cmu-01_01.bvh")},
                    RoundTripCase{"ZombieWalk", realClip("makehuman-zombieWalk1.bvh")},
                    RoundTripCase{"FacePoseUnits", realClip("makehuman-face-poseunits.bvh")},
                    RoundTripCase{"PfnnCrlf", realClip("fairmotion-pfnn.bvh")}),
    printCase);

}  // namespace
