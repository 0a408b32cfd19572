#include "path/PathWriter.h"

#include "motion/BvhMotion.h"
#include "motion/BvhWriter.h"
#include "motion/TrackJoint.h"
#include "path/GroundMapping.h"
#include "path/PathCurve.h"
#include "path/TrackFit.h"
#include "path/TrackPlacement.h"

bool writePath(const char* fileName, const BvhMotion& motion, const PathCurve& path,
               std::string* message, ExistingTarget existing, UpAxis up) {
  const int frameCount = motion.frameCount;
  return writeClip(
      fileName, motion, jointOfClip(motion, path.trackJoint),
      [&path, frameCount, up](int frame, FramePlacement& placement) {
        FramePlacement ground;
        if (!framePlacement(path, frame, frameCount, ground)) return false;
        placement = placementInClipAxes(ground, up);
        return true;
      },
      message, existing, up);
}

bool writeTrackPath(const char* fileName, const BvhMotion& motion, const TrackFit& fit,
                    std::string* message, ExistingTarget existing, UpAxis up) {
  return writeClip(
      fileName, motion, jointOfClip(motion, fit.trackJoint),
      [&fit, up](int frame, FramePlacement& placement) {
        FramePlacement ground;
        if (!trackPlacement(fit, frame, ground)) return false;
        placement = placementInClipAxes(ground, up);
        return true;
      },
      message, existing, up);
}
