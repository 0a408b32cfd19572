#pragma once

class BvhMotion;
class PathCurve;

// Writes the clip as a BVH file with every frame's root x and z carried along
// the path. Does nothing without a file name. Prints a clear message and
// returns false when the file cannot be written or the clip has no root.
bool writePath(const char* fileName, const BvhMotion& motion, const PathCurve& path);
