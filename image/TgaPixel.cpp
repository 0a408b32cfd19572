#include "image/TgaPixel.h"

#include <cstring>
#include <utility>

namespace {

// Deliberately not 255/31 and 255/63: a full channel (31 or 63) reads as 254.
constexpr float kFiveBitScale = 8.2258f;
constexpr float kSixBitScale = 4.0476f;

unsigned char scaleChannel(std::uint32_t channel, float scale) {
  return static_cast<unsigned char>(static_cast<float>(channel) * scale);
}

unsigned char premultiply(unsigned char c, unsigned char alpha) {
  return static_cast<unsigned char>(static_cast<float>(c) / 255.0f * static_cast<float>(alpha) /
                                    255.0f * 255.0f);
}

}  // namespace

TgaByteSource::TgaByteSource(std::vector<unsigned char> bytes) : bytes_(std::move(bytes)) {}

bool TgaByteSource::next(unsigned char& byte) {
  if (position_ >= bytes_.size()) {
    byte = 0;
    return false;
  }
  byte = bytes_[position_++];
  return true;
}

bool TgaByteSource::skip(std::size_t count) {
  const std::size_t left = bytes_.size() - position_;
  if (count > left) {
    position_ = bytes_.size();
    return false;
  }
  position_ += count;
  return true;
}

bool readPixel(TgaByteSource& source, int pixelBytes, const TgaColourMap* map,
               std::uint32_t& value) {
  value = 0;
  for (int i = 0; i < pixelBytes; ++i) {
    unsigned char byte;
    if (!source.next(byte)) {
      value = 0;
      continue;
    }
    if (i < 4) value |= static_cast<std::uint32_t>(byte) << (8 * i);
  }
  if (map == nullptr) return true;

  const std::size_t length = map->entries.size() / static_cast<std::size_t>(map->entryBytes);
  if (value < map->firstIndex || value - map->firstIndex >= length) {
    value = 0;
    return false;
  }
  const unsigned char* entry =
      map->entries.data() + (value - map->firstIndex) * static_cast<std::size_t>(map->entryBytes);
  value = 0;
  for (int i = 0; i < map->entryBytes; ++i)
    value |= static_cast<std::uint32_t>(entry[i]) << (8 * i);
  return true;
}

TgaRgba convertPixel(std::uint32_t value, int sourceBits, int alphaBits) {
  TgaRgba c = {0, 0, 0, 0};
  if (sourceBits == 15 || (sourceBits == 16 && alphaBits == 1)) {
    // The top bit of a 16-bit value is then an attribute bit, not colour.
    c = {scaleChannel((value >> 10) & 0x1F, kFiveBitScale),
         scaleChannel((value >> 5) & 0x1F, kFiveBitScale),
         scaleChannel(value & 0x1F, kFiveBitScale), 255};
  } else if (sourceBits == 16) {
    c = {scaleChannel((value >> 11) & 0x1F, kFiveBitScale),
         scaleChannel((value >> 5) & 0x3F, kSixBitScale), scaleChannel(value & 0x1F, kFiveBitScale),
         255};
  } else if (sourceBits == 24) {
    c = {static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 8),
         static_cast<unsigned char>(value), 255};
  } else if (sourceBits == 32) {
    // Without alpha bits in the descriptor the fourth byte is padding.
    const unsigned char alpha = alphaBits == 0 ? 255 : static_cast<unsigned char>(value >> 24);
    c = {static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 8),
         static_cast<unsigned char>(value), alpha};
  } else if (sourceBits == 8) {
    const auto grey = static_cast<unsigned char>(value);
    c = {grey, grey, grey, 255};
  }
  for (int i = 0; i < 3; ++i) c[i] = premultiply(c[i], c[3]);
  return c;
}

void storePixel(unsigned char* block, int descriptor, std::size_t k, std::size_t width,
                std::size_t height, const TgaRgba& colour, int format) {
  const int origin = (descriptor >> 4) & 3;
  std::size_t x = k % width;
  std::size_t y = k / width;
  if (origin == 1 || origin == 3) x = width - 1 - x;
  if (origin == 2 || origin == 3) y = height - 1 - y;
  std::memcpy(block + (y * width + x) * static_cast<std::size_t>(format), colour.data(),
              static_cast<std::size_t>(format));
}
