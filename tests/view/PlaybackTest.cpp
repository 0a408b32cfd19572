#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "view/Playback.h"

namespace {

// A 20-frame clip at 0.1 s a frame, started at clock 0.
Playback twentyFrames() {
  Playback playback;
  playback.startClip(20, 0.1, 0);
  return playback;
}

TEST(PlaybackTest, StartsAClipAtFrameZeroAnimatedAtItsPace) {
  Playback playback;
  playback.startClip(7, 0.25, 40);
  EXPECT_EQ(playback.frame(), 0);
  EXPECT_TRUE(playback.animated());
  EXPECT_FALSE(playback.strobing());
  EXPECT_DOUBLE_EQ(playback.frameTime(), 0.25);
  EXPECT_EQ(playback.lastStepClock(), 40);
  // A second clip starts over, whatever the first one's frame.
  playback.seek(5.0);
  playback.startClip(3, 0.02, 90);
  EXPECT_EQ(playback.frame(), 0);
  EXPECT_DOUBLE_EQ(playback.frameTime(), 0.02);
}

TEST(PlaybackTest, SeekingTruncatesAndClamps) {
  Playback playback = twentyFrames();
  struct Case {
    double value;
    int frame;
  };
  for (const Case& c :
       {Case{-3.7, 0}, Case{12.9, 12}, Case{20.0, 19}, Case{19.99, 19}, Case{0.5, 0},
        Case{1e12, 19}, Case{-1e12, 0}, Case{std::numeric_limits<double>::quiet_NaN(), 0},
        Case{std::numeric_limits<double>::infinity(), 19}}) {
    playback.seek(7.0);
    playback.seek(c.value);
    EXPECT_EQ(playback.frame(), c.frame) << c.value;
  }
}

TEST(PlaybackTest, ManualStepsWrapAround) {
  Playback playback = twentyFrames();
  playback.seek(19.0);
  playback.forward();
  EXPECT_EQ(playback.frame(), 0);
  playback.forward();
  EXPECT_EQ(playback.frame(), 1);
  playback.backward();
  playback.backward();
  EXPECT_EQ(playback.frame(), 19);
}

TEST(PlaybackTest, ShowsTheFrameDueAtTheClipsClock) {
  Playback playback = twentyFrames();
  playback.setFrameTime(0.1, 0);
  EXPECT_DOUBLE_EQ(playback.frameTime(), 0.1);
  // Exactly one frame time: not yet.
  EXPECT_FALSE(playback.advance(100));
  EXPECT_EQ(playback.frame(), 0);
  EXPECT_EQ(playback.lastStepClock(), 0);
  EXPECT_TRUE(playback.advance(101));
  EXPECT_EQ(playback.frame(), 1);
  EXPECT_EQ(playback.lastStepClock(), 101);
  // Drawing fell behind: the frames in between are skipped, and the time
  // base keeps the clip's clock (frame 2 was due at 200, frame 3 at 300).
  playback.advance(350);
  EXPECT_EQ(playback.frame(), 3);
  playback.advance(401);
  EXPECT_EQ(playback.frame(), 4);
  // Far behind: wraps around the clip (46 frames due from frame 4).
  playback.advance(5000);
  EXPECT_EQ(playback.frame(), 10);
  EXPECT_EQ(playback.lastStepClock(), 5000);

  // A new pace counts from now; a pace of 0 steps once per clock tick.
  playback.setFrameTime(0.0, 5000);
  playback.advance(5000);
  EXPECT_EQ(playback.frame(), 10);
  playback.advance(5001);
  EXPECT_EQ(playback.frame(), 11);
}

TEST(PlaybackTest, StopsWhileNotAnimatedAndDoesNotCatchUpOnThePause) {
  Playback playback = twentyFrames();
  playback.toggleAnimated(0);
  EXPECT_FALSE(playback.animated());
  EXPECT_FALSE(playback.advance(100000));
  EXPECT_EQ(playback.frame(), 0);
  EXPECT_EQ(playback.lastStepClock(), 0);
  playback.toggleAnimated(100000);
  EXPECT_TRUE(playback.animated());
  playback.advance(100000);
  EXPECT_EQ(playback.frame(), 0);
  playback.advance(100101);  // one frame time of 0.1 s
  EXPECT_EQ(playback.frame(), 1);
}

TEST(PlaybackTest, TheWaitEndsAMillisecondAfterTheNextFrameIsDue) {
  Playback playback = twentyFrames();
  EXPECT_NEAR(playback.secondsToNextFrame(0), 0.101, 1e-12);
  EXPECT_NEAR(playback.secondsToNextFrame(40), 0.061, 1e-12);
  // Late: at once, a millisecond from now.
  EXPECT_DOUBLE_EQ(playback.secondsToNextFrame(500), 0.001);
  // A negative pace waits like a pace of 0.
  playback.setFrameTime(-1.0, 500);
  EXPECT_DOUBLE_EQ(playback.secondsToNextFrame(500), 0.001);
}

TEST(PlaybackTest, EveryOperationKeepsFrameZeroOfASingleOrEmptyClip) {
  for (int frames : {1, 0}) {
    SCOPED_TRACE(frames);
    Playback playback;
    playback.startClip(frames, 0.1, 0);
    playback.forward();
    EXPECT_EQ(playback.frame(), 0);
    playback.backward();
    EXPECT_EQ(playback.frame(), 0);
    playback.seek(0.99);
    EXPECT_EQ(playback.frame(), 0);
    playback.seek(1.0);
    EXPECT_EQ(playback.frame(), 0);
    playback.seek(5.0);
    EXPECT_EQ(playback.frame(), 0);
    playback.setFrameTime(0.0, 0);
    playback.advance(5000);
    EXPECT_EQ(playback.frame(), 0);
    EXPECT_EQ(playback.lastStepClock(), 5000);
    EXPECT_TRUE(playback.advance(10000));
    EXPECT_EQ(playback.frame(), 0);
    EXPECT_EQ(playback.lastStepClock(), 10000);
  }
}

// Frame times a clip cannot be played at give a sound pace and a note; the
// pace then moves a second's worth of frames in a second.
TEST(PlaybackTest, UnplayableFrameTimesPlayAtASoundPace) {
  const struct {
    double frameTime;
    bool playable;
  } rows[] = {{0.0, false},   {-0.5, false},    {std::numeric_limits<double>::quiet_NaN(), false},
              {1e300, false}, {0.008333, true}, {2.0, true}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.frameTime);
    Playback playback;
    playback.startClip(20, row.frameTime, 0);
    EXPECT_EQ(playback.clipPaceNote().empty(), row.playable);
    EXPECT_GE(playback.frameTime(), 0.001);
    EXPECT_LE(playback.frameTime(), 10.0);
    EXPECT_EQ(playback.frameTime(), playback.clipPace());
    if (row.playable) {
      EXPECT_DOUBLE_EQ(playback.frameTime(), row.frameTime);
    }
    playback.advance(1010);
    EXPECT_EQ(playback.frame(), static_cast<int>(1.01 / playback.frameTime()) % 20);
  }
  Playback zero;
  zero.startClip(20, 0.0, 0);
  EXPECT_EQ(zero.clipPaceNote(), "Frame Time 0 cannot be played; playing at 0.0333333 s a frame");
}

