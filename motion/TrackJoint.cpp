#include "motion/TrackJoint.h"

#include <cmath>
#include <cstdlib>
#include <vector>

#include "motion/BvhJoint.h"
#include "motion/BvhMotion.h"

namespace {

bool isSeparator(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

TrackJoint channelsOf(const BvhJoint* joint, UpAxis up) {
  TrackJoint track;
  track.joint = joint;
  const int x = joint->channelIndex("Xposition");
  const int z = joint->channelIndex(secondGroundChannel(up));
  // A name listed beyond the channel count has no value of the joint's own.
  if (x >= 0 && x < joint->channelCount) track.xWord = joint->channelOffset + x;
  if (z >= 0 && z < joint->channelCount) track.zWord = joint->channelOffset + z;
  return track;
}

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

const char* const kNoGroundChannels =
    "This clip has no ground position channels: the path cannot move it";

std::string trackJointNotice(const BvhJoint& joint) {
  return std::string("Path follows joint ") + (joint.name != nullptr ? joint.name : "") +
         ": the root does not move";
}

const BvhJoint* jointOfClip(const BvhMotion& motion, const BvhJoint* candidate) {
  const BvhJoint* root = motion.root.get();
  if (candidate == nullptr || root == nullptr) return root;
  std::vector<const BvhJoint*> pending{root};
  while (!pending.empty()) {
    const BvhJoint* joint = pending.back();
    pending.pop_back();
    if (joint == candidate) return candidate;
    for (const auto& child : joint->children) pending.push_back(child.get());
  }
  return root;
}

bool frameWordValue(const char* line, int word, double& value) {
  if (line == nullptr || word < 0) return false;
  const char* p = line;
  for (int w = 0;; ++w) {
    while (isSeparator(*p)) ++p;
    if (*p == '\0') return false;
    if (w == word) {
      value = std::atof(p);
      return true;
    }
    while (*p != '\0' && !isSeparator(*p)) ++p;
  }
}

TrackJoint findTrackJoint(const BvhMotion& motion, UpAxis up) {
  const BvhJoint* root = motion.root.get();
  if (root == nullptr) return TrackJoint{};
  const TrackJoint rootTrack = channelsOf(root, up);
  if (wordChanges(motion, rootTrack.xWord) || wordChanges(motion, rootTrack.zWord)) {
    return rootTrack;
  }
  // File order is the tree's pre-order; an explicit stack keeps deep trees safe.
  std::vector<const BvhJoint*> pending;
  for (auto it = root->children.rbegin(); it != root->children.rend(); ++it) {
    pending.push_back(it->get());
  }
  while (!pending.empty()) {
    const BvhJoint* joint = pending.back();
    pending.pop_back();
    if (!joint->isEndSite) {
      const TrackJoint track = channelsOf(joint, up);
      if (canCarry(track) &&
          (wordChanges(motion, track.xWord) || wordChanges(motion, track.zWord))) {
        return track;
      }
    }
    for (auto it = joint->children.rbegin(); it != joint->children.rend(); ++it) {
      pending.push_back(it->get());
    }
  }
  return rootTrack;
}
