#include "view/ContactMarks.h"

#include "motion/BvhMotion.h"
#include "motion/EditedFrame.h"
#include "motion/FigureFrame.h"
#include "motion/FootContacts.h"
#include "motion/FrameWords.h"
#include "motion/PosedFigure.h"
#include "path/EditSession.h"

std::vector<Point3> contactMarks(const EditSession& session, bool carried) {
  std::vector<Point3> marks;
  const BvhMotion& motion = session.motion();
  const FootContacts& feet = session.contacts();
  const PosedFigure figure(motion.skeleton);
  FrameEditor* edits = carried ? &session.editedFrames() : nullptr;
  std::vector<double> values;
  std::vector<JointPose> poses(static_cast<size_t>(motion.skeleton.size()));
  EditedFrame edited;
  for (const FootContact& contact : feet.contacts) {
    const int f = contact.middle();
    const int foot = feet.legs[static_cast<size_t>(contact.leg)].foot;
    if (f < 0 || static_cast<size_t>(f) >= motion.frameLines.size() ||
        !motion.skeleton.contains(foot)) {
      continue;
    }
    readFrameValues(motion.frameLine(f), values, motion.skeleton.layout().wordsUsed());
    if (edits != nullptr) {
      edits->edit(f, values, edited);
      edited.applyTo(values);
    }
    figure.poseJoints(values, jointsReaching(motion.skeleton, {foot}), poses);
    marks.push_back(figureToWorld(poses[static_cast<size_t>(foot)].t, session.upAxis()));
  }
  return marks;
}
