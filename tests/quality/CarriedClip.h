#pragma once

#include <string>

#include "base/Outcome.h"
#include "motion/FigureFrame.h"
#include "motion/UpAxis.h"

class BvhMotion;
class FootPlanting;

// The clip carried along a path and written as the program's writer writes
// it: the carried joint's ground words from placement (every frame's as a
// number), its rotation turned by the heading (HeadingTurn), every other
// word as read, each followed by one blank. With planting, its edits of
// each frame (FootPlanting::addEdits) are written too, so the solve can be
// judged from files. *editedFrames, when given, counts the frames planting
// edited. Fails with the reason when the file cannot be written.
Status writeCarriedClip(const std::string& out, const BvhMotion& motion, int carried, UpAxis up,
                        const FramePlacementFunction& placement, const FootPlanting* planting,
                        int* editedFrames = nullptr);
