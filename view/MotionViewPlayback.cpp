#include <FL/Fl_Gl_Window.H>

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

void MotionView::setFrameTime(double value) { frameTime = value; }

void MotionView::toggleAnimated() {
  animated = !animated;
  if (animated) {
    redraw();
  }
}

void MotionView::toggleStrobing() {
  strobing = !strobing;
  redraw();
}
