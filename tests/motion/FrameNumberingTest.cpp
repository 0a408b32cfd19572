#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

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

// Each frame's numbers are its own, in order, and stay so while the caller
// writes them, however far the second thread runs ahead; frames with heading 0 or no place are not
// turned.
TEST(FrameNumbering, EveryFrameGetsItsOwnNumbersInOrder) {
  testsupport::TempDir dir;
  const int frames = 3 * static_cast<int>(FrameNumbering::kRun) * 5 + 17;
  const auto clip = longClip(dir, frames);
  const BvhMotion& motion = *clip;
  ASSERT_EQ(motion.frameCount, frames);
  const FramePlacementFunction placement = [](int f, FramePlacement& place) {
    if (f % 11 == 3) return false;
    place.x = f;
    place.z = -2.0 * f;
    place.headingDegrees = f % 5;
    return true;
  };
  Notes notes;
  FrameNumbering numbering(motion, static_cast<size_t>(frames), 0, true, placement, UpAxis::y,
                           notes);
  size_t expectedFirst = 0;
  size_t first = 0;
  size_t size = 0;
  int wrong = 0;
  const auto check = [&](const FrameNumbers* numbers) {
    for (size_t k = 0; k < size; ++k) {
      const int f = static_cast<int>(first + k);
      const FrameNumbers& n = numbers[k];
      const bool placed = f % 11 != 3;
      const bool turned = placed && f % 5 != 0;
      const bool right = n.onPath == placed && (!placed || (n.x == f && n.z == -2.0 * f)) &&
                         n.turned.count == (turned ? 1 : 0) &&
                         (!turned || (n.turned.word[0] == 3 && n.turned.value[0] == 10 + f % 5));
      if (!right && ++wrong <= 5) ADD_FAILURE() << "frame " << f;
    }
  };
  while (const FrameNumbers* numbers = numbering.next(first, size)) {
    ASSERT_EQ(first, expectedFirst);
    check(numbers);
    // A slow writer: the run must stay as it was until the next is asked for.
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    check(numbers);
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
  const FramePlacementFunction placement = [](int, FramePlacement& place) {
    place.headingDegrees = 1.0;
    return true;
  };
  Notes notes;
  size_t first = 0;
  size_t size = 0;
  {
    FrameNumbering numbering(motion, static_cast<size_t>(frames), 0, true, placement, UpAxis::y,
                             notes);
    ASSERT_NE(numbering.next(first, size), nullptr);
    ASSERT_NE(numbering.next(first, size), nullptr);
  }
  EXPECT_EQ(first, FrameNumbering::kRun);
}

}  // namespace
