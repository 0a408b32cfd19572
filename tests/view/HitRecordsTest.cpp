#include "view/HitRecords.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr unsigned int maxDepth = 4294967295u;

// Appends one hit record: name count, depths, names.
void addRecord(std::vector<unsigned int>& buffer, unsigned int minDepth, unsigned int maxDepthValue,
               std::vector<unsigned int> names) {
  buffer.push_back(static_cast<unsigned int>(names.size()));
  buffer.push_back(minDepth);
  buffer.push_back(maxDepthValue);
  buffer.insert(buffer.end(), names.begin(), names.end());
}

TEST(HitRecords, NoHitsSelectNothing) {
  const std::vector<unsigned int> buffer(100, 0);
  const HitRecordsResult result = readHitRecords(0, buffer.data(), buffer.size());
  EXPECT_EQ(result.selectedIndex, -1);
  EXPECT_EQ(result.recordsRead, 0);
}

TEST(HitRecords, RecordsWithOneOrTwoNamesNeverSelect) {
  // What a pick with "Uses Path" off gives: the scene's one-name record and
  // the cubes' [0, i] records.
  std::vector<unsigned int> buffer;
  addRecord(buffer, 10, 20, {0});
  addRecord(buffer, 30, 40, {0, 2});
  addRecord(buffer, 50, 60, {0, 3});
  addRecord(buffer, 70, 80, {});
  const HitRecordsResult result = readHitRecords(4, buffer.data(), buffer.size());
  EXPECT_EQ(result.selectedIndex, -1);
  EXPECT_EQ(result.recordsRead, 4);
}

TEST(HitRecords, ThirdNameOfAThreeNameRecordSelects) {
  std::vector<unsigned int> buffer;
  addRecord(buffer, 10, 20, {0});
  addRecord(buffer, 30, 40, {0, 1});
  addRecord(buffer, 50, 60, {0, 0, 1});
  const HitRecordsResult result = readHitRecords(3, buffer.data(), buffer.size());
  EXPECT_EQ(result.selectedIndex, 1);
}

TEST(HitRecords, LastThreeNameRecordWins) {
  std::vector<unsigned int> buffer;
  addRecord(buffer, 10, 20, {0, 0, 1});
  addRecord(buffer, 10, 20, {0, 0, 3});
  addRecord(buffer, 10, 20, {0, 2});  // later, but only two names
  const HitRecordsResult result = readHitRecords(3, buffer.data(), buffer.size());
  EXPECT_EQ(result.selectedIndex, 3);
}

TEST(HitRecords, OnlyTheCountedRecordsAreRead) {
  std::vector<unsigned int> buffer;
  addRecord(buffer, 10, 20, {0, 0, 1});
  addRecord(buffer, 10, 20, {0, 0, 2});  // beyond the count: stale words
  const HitRecordsResult result = readHitRecords(1, buffer.data(), buffer.size());
  EXPECT_EQ(result.selectedIndex, 1);
  EXPECT_EQ(result.recordsRead, 1);
}

TEST(HitRecords, DepthIsTheMeanOfTheLastRecordsScaledDepths) {
  std::vector<unsigned int> buffer;
  addRecord(buffer, 0, maxDepth, {0, 0, 1});
  addRecord(buffer, maxDepth, maxDepth, {0});
  HitRecordsResult result = readHitRecords(2, buffer.data(), buffer.size());
  EXPECT_DOUBLE_EQ(result.lastDepth, 1.0);

  result = readHitRecords(1, buffer.data(), buffer.size());
  EXPECT_DOUBLE_EQ(result.lastDepth, 0.5);
}

TEST(HitRecords, NegativeCountReadsOnlyWholeRecordsInsideTheBuffer) {
  // An overflowed 20-word buffer: three whole records, then a record whose
  // names run past the end.
  std::vector<unsigned int> buffer;
  addRecord(buffer, 0, 0, {0});              // words 0..3
  addRecord(buffer, 0, 0, {0, 0, 2});        // words 4..9
  addRecord(buffer, maxDepth, 0, {0, 0, 3});  // words 10..15
  buffer.push_back(3);                        // word 16: truncated record
  buffer.push_back(0);
  buffer.push_back(0);
  buffer.push_back(0);
  ASSERT_EQ(buffer.size(), 20u);
  const HitRecordsResult result = readHitRecords(-1, buffer.data(), buffer.size());
  EXPECT_EQ(result.recordsRead, 3);
  EXPECT_EQ(result.selectedIndex, 3);
  EXPECT_DOUBLE_EQ(result.lastDepth, 0.5);
}

TEST(HitRecords, TruncatedHeaderIsNotRead) {
  std::vector<unsigned int> buffer;
  addRecord(buffer, 0, 0, {0, 0, 1});  // words 0..5
  buffer.push_back(3);                 // words 6..7: a header cut short
  buffer.push_back(0);
  const HitRecordsResult result = readHitRecords(-1, buffer.data(), buffer.size());
  EXPECT_EQ(result.recordsRead, 1);
  EXPECT_EQ(result.selectedIndex, 1);
}

TEST(HitRecords, CountBeyondTheBufferStopsAtItsEnd) {
  // A name count near 2^32 must neither overflow the bound check nor be read.
  std::vector<unsigned int> buffer;
  addRecord(buffer, 0, 0, {0, 0, 2});
  buffer.push_back(0xFFFFFFFFu);
  buffer.push_back(0);
  buffer.push_back(0);
  buffer.push_back(7);
  const HitRecordsResult result = readHitRecords(5, buffer.data(), buffer.size());
  EXPECT_EQ(result.recordsRead, 1);
  EXPECT_EQ(result.selectedIndex, 2);
}

TEST(HitRecords, ReadsNothingBeyondTheGivenWordCount) {
  // The words past the limit would select 5 if they were read.
  std::vector<unsigned int> buffer;
  addRecord(buffer, 0, 0, {0, 0, 5});
  const HitRecordsResult result = readHitRecords(1, buffer.data(), 5);
  EXPECT_EQ(result.recordsRead, 0);
  EXPECT_EQ(result.selectedIndex, -1);
}

TEST(HitRecords, NameBeyondIntRangeSelectsNothing) {
  std::vector<unsigned int> buffer;
  addRecord(buffer, 0, 0, {0, 0, 1});
  addRecord(buffer, 0, 0, {0, 0, 0x80000000u});
  const HitRecordsResult result = readHitRecords(2, buffer.data(), buffer.size());
  EXPECT_EQ(result.selectedIndex, -1);
}

}  // namespace
