// Arbitrary bytes through the whole save path: read, fit every kind of path
// when the read succeeds, move a point, write with the planted feet kept and
// not. Files live in the scratch folder under names unique
// to this process.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "path/EditSession.h"
#include "path/PathKinds.h"
#include "tests/fuzz/ScratchFolder.h"

namespace {

std::string tempName(const char* role) {
  const std::string name = "mpe-readfitwrite-" + std::to_string(getpid()) + "-" + role + ".bvh";
  return (scratchFolder() / name).string();
}

bool writeBytes(const std::string& fileName, const uint8_t* data, size_t size) {
  std::FILE* file = std::fopen(fileName.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(data, 1, size, file) == size;
  return std::fclose(file) == 0 && written;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string input = tempName("in");
  static const std::string output = tempName("out");
  if (!writeBytes(input, data, size)) return 0;

  {
    // Every kind of path, fitted, edited and written as the editor does.
    EditSession session;
    if (session.load(input)) {
      for (int kind = 0; kind < pathKindCount(); ++kind) {
        if (!session.setKind(kind)) continue;
        session.movePoint(session.pointCount() / 2, 13.0, -7.0);
        // Written with the planted feet kept and not, whichever the kind's
        // default is.
        for (int feet = 0; feet < 2; ++feet) {
          session.write(output);
          session.takeConsoleNotes();
          session.setKeepsFeet(!session.keepsFeet());
        }
      }
    }
  }
  std::remove(input.c_str());
  std::remove(output.c_str());
  return 0;
}
