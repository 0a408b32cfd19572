#pragma once

#include <cstddef>
#include <cstdlib>
#include <memory>

// Releases a pixel block with free, for std::unique_ptr.
struct FreeDeleter {
  void operator()(void* block) const { std::free(block); }
};

// A pixel block from malloc; freed when the pointer goes.
using TgaBlock = std::unique_ptr<unsigned char, FreeDeleter>;

// An image in memory: width x height pixels of `format` bytes each, 3 (R, G, B)
// or 4 (R, G, B, A). Rows run from the bottom of the picture up, each row left
// to right, so the pixel at column x, row y starts at (y * width + x) * format;
// the block can go to OpenGL as it is. Colours are premultiplied by alpha.
// The image owns its block; a 0 x 0 image still has one (of one byte).
struct TgaImage {
  TgaBlock pixels;
  int width = 0;
  int height = 0;
  int format = 0;

  // Bytes of pixel data: width * height * format.
  std::size_t byteCount() const {
    return static_cast<std::size_t>(width) * static_cast<std::size_t>(height) *
           static_cast<std::size_t>(format);
  }
};
