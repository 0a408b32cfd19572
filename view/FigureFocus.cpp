#include "view/FigureFocus.h"

#include "motion/FigureFrame.h"
#include "motion/GroundAxes.h"
#include "motion/TrackJoint.h"
#include "path/GroundMapping.h"

namespace {

int carriedJoint(const EditSession& session) { return session.carriedJoint(); }

}  // namespace

Point3 carriedJointWorld(const EditSession& session, int f, bool carried) {
  const BvhMotion& motion = session.motion();
  if (motion.skeleton.empty()) return figureToWorld({});
  FrameEditor* edits = carried ? &session.editedFrames() : nullptr;
  return figureToWorld(carriedJointPosition(motion, carriedJoint(session), f, edits),
                       session.upAxis());
}

Point3 figureMiddle(const EditSession& session, int f, bool carried, double& size) {
  Point3 focus = carriedJointWorld(session, f, carried);
  size = 0.0;
  const BvhMotion& motion = session.motion();
  if (motion.skeleton.empty()) return focus;
  const RestPoseBox box = restPoseBox(motion.skeleton);
  const Point3 offset = offsetFromRoot(motion.skeleton, carriedJoint(session));
  const Point3 c = box.centre();
  const UpAxis up = session.upAxis();
  const Point3 toCentre = figureToWorld({c.x - offset.x, c.y - offset.y, c.z - offset.z}, up);
  const Point3 origin = figureToWorld({}, up);
  focus.x += toCentre.x - origin.x;
  focus.y += toCentre.y - origin.y;
  focus.z += toCentre.z - origin.z;
  size = box.size() * figureScale;
  return focus;
}
