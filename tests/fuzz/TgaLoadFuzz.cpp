// Feeds arbitrary bytes to tgaLoad as a file, in both formats, whatever size
// the header declares: the reader's own limits must keep every input cheap.
// Whatever loads in format 3 must also survive a run-length write and read
// back unchanged.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "tests/fuzz/ScratchFolder.h"
#include "image/Tga.h"

namespace {

// A temporary file reused by every input, removed when the run ends.
class ScratchFile {
 public:
  explicit ScratchFile(const char* stem) {
    std::string pattern = (scratchFolder() / (std::string(stem) + "-XXXXXX")).string();
    const int fd = mkstemp(pattern.data());
    if (fd < 0) std::abort();
    close(fd);
    path_ = pattern;
  }
  ~ScratchFile() { std::remove(path_.c_str()); }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;
  const char* path() const { return path_.c_str(); }

 private:
  std::string path_;
};

void writeBytes(const char* path, const std::uint8_t* data, std::size_t size) {
  std::FILE* file = std::fopen(path, "wb");
  if (file == nullptr) std::abort();
  if (size > 0) std::fwrite(data, 1, size, file);
  std::fclose(file);
}

void checkRoundTrip(const unsigned char* block, int width, int height, const char* path) {
  if (tgaWriteRle(path, width, height, block, 3) != 1) std::abort();
  int backWidth = 0;
  int backHeight = 0;
  TgaBlock back(tgaLoad(path, &backWidth, &backHeight, 3));
  const std::size_t bytes = static_cast<std::size_t>(width) * height * 3;
  if (!back || backWidth != width || backHeight != height ||
      std::memcmp(back.get(), block, bytes) != 0) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static ScratchFile input("tga-fuzz-in");
  static ScratchFile output("tga-fuzz-out");
  writeBytes(input.path(), data, size);
  for (int format : {3, 4}) {
    int width = -1;
    int height = -1;
    TgaBlock block(tgaLoad(input.path(), &width, &height, format));
    if (!block) {
      if (width != -1 || height != -1 || tgaLastError() == 0) std::abort();
      continue;
    }
    if (width <= 0 || height <= 0) std::abort();
    // The whole block must be there (the address sanitizer checks the last byte).
    const std::size_t bytes = static_cast<std::size_t>(width) * height * format;
    volatile unsigned char last = block.get()[bytes - 1];
    (void)last;
    if (format == 3) checkRoundTrip(block.get(), width, height, output.path());
  }
  return 0;
}
