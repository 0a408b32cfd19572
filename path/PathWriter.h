#pragma once

#include <string>

class BvhMotion;
class PathCurve;

// Writes the clip carried along the path (writeClip): every frame the fit
// record covers has its track joint's x and z moved to the path's ground
// position and its rotation turned by the path's heading. Same failures,
// messages and safe replacement as writeClip.
bool writePath(const char* fileName, const BvhMotion& motion, const PathCurve& path,
               std::string* message = nullptr);
