#include "motion/HeadingTurn.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "motion/FrameWords.h"
#include "motion/Skeleton.h"

namespace {

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
  FrameWords words(line);
  const char* first = nullptr;
  const char* last = nullptr;
  for (long k = 0; k <= wanted; ++k) {
    if (!words.next(first, last)) return false;
    for (size_t n = 0; n < indices.size(); ++n) {
      if (indices[n] == k) spans[n] = {first, static_cast<size_t>(last - first)};
    }
  }
  return true;
}

}  // namespace

HeadingTurn::HeadingTurn(const Skeleton& skeleton, int joint, int upAxis)
    : jointName_(skeleton.contains(joint) ? skeleton[joint].name : nullptr), upAxis_(upAxis) {
  std::vector<long> rotationWords;
  std::vector<int> axes;
  if (skeleton.contains(joint)) {
    for (const RotationChannel& channel :
         skeleton.layout().rotations(static_cast<size_t>(joint))) {
      rotationWords.push_back(channel.word);
      axes.push_back(channel.axis);
    }
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

const char* HeadingTurn::apply(const char* line, double headingDegrees, Notes& notes) {
  if (line == nullptr || headingDegrees == 0.0 || !std::isfinite(headingDegrees)) return line;
  if (mode_ == Mode::cannotTurn) {
    if (!reported_) {
      reported_ = true;
      notes.addf(
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
    own[n] = wordValue(spans[n].start, spans[n].start + spans[n].length);
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
