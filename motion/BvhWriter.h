#pragma once

#include <string>

#include "base/SafeFileWriter.h"
#include "motion/FigureFrame.h"
#include "motion/UpAxis.h"

class BvhJoint;
class BvhMotion;

// Writes the clip as a BVH file. Frames for which placement gives a place
// have the carried joint's two ground position values (Xposition and
// Zposition; Xposition and Yposition with Z up) replaced by it and its
// rotation turned by its heading about the up axis; other frames are written
// as read (the two ground values with "%f"). Does nothing without a file
// name. The file is replaced only
// once the whole clip is on disk (a failed write leaves an existing file as
// it was); it never asks before replacing, and with ExistingTarget::kKeep it
// fails instead of replacing a file that exists. Returns false when the file cannot
// be written, the target is not a regular file or the clip has no root; it
// then prints a clear message and, when message is given, also puts that text
// (without its line feed) there. Nesting beyond 64 levels is indented as
// level 64. A position that is not a finite number is written as read.
// carried must be a joint of the clip (null: the root).
bool writeClip(const char* fileName, const BvhMotion& motion, const BvhJoint* carried,
               const FramePlacementFunction& placement, std::string* message = nullptr,
               ExistingTarget existing = ExistingTarget::kReplace, UpAxis up = UpAxis::y);
