#include "path/PathWriter.h"

#include "motion/BvhMotion.h"
#include "motion/BvhWriter.h"
#include "motion/GroundAxes.h"
#include "motion/TrackJoint.h"
#include "path/GroundMapping.h"
#include "path/LoopFit.h"
#include "path/TrackFit.h"
#include "path/TrackPlacement.h"

Status writePath(const char* fileName, const BvhMotion& motion, const LoopFit& fit, Notes& notes,
                 ExistingTarget existing, UpAxis up) {
  const int frameCount = motion.frameCount;
  return writeClip(
      fileName, motion, jointOfClip(motion, fit.trackJoint),
      [&fit, &motion, frameCount, up](int frame, FramePlacement& placement) {
        FramePlacement ground;
        if (!framePlacement(fit, motion, frame, frameCount, ground)) return false;
        placement = placementInFileAxes(ground, up);
        return true;
      },
      notes, existing, up);
}

Status writeTrackPath(const char* fileName, const BvhMotion& motion, const TrackFit& fit,
                      Notes& notes, ExistingTarget existing, UpAxis up) {
  return writeClip(
      fileName, motion, jointOfClip(motion, fit.trackJoint),
      [&fit, up](int frame, FramePlacement& placement) {
        FramePlacement ground;
        if (!trackPlacement(fit, frame, ground)) return false;
        placement = placementInFileAxes(ground, up);
        return true;
      },
      notes, existing, up);
}
