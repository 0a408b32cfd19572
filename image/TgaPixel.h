#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// The per-pixel steps of the TGA reader: take a value from the file, turn it
// into premultiplied R, G, B, A, and put it where the image's origin says.

// A whole file in memory. Every read is checked against the bytes that remain;
// nothing past the end is ever touched.
class TgaByteSource {
 public:
  explicit TgaByteSource(std::vector<unsigned char> bytes);

  // The next byte; false (byte set to 0) when none is left.
  bool next(unsigned char& byte);
  // Moves forward by count bytes; false, leaving the position at the end, when
  // fewer remain.
  bool skip(std::size_t count);
  // Bytes not read yet.
  std::size_t remaining() const { return bytes_.size() - position_; }

 private:
  std::vector<unsigned char> bytes_;
  std::size_t position_ = 0;
};

// A colour map as read from the file: `length` entries of entryBytes bytes
// each, entry bytes little-endian. Pixel values are indices counted from
// firstIndex.
struct TgaColourMap {
  std::vector<unsigned char> entries;
  int entryBytes = 0;
  std::uint32_t firstIndex = 0;
};

// R, G, B, A.
using TgaRgba = std::array<unsigned char, 4>;

// What a colour-map index outside the map reads as.
constexpr TgaRgba kTgaOutsideMap = {0, 0, 0, 255};

// Reads pixelBytes bytes as a little-endian value into value (bytes beyond the
// fourth are consumed but do not fit). A byte missing at the end of the file
// resets the value gathered so far to 0. With a map the value is an index and
// becomes the entry it names; returns false when it names no entry (value 0).
bool readPixel(TgaByteSource& source, int pixelBytes, const TgaColourMap* map,
               std::uint32_t& value);

// The colour of a file value of sourceBits bits (15, 16, 24 or 32; 8 is a
// grey level), premultiplied by its alpha. alphaBits is the image
// descriptor's count of alpha bits: 32-bit values are opaque when it is 0, and
// 16-bit values are 5-5-5 when it is 1, 5-6-5 otherwise. Other source widths
// give four zero bytes.
TgaRgba convertPixel(std::uint32_t value, int sourceBits, int alphaBits);

// Stores the first `format` bytes of colour (so format 3 drops alpha) for file
// pixel k of a width x height image at its place in the bottom-up block,
// according to the origin in descriptor bits 4-5. k must be below
// width * height.
void storePixel(unsigned char* block, int descriptor, std::size_t k, std::size_t width,
                std::size_t height, const TgaRgba& colour, int format);
