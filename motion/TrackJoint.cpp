#include "motion/TrackJoint.h"

#include <algorithm>
#include <cmath>

#include "motion/BvhMotion.h"
#include "motion/FrameWords.h"

namespace {

// Whether the finite values of one word differ anywhere across the frames.
bool wordChanges(const BvhMotion& motion, int word) {
  if (word < 0) return false;
  bool haveFirst = false;
  double first = 0.0;
  const int frames = std::min(motion.frameCount, static_cast<int>(motion.frameLines.size()));
  for (int i = 0; i < frames; ++i) {
    double value = 0.0;
    if (!frameWordValue(motion.frameLine(i), word, value) || !std::isfinite(value)) continue;
    if (!haveFirst) {
      first = value;
      haveFirst = true;
    } else if (value != first) {
      return true;
    }
  }
  return false;
}

}  // namespace

TrackJoint channelsOf(const BvhMotion& motion, int joint, UpAxis up) {
  joint = jointOfClip(motion, joint);
  if (joint < 0) return TrackJoint{};
  const JointLayout& layout = motion.skeleton.layout()[static_cast<size_t>(joint)];
  return {joint, layout.wordOf(ChannelKind::xPosition), layout.wordOf(secondGroundKind(up)),
          layout.wordOf(upPositionKind(up))};
}

int TrackJoint::wordsRead() const { return std::max({xWord, zWord, upWord}) + 1; }

const char* const kNoGroundChannels =
    "This clip has no ground position channels: the path cannot move it";

std::string trackJointNotice(const BvhJoint& joint) {
  return std::string("Path follows joint ") + (joint.name != nullptr ? joint.name : "") +
         ": the root does not move";
}

int jointOfClip(const BvhMotion& motion, int candidate) {
  if (motion.skeleton.contains(candidate)) return candidate;
  return motion.skeleton.empty() ? -1 : 0;
}

TrackJoint findTrackJoint(const BvhMotion& motion, UpAxis up) {
  const Skeleton& skeleton = motion.skeleton;
  if (skeleton.empty()) return TrackJoint{};
  const TrackJoint rootTrack = channelsOf(motion, 0, up);
  if (wordChanges(motion, rootTrack.xWord) || wordChanges(motion, rootTrack.zWord)) {
    return rootTrack;
  }
  for (int joint = 1; joint < skeleton.size(); ++joint) {
    if (skeleton[joint].isEndSite) continue;
    const TrackJoint track = channelsOf(motion, joint, up);
    if (canCarry(track) && (wordChanges(motion, track.xWord) || wordChanges(motion, track.zWord))) {
      return track;
    }
  }
  return rootTrack;
}
