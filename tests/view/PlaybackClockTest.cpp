#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "view/PlaybackClock.h"

namespace {

TEST(PlaybackClockTest, CountsElapsedMillisecondsAndNeverRunsBackwards) {
  const long first = playbackClockMs();
  EXPECT_GE(first, 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  const long second = playbackClockMs();
  EXPECT_GE(second - first, 30);
  // Time since the program started, not since some far epoch.
  EXPECT_LT(second, 24L * 3600L * 1000L);
}

TEST(PlaybackClockTest, AReplacementAnswersUntilTheOldClockIsPutBack) {
  long reading = 123456789;
  PlaybackClockFunction previous = setPlaybackClock([&reading] { return reading; });
  EXPECT_FALSE(previous);
  EXPECT_EQ(playbackClockMs(), 123456789);
  reading = 7;
  EXPECT_EQ(playbackClockMs(), 7);

  PlaybackClockFunction replaced = setPlaybackClock(previous);
  ASSERT_TRUE(replaced);
  EXPECT_EQ(replaced(), 7);
  EXPECT_LT(playbackClockMs(), 24L * 3600L * 1000L);
}

}  // namespace
