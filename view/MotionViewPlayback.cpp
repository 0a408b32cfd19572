#include <FL/Fl.H>
#include <FL/Fl_Gl_Window.H>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "view/MotionView.h"
#include "view/PlaybackClock.h"

// An empty clip has no frame to wrap to: every operation below then keeps
// frame 0, and no modulo or wrap divides by its count.

namespace {

// Clip frame times outside this range cannot be played as they are (a pace
// of 0 would spin, 1e300 would never move); such clips play at fallbackPace.
constexpr double fastestPace = 0.001;
constexpr double slowestPace = 10.0;
constexpr double fallbackPace = 1.0 / 30.0;

bool playablePace(double seconds) { return seconds >= fastestPace && seconds <= slowestPace; }

}  // namespace

double MotionView::clipPace() const {
  return playablePace(motion->frameTime) ? motion->frameTime : fallbackPace;
}

std::string MotionView::clipPaceNote() const {
  if (playablePace(motion->frameTime)) return "";
  char note[160];
  std::snprintf(note, sizeof note, "Frame Time %g cannot be played; playing at %g s a frame",
                motion->frameTime, fallbackPace);
  return note;
}

void MotionView::restartPlaybackClock() {
  lastStepClock = playbackClockMs();
  stepOriginMs_ = static_cast<double>(lastStepClock);
}

void MotionView::stepAnimation() {
  if (!animated) {
    return;
  }
  const long now = playbackClockMs();
  const double elapsedMs = static_cast<double>(now) - stepOriginMs_;
  const double paceMs = frameTime > 0.0 ? frameTime * 1000.0 : 0.0;
  // Strictly more than one frame time; with a pace of 0, every tick of the
  // millisecond clock.
  if (!(elapsedMs > paceMs)) return;
  // The frame due at the clip's clock: when drawing is slower than the clip,
  // the frames in between are skipped; the time base keeps the remainder so
  // playback does not drift.
  double due = 1.0;
  if (paceMs > 0.0) {
    due = std::floor(elapsedMs / paceMs);
    stepOriginMs_ += due * paceMs;
  } else {
    stepOriginMs_ = static_cast<double>(now);
  }
  lastStepClock = now;
  const int count = motion->frameCount;
  if (count > 0 && currentFrame >= 0 && currentFrame < count) {
    currentFrame = static_cast<int>(std::fmod(currentFrame + std::fmod(due, count), count));
  } else {
    currentFrame = 0;
  }
  redraw();
}

void MotionView::setCurrentFrame(double value) {
  const int count = motion->frameCount;
  // Compared as doubles before truncating, so NaN and huge values never reach
  // the conversion to int.
  if (!(value >= 0.0) || count <= 0) {
    currentFrame = 0;
  } else if (value >= static_cast<double>(count)) {
    currentFrame = count - 1;
  } else {
    currentFrame = static_cast<int>(value);
  }
  redraw();
}

void MotionView::frameForward() {
  const int count = motion->frameCount;
  if (count <= 0 || currentFrame < 0 || currentFrame >= count - 1) {
    currentFrame = 0;
  } else {
    currentFrame = currentFrame + 1;
  }
  redraw();
}

void MotionView::frameBackward() {
  const int count = motion->frameCount;
  if (count <= 0) {
    currentFrame = 0;
  } else if (currentFrame <= 0 || currentFrame > count) {
    currentFrame = count - 1;
  } else {
    currentFrame = currentFrame - 1;
  }
  redraw();
}

void MotionView::setFrameTime(double value) {
  frameTime = value;
  // The new pace counts from now, so no frames are skipped for the old one.
  restartPlaybackClock();
  schedulePlayback();
}

void MotionView::toggleAnimated() {
  animated = !animated;
  if (animated) {
    // A pause is not time the clip has to catch up on.
    restartPlaybackClock();
    redraw();
  }
  schedulePlayback();
}

namespace {

// The step needs strictly more than one frame time on a millisecond clock,
// so the timer is set one millisecond past it.
constexpr double clockGrain = 0.001;

}  // namespace

void MotionView::schedulePlayback() {
  Fl::remove_timeout(playbackTimeout, this);
  if (!animated) {
    return;
  }
  const double elapsed = (static_cast<double>(playbackClockMs()) - stepOriginMs_) / 1000.0;
  // A slider value below zero (or NaN) paces like zero.
  const double pace = frameTime > 0.0 ? frameTime : 0.0;
  const double wait = std::clamp(pace - elapsed + clockGrain, clockGrain, pace + clockGrain);
  Fl::add_timeout(wait, playbackTimeout, this);
}

bool MotionView::playbackScheduled() const {
  return Fl::has_timeout(playbackTimeout, const_cast<MotionView*>(this)) != 0;
}

void MotionView::playbackTimeout(void* data) {
  auto* view = static_cast<MotionView*>(data);
  view->stepAnimation();
  view->notifyControls();
  view->schedulePlayback();
}

void MotionView::toggleStrobing() {
  strobing = !strobing;
  redraw();
}
