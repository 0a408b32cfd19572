#pragma once

#include <string>

class BvhMotion;
class PathCurve;

// Writes the clip as a BVH file with every frame's root x and z carried along
// the path. Does nothing without a file name. The file is replaced only once
// the whole clip is on disk (a failed write leaves an existing file as it
// was); it never asks before replacing. Returns false when the file cannot be
// written, the target is not a regular file or the clip has no root; it then
// prints a clear message and, when message is given, also puts that text
// (without its line feed) there. Nesting beyond 64 levels is indented as
// level 64. A root position that is not a finite number is written as read.
bool writePath(const char* fileName, const BvhMotion& motion, const PathCurve& path,
               std::string* message = nullptr);
