#pragma once

#include "base/Outcome.h"
#include "motion/FigureFrame.h"
#include "motion/FrameEditor.h"

class BvhMotion;

// What one redraw of the skeleton needs besides the clip.
struct SkeletonDrawOptions {
  int currentFrame = 0;
  bool strobing = false;
  // The frames' edits (the clip carried along its path: EditSession's
  // editedFrames), drawn exactly as the writer writes them; null draws every
  // frame as read.
  FrameEditor* edits = nullptr;
  // A Z-up clip is drawn turned upright (figureToWorld).
  UpAxis up = UpAxis::y;
};

// Draws the current frame of the clip, or its strobe, in the figure's frame
// (translated to the floor, scaled by figureScale), each frame with its edits
// put in its values. Each joint's position channels and then its rotation
// channels, in the order listed (the first outermost), place its children. Every
// bone runs from the parent's position to the joint's; spheres and bones are
// sized relative to the skeleton's rest pose. Joints deeper than the GL
// matrix stack allows are left out, which is noted for the console once
// while depthLimitReported is false (which it then sets). Needs a current
// GL context; pushes and pops every matrix it changes.
void drawSkeleton(const BvhMotion& motion, const SkeletonDrawOptions& options,
                  bool& depthLimitReported, Notes& notes);
