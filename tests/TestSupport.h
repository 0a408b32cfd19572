#pragma once

#include <functional>
#include <string>

#include "path/EditSession.h"
#include "path/LoopFit.h"
#include "path/LoopPath.h"
#include "path/PathKinds.h"
#include "path/TrackFit.h"
#include "path/TrackPath.h"

// Skips the running test in an address-sanitizer build: the sanitizer aborts
// on huge allocations and does not mix with address-space limits, which such
// tests rely on.
#if defined(__SANITIZE_ADDRESS__)
#define MPE_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define MPE_ADDRESS_SANITIZER 1
#endif
#endif
#ifdef MPE_ADDRESS_SANITIZER
#define MPE_SKIP_UNDER_ADDRESS_SANITIZER() \
  GTEST_SKIP() << "not run under the address sanitizer (huge allocations, address limits)"
#else
#define MPE_SKIP_UNDER_ADDRESS_SANITIZER() static_cast<void>(0)
#endif

namespace testsupport {

// Runs body and returns everything it printed to standard output (C stdio and
// iostreams alike), by redirecting file descriptor 1 to a temporary file.
std::string captureStdout(const std::function<void()>& body);

// A fresh temporary directory for one test, removed by the destructor.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  // Writes contents (bytes as given) to path()/name and returns the full path.
  std::string write(const std::string& name, const std::string& contents) const;

 private:
  std::string path_;
};

// What a shell command printed on standard output, and its exit status (-1
// when it did not exit normally or could not be started).
struct CommandRun {
  std::string output;
  int status = -1;
};
CommandRun runCommand(const std::string& command);

// Whole file as bytes; empty when it cannot be read.
std::string readFile(const std::string& path);

// Runs body on a thread with a stack of stackBytes and waits for it, so that a
// walk recursing once per level over a deep tree overflows reliably.
void runOnSmallStack(size_t stackBytes, const std::function<void()>& body);

// Console output with every "Nodes color: r g b" message of the reader taken
// out; count, when given, receives how many there were.
std::string withoutColors(const std::string& output, int* count = nullptr);

// The record of a session's loop path and track path, whichever is shown
// (the track path's is empty until it was first shown).
inline const LoopFit& loopRecord(const EditSession& session) {
  return static_cast<const LoopPath&>(session.pathOf(pathKindOf("loop"))).record();
}
inline const TrackFit& trackRecord(const EditSession& session) {
  return static_cast<const TrackPath&>(session.pathOf(pathKindOf("track"))).record();
}
// The kinds by their keys.
inline int loopKind() { return pathKindOf("loop"); }
inline int trackKind() { return pathKindOf("track"); }

}  // namespace testsupport
