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

#include "image/Tga.h"
#include "tests/fuzz/ScratchFolder.h"

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
  if (!tgaWriteRle(path, width, height, block, 3)) std::abort();
  const Outcome<TgaImage> back = tgaLoad(path, 3);
  const std::size_t bytes = static_cast<std::size_t>(width) * height * 3;
  if (!back || back.value().width != width || back.value().height != height ||
      std::memcmp(back.value().pixels.get(), block, bytes) != 0) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static ScratchFile input("tga-fuzz-in");
  static ScratchFile output("tga-fuzz-out");
  writeBytes(input.path(), data, size);
  for (int format : {3, 4}) {
    const Outcome<TgaImage> loaded = tgaLoad(input.path(), format);
    if (!loaded) {
      // Every refusal is one of the reader's own failures.
      if (tgaErrorCode(loaded.failure()) == kTgaNoError) std::abort();
      continue;
    }
    const TgaImage& image = loaded.value();
    const int width = image.width;
    const int height = image.height;
    if (width <= 0 || height <= 0 || image.format != format || !image.pixels) std::abort();
    // The whole block must be there (the address sanitizer checks the last byte).
    volatile unsigned char last = image.pixels.get()[image.byteCount() - 1];
    (void)last;
    if (format == 3) checkRoundTrip(image.pixels.get(), width, height, output.path());
  }
  return 0;
}
