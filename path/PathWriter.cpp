#include "path/PathWriter.h"

#include "motion/BvhMotion.h"
#include "motion/BvhWriter.h"
#include "motion/TrackJoint.h"
#include "path/GroundMapping.h"
#include "path/PathCurve.h"
#include "path/TrackFit.h"
#include "path/TrackPlacement.h"

bool writePath(const char* fileName, const BvhMotion& motion, const PathCurve& path,
               std::string* message, ExistingTarget existing) {
  const int frameCount = motion.frameCount;
  return writeClip(
      fileName, motion, jointOfClip(motion, path.trackJoint),
      [&path, frameCount](int frame, FramePlacement& placement) {
        return framePlacement(path, frame, frameCount, placement);
      },
      message, existing);
}

bool writeTrackPath(const char* fileName, const BvhMotion& motion, const TrackFit& fit,
                    std::string* message, ExistingTarget existing) {
  return writeClip(
      fileName, motion, jointOfClip(motion, fit.trackJoint),
      [&fit](int frame, FramePlacement& placement) { return trackPlacement(fit, frame, placement); },
      message, existing);
}
