#pragma once

#include <string>

#include "base/Point3.h"

class BvhMotion;

// How an edited clip keeps the motion of its original, judged as an animator
// would from the two clips: the figure's facing against its direction of
// travel, its feet during the original's foot contacts, and the hips while
// the original stands still. Lengths are in hip heights (the track joint's
// rest height above the lowest joint), angles in degrees. Headless; shared
// by the tests and the bench report.
struct MotionQuality {
  // Frames where the original walks (smoothed hip speed of at least a fifth
  // of a hip height per second), and the 95th percentile over them of how far
  // facing-minus-travel moved from the original's, in degrees. Facing and
  // travel are both averaged over a centred quarter second (one step).
  int walkingFrames = 0;
  double facingChange95 = 0.0;
  // 95th percentile of |facing - travel| in each clip, with the hips' local
  // z axis as the facing.
  double facingOriginal95 = 0.0;
  double facingEdited95 = 0.0;
  // Foot sliding during the original's foot contacts (feet: the joints
  // lowest in the rest pose), in hip heights per second of contact.
  double contactSeconds = 0.0;
  double slideOriginal = 0.0;
  double slideEdited = 0.0;
  // Stretches of at least half a second where the original stands still,
  // and the largest extra ground travel of the hips in one of them.
  int stillStretches = 0;
  double stillExtraTravel = 0.0;
};

// Measures edited against original; false with *error set when the clips do
// not match (other joints, channels or frame count) or have no frames.
bool measureQuality(const BvhMotion& original, const BvhMotion& edited, MotionQuality& quality,
                    std::string* error);

// The same from two files; their reader's console output is left to stdout.
bool measureQualityFiles(const std::string& original, const std::string& edited,
                         MotionQuality& quality, std::string* error);

// The offset that moves middle square to the line through before and after,
// by a quarter of its mean distance to them (ground x and z).
Point3 sidewaysOffset(const Point3& before, const Point3& middle, const Point3& after);

// The edit the measure is judged on: the middle control point of a freshly
// fitted path (the loop path's point 2, the track path's middle one) moved
// sideways, square to the line through its neighbours, by a quarter of its
// mean distance to them. Writes the clip carried along the edited path to
// out; false with *error set when fitting or writing fails or the path has
// fewer than three points. *points receives the track path's point count.
bool writeSidewaysEdit(const BvhMotion& motion, bool trackPath, const std::string& out,
                       std::string* error, int* points = nullptr);

// The BVH text of a clip file cut to its first frames (the "Frames:" count
// changed to match); empty when the file cannot be read or has no MOTION part.
std::string firstFramesOf(const std::string& fileName, int frames);
