#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "TestSupport.h"
#include "image/Tga.h"

// Test files assembled byte by byte: an 18-byte header from named fields,
// then whatever follows it.
namespace tgatest {

struct Header {
  int idLength = 0;
  int mapType = 0;
  int imageType = 2;
  int mapFirst = 0;
  int mapLength = 0;
  int mapEntrySize = 0;
  int width = 1;
  int height = 1;
  int pixelDepth = 24;
  int descriptor = 0;
};

inline std::string bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out.push_back(static_cast<char>(v));
  return out;
}

inline std::string file(const Header& h, const std::string& rest = std::string()) {
  auto le16 = [](int v) { return bytes({v & 0xFF, (v >> 8) & 0xFF}); };
  return bytes({h.idLength, h.mapType, h.imageType}) + le16(h.mapFirst) + le16(h.mapLength) +
         bytes({h.mapEntrySize}) + le16(0) + le16(0) + le16(h.width) + le16(h.height) +
         bytes({h.pixelDepth, h.descriptor}) + rest;
}

// What tgaLoad gave for one file: the image's fields on success (width and
// height stay -7 otherwise), its failure's code and message on failure.
struct Loaded {
  TgaBlock block;
  int width = -7;
  int height = -7;
  int format = 0;
  int error = 0;
  std::string message;
  std::vector<int> pixels(std::size_t count) const {
    return std::vector<int>(block.get(), block.get() + count);
  }
};

inline Loaded loaded(Outcome<TgaImage> image) {
  Loaded result;
  if (image) {
    result.block = std::move(image.value().pixels);
    result.width = image.value().width;
    result.height = image.value().height;
    result.format = image.value().format;
  } else {
    result.error = tgaErrorCode(image.failure());
    result.message = image.failure().message;
  }
  return result;
}

// Loads contents from a fresh file.
inline Loaded load(const std::string& contents, int format) {
  testsupport::TempDir dir;
  const std::string path = dir.write("image.tga", contents);
  return loaded(tgaLoad(path.c_str(), format));
}

}  // namespace tgatest
