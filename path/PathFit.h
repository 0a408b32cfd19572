#pragma once

#include <string>

#include "motion/UpAxis.h"

class BvhMotion;
class PathCurve;

// Fits four control points of an empty (new or reset) curve to the ground
// track of the clip's track joint (findTrackJoint: the root, unless the root
// stands still and a joint below it walks) by least squares and stores the
// per-frame fit record, the track joint included. A fit-time direction shorter
// than 1e-6 of the larger of the track's extent and the skeleton's rest size
// is recorded as none (0, 0), so a still track is never turned.
// Prints "Number of Frames: %d\n", "\n" and four "General setting ..." lines,
// then trackJointNotice when the track joint is not the root and
// shortClipNote for a clip under 20 frames.
// The joint's x, y, z are the values of its Xposition, Yposition and Zposition
// channels (0.0 where it has no such channel or the line no such word). With
// Z up the ground is the clip's x and y: the curve and its record hold the
// clip's y as z and its z as the height y.
// Frames whose root position is nan or infinite are left out of the solve and
// the bounds (their offsets stay non-finite). Bounds start from the first
// other frame. Each point is fitted with a cubic over its group of frames,
// or where a group has fewer than four frames with a line (two or three) or
// the group's mean (one). A clip with one to four frames gets four points at
// the track's mean position (height 0.05); with no usable frame at
// (0, 0.05, 0); with none, the record is empty and both bounds are the
// origin. Costs one pass over the first words of
// each frame line plus four small least-squares solves. Returns false when a
// solve does not converge: it then prints "Path could not be fitted: ..." and
// leaves the curve and its fit record as they were.
bool fitPath(const BvhMotion& motion, PathCurve& path, UpAxis up = UpAxis::y);

// "Short clip (N frames): ..." saying how a clip of 1 to 19 frames has its
// points placed; empty for any other count.
std::string shortClipNote(int frames);
