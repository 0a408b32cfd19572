#pragma once

#include <functional>

#include "base/Outcome.h"
#include "motion/FigureFrame.h"

class BvhMotion;

// What one redraw of the skeleton needs besides the clip.
struct SkeletonDrawOptions {
  int currentFrame = 0;
  bool strobing = false;
  // The joint carried along the path, by its skeleton index; -1: the root.
  int carriedJoint = -1;
  // Where frame f's carried joint stands when the clip is carried along a
  // path; no function leaves every frame where the clip puts it.
  FramePlacementFunction placement;
  // A Z-up clip is drawn turned upright (figureToWorld); its placements are
  // in the clip's axes (x and y on the ground, the turn about z).
  UpAxis up = UpAxis::y;
};

// Draws the current frame of the clip, or its strobe, in the figure's frame
// (translated to the floor, scaled by figureScale). Each joint's position
// channels and then its rotation channels, in the order listed (the first
// outermost), place its children; a placed frame's carried joint stands at
// the placement's x and z and is turned by its heading about itself. Every
// bone runs from the parent's position to the joint's; spheres and bones are
// sized relative to the skeleton's rest pose. Joints deeper than the GL
// matrix stack allows are left out, which is noted for the console once
// while depthLimitReported is false (which it then sets). Needs a current
// GL context; pushes and pops every matrix it changes.
void drawSkeleton(const BvhMotion& motion, const SkeletonDrawOptions& options,
                  bool& depthLimitReported, Notes& notes);
