#include "view/SceneExtent.h"

#include <algorithm>

#include "motion/FigureFrame.h"
#include "path/EditSession.h"
#include "path/GroundMapping.h"
#include "path/PathKinds.h"
#include "view/FigureFocus.h"

namespace {

// The drawn samples and the points of every kind of path, where the view
// draws them.
void addPaths(const EditSession& session, WorldBox& box) {
  const PathLayout layout = session.layout();
  const auto add = [&](const Point3& p) {
    box.add(figureToWorld(groundMapping(p, layout), layout.up));
  };
  for (int kind = 0; kind < pathKindCount(); ++kind) {
    const ClipPath& path = session.pathOf(kind);
    for (const Point3& p : path.samples()) add(p);
    for (int i = 0; i < path.pointCount(); ++i) add(path.point(i));
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
