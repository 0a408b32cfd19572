#include "motion/BvhMotion.h"

#include <vector>

namespace {

const char* printable(const char* text) { return text != nullptr ? text : ""; }

}  // namespace

void BvhMotion::reset() {
  frameLines.clear();
  skeleton.clear();
  text.reset();
  textSize = 0;
  frameCount = 0;
  frameTime = 0.0;
  channelTotal = 0;
}

std::string BvhMotion::dump() const {
  std::string text;
  dump([&text](const std::string& piece) { text += piece; });
  return text;
}

void BvhMotion::dump(const std::function<void(const std::string&)>& put) const {
  // Each joint's children, linked in file order in one pass: a per-joint
  // search would cost the square of a deep chain.
  const int count = skeleton.size();
  std::vector<int> firstChild(static_cast<size_t>(count), -1);
  std::vector<int> nextSibling(static_cast<size_t>(count), -1);
  std::vector<int> lastChild(static_cast<size_t>(count), -1);
  for (int i = 1; i < count; ++i) {
    const size_t parent = static_cast<size_t>(skeleton[i].parent);
    if (lastChild[parent] < 0) {
      firstChild[parent] = i;
    } else {
      nextSibling[static_cast<size_t>(lastChild[parent])] = i;
    }
    lastChild[parent] = i;
  }

  Notes out;
  for (int i = 0; i < count; ++i) {
    const BvhJoint& joint = skeleton[i];
    out.clear();
    out.add("\n\n----------------------------------------------------\n");
    out.addf("Name %s, Offset XYZ %f %f %f\n", printable(joint.name), joint.offset.x,
             joint.offset.y, joint.offset.z);
    out.addf("Channels %i, Chan Offset %i   ", joint.channelCount, joint.channelOffset);
    for (const char* channel : joint.channelNames) out.addf("%s ", printable(channel));
    out.add("\nChildren ");
    for (int child = firstChild[static_cast<size_t>(i)]; child >= 0;
         child = nextSibling[static_cast<size_t>(child)]) {
      out.addf("%s ", printable(skeleton[child].name));
    }
    out.add("\n");
    if (joint.parent >= 0) {
      out.addf("Parent %s", printable(skeleton[joint.parent].name));
    } else {
      out.add("NULL Parent\n");
    }
    put(out.text());
  }
}
