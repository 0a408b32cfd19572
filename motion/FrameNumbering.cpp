#include "motion/FrameNumbering.h"

#include <algorithm>
#include <system_error>

#include "motion/BvhMotion.h"

namespace {

// Clips this long have their numbers worked out on a second thread; shorter
// ones are written before a thread would have paid for itself.
constexpr size_t kFramesForTwoThreads = 50000;

}  // namespace

FrameNumbering::FrameNumbering(const BvhMotion& motion, size_t count, int carried, bool placed,
                               const FramePlacementFunction& placement, UpAxis up, Notes& notes)
    : motion_(motion),
      count_(count),
      placed_(placed && placement),
      placement_(placement),
      turn_(motion.skeleton, carried, upAxisIndex(up)),
      notes_(notes),
      runs_((count + kRun - 1) / kRun) {
  slots_[0].resize(std::min(count, kRun));
  if (count < kFramesForTwoThreads) return;
  slots_[1].resize(kRun);
  try {
    ahead_ = std::thread(&FrameNumbering::numberAhead, this);
  } catch (const std::system_error&) {
    slots_[1].clear();  // no thread to be had: the caller's thread does it all
  }
}

FrameNumbering::~FrameNumbering() { stop(); }

void FrameNumbering::stop() {
  if (!ahead_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  ahead_.join();
}

void FrameNumbering::numberRun(size_t run, std::vector<FrameNumbers>& numbers) {
  const size_t first = run * kRun;
  const size_t size = std::min(kRun, count_ - first);
  PackedTextList::const_iterator lines(&motion_.frameLines, first);
  for (size_t k = 0; k < size; ++k, ++lines) {
    FrameNumbers& frame = numbers[k];
    FramePlacement place;
    // Frames without a place keep the clip's own position.
    frame.onPath = placed_ && placement_(static_cast<int>(first + k), place);
    frame.x = place.x;
    frame.z = place.z;
    // A bent path turns the carried joint as well as moving it.
    frame.turned.count = 0;
    if (frame.onPath) turn_.turn(*lines, place.headingDegrees, notes_, frame.turned);
  }
}

void FrameNumbering::numberAhead() {
  for (size_t run = 0; run < runs_; ++run) {
    {
      // Run k goes into run k - 2's slot once run k - 1 has been handed
      // out: the caller is then done with run k - 2.
      std::unique_lock<std::mutex> lock(mutex_);
      changed_.wait(lock, [&] { return stopping_ || run < taken_ + 1; });
      if (stopping_) return;
    }
    try {
      numberRun(run, slots_[run % 2]);
    } catch (...) {
      std::lock_guard<std::mutex> lock(mutex_);
      thrown_ = std::current_exception();
      done_ = runs_;
      changed_.notify_all();
      return;
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      done_ = run + 1;
    }
    changed_.notify_all();
  }
}

const FrameNumbers* FrameNumbering::next(size_t& first, size_t& size) {
  first = taken_ * kRun;
  size = taken_ < runs_ ? std::min(kRun, count_ - first) : 0;
  if (size == 0) return nullptr;
  const size_t run = taken_;
  if (!ahead_.joinable()) {
    numberRun(run, slots_[0]);
    ++taken_;
    return slots_[0].data();
  }
  {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return done_ > run; });
    if (thrown_) {
      lock.unlock();
      stop();
      std::rethrow_exception(thrown_);
    }
    // Handing out run k means the caller is done with run k - 1: its slot
    // may take run k + 1.
    taken_ = run + 1;
  }
  changed_.notify_all();
  return slots_[run % 2].data();
}
