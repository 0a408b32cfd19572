#pragma once

#include <string>

#include "base/Outcome.h"
#include "base/SafeFileWriter.h"
#include "motion/FrameEditor.h"

class BvhMotion;

// Writes the clip as a BVH file: the hierarchy from the skeleton and every
// frame line with the words the editor gives values written as "%f" and
// every other word as read (null editor: every frame as read); the writer
// formats and never edits. Fails with an empty message without a file name.
// The file is replaced only once the whole clip is on disk (a failed write
// leaves an existing file as it was); it never asks before replacing, and
// with ExistingTarget::kKeep it fails instead of replacing a file that
// exists. Fails when the file cannot be written, the target is not a regular
// file or the clip has no joints; the failure's message is then the clear
// line the program prints (noted with its line feed). The console echo of
// the hierarchy ("MMM", "ROOT ...") and the editor's notes go to notes.
// Nesting beyond 64 levels is indented as level 64. An edited value that is
// not a finite number leaves its word as read.
Status writeClip(const char* fileName, const BvhMotion& motion, FrameEditor* editor, Notes& notes,
                 ExistingTarget existing = ExistingTarget::kReplace);
