#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <utility>
#include <vector>

#include "view/image/Tga.h"
#include "view/image/TgaBlock.h"
#include "view/image/TgaError.h"
#include "view/image/TgaPixel.h"

namespace {

constexpr std::size_t kHeaderBytes = 18;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// The whole file, so that every later read can be checked against its end.
bool readWholeFile(const char* fileName, std::vector<unsigned char>& bytes) {
  if (fileName == nullptr) return false;
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(fileName, "rb"));
  if (!file) return false;
  unsigned char chunk[65536];
  std::size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
    bytes.insert(bytes.end(), chunk, chunk + n);
  }
  return true;
}

unsigned little16(const unsigned char* p) { return p[0] | (p[1] << 8u); }

struct TgaHeader {
  unsigned idLength = 0;
  unsigned mapType = 0;
  unsigned imageType = 0;
  unsigned mapFirst = 0;
  unsigned mapLength = 0;
  unsigned mapEntrySize = 0;
  std::size_t width = 0;
  std::size_t height = 0;
  unsigned pixelDepth = 0;
  unsigned descriptor = 0;
};

TgaHeader parseHeader(const unsigned char* b) {
  TgaHeader h;
  h.idLength = b[0];
  h.mapType = b[1];
  h.imageType = b[2];
  h.mapFirst = little16(b + 3);
  h.mapLength = little16(b + 5);
  h.mapEntrySize = b[7];
  h.width = little16(b + 12);
  h.height = little16(b + 14);
  h.pixelDepth = b[16];
  h.descriptor = b[17];
  return h;
}

// Reads the map that follows the image ID; returns an error code, 0 when fine.
int readColourMap(TgaByteSource& source, const TgaHeader& h, TgaColourMap& map) {
  if (h.imageType == 3 || h.imageType == 11) return kTgaColourMapOnGrey;
  if (h.mapEntrySize != 15 && h.mapEntrySize != 16 && h.mapEntrySize != 24 &&
      h.mapEntrySize != 32) {
    return kTgaBadEntrySize;
  }
  map.entryBytes = static_cast<int>((h.mapEntrySize + 7) / 8);
  // The map is read where it stands; the first index only shifts how pixel
  // values name its entries.
  map.firstIndex = h.mapFirst;
  map.entries.resize(static_cast<std::size_t>(h.mapLength) * map.entryBytes);
  for (unsigned char& byte : map.entries) {
    if (!source.next(byte)) return kTgaBadColourMap;
  }
  return kTgaNoError;
}

struct PixelDecoder {
  TgaByteSource& source;
  int pixelBytes;
  const TgaColourMap* map;
  int sourceBits;
  int alphaBits;

  TgaRgba next() const {
    std::uint32_t value;
    if (!readPixel(source, pixelBytes, map, value)) return kTgaOutsideMap;
    return convertPixel(value, sourceBits, alphaBits);
  }
};

}  // namespace

unsigned char* tgaLoad(const char* fileName, int* width, int* height, int format) {
  if (format != 3 && format != 4) {
    tgaSetError(kTgaBadFormat);
    return nullptr;
  }
  std::vector<unsigned char> bytes;
  if (!readWholeFile(fileName, bytes)) {
    tgaSetError(kTgaCannotOpen);
    return nullptr;
  }
  TgaByteSource source(std::move(bytes));

  unsigned char headerBytes[kHeaderBytes];
  for (unsigned char& byte : headerBytes) {
    if (!source.next(byte)) {
      tgaSetError(kTgaBadHeader);
      return nullptr;
    }
  }
  const TgaHeader h = parseHeader(headerBytes);
  const std::size_t pixelCount = h.width * h.height;
  if (pixelCount == 0) {
    tgaSetError(kTgaZeroSize);
    return nullptr;
  }
  const int alphaBits = static_cast<int>(h.descriptor & 0x0F);
  if (h.idLength != 0 && !source.skip(h.idLength)) {
    tgaSetError(kTgaUnexpectedEnd);
    return nullptr;
  }
  if (h.imageType == 0) {
    tgaSetError(kTgaNoData);
    return nullptr;
  }
  TgaColourMap map;
  const bool hasMap = h.mapType != 0;
  if (hasMap) {
    const int code = readColourMap(source, h, map);
    if (code != kTgaNoError) {
      tgaSetError(code);
      return nullptr;
    }
  }
  const bool runLength = h.imageType == 9 || h.imageType == 10 || h.imageType == 11;
  if (!runLength && h.imageType != 1 && h.imageType != 2 && h.imageType != 3) {
    tgaSetError(kTgaUnknownType);
    return nullptr;
  }
  // The header's size cannot be held here: nothing of the file is usable.
  TgaBlock block(tgaAllocateBlock(h.width, h.height, format));
  if (!block) {
    tgaSetError(kTgaBadHeader);
    return nullptr;
  }

  int pixelBytes = static_cast<int>((h.pixelDepth + 7) / 8);
  if (pixelBytes == 0) pixelBytes = 1;
  const PixelDecoder decoder{source, pixelBytes, hasMap ? &map : nullptr,
                             static_cast<int>(hasMap ? h.mapEntrySize : h.pixelDepth), alphaBits};
  const int descriptor = static_cast<int>(h.descriptor);
  auto store = [&](std::size_t k, const TgaRgba& colour) {
    storePixel(block.get(), descriptor, k, h.width, h.height, colour, format);
  };

  if (!runLength) {
    for (std::size_t k = 0; k < pixelCount; ++k) store(k, decoder.next());
  } else {
    std::size_t k = 0;
    while (k < pixelCount) {
      unsigned char packet;
      // Past the end every packet is a short raw one of zero pixels, so a
      // cut-short file still fills the whole block.
      if (!source.next(packet)) packet = 1;
      std::size_t n = (packet & 0x7Fu) + 1;
      // A packet reaching past the last pixel is cut there.
      if (n > pixelCount - k) n = pixelCount - k;
      if (packet & 0x80u) {
        const TgaRgba colour = decoder.next();
        for (std::size_t i = 0; i < n; ++i) store(k + i, colour);
      } else {
        for (std::size_t i = 0; i < n; ++i) store(k + i, decoder.next());
      }
      k += n;
    }
  }

  if (width != nullptr) *width = static_cast<int>(h.width);
  if (height != nullptr) *height = static_cast<int>(h.height);
  return block.release();
}
