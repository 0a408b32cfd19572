#pragma once

#include <vector>

#include "base/Point3.h"
#include "view/WorldBox.h"

class EditSession;

// Where a session's scene reaches over the whole clip, in world units:
// the carried joint's trail as the clip has it and as carried along the path
// shown, and a box around everything (both trails with half the figure's
// size to spare, both kinds of path with their points). Worked out again only when
// the session changed (its revision), so the drawing and the camera may ask
// on every picture.
class SceneExtent {
 public:
  // A long clip's trail takes every n-th frame, so that it holds at most this
  // many points (and always the last frame).
  static constexpr int maxTrailPoints = 1024;

  // Brings the extent up to date with session.
  void update(const EditSession& session);

  const std::vector<Point3>& trailAsRead() const { return asRead_; }
  const std::vector<Point3>& trailCarried() const { return carried_; }
  // Empty for a session without a figure or frames and paths.
  const WorldBox& reach() const { return reach_; }
  // The figure's rest size in world units (0 without joints).
  double figureSize() const { return figureSize_; }

 private:
  const EditSession* session_ = nullptr;
  long revision_ = -1;
  std::vector<Point3> asRead_;
  std::vector<Point3> carried_;
  WorldBox reach_;
  double figureSize_ = 0.0;
};
