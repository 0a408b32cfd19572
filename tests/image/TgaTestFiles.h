#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
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

// What tgaLoad gave for one file.
struct Loaded {
  TgaBlock block;
  int width = -7;
  int height = -7;
  int error = 0;
  std::vector<int> pixels(std::size_t count) const {
    return std::vector<int>(block.get(), block.get() + count);
  }
};

// Loads contents from a fresh file; error is tgaLastError right after.
inline Loaded load(const std::string& contents, int format) {
  testsupport::TempDir dir;
  const std::string path = dir.write("image.tga", contents);
  Loaded result;
  result.block.reset(tgaLoad(path.c_str(), &result.width, &result.height, format));
  result.error = tgaLastError();
  return result;
}

// Makes the library's last error 2 (cannot open) or 3 (bad format argument),
// so that a later check sees a code the call under test left itself.
inline void leaveError(int code) {
  if (code == 2) {
    TgaBlock(tgaLoad("/nonexistent/x.tga", nullptr, nullptr, 4)).reset();
  } else {
    TgaBlock(tgaCreate(1, 1, 0)).reset();
  }
}

}  // namespace tgatest
