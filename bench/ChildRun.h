#pragma once

// Runs one benchmark step in a forked child process, so that each step starts
// from the same clean heap and its peak memory can be read on its own. The
// child's standard output goes to /dev/null for its whole life: the code under
// test prints progress lines, and a terminal would otherwise be part of the
// time measured. Linux only (fork, /proc/self).

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>

namespace bench {

struct StepResult {
  bool ok = false;
  double seconds = 0.0;
  // Growth of the resident set over its size when the clock started, at its
  // highest while the clock ran, in bytes.
  double peakBytes = 0.0;
  // False when the kernel's high-water mark could not be reset: peakBytes is
  // then only a lower bound.
  bool peakExact = false;
  // A number the step hands back (a byte count, say).
  double extra = 0.0;
};

namespace detail {

// "VmRSS" or "VmHWM" of this process in bytes, or -1.
inline double statusBytes(const char* field) {
  std::FILE* status = std::fopen("/proc/self/status", "r");
  if (status == nullptr) return -1.0;
  char line[256];
  double bytes = -1.0;
  const size_t length = std::strlen(field);
  while (std::fgets(line, sizeof line, status) != nullptr) {
    if (std::strncmp(line, field, length) == 0 && line[length] == ':') {
      bytes = std::atof(line + length + 1) * 1024.0;
      break;
    }
  }
  std::fclose(status);
  return bytes;
}

// Lowers the kernel's high-water mark of the resident set to its present size.
inline bool resetPeak() {
  const int fd = open("/proc/self/clear_refs", O_WRONLY);
  if (fd < 0) return false;
  const bool done = write(fd, "5", 1) == 1;
  close(fd);
  return done;
}

}  // namespace detail

// Handed to a step: the step calls start() right before the work it measures
// and stop() right after; everything outside is preparation.
class StepClock {
 public:
  void start() {
    std::fflush(nullptr);
    peakReset = detail::resetPeak();
    residentBefore = detail::statusBytes("VmRSS");
    // Without the reset the mark may still hold an earlier, higher peak; the
    // difference of marks is then a lower bound.
    if (!peakReset) residentBefore = detail::statusBytes("VmHWM");
    begin = std::chrono::steady_clock::now();
  }
  void stop() {
    const auto end = std::chrono::steady_clock::now();
    seconds = std::chrono::duration<double>(end - begin).count();
    peakBytes = detail::statusBytes("VmHWM") - residentBefore;
    if (peakBytes < 0.0) peakBytes = 0.0;
  }

  double seconds = 0.0;
  double peakBytes = 0.0;
  bool peakReset = false;

 private:
  std::chrono::steady_clock::time_point begin;
  double residentBefore = 0.0;
};

// Runs step(clock, extra) in a child process; the step returns whether it
// succeeded. A child that crashes or cannot be started gives ok = false.
inline StepResult runInChild(const std::function<bool(StepClock&, double&)>& step) {
  StepResult result;
  int channel[2];
  if (pipe(channel) != 0) return result;
  // Unflushed output would otherwise be written twice, once by each process.
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child < 0) {
    close(channel[0]);
    close(channel[1]);
    return result;
  }
  if (child == 0) {
    close(channel[0]);
    const int quiet = open("/dev/null", O_WRONLY);
    if (quiet >= 0) {
      dup2(quiet, STDOUT_FILENO);
      close(quiet);
    }
    StepClock clock;
    StepResult report;
    report.ok = step(clock, report.extra);
    report.seconds = clock.seconds;
    report.peakBytes = clock.peakBytes;
    report.peakExact = clock.peakReset;
    std::fflush(nullptr);
    const bool sent = write(channel[1], &report, sizeof report) == sizeof report;
    close(channel[1]);
    // _exit: the parent's atexit handlers and stdio buffers are not the child's.
    _exit(sent ? 0 : 1);
  }
  close(channel[1]);
  StepResult report;
  size_t got = 0;
  while (got < sizeof report) {
    const ssize_t n = read(channel[0], reinterpret_cast<char*>(&report) + got, sizeof report - got);
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  close(channel[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (got == sizeof report && WIFEXITED(status) && WEXITSTATUS(status) == 0) result = report;
  return result;
}

// Best time of `runs` children; peak memory is the highest seen, so one lucky
// run cannot hide a costly one.
inline StepResult bestOf(int runs, const std::function<bool(StepClock&, double&)>& step) {
  StepResult best;
  for (int i = 0; i < runs; ++i) {
    const StepResult run = runInChild(step);
    if (!run.ok) return run;
    const double highest = best.ok ? std::max(best.peakBytes, run.peakBytes) : run.peakBytes;
    const bool exact = best.ok ? best.peakExact && run.peakExact : run.peakExact;
    if (!best.ok || run.seconds < best.seconds) best = run;
    best.peakBytes = highest;
    best.peakExact = exact;
  }
  return best;
}

}  // namespace bench
