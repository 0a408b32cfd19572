#pragma once

#include <vector>

// One skeleton draw of a redraw: which frame, with which alpha.
struct StrobeDraw {
  int frame = 0;
  double alpha = 1.0;
};

// The draws of one redraw, in drawing order. Without strobing: the current
// frame c alone, alpha 1.0. With strobing: c at 1.0; then every fourth frame
// from c below min(c + 4, frameCount) with alpha falling by 0.2 from 0.8 (in
// practice c again at 0.8); then every fourth frame from max(c - 12, 0) below c
// with alpha 1.0, -1.0, -3.0, ... Empty when c is not a frame of the clip
// (0 <= c < frameCount), so no caller ever reads a missing frame.
std::vector<StrobeDraw> strobeSchedule(int current, int frameCount, bool strobing);

// Colour brightening of a draw of frame f while frame `current` is shown:
// (current - f) / 10 in integer division truncating toward zero.
double strobeColorOffset(int current, int frame);
