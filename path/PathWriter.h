#pragma once

#include "base/Outcome.h"
#include "base/SafeFileWriter.h"
#include "motion/UpAxis.h"

class BvhMotion;
class ClipPath;
struct FootContacts;

// Writes the clip carried along path (EditedClip: the carried joint's ground
// position moved to the path's and its rotation turned by the path's heading
// about the up axis, for every frame the path's record covers) with
// writeClip, whose failures, console notes and safe replacement (existing)
// it has. motion must be the clip the path was fitted to (its frame lines
// are read again) and up the axis it was fitted with. With feet (the clip's
// contacts, found for the path's track joint and up), the planted feet are
// kept planted (EditedClip::keepFeet); without, the output is as before.
Status writePath(const char* fileName, const BvhMotion& motion, const ClipPath& path, UpAxis up,
                 Notes& notes, ExistingTarget existing = ExistingTarget::kReplace,
                 const FootContacts* feet = nullptr);
