#pragma once

#include "base/Outcome.h"
#include "base/SafeFileWriter.h"
#include "motion/UpAxis.h"

class BvhMotion;
struct LoopFit;
struct TrackFit;

// Writes the clip carried along the loop path (writeClip): every frame the fit
// record covers has its track joint's ground position (x and z; x and y with
// Z up) moved to the path's and its rotation turned by the path's heading
// about the up axis. motion must be the clip fitted (its frame lines are read
// again) and up the axis the path was fitted with. Same failures, console
// notes and safe replacement as writeClip, which existing and notes are
// passed to.
Status writePath(const char* fileName, const BvhMotion& motion, const LoopFit& fit, Notes& notes,
                 ExistingTarget existing = ExistingTarget::kReplace, UpAxis up = UpAxis::y);

// The same along the fit's present track path (trackPlacement): frames on it
// have their track joint moved and turned; the unedited path writes rotation
// words as read and positions equal up to "%f" rounding.
Status writeTrackPath(const char* fileName, const BvhMotion& motion, const TrackFit& fit,
                      Notes& notes, ExistingTarget existing = ExistingTarget::kReplace,
                      UpAxis up = UpAxis::y);
