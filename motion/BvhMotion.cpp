#include "motion/BvhMotion.h"

#include <cstdio>

namespace {

const char* printable(const char* text) { return text != nullptr ? text : ""; }

void dumpOne(const BvhJoint& joint) {
  std::printf("\n\n----------------------------------------------------\n");
  std::printf("Name %s, Offset XYZ %f %f %f\n", printable(joint.name), joint.offset.x,
              joint.offset.y, joint.offset.z);
  std::printf("Channels %i, Chan Offset %i   ", joint.channelCount, joint.channelOffset);
  for (const char* channel : joint.channelNames) std::printf("%s ", printable(channel));
  std::printf("\nChildren ");
  for (const std::unique_ptr<BvhJoint>& child : joint.children) {
    std::printf("%s ", printable(child->name));
  }
  std::printf("\n");
  if (joint.parent != nullptr) {
    std::printf("Parent %s", printable(joint.parent->name));
  } else {
    std::printf("NULL Parent\n");
  }
}

}  // namespace

void BvhMotion::reset() {
  frameLines.clear();
  root.reset();
  text.reset();
  textSize = 0;
  frameCount = 0;
  frameTime = 0.0;
  channelTotal = 0;
}

void BvhMotion::dump() const {
  // Pre-order walk with an explicit stack: hierarchies may nest 100,000 deep.
  std::vector<const BvhJoint*> pending;
  if (root) pending.push_back(root.get());
  while (!pending.empty()) {
    const BvhJoint* joint = pending.back();
    pending.pop_back();
    dumpOne(*joint);
    for (auto child = joint->children.rbegin(); child != joint->children.rend(); ++child) {
      pending.push_back(child->get());
    }
  }
}
