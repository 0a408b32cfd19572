#include "motion/JointChannels.h"

#include <algorithm>
#include <cstring>

#include "motion/BvhJoint.h"

ChannelKind channelKind(const char* name) {
  if (name == nullptr) return ChannelKind::other;
  static const struct {
    const char* name;
    ChannelKind kind;
  } known[] = {
      {"Xposition", ChannelKind::xPosition}, {"Yposition", ChannelKind::yPosition},
      {"Zposition", ChannelKind::zPosition}, {"Xrotation", ChannelKind::xRotation},
      {"Yrotation", ChannelKind::yRotation}, {"Zrotation", ChannelKind::zRotation},
  };
  for (const auto& entry : known) {
    if (std::strcmp(name, entry.name) == 0) return entry.kind;
  }
  return ChannelKind::other;
}

int rotationAxis(ChannelKind kind) {
  switch (kind) {
    case ChannelKind::xRotation:
      return 0;
    case ChannelKind::yRotation:
      return 1;
    case ChannelKind::zRotation:
      return 2;
    default:
      return -1;
  }
}

int readableChannelCount(const BvhJoint& joint) {
  return std::max(0, std::min(joint.channelCount, static_cast<int>(joint.channelNames.size())));
}
