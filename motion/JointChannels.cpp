#include "motion/JointChannels.h"

#include <algorithm>
#include <cstdlib>
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
    case ChannelKind::xRotation: return 0;
    case ChannelKind::yRotation: return 1;
    case ChannelKind::zRotation: return 2;
    default: return -1;
  }
}

int readableChannelCount(const BvhJoint& joint) {
  return std::max(0, std::min(joint.channelCount, static_cast<int>(joint.channelNames.size())));
}

double channelValue(const BvhJoint& joint, int i, const std::vector<const char*>& words) {
  const long word = static_cast<long>(joint.channelOffset) + i;
  if (word < 0 || word >= static_cast<long>(words.size())) return 0.0;
  return std::atof(words[static_cast<size_t>(word)]);
}

Point3 jointPosition(const BvhJoint& joint, const std::vector<const char*>& words) {
  Point3 position;
  const int count = readableChannelCount(joint);
  for (int i = 0; i < count; ++i) {
    switch (channelKind(joint.channelNames[static_cast<size_t>(i)])) {
      case ChannelKind::xPosition: position.x = channelValue(joint, i, words); break;
      case ChannelKind::yPosition: position.y = channelValue(joint, i, words); break;
      case ChannelKind::zPosition: position.z = channelValue(joint, i, words); break;
      default: break;
    }
  }
  return position;
}
