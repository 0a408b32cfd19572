#pragma once

#include "base/Outcome.h"
#include "draw/SkeletonDrawing.h"

class BvhMotion;

// Draws the figure of options' current frame as the clip has it (no
// placement, no strobe) as a ghost: a see-through wire frame in one pale
// blue, neither in its joints' colours nor shaded by the light, and not
// hiding what lies behind it, so that it cannot be taken for the edited figure. Needs a
// current GL context; restores the state it changes.
void drawGhost(const BvhMotion& motion, SkeletonDrawOptions options, bool& depthLimitReported,
               Notes& notes);
