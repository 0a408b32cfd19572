#pragma once

#include "base/Point3.h"
#include "motion/PackedTextList.h"

// One entry of a clip's skeleton (motion/Skeleton): the ROOT, a JOINT or an
// End Site. Names point into the owning BvhMotion's text; End Sites all
// point at "END". The tree is held by parent indexes, not pointers.
struct BvhJoint {
  struct Color {
    double r = 0.0;
    double g = 0.0;
    double b = 0.0;
  };

  // The fields are ordered for size: a skeleton may hold a few hundred
  // thousand joints.
  const char* name = nullptr;
  Point3 offset;
  PackedTextList channelNames;
  Color color;
  // Index of the parent in the skeleton; -1 for the root.
  int parent = -1;
  int channelCount = 0;
  // Frame-line word of the first channel; -1 for an End Site.
  int channelOffset = 0;
  bool isEndSite = false;
};
