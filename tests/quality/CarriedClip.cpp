#include "quality/CarriedClip.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "base/NumberText.h"
#include "motion/BvhMotion.h"
#include "motion/FootPlanting.h"
#include "motion/FrameWords.h"
#include "motion/HeadingTurn.h"

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// The words of a frame that get numbers of their own, in word order.
std::vector<FootEdit> frameEdits(int f, const BvhMotion& motion, int carried, UpAxis up,
                                 const FramePlacementFunction& placement,
                                 const FootPlanting* planting, HeadingTurn& turn,
                                 std::vector<double>& values, int& edited) {
  const char* line = motion.frameLine(f);
  readFrameValues(line, values);
  const JointLayout& words = motion.skeleton.layout()[static_cast<size_t>(carried)];
  const long x = words.wordOf(ChannelKind::xPosition);
  const long z = words.wordOf(secondGroundKind(up));
  FramePlacement placed;
  const bool isPlaced = x >= 0 && z >= 0 && placement && placement(f, placed);
  std::vector<FootEdit> edits;
  if (x >= 0 && z >= 0) {
    edits.push_back({x, isPlaced ? placed.x : valueAt(values, static_cast<int>(x))});
    edits.push_back({z, isPlaced ? placed.z : valueAt(values, static_cast<int>(z))});
  }
  Notes ignored;
  TurnedWords turned;
  if (isPlaced && turn.turn(line, placed.headingDegrees, ignored, turned)) {
    for (int n = 0; n < turned.count; ++n) edits.push_back({turned.word[n], turned.value[n]});
  }
  if (planting != nullptr) {
    const size_t before = edits.size();
    planting->addEdits(f, values, isPlaced ? &placed : nullptr, edits);
    if (edits.size() > before) ++edited;
  }
  // Later edits of a word win, as in the program's edited frame.
  std::stable_sort(edits.begin(), edits.end(),
                   [](const FootEdit& a, const FootEdit& b) { return a.word < b.word; });
  std::vector<FootEdit> unique;
  for (const FootEdit& edit : edits) {
    if (!unique.empty() && unique.back().word == edit.word) {
      unique.back() = edit;
    } else {
      unique.push_back(edit);
    }
  }
  return unique;
}

void writeLine(const char* line, const std::vector<FootEdit>& edits, std::FILE* file) {
  FrameWords words(line);
  const char* first = nullptr;
  const char* last = nullptr;
  size_t next = 0;
  char number[kMaxFixedNumberSize];
  for (long k = 0; words.next(first, last); ++k) {
    while (next < edits.size() && edits[next].word < k) ++next;
    if (next < edits.size() && edits[next].word == k) {
      std::fwrite(number, 1, writeFixedNumber(number, edits[next].value), file);
    } else {
      std::fwrite(first, 1, static_cast<size_t>(last - first), file);
    }
    std::fputc(' ', file);
  }
  std::fputc('\n', file);
}

}  // namespace

Status writeCarriedClip(const std::string& out, const BvhMotion& motion, int carried, UpAxis up,
                        const FramePlacementFunction& placement, const FootPlanting* planting,
                        int* editedFrames) {
  if (motion.skeleton.empty()) return Status::failed("the clip has no hierarchy");
  if (!motion.skeleton.contains(carried)) carried = 0;
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(out.c_str(), "wb"));
  if (!file) return Status::failed("cannot write " + out);
  Notes echo;
  std::fputs("HIERARCHY\n", file.get());
  motion.writeJoint(0, 0, file.get(), echo);
  std::fprintf(file.get(), "MOTION\nFrames: %d\nFrame Time: %s\n", motion.frameCount,
               fixedUnlessLost(motion.frameTime).c_str());
  HeadingTurn turn(motion.skeleton, carried, upAxisIndex(up));
  std::vector<double> values;
  int edited = 0;
  const int frames = std::min(motion.frameCount, static_cast<int>(motion.frameLines.size()));
  for (int f = 0; f < frames; ++f) {
    writeLine(motion.frameLine(f),
              frameEdits(f, motion, carried, up, placement, planting, turn, values, edited),
              file.get());
  }
  if (editedFrames != nullptr) *editedFrames = edited;
  if (std::ferror(file.get()) || std::fclose(file.release()) != 0) {
    return Status::failed("cannot write " + out);
  }
  return Status();
}
