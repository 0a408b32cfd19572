#pragma once

#include <string>

#include "base/Point3.h"
#include "path/ClipPath.h"

class BvhMotion;

// How an edited clip keeps the motion of its original, judged as an animator
// would from the two clips: the figure's facing against its direction of
// travel, its feet during the original's foot contacts, its joints' turns
// and the hips while the original stands still. Lengths are in hip heights
// (the track joint's rest height above the lowest joint; for the planted
// feet, the lowering and the contacts, the height findFootContacts
// measures), angles in degrees. The clip's up axis is decided from the
// original's figure. Headless; shared by the tests and the bench report.
// The joint whose fastest turn (of its own, local rotation, from one frame
// to the next, in degrees a second) goes furthest beyond its allowance in
// the edited clip: its original fastest plus half of that, and plus at
// least 90 degrees a second. Its name, both fastest turns, and how far
// beyond (negative: within by that much).
struct TurnFigure {
  std::string joint;
  double original = 0.0;
  double edited = 0.0;
  double beyondAllowance = 0.0;
};

struct MotionQuality {
  // Frames where the original walks (smoothed hip speed of at least a fifth
  // of a hip height per second), and the 95th percentile over them of how far
  // facing-minus-travel moved from the original's, in degrees. Facing and
  // travel are both averaged over a centred quarter second (one step).
  int walkingFrames = 0;
  double facingChange95 = 0.0;
  // 95th percentile of |facing - travel| in each clip, with the hips' local
  // z axis as the facing (y with Z up).
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

  // The original's foot contacts (findFootContacts) and, for each, how far
  // its foot joint strays on the ground from where it stands at the
  // contact's middle frame (the largest distance over the contact), summed
  // over the contacts in each clip; and the largest excess of one contact in
  // the edited clip over the same contact in the original.
  int contacts = 0;
  double wanderOriginal = 0.0;
  double wanderEdited = 0.0;
  double worstExtraWander = 0.0;
  // Pops: the worst of all joints, and the worst of the legs' thighs, knees
  // and ankles (the joints the planted-feet solve turns).
  TurnFigure fastestTurn;
  TurnFigure fastestLegTurn;
  // How far the edited clip's carried joint stands lower than the
  // original's at most, in hip heights (0 when never lower).
  double lowering = 0.0;
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

// The edits the measure is judged on, each made to a freshly fitted path
// (its kind's middle control point: the loop path's point 2, the track
// path's middle one, between its neighbours; a track path fitted with fewer
// than three points is fitted again with three): moved sideways, square to the
// line through its neighbours, by a quarter, a half or the whole of its mean
// distance to them; or every point after it turned about it by 90 degrees
// (the path's second half).
enum class PathEdit { quarterSideways, halfSideways, wholeSideways, secondHalfTurned };

// "quarter sideways", "half sideways", "whole sideways", "second half turned".
const char* pathEditName(PathEdit edit);

// Fits the kind of path asked for to motion (with its decided up axis),
// makes edit, and writes the clip carried along the edited path to out, the
// track path's frames timed by pace: with keepFeet through the planted-feet
// solve (motion/FootPlanting, its contacts found from motion), else with the
// program's own path writer. False with *error set when fitting or writing
// fails or the path has fewer than three points. *points receives the
// path's point count.
bool writePathEdit(const BvhMotion& motion, bool trackPath, PathEdit edit, bool keepFeet,
                   PathPace pace, const std::string& out, std::string* error,
                   int* points = nullptr);

// The quarter sideways edit written by the program's path writer.
bool writeSidewaysEdit(const BvhMotion& motion, bool trackPath, const std::string& out,
                       std::string* error, int* points = nullptr);

// The BVH text of a clip file cut to its first frames (the "Frames:" count
// changed to match); empty when the file cannot be read or has no MOTION part.
std::string firstFramesOf(const std::string& fileName, int frames);
