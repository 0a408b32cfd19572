// A written file must also be accepted by a BVH reader that is not ours: the
// assimp command-line tool reads it back with the same nodes and frames.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "motion/BvhMotion.h"
#include "motion/BvhWriterTestSupport.h"
#include "path/PathWriter.h"

using testsupport::readFile;
using testsupport::TempDir;
using writertest::loadClip;

namespace {

bool assimpOnPath() { return std::system("command -v assimp >/dev/null 2>&1") == 0; }

std::string run(const std::string& command) {
  std::string out;
  std::FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return out;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  pclose(pipe);
  return out;
}

// The integer after `key` in text, or -1 when the key is absent.
long numberAfter(const std::string& text, const std::string& key) {
  const size_t at = text.find(key);
  if (at == std::string::npos) return -1;
  return std::strtol(text.c_str() + at + key.size(), nullptr, 10);
}

double realAfter(const std::string& text, const std::string& key) {
  const size_t at = text.find(key);
  if (at == std::string::npos) return -1.0;
  return std::strtod(text.c_str() + at + key.size(), nullptr);
}

struct TreeCounts {
  long nodes = 0;         // joints and End Sites
  long withChannels = 0;  // joints that carry animation
};

TreeCounts countTree(const Skeleton& skeleton) {
  TreeCounts counts;
  for (const BvhJoint& joint : skeleton.joints()) {
    ++counts.nodes;
    if (!joint.isEndSite) ++counts.withChannels;
  }
  return counts;
}

class BvhInteropAssimp : public testing::TestWithParam<std::string> {};

TEST_P(BvhInteropAssimp, WrittenFileHasTheSameNodesAndFramesForAssimp) {
  if (!assimpOnPath()) GTEST_SKIP() << "assimp is not on PATH";
  const std::string source = GetParam();
  if (!std::filesystem::exists(source)) GTEST_SKIP() << source << " is not on this machine";

  auto clip = loadClip(source);
  ASSERT_TRUE(clip->readOk);
  ASSERT_GT(clip->motion.frameCount, 1);
  TempDir dir;
  const std::string written = dir.path() + "/written.bvh";
  bool ok = false;
  writertest::writeNoting(ok, written.c_str(), clip->motion, clip->path);
  ASSERT_TRUE(ok);
  const TreeCounts counts = countTree(clip->motion.skeleton);

  const std::string info = run("assimp info '" + written + "' 2>&1");
  EXPECT_EQ(numberAfter(info, "Nodes:"), counts.nodes) << info;
  EXPECT_EQ(numberAfter(info, "Animations:"), 1) << info;
  EXPECT_EQ(numberAfter(info, "Animation Channels:"), counts.withChannels) << info;

  // The text dump holds the animation: one rotation key per frame, and a
  // duration of frameCount - 1 ticks at one tick per frame.
  const std::string dumpFile = dir.path() + "/dump.xml";
  run("assimp dump '" + written + "' '" + dumpFile + "' 2>&1");
  const std::string dump = readFile(dumpFile);
  ASSERT_FALSE(dump.empty()) << "assimp wrote no dump";
  EXPECT_EQ(numberAfter(dump, "<RotationKeyList num=\""), clip->motion.frameCount);
  EXPECT_DOUBLE_EQ(realAfter(dump, "duration=\""), clip->motion.frameCount - 1.0);
}

INSTANTIATE_TEST_SUITE_P(Clips, BvhInteropAssimp,
                         testing::Values(std::string(MPE_TEST_DATA_DIR) + "/writer/small.bvh",
                                         std::string(MPE_SOURCE_DIR) + "/dance01.bvh",
                                         std::string(MPE_CLIP_DATA_DIR) +
                                             "/makehuman-zombieWalk1.bvh",
                                         std::string(MPE_CLIP_DATA_DIR) + "/cmu-01_01.bvh"));

}  // namespace
