#include "motion/HeadingTurn.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/NumberText.h"
#include "motion/BvhJoint.h"
#include "motion/JointChannels.h"

namespace {

bool isSeparator(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

struct WordSpan {
  const char* start = nullptr;
  size_t length = 0;
};

// Spans of the words at the given indices (any order); false when the line
// is shorter.
bool findWords(const char* line, const std::vector<long>& indices, std::vector<WordSpan>& spans) {
  long wanted = -1;
  for (long index : indices) wanted = index > wanted ? index : wanted;
  spans.assign(indices.size(), WordSpan{});
  const char* c = line;
  for (long k = 0; k <= wanted; ++k) {
    while (*c != '\0' && isSeparator(*c)) ++c;
    if (*c == '\0') return false;
    const char* start = c;
    while (*c != '\0' && !isSeparator(*c)) ++c;
    for (size_t n = 0; n < indices.size(); ++n) {
      if (indices[n] == k) spans[n] = {start, static_cast<size_t>(c - start)};
    }
  }
  return true;
}

}  // namespace

HeadingTurn::HeadingTurn(const BvhJoint& joint, int upAxis)
    : jointName_(joint.name), upAxis_(upAxis) {
  std::vector<long> rotationWords;
  std::vector<int> axes;
  const int count = readableChannelCount(joint);
  for (int i = 0; i < count; ++i) {
    const int axis = rotationAxis(channelKind(joint.channelNames[static_cast<size_t>(i)]));
    if (axis < 0) continue;
    rotationWords.push_back(static_cast<long>(joint.channelOffset) + i);
    axes.push_back(axis);
  }
  if (!axes.empty() && axes[0] == upAxis_) {
    mode_ = Mode::addToFirstYaw;
    words_.assign(1, rotationWords[0]);
  } else if (axes.size() == 3 && axes[0] != axes[1] && axes[1] != axes[2] && axes[0] != axes[2]) {
    mode_ = Mode::threeAxes;
    words_ = rotationWords;
    order_ = AxisOrder{{axes[0], axes[1], axes[2]}};
  }
}

const char* HeadingTurn::apply(const char* line, double headingDegrees) {
  if (line == nullptr || headingDegrees == 0.0 || !std::isfinite(headingDegrees)) return line;
  if (mode_ == Mode::cannotTurn) {
    if (!reported_) {
      reported_ = true;
      std::printf(
          "%s has no rotation channels that can hold the path's turn: its rotations are "
          "written as read\n",
          jointName_ != nullptr ? jointName_ : "The carried joint");
    }
    return line;
  }

  std::vector<WordSpan> spans;
  if (!findWords(line, words_, spans)) return line;
  double own[3] = {0.0, 0.0, 0.0};
  for (size_t n = 0; n < spans.size(); ++n) {
    own[n] = readLeadingNumber(spans[n].start, spans[n].start + spans[n].length);
    if (!std::isfinite(own[n])) return line;
  }

  double turned[3] = {own[0] + headingDegrees, 0.0, 0.0};
  if (mode_ == Mode::threeAxes) {
    const Matrix3 rotation =
        axisRotation(upAxis_, headingDegrees) * rotationFromAngles(order_, own);
    anglesFromRotation(rotation, order_, own, turned);
  }

  // Rebuilt from the line's pieces, in the order the words stand.
  text_.clear();
  const char* copied = line;
  for (;;) {
    size_t next = spans.size();
    for (size_t n = 0; n < spans.size(); ++n) {
      if (spans[n].start >= copied && (next == spans.size() || spans[n].start < spans[next].start)) {
        next = n;
      }
    }
    if (next == spans.size()) break;
    text_.append(copied, static_cast<size_t>(spans[next].start - copied));
    // What "%f" shows as zero is written as zero, never as "-0.000000".
    const double value = std::fabs(turned[next]) < 5e-7 ? 0.0 : turned[next];
    char number[kMaxFixedNumberSize];
    text_.append(number, writeFixedNumber(number, value));
    copied = spans[next].start + spans[next].length;
  }
  text_.append(copied);
  return text_.c_str();
}
