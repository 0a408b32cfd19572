#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "motion/StrobeSchedule.h"

namespace {

struct ScheduleCase {
  std::string name;
  int current;
  int frameCount;
  bool strobing;
  std::vector<int> frames;
  std::vector<double> alphas;
};

void PrintTo(const ScheduleCase& c, std::ostream* out) { *out << c.name; }

class StrobeScheduleTest : public ::testing::TestWithParam<ScheduleCase> {};

TEST_P(StrobeScheduleTest, DrawsTheFramesInOrderWithTheirAlphas) {
  const ScheduleCase& c = GetParam();
  const std::vector<StrobeDraw> draws = strobeSchedule(c.current, c.frameCount, c.strobing);
  ASSERT_EQ(draws.size(), c.frames.size());
  for (size_t i = 0; i < draws.size(); ++i) {
    EXPECT_EQ(draws[i].frame, c.frames[i]) << "draw " << i;
    EXPECT_DOUBLE_EQ(draws[i].alpha, c.alphas[i]) << "draw " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Schedules, StrobeScheduleTest,
    ::testing::Values(
        ScheduleCase{"Off", 20, 100, false, {20}, {1.0}},
        ScheduleCase{"OffFirstFrame", 0, 1, false, {0}, {1.0}},
        ScheduleCase{"Frame20", 20, 100, true, {20, 20, 8, 12, 16}, {1.0, 0.8, 1.0, -1.0, -3.0}},
        ScheduleCase{"Frame5", 5, 100, true, {5, 5, 0, 4}, {1.0, 0.8, 1.0, -1.0}},
        ScheduleCase{"Frame10", 10, 100, true, {10, 10, 0, 4, 8}, {1.0, 0.8, 1.0, -1.0, -3.0}},
        ScheduleCase{"Frame0", 0, 100, true, {0, 0}, {1.0, 0.8}},
        ScheduleCase{"LastFrame", 29, 30, true, {29, 29, 17, 21, 25}, {1.0, 0.8, 1.0, -1.0, -3.0}},
        ScheduleCase{"SingleFrameClip", 0, 1, true, {0, 0}, {1.0, 0.8}},
        ScheduleCase{"EmptyClip", 0, 0, true, {}, {}},
        ScheduleCase{"EmptyClipOff", 0, 0, false, {}, {}},
        ScheduleCase{"BeyondClip", 12, 12, true, {}, {}},
        ScheduleCase{"Negative", -1, 12, false, {}, {}}),
    [](const ::testing::TestParamInfo<ScheduleCase>& info) { return info.param.name; });

TEST(StrobeColorOffsetTest, BrightensByOnePerTenFramesBehindTruncatingTowardZero) {
  EXPECT_DOUBLE_EQ(strobeColorOffset(10, 0), 1.0);
  EXPECT_DOUBLE_EQ(strobeColorOffset(10, 4), 0.0);
  EXPECT_DOUBLE_EQ(strobeColorOffset(10, 8), 0.0);
  EXPECT_DOUBLE_EQ(strobeColorOffset(20, 8), 1.0);
  EXPECT_DOUBLE_EQ(strobeColorOffset(25, 4), 2.0);
  EXPECT_DOUBLE_EQ(strobeColorOffset(7, 7), 0.0);
  // Ahead of the current frame: toward zero, not toward minus infinity.
  EXPECT_DOUBLE_EQ(strobeColorOffset(0, 9), 0.0);
  EXPECT_DOUBLE_EQ(strobeColorOffset(5, 20), -1.0);
}

}  // namespace
