#include "view/Playback.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// Clip frame times outside this range cannot be played as they are (a pace
// of 0 would spin, 1e300 would never move); such clips play at fallbackPace.
constexpr double fastestPace = 0.001;
constexpr double slowestPace = 10.0;
constexpr double fallbackPace = 1.0 / 30.0;

// The step needs strictly more than one frame time on a millisecond clock,
// so the wait runs one millisecond past it.
constexpr double clockGrain = 0.001;

bool playablePace(double seconds) { return seconds >= fastestPace && seconds <= slowestPace; }

}  // namespace

void Playback::startClip(int frameCount, double clipFrameTime, long nowMs) {
  frameCount_ = std::max(0, frameCount);
  clipFrameTime_ = clipFrameTime;
  frame_ = 0;
  hasRange_ = false;
  frameTime_ = clipPace();
  restartClock(nowMs);
}

double Playback::clipPace() const {
  return playablePace(clipFrameTime_) ? clipFrameTime_ : fallbackPace;
}

std::string Playback::clipPaceNote() const {
  if (playablePace(clipFrameTime_)) return "";
  char note[160];
  std::snprintf(note, sizeof note, "Frame Time %g cannot be played; playing at %g s a frame",
                clipFrameTime_, fallbackPace);
  return note;
}

void Playback::restartClock(long nowMs) {
  lastStepClock_ = nowMs;
  stepOriginMs_ = static_cast<double>(nowMs);
}

bool Playback::advance(long nowMs) {
  if (!animated_) return false;
  const double elapsedMs = static_cast<double>(nowMs) - stepOriginMs_;
  const double paceMs = frameTime_ > 0.0 ? frameTime_ * 1000.0 : 0.0;
  // Strictly more than one frame time; with a pace of 0, every tick of the
  // millisecond clock.
  if (!(elapsedMs > paceMs)) return false;
  double due = 1.0;
  if (paceMs > 0.0) {
    due = std::floor(elapsedMs / paceMs);
    stepOriginMs_ += due * paceMs;
  } else {
    stepOriginMs_ = static_cast<double>(nowMs);
  }
  lastStepClock_ = nowMs;
  const int first = rangeFirst();
  const int count = rangeLast() - first + 1;
  if (frameCount_ <= 0) {
    frame_ = 0;
  } else if (frame_ >= first && frame_ < first + count) {
    frame_ = first + static_cast<int>(std::fmod(frame_ - first + std::fmod(due, count), count));
  } else {
    // Entering the range is the first step.
    frame_ = first + static_cast<int>(std::fmod(due - 1.0, count));
  }
  return true;
}

double Playback::secondsToNextFrame(long nowMs) const {
  const double elapsed = (static_cast<double>(nowMs) - stepOriginMs_) / 1000.0;
  // A slider value below zero (or NaN) paces like zero.
  const double pace = frameTime_ > 0.0 ? frameTime_ : 0.0;
  return std::clamp(pace - elapsed + clockGrain, clockGrain, pace + clockGrain);
}

void Playback::seek(double value) {
  // Compared as doubles before truncating, so NaN and huge values never reach
  // the conversion to int.
  if (!(value >= 0.0) || frameCount_ <= 0) {
    frame_ = 0;
  } else if (value >= static_cast<double>(frameCount_)) {
    frame_ = frameCount_ - 1;
  } else {
    frame_ = static_cast<int>(value);
  }
}

void Playback::forward() {
  const int count = frameCount_;
  frame_ = count <= 0 || frame_ < 0 || frame_ >= count - 1 ? 0 : frame_ + 1;
}

void Playback::backward() {
  const int count = frameCount_;
  if (count <= 0) {
    frame_ = 0;
  } else if (frame_ <= 0 || frame_ > count) {
    frame_ = count - 1;
  } else {
    frame_ = frame_ - 1;
  }
}

void Playback::setFrameTime(double seconds, long nowMs) {
  frameTime_ = seconds;
  restartClock(nowMs);
}

void Playback::toggleAnimated(long nowMs) {
  animated_ = !animated_;
  if (animated_) restartClock(nowMs);
}

int Playback::rangeFirst() const { return hasRange_ ? rangeFirst_ : 0; }

int Playback::rangeLast() const { return hasRange_ ? rangeLast_ : std::max(0, frameCount_ - 1); }

void Playback::startRangeHere() {
  if (frameCount_ <= 0) return;
  const int end = hasRange_ && rangeLast_ >= frame_ ? rangeLast_ : frameCount_ - 1;
  rangeFirst_ = frame_;
  rangeLast_ = end;
  hasRange_ = true;
}

void Playback::endRangeHere() {
  if (frameCount_ <= 0) return;
  rangeFirst_ = hasRange_ ? std::min(rangeFirst_, frame_) : 0;
  rangeLast_ = frame_;
  hasRange_ = true;
}

std::vector<int> Playback::spreadFrames(int count) const {
  std::vector<int> frames;
  if (frameCount_ <= 0 || count < 1) return frames;
  const int first = rangeFirst();
  const int span = rangeLast() - first;
  const int n = std::min(count, span + 1);
  for (int i = 0; i < n; ++i) {
    // Rounded to the nearest frame; with n <= span + 1 no two coincide.
    const double at = n == 1 ? 0.0 : static_cast<double>(span) * i / (n - 1);
    frames.push_back(first + static_cast<int>(std::lround(at)));
  }
  return frames;
}
