#include "path/PathWriter.h"

#include "motion/BvhMotion.h"
#include "motion/BvhWriter.h"
#include "motion/TrackJoint.h"
#include "path/GroundMapping.h"
#include "path/JointIndex.h"
#include "path/LoopFit.h"
#include "path/TrackFit.h"
#include "path/TrackPlacement.h"

bool writePath(const char* fileName, const BvhMotion& motion, const LoopFit& fit,
               std::string* message, ExistingTarget existing, UpAxis up) {
  const int frameCount = motion.frameCount;
  return writeClip(
      fileName, motion, jointOfClip(motion, jointAt(motion, fit.trackJoint)),
      [&fit, &motion, frameCount, up](int frame, FramePlacement& placement) {
        FramePlacement ground;
        if (!framePlacement(fit, motion, frame, frameCount, ground)) return false;
        placement = placementInClipAxes(ground, up);
        return true;
      },
      message, existing, up);
}

bool writeTrackPath(const char* fileName, const BvhMotion& motion, const TrackFit& fit,
                    std::string* message, ExistingTarget existing, UpAxis up) {
  return writeClip(
      fileName, motion, jointOfClip(motion, jointAt(motion, fit.trackJoint)),
      [&fit, up](int frame, FramePlacement& placement) {
        FramePlacement ground;
        if (!trackPlacement(fit, frame, ground)) return false;
        placement = placementInClipAxes(ground, up);
        return true;
      },
      message, existing, up);
}
