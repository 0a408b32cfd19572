#pragma once

class BvhMotion;
class PathCurve;

// Fits four control points of an empty (new or reset) curve to the root's
// ground track by least squares and stores the per-frame fit record.
// Prints "Number of Frames: %d\n", "\n" and four "General setting ..." lines.
// The root's x, y, z are the values of its Xposition, Yposition and Zposition
// channels (0.0 where the root has no such channel or the line no such word).
// Bounds start from frame 0. A clip with fewer than five frames (none
// included) gets four points at (0, 0.05, 0); with none, the record is empty
// and both bounds are the origin. Costs one pass over the first words of
// each frame line plus four small least-squares solves.
void fitPath(const BvhMotion& motion, PathCurve& path);
