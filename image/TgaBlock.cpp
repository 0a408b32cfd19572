#include "image/TgaBlock.h"

#include <cstdint>
#include <cstdlib>
#include <utility>

#include "image/Tga.h"
#include "image/TgaError.h"

unsigned char* tgaAllocateBlock(std::size_t width, std::size_t height, int format) {
  if (format <= 0) return nullptr;
  const auto bytesPerPixel = static_cast<std::size_t>(format);
  if (height != 0 && width > SIZE_MAX / height) return nullptr;
  const std::size_t pixels = width * height;
  if (pixels > SIZE_MAX / bytesPerPixel) return nullptr;
  const std::size_t bytes = pixels * bytesPerPixel;
  // No allocator hands out more than this; asking would only abort under some.
  if (bytes > static_cast<std::size_t>(PTRDIFF_MAX)) return nullptr;
  // malloc(0) may return null, which would read as a failure.
  return static_cast<unsigned char*>(std::malloc(bytes == 0 ? 1 : bytes));
}

Outcome<TgaImage> tgaCreate(int width, int height, int format) {
  if (format != 3 && format != 4) return tgaFailure(kTgaBadFormat);
  if (width < 0 || height < 0) return tgaFailure(kTgaBadFormat);
  TgaBlock block(
      tgaAllocateBlock(static_cast<std::size_t>(width), static_cast<std::size_t>(height), format));
  if (!block) return tgaFailure(kTgaBadFormat);
  return TgaImage{std::move(block), width, height, format};
}
