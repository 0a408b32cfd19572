#include "motion/StrobeSchedule.h"

#include <algorithm>

std::vector<StrobeDraw> strobeSchedule(int current, int frameCount, bool strobing) {
  std::vector<StrobeDraw> draws;
  if (current < 0 || current >= frameCount) {
    return draws;
  }
  draws.push_back({current, 1.0});
  if (!strobing) {
    return draws;
  }
  double alpha = 1.0;
  for (int s = std::max(current, 0); s < std::min(current + 4, frameCount); s += 4) {
    alpha -= 0.2;
    draws.push_back({s, alpha});
  }
  alpha = 1.0;
  for (int s = std::max(current - 12, 0); s < std::min(current, frameCount); s += 4) {
    draws.push_back({s, alpha});
    alpha -= 2.0;
  }
  return draws;
}

double strobeColorOffset(int current, int frame) {
  // Widened so that frames at opposite ends of the int range cannot overflow.
  return static_cast<double>((static_cast<long long>(current) - frame) / 10);
}
