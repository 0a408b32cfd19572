#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "TestSupport.h"
#include "motion/BvhMotion.h"
#include "motion/FrameNumbering.h"

namespace {

// A clip long enough for the numbers to be worked out on a second thread.
// Its root turns by adding to its first (yaw) angle, 10 in every frame.
std::unique_ptr<BvhMotion> longClip(testsupport::TempDir& dir, int frames) {
  std::string text =
      "HIERARCHY\nROOT Hips\n{\nOFFSET 0 0 0\n"
      "CHANNELS 6 Xposition Yposition Zposition Yrotation Xrotation Zrotation\n"
      "End Site\n{\nOFFSET 0 1 0\n}\n}\nMOTION\nFrames: " +
      std::to_string(frames) + "\nFrame Time: 0.1\n";
  for (int f = 0; f < frames; ++f) text += "1 2 3 10 20 30\n";
  auto motion = std::make_unique<BvhMotion>();
  Notes notes;
  EXPECT_TRUE(motion->read(dir.write("long.bvh", text).c_str(), notes).ok());
  return motion;
}

// Edits frames as a path would: words 0 and 2 placed, word 3 turned by
// f % 5 from the frame's own value, nothing for frames it does not place.
class PlacingEditor : public FrameEditor {
 public:
  size_t wordsRead() const override { return 4; }
  void edit(int f, const std::vector<double>& values, EditedFrame& out) override {
    out.clear();
    if (f % 11 == 3) return;
    out.set(0, f);
    out.set(2, -2.0 * f);
    if (f % 5 != 0 && values.size() >= 4) out.set(3, values[3] + f % 5);
  }
};

// Each frame's edits are its own, in order, and stay so while the caller
// writes them, however far the second thread runs ahead.
TEST(FrameNumbering, EveryFrameGetsItsOwnNumbersInOrder) {
  testsupport::TempDir dir;
  const int frames = 3 * static_cast<int>(FrameNumbering::kRun) * 5 + 17;
  const auto clip = longClip(dir, frames);
  const BvhMotion& motion = *clip;
  ASSERT_EQ(motion.frameCount, frames);
  PlacingEditor editor;
  FrameNumbering numbering(motion, static_cast<size_t>(frames), &editor);
  size_t expectedFirst = 0;
  size_t first = 0;
  size_t size = 0;
  int wrong = 0;
  const auto check = [&](const EditedFrame* edits) {
    for (size_t k = 0; k < size; ++k) {
      const int f = static_cast<int>(first + k);
      const EditedFrame& e = edits[k];
      const bool placed = f % 11 != 3;
      const bool turned = placed && f % 5 != 0;
      const size_t count = placed ? (turned ? 3 : 2) : 0;
      const bool right = e.words().size() == count &&
                         (!placed || (e.valueOr(0, 0.5) == f && e.valueOr(2, 0.5) == -2.0 * f)) &&
                         (!turned || e.valueOr(3, 0.5) == 10 + f % 5);
      if (!right && ++wrong <= 5) ADD_FAILURE() << "frame " << f;
    }
  };
  while (const EditedFrame* edits = numbering.next(first, size)) {
    ASSERT_EQ(first, expectedFirst);
    check(edits);
    // A slow writer: the run must stay as it was until the next is asked for.
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    check(edits);
    expectedFirst += size;
  }
  EXPECT_EQ(expectedFirst, static_cast<size_t>(frames));
  EXPECT_EQ(wrong, 0);
}

// A writer that fails half-way stops asking; the numbering then ends without
// waiting for frames nobody will take.
TEST(FrameNumbering, StoppingEarlyEndsTheSecondThread) {
  testsupport::TempDir dir;
  const int frames = 60000;
  const auto clip = longClip(dir, frames);
  const BvhMotion& motion = *clip;
  PlacingEditor editor;
  size_t first = 0;
  size_t size = 0;
  {
    FrameNumbering numbering(motion, static_cast<size_t>(frames), &editor);
    ASSERT_NE(numbering.next(first, size), nullptr);
    ASSERT_NE(numbering.next(first, size), nullptr);
  }
  EXPECT_EQ(first, FrameNumbering::kRun);
}

}  // namespace
