#pragma once

#include <string>
#include <vector>

#include "base/Point3.h"
#include "path/ClipPath.h"

class BvhMotion;

// When an edited clip passes the control points of its path and where it
// ends, judged from the two clips and the two sets of points (the path as
// fitted and as edited): the figure should pass each point at the frame the
// original passed it and end on the last one. Lengths in hip heights,
// times in seconds, ground x and z of the track joint (Y-up clips).
struct PathTiming {
  // Ground distance from the last frame's track joint to the last edited
  // point.
  double endDistance = 0.0;
  // For each point, the frame where the original comes nearest the fitted
  // point and the frame where the edited clip comes nearest the edited one:
  // the largest difference, and the largest of those nearest distances (a
  // point the clip never comes near is not passed at all).
  double worstDelay = 0.0;
  double worstMiss = 0.0;
  int points = 0;
};

bool measureTiming(const BvhMotion& original, const BvhMotion& edited,
                   const std::vector<Point3>& fitted, const std::vector<Point3>& moved,
                   PathTiming& timing, std::string* error);

// An edit of a freshly fitted track path: every point scaled about the
// first by scale, then, with sideways, the middle point moved as
// writeSidewaysEdit moves it; frames timed with pace, planted feet kept
// with keepFeet.
struct TrackEdit {
  double scale = 1.0;
  bool sideways = false;
  PathPace pace = PathPace::points;
  bool keepFeet = false;
};

// Writes motion carried along its track path after edit to out; fitted and
// moved receive the path's points before and after, note its timing note
// (ClipPath::timingNote) when given. False with *error set when the path has
// too few points for the edit (two, three for the sideways move) or the
// write fails.
bool writeTrackEdit(const BvhMotion& motion, const TrackEdit& edit, const std::string& out,
                    std::vector<Point3>& fitted, std::vector<Point3>& moved, std::string* error,
                    std::string* note = nullptr);

// The BVH text of a clip that goes back and forth along a clip file's track:
// its frame lines played forward for `forward` frames, then backward for
// `back`, and so on (back < forward: it gets on), frames lines in all, with
// the "Frames:" count changed to match; the track wiggles as a boxer's
// does. Empty when the file cannot be read or has too few frames.
std::string backAndForthOf(const std::string& fileName, int forward, int back, int frames);
