#pragma once

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#include "base/Outcome.h"
#include "motion/FigureFrame.h"
#include "motion/HeadingTurn.h"

class BvhMotion;

// What one frame writes in place of some of its words: where its carried
// joint stands on the path (when it has a place there) and, on a bent path,
// the joint's turned rotation angles.
struct FrameNumbers {
  bool onPath = false;
  double x = 0.0;
  double z = 0.0;
  TurnedWords turned;
};

// Works out the numbers of a clip's first count frames in order, in runs of
// kRun frames. For a long clip the runs are worked out on a second thread one
// or two runs ahead of the caller, who formats the one before: the placement
// and the turn are most of a frame's writing time. Each frame's numbers
// depend on that frame alone, so they are the same either way. Notes (the
// turn's one notice) are written only while runs are being worked out and
// may be read once the numbering is finished or destroyed.
class FrameNumbering {
 public:
  static constexpr size_t kRun = 4096;

  // placed: whether frames can be placed at all (the carried joint has both
  // ground channels and a placement is given).
  FrameNumbering(const BvhMotion& motion, size_t count, int carried, bool placed,
                 const FramePlacementFunction& placement, UpAxis up, Notes& notes);
  // Stops the second thread, if any, and waits for it.
  ~FrameNumbering();
  FrameNumbering(const FrameNumbering&) = delete;
  FrameNumbering& operator=(const FrameNumbering&) = delete;

  // The numbers of the next run of frames, size of them from frame first on
  // (size 0 after the last); valid until the next call. Throws what working
  // them out threw (running out of memory).
  const FrameNumbers* next(size_t& first, size_t& size);

 private:
  void numberRun(size_t run, std::vector<FrameNumbers>& numbers);
  void numberAhead();
  void stop();

  const BvhMotion& motion_;
  size_t count_;
  bool placed_;
  const FramePlacementFunction& placement_;
  HeadingTurn turn_;
  Notes& notes_;
  size_t runs_;
  size_t taken_ = 0;  // runs handed out by next

  // Two runs' numbers: run k goes to slot k % 2.
  std::vector<FrameNumbers> slots_[2];
  std::thread ahead_;
  std::mutex mutex_;
  std::condition_variable changed_;
  size_t done_ = 0;  // runs worked out by the second thread
  bool stopping_ = false;
  std::exception_ptr thrown_;
};
