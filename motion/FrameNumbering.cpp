#include "motion/FrameNumbering.h"

#include <algorithm>
#include <system_error>

#include "motion/BvhMotion.h"
#include "motion/FrameWords.h"

namespace {

// Clips this long have their numbers worked out on a second thread; shorter
// ones are written before a thread would have paid for itself.
constexpr size_t kFramesForTwoThreads = 50000;

}  // namespace

FrameNumbering::FrameNumbering(const BvhMotion& motion, size_t count, FrameEditor* editor)
    : motion_(motion), count_(count), editor_(editor), runs_((count + kRun - 1) / kRun) {
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

void FrameNumbering::numberRun(size_t run, std::vector<EditedFrame>& frames) {
  const size_t first = run * kRun;
  const size_t size = std::min(kRun, count_ - first);
  if (editor_ == nullptr) {
    for (size_t k = 0; k < size; ++k) frames[k].clear();
    return;
  }
  const size_t wordsRead = editor_->wordsRead();
  PackedTextList::const_iterator lines(&motion_.frameLines, first);
  for (size_t k = 0; k < size; ++k, ++lines) {
    readFrameValues(*lines, values_, wordsRead);
    editor_->edit(static_cast<int>(first + k), values_, frames[k]);
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

const EditedFrame* FrameNumbering::next(size_t& first, size_t& size) {
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
