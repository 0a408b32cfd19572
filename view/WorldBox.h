#pragma once

#include <algorithm>
#include <cmath>

#include "base/Point3.h"

// An axis-aligned box in world units, grown point by point; empty until a
// finite point is added.
struct WorldBox {
  Point3 low{HUGE_VAL, HUGE_VAL, HUGE_VAL};
  Point3 high{-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};

  bool empty() const { return !(low.x <= high.x); }
  // Points that are not finite are left out.
  void add(const Point3& p) {
    if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) return;
    low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
    high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
  }
  void addBox(const WorldBox& box) {
    if (box.empty()) return;
    add(box.low);
    add(box.high);
  }
  // Wider by margin on every side; nothing for an empty box.
  void grow(double margin) {
    if (empty()) return;
    low = {low.x - margin, low.y - margin, low.z - margin};
    high = {high.x + margin, high.y + margin, high.z + margin};
  }
  Point3 centre() const {
    return {(low.x + high.x) / 2.0, (low.y + high.y) / 2.0, (low.z + high.z) / 2.0};
  }
};
