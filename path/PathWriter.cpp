#include "path/PathWriter.h"

#include "motion/BvhWriter.h"
#include "motion/TrackJoint.h"
#include "path/ClipPath.h"
#include "path/EditedClip.h"

Status writePath(const char* fileName, const BvhMotion& motion, const ClipPath& path, UpAxis up,
                 Notes& notes, ExistingTarget existing, const FootContacts* feet) {
  // A path never fitted carries the root, as far as it carries anything.
  EditedClip edited(motion, &path, channelsOf(motion, path.trackJoint().joint, up), up);
  if (feet != nullptr) edited.keepFeet(*feet, notes);
  return writeClip(fileName, motion, &edited, notes, existing);
}