// I and O at the current frame, in either order; playback loops within the
// range and enters it at its first frame; Shift+I (clear) and a new clip
// drop it.
TEST(PlaybackTest, ThePlayRangeIsSetAtTheCurrentFrameAndPlaybackLoopsWithinIt) {
  Playback playback = twentyFrames();
  EXPECT_FALSE(playback.hasRange());
  EXPECT_EQ(playback.rangeLast(), 19);
  const struct {
    char key;  // 'i' start, 'o' end, 'c' clear
    int at;
    bool hasRange;
    int first, last;
  } steps[] = {
      {'o', 8, true, 0, 8},     // an end alone starts at frame 0
      {'i', 3, true, 3, 8},     // then the start
      {'i', 12, true, 12, 19},  // a start after the end: to the clip's end
      {'o', 5, true, 5, 5},     // an end before the start: one frame
      {'c', 5, false, 0, 19},  {'i', 15, true, 15, 19},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(testing::Message() << step.key << " at " << step.at);
    playback.seek(step.at);
    if (step.key == 'i') playback.startRangeHere();
    if (step.key == 'o') playback.endRangeHere();
    if (step.key == 'c') playback.clearRange();
    EXPECT_EQ(playback.hasRange(), step.hasRange);
    EXPECT_EQ(playback.rangeFirst(), step.first);
    EXPECT_EQ(playback.rangeLast(), step.last);
  }
  // Range 15..19 at 0.1 s a frame: from frame 17, 0.45 s later four frames
  // are due, 17 -> 21, which loops to 16.
  playback.seek(17);
  playback.setFrameTime(0.1, 0);
  ASSERT_TRUE(playback.advance(450));
  EXPECT_EQ(playback.frame(), 16);
  // From outside the range the first step enters it.
  playback.seek(2);
  playback.setFrameTime(0.1, 1000);
  ASSERT_TRUE(playback.advance(1101));
  EXPECT_EQ(playback.frame(), 15);
  playback.startClip(20, 0.1, 0);
  EXPECT_FALSE(playback.hasRange());
}

TEST(PlaybackTest, SpreadFramesCoverTheRangeEvenlyFromEndToEnd) {
  Playback playback = twentyFrames();
  EXPECT_EQ(playback.spreadFrames(5), (std::vector<int>{0, 5, 10, 14, 19}));
  EXPECT_EQ(playback.spreadFrames(1), (std::vector<int>{0}));
  EXPECT_TRUE(playback.spreadFrames(0).empty());
  playback.seek(10);
  playback.startRangeHere();
  playback.seek(13);
  playback.endRangeHere();
  // Fewer frames in the range than asked for: each once.
  EXPECT_EQ(playback.spreadFrames(9), (std::vector<int>{10, 11, 12, 13}));
  Playback empty;
  empty.startClip(0, 0.1, 0);
  EXPECT_TRUE(empty.spreadFrames(4).empty());
}

}  // namespace
