#include "motion/FrameWords.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> strings(const std::vector<const char*>& words) {
  return std::vector<std::string>(words.begin(), words.end());
}

TEST(FrameWordsTest, SplitsAtBlankTabCarriageReturnAndLineFeed) {
  std::string copy;
  std::vector<const char*> words;
  splitFrameLine(" 1.5\t-2  3e1\r\n4\r", copy, words);
  EXPECT_EQ(strings(words), (std::vector<std::string>{"1.5", "-2", "3e1", "4"}));
}

TEST(FrameWordsTest, WordsPointIntoTheCopyAndTheLineIsUntouched) {
  const std::string line = "10 20 30";
  std::string copy;
  std::vector<const char*> words;
  splitFrameLine(line.c_str(), copy, words);
  EXPECT_EQ(line, "10 20 30");
  ASSERT_EQ(words.size(), 3u);
  for (const char* word : words) {
    EXPECT_GE(word, copy.data());
    EXPECT_LT(word, copy.data() + copy.size());
  }
}

TEST(FrameWordsTest, ReusedListsHoldOnlyTheNewLine) {
  std::string copy;
  std::vector<const char*> words;
  splitFrameLine("1 2 3 4 5", copy, words);
  splitFrameLine("7 8", copy, words);
  EXPECT_EQ(strings(words), (std::vector<std::string>{"7", "8"}));
}

TEST(FrameWordsTest, BlankEmptyAndMissingLinesHaveNoWords) {
  std::string copy = "old";
  std::vector<const char*> words = {"stale"};
  splitFrameLine(" \t\r ", copy, words);
  EXPECT_TRUE(words.empty());
  splitFrameLine("", copy, words);
  EXPECT_TRUE(words.empty());
  words.push_back("stale");
  splitFrameLine(nullptr, copy, words);
  EXPECT_TRUE(words.empty());
}

}  // namespace
