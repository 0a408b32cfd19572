#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "motion/FrameWords.h"

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

TEST(FrameWordsTest, WalksWordsInPlaceAndReadsThemAsAtofDoes) {
  const char* line = "\t1.5  -2e1\r 0x10 abc 7.25nan";
  FrameWords walk(line);
  const char* first = nullptr;
  const char* last = nullptr;
  std::vector<std::string> seen;
  while (walk.next(first, last)) {
    seen.emplace_back(first, last);
    EXPECT_EQ(wordValue(first, last), std::atof(seen.back().c_str())) << seen.back();
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"1.5", "-2e1", "0x10", "abc", "7.25nan"}));

  std::vector<double> values;
  readFrameValues(line, values);
  EXPECT_EQ(values, (std::vector<double>{1.5, -20.0, 16.0, 0.0, 7.25}));
  EXPECT_EQ(valueAt(values, 4), 7.25);
  EXPECT_EQ(valueAt(values, 5), 0.0);
  EXPECT_EQ(valueAt(values, -1), 0.0);
  readFrameValues(nullptr, values);
  EXPECT_TRUE(values.empty());

  double value = -1.0;
  EXPECT_TRUE(frameWordValue(line, 1, value));
  EXPECT_EQ(value, -20.0);
  value = -1.0;
  EXPECT_FALSE(frameWordValue(line, 5, value));
  EXPECT_FALSE(frameWordValue(line, -1, value));
  EXPECT_FALSE(frameWordValue(nullptr, 0, value));
  EXPECT_EQ(value, -1.0);
}

}  // namespace
