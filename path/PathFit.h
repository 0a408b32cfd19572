#pragma once

class BvhMotion;
class PathCurve;

// Fits four control points of an empty (new or reset) curve to the root's
// ground track by least squares and stores the per-frame fit record.
// Prints "Number of Frames: %d\n", "\n" and four "General setting ..." lines.
void fitPath(const BvhMotion& motion, PathCurve& path);
