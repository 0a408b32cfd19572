#pragma once

// Shared by the writer's tests: loading and fitting a clip, reading a written
// file back, and comparing two clips word by word.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "motion/BvhMotion.h"
#include "path/LoopFit.h"
#include "path/LoopPath.h"
#include "path/PathFit.h"
#include "path/PathWriter.h"

namespace writertest {

inline std::string fixture(const std::string& name) {
  return std::string(MPE_TEST_DATA_DIR) + "/writer/" + name;
}

// A clip read from a file, with a path fitted to it when asked.
struct LoadedClip {
  BvhMotion motion;
  LoopFit path;
  bool readOk = false;
};

inline std::unique_ptr<LoadedClip> loadClip(const std::string& fileName, bool fit = true) {
  auto clip = std::make_unique<LoadedClip>();
  Notes notes;
  clip->readOk = clip->motion.read(fileName.c_str(), notes).ok();
  if (clip->readOk && fit) fitPath(clip->motion, clip->path, notes);
  return clip;
}

// writePath, its console notes returned as text.
inline std::string writeNoting(bool& ok, const char* fileName, const BvhMotion& motion,
                               const LoopFit& path, std::string* message = nullptr) {
  Notes notes;
  LoopPath loop;
  loop.record() = path;
  const Status written = writePath(fileName, motion, loop, UpAxis::y, notes);
  ok = written.ok();
  if (!ok && message != nullptr) *message = written.failure().message;
  return notes.text();
}

// Words of a frame line, split here without the project's own splitter so
// that the comparison does not share its faults.
inline std::vector<std::string> wordsOf(const char* line) {
  std::vector<std::string> words;
  std::string word;
  for (const char* c = line; *c != '\0'; ++c) {
    if (*c == ' ' || *c == '\t' || *c == '\r' || *c == '\n') {
      if (!word.empty()) words.push_back(word);
      word.clear();
    } else {
      word += *c;
    }
  }
  if (!word.empty()) words.push_back(word);
  return words;
}

// Same names, kinds, parents, offsets (to 1e-6) and channel names, node by
// node in file order.
inline void expectSameHierarchy(const Skeleton& expected, const Skeleton& actual) {
  ASSERT_EQ(expected.size(), actual.size());
  for (int node = 0; node < expected.size(); ++node) {
    const BvhJoint* a = &expected[node];
    const BvhJoint* b = &actual[node];
    SCOPED_TRACE("node " + std::to_string(node) + " " + (a->name ? a->name : "(none)"));
    ASSERT_NE(a->name, nullptr);
    ASSERT_NE(b->name, nullptr);
    EXPECT_STREQ(a->name, b->name);
    EXPECT_EQ(a->isEndSite, b->isEndSite);
    EXPECT_EQ(a->parent, b->parent);
    EXPECT_NEAR(a->offset.x, b->offset.x, 1e-6);
    EXPECT_NEAR(a->offset.y, b->offset.y, 1e-6);
    EXPECT_NEAR(a->offset.z, b->offset.z, 1e-6);
    EXPECT_EQ(a->channelCount, b->channelCount);
    EXPECT_EQ(a->channelOffset, b->channelOffset);
    ASSERT_EQ(a->channelNames.size(), b->channelNames.size());
    for (size_t k = 0; k < a->channelNames.size(); ++k) {
      EXPECT_STREQ(a->channelNames[k], b->channelNames[k]);
    }
  }
}

// Word index of a root channel, or -1.
inline int rootWord(const BvhMotion& motion, const char* channel) {
  const auto& names = motion.skeleton.root().channelNames;
  for (size_t k = 0; k < names.size(); ++k) {
    if (std::string(names[k]) == channel) {
      return motion.skeleton.root().channelOffset + static_cast<int>(k);
    }
  }
  return -1;
}

// Every value of every frame equal to six decimals; words outside the root's
// x and z must come back as the very same text.
inline void expectSameFrames(const BvhMotion& expected, const BvhMotion& actual, int xWord,
                             int zWord) {
  ASSERT_EQ(expected.frameCount, actual.frameCount);
  for (int i = 0; i < expected.frameCount; ++i) {
    const auto a = wordsOf(expected.frameLine(i));
    const auto b = wordsOf(actual.frameLine(i));
    ASSERT_EQ(a.size(), b.size()) << "frame " << i;
    for (size_t k = 0; k < a.size(); ++k) {
      const int word = static_cast<int>(k);
      if (word == xWord || word == zWord) {
        EXPECT_NEAR(std::atof(a[k].c_str()), std::atof(b[k].c_str()), 5.01e-7)
            << "frame " << i << " word " << k;
      } else {
        EXPECT_EQ(a[k], b[k]) << "frame " << i << " word " << k;
      }
    }
  }
}

}  // namespace writertest
