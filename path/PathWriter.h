#pragma once

#include <string>

#include "base/SafeFileWriter.h"

class BvhMotion;
class PathCurve;

// Writes the clip carried along the path (writeClip): every frame the fit
// record covers has its track joint's x and z moved to the path's ground
// position and its rotation turned by the path's heading. Same failures,
// messages and safe replacement as writeClip, which existing is passed to.
bool writePath(const char* fileName, const BvhMotion& motion, const PathCurve& path,
               std::string* message = nullptr, ExistingTarget existing = ExistingTarget::kReplace);
