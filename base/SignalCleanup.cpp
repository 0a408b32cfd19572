#include "base/SignalCleanup.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <mutex>

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int kSignalCount = sizeof kSignals / sizeof kSignals[0];
// Writers open at the same time; more go on without removal on a signal.
constexpr int kSlotCount = 8;

enum SlotState { kFree, kFilling, kArmed };

// The handler may only read what is fixed in memory: a path buffer per slot
// and a lock-free state that says when the path is complete.
struct Slot {
  std::atomic<int> state{kFree};
  char path[PATH_MAX];
};
static_assert(std::atomic<int>::is_always_lock_free, "the handler reads slot states");

Slot slots[kSlotCount];
struct sigaction previousActions[kSignalCount];
bool installed[kSignalCount];

// Guards installing and removing the handlers, never taken by the handler.
std::mutex handlerMutex;
int armedCount = 0;

void removeArmedFiles(int signal) {
  const int savedErrno = errno;
  for (Slot& slot : slots) {
    if (slot.state.load() == kArmed) unlink(slot.path);
  }
  // The signal then does what it did before the write: raised again, it is
  // delivered once this handler returns.
  for (int i = 0; i < kSignalCount; ++i) {
    if (kSignals[i] == signal) sigaction(signal, &previousActions[i], nullptr);
  }
  raise(signal);
  errno = savedErrno;
}

void installHandlers() {
  struct sigaction action {};
  action.sa_handler = removeArmedFiles;
  sigemptyset(&action.sa_mask);
  for (const int signal : kSignals) sigaddset(&action.sa_mask, signal);
  // A program that handles the signal itself goes on writing afterwards.
  action.sa_flags = SA_RESTART;
  for (int i = 0; i < kSignalCount; ++i) {
    installed[i] = false;
    if (sigaction(kSignals[i], nullptr, &previousActions[i]) != 0) continue;
    // nohup and friends ignore SIGHUP on purpose.
    if (previousActions[i].sa_handler == SIG_IGN) continue;
    installed[i] = sigaction(kSignals[i], &action, nullptr) == 0;
  }
}

void restoreHandlers() {
  for (int i = 0; i < kSignalCount; ++i) {
    if (installed[i]) sigaction(kSignals[i], &previousActions[i], nullptr);
    installed[i] = false;
  }
}

}  // namespace

int armRemovalOnSignal(const char* path) {
  if (path == nullptr || std::strlen(path) >= PATH_MAX) return -1;
  for (int k = 0; k < kSlotCount; ++k) {
    int expected = kFree;
    if (!slots[k].state.compare_exchange_strong(expected, kFilling)) continue;
    std::strcpy(slots[k].path, path);
    slots[k].state.store(kArmed);
    const std::lock_guard<std::mutex> lock(handlerMutex);
    if (armedCount++ == 0) installHandlers();
    return k;
  }
  return -1;
}

void disarmRemovalOnSignal(int slot) {
  if (slot < 0 || slot >= kSlotCount) return;
  slots[slot].state.store(kFree);
  const std::lock_guard<std::mutex> lock(handlerMutex);
  if (--armedCount == 0) restoreHandlers();
}
