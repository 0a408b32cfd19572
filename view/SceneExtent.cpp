#include "view/SceneExtent.h"

#include <algorithm>

#include "motion/FigureFrame.h"
#include "path/EditSession.h"
#include "path/GroundMapping.h"
#include "view/FigureFocus.h"

namespace {

// Samples of the loop path's drawn part (parameter 0 to 0.6) and of the
// track path, and the points of both, where the view draws them.
void addPaths(const EditSession& session, WorldBox& box) {
  const PathLayout layout = pathLayout(session.motion(), session.loop(), -1, session.upAxis());
  const auto add = [&](const Point3& p) {
    box.add(figureToWorld(groundMapping(p, layout), layout.up));
  };
  const PathCurve& loop = session.loop().path;
  for (int i = 0; i <= 60; ++i) add(loop.positionAt(i * 0.01));
  for (const Point3& p : loop.points()) add(p);
  const TrackPath& track = session.track().path;
  constexpr int stepsPerSegment = 8;
  for (int i = 0; i < track.pointCount(); ++i) {
    add(track.point(i));
    for (int j = 1; j < stepsPerSegment && i + 1 < track.pointCount(); ++j) {
      add(track.positionAt(i + static_cast<double>(j) / stepsPerSegment));
    }
  }
}

}  // namespace

void SceneExtent::update(const EditSession& session) {
  if (session_ == &session && revision_ == session.revision()) return;
  session_ = &session;
  revision_ = session.revision();
  asRead_.clear();
  carried_.clear();
  reach_ = WorldBox();
  const BvhMotion& motion = session.motion();
  figureSize_ = motion.skeleton.empty() ? 0.0 : restPoseBox(motion.skeleton).size() * figureScale;
  if (!std::isfinite(figureSize_)) figureSize_ = 0.0;

  const int frames = motion.frameCount;
  const int stride = std::max(1, (frames + maxTrailPoints - 1) / maxTrailPoints);
  WorldBox trails;
  const auto sample = [&](int f) {
    asRead_.push_back(carriedJointWorld(session, f, false));
    carried_.push_back(carriedJointWorld(session, f, true));
    trails.add(asRead_.back());
    trails.add(carried_.back());
  };
  for (int f = 0; f < frames; f += stride) sample(f);
  if (frames > 0 && (frames - 1) % stride != 0) sample(frames - 1);
  // The figure reaches about half its size around the joint it is carried
  // by (its head above the hips, its hands beside them).
  trails.grow(0.5 * figureSize_);
  if (!trails.empty()) trails.low.y = std::max(trails.low.y, figureFloorY);
  reach_.addBox(trails);
  addPaths(session, reach_);
}
