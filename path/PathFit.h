#pragma once

#include <string>

#include "base/Outcome.h"
#include "motion/UpAxis.h"
#include "path/LoopFit.h"

class BvhMotion;

// Fits the four control points of a closed loop path to the ground track of
// the clip's track joint (findTrackJoint: the root, unless the root stands
// still and a joint below it walks) by least squares, and replaces fit with
// the new path and its record. A fit-time direction shorter than 1e-6 of the
// larger of the track's extent and the skeleton's rest size is recorded as
// none, so a still track is never turned.
// Leaves in notes "Number of Frames: %d\n", "\n" and four "General setting ..."
// lines, then trackJointNotice when the track joint is not the root and
// shortClipNote for a clip under 20 frames, each ending in a line feed.
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
// (0, 0.05, 0); with none, the record covers no frame and both bounds are the
// origin. Costs two passes over the first words of each frame line, four
// small least-squares solves and about 11 bytes a frame while it runs; the record
// itself costs nothing per frame. Fails when a solve does not converge or
// finds no memory: notes then end with "Path could not be fitted: ...; the
// path is kept as it was\n" and fit is left as it was.
Status fitPath(const BvhMotion& motion, LoopFit& fit, Notes& notes, UpAxis up = UpAxis::y);
// The same for the track joint already found (findTrackJoint with the up axis).
Status fitPath(const BvhMotion& motion, const TrackJoint& track, LoopFit& fit, Notes& notes);

// "Short clip (N frames): ..." saying how a clip of 1 to 19 frames has its
// points placed; empty for any other count.
std::string shortClipNote(int frames);
