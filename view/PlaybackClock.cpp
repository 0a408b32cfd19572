#include "view/PlaybackClock.h"

#include <chrono>
#include <utility>

namespace {

// Counting from program start, like the processor clock the pacing was made
// for, keeps the first step one frame time after start rather than at once.
const std::chrono::steady_clock::time_point programStart = std::chrono::steady_clock::now();

PlaybackClockFunction& installedClock() {
  static PlaybackClockFunction clock;
  return clock;
}

}  // namespace

long playbackClockMs() {
  const PlaybackClockFunction& clock = installedClock();
  if (clock) {
    return clock();
  }
  return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                               std::chrono::steady_clock::now() - programStart)
                               .count());
}

PlaybackClockFunction setPlaybackClock(PlaybackClockFunction clock) {
  return std::exchange(installedClock(), std::move(clock));
}
