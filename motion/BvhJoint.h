#pragma once

#include <memory>
#include <vector>

#include "base/Point3.h"
#include "motion/PackedTextList.h"

// One node of a clip's hierarchy: the ROOT, a JOINT or an End Site.
// Names point into the owning BvhMotion's text; End Sites all point at "END".
class BvhJoint {
 public:
  struct Color {
    double r = 0.0;
    double g = 0.0;
    double b = 0.0;
  };

  BvhJoint() = default;
  // Releases the subtree without recursion, so arbitrarily deep trees are safe.
  ~BvhJoint();
  BvhJoint(const BvhJoint&) = delete;
  BvhJoint& operator=(const BvhJoint&) = delete;

  // Index within channelNames of the first channel with that exact name, or -1.
  int channelIndex(const char* channelName) const;

  const char* name = nullptr;
  Point3 offset;
  int channelCount = 0;
  PackedTextList channelNames;
  std::vector<std::unique_ptr<BvhJoint>> children;
  BvhJoint* parent = nullptr;
  bool isEndSite = false;
  int channelOffset = 0;
  Color color;
};
