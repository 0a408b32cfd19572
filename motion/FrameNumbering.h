#pragma once

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#include "motion/EditedFrame.h"
#include "motion/FrameEditor.h"

class BvhMotion;

class FrameNumbering {
 public:
  static constexpr size_t kRun = 4096;

  // editor null: no frame is edited. The editor must outlive the numbering.
  FrameNumbering(const BvhMotion& motion, size_t count, FrameEditor* editor);
  // Stops the second thread, if any, and waits for it.
  ~FrameNumbering();
  FrameNumbering(const FrameNumbering&) = delete;
  FrameNumbering& operator=(const FrameNumbering&) = delete;

  // The edits of the next run of frames, size of them from frame first on
  // (size 0 after the last); valid until the next call. Throws what working
  // them out threw (running out of memory).
  const EditedFrame* next(size_t& first, size_t& size);

 private:
  void numberRun(size_t run, std::vector<EditedFrame>& frames);
  void numberAhead();
  void stop();

  const BvhMotion& motion_;
  size_t count_;
  FrameEditor* editor_;
  // The values of the frame being edited; only one thread edits at a time.
  std::vector<double> values_;
  size_t runs_;
  size_t taken_ = 0;  // runs handed out by next

  // Two runs' edits: run k goes to slot k % 2.
  std::vector<EditedFrame> slots_[2];
  std::thread ahead_;
  std::mutex mutex_;
  std::condition_variable changed_;
  size_t done_ = 0;  // runs worked out by the second thread
  bool stopping_ = false;
  std::exception_ptr thrown_;
};
