// Writes the ground texture: a 256 x 256 checker of 8 x 8 squares in light
// grey and dark blue-grey, opaque, run-length encoded.
// Usage: make_checker [output file]   (default "checker.tga")
#include <cstdio>
#include <vector>

#include "image/Tga.h"

int main(int argc, char** argv) {
  const char* fileName = argc > 1 ? argv[1] : "checker.tga";
  constexpr int kSize = 256;
  constexpr int kSquares = 8;
  constexpr int kSquare = kSize / kSquares;
  const unsigned char light[3] = {200, 200, 200};
  const unsigned char dark[3] = {60, 70, 90};

  std::vector<unsigned char> block;
  block.reserve(kSize * kSize * 3);
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      const unsigned char* colour = ((x / kSquare + y / kSquare) % 2 == 0) ? dark : light;
      block.insert(block.end(), colour, colour + 3);
    }
  }
  const Status written = tgaWriteRle(fileName, kSize, kSize, block.data(), 3);
  if (!written) {
    std::fprintf(stderr, "make_checker: cannot write %s: %s\n", fileName,
                 written.failure().message.c_str());
    return 1;
  }
  return 0;
}
