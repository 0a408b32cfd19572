#pragma once

#include <string>

#include "base/Outcome.h"
#include "base/SafeFileWriter.h"
#include "motion/FigureFrame.h"
#include "motion/UpAxis.h"

class BvhMotion;

// Writes the clip as a BVH file. Frames for which placement gives a place
// have the carried joint's two ground position values (Xposition and
// Zposition; Xposition and Yposition with Z up) replaced by it and its
// rotation turned by its heading about the up axis; other frames are written
// as read (the two ground values with "%f"). The file is replaced only once the whole clip is on
// disk (a failed write leaves an existing file as it was); it never asks
// before replacing, and with ExistingTarget::kKeep it fails instead of
// replacing a file that exists. Fails without a file name, when the file
// cannot be written, the target is not a regular file or the clip has no
// joints; the failure's
// message is then the clear line the program prints (noted with its line
// feed). The console echo of the hierarchy ("MMM", "ROOT ...") and the notices
// about a carried joint that cannot move or turn go to notes. Nesting beyond
// 64 levels is indented as level 64. A position that is not a finite number
// is written as read. Offsets and the frame time are written with "%f" where
// that holds them within 1e-4 of their value, else with the digits they need
// (fixedOrExact). carried is the carried joint's index in the skeleton (any
// other value: the root).
Status writeClip(const char* fileName, const BvhMotion& motion, int carried,
                 const FramePlacementFunction& placement, Notes& notes,
                 ExistingTarget existing = ExistingTarget::kReplace, UpAxis up = UpAxis::y);
