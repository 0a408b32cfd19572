#include <FL/Fl.H>
#include <FL/Fl_Gl_Window.H>

#include <algorithm>

#include "view/MotionView.h"
#include "view/PlaybackClock.h"

// An empty clip has no frame to wrap to: every operation below then keeps
// frame 0, and no modulo or wrap divides by its count.

void MotionView::stepAnimation() {
  if (!animated) {
    return;
  }
  const long now = playbackClockMs();
  const double elapsed = static_cast<double>(now - lastStepClock) / 1000.0;
  if (elapsed > frameTime) {
    lastStepClock = now;
    const int count = motion->frameCount;
    if (count > 0 && currentFrame >= 0 && currentFrame < count) {
      currentFrame = (currentFrame + 1) % count;
    } else {
      currentFrame = 0;
    }
    redraw();
  }
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
  schedulePlayback();
}

void MotionView::toggleAnimated() {
  animated = !animated;
  if (animated) {
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
  const double elapsed = static_cast<double>(playbackClockMs() - lastStepClock) / 1000.0;
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
