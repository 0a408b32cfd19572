// Arbitrary bytes through the whole save path: read, fit when the read
// succeeds, write. Files live in the scratch folder under names unique to
// this process.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "motion/BvhMotion.h"
#include "path/PathFit.h"
#include "path/PathWriter.h"
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
    BvhMotion motion;
    Notes notes;
    if (motion.read(input.c_str(), notes)) {
      LoopFit path;
      fitPath(motion, path, notes);
      writePath(output.c_str(), motion, path, notes);
    }
  }
  std::remove(input.c_str());
  std::remove(output.c_str());
  return 0;
}
