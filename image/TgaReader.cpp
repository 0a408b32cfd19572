#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <utility>
#include <vector>

#include "base/RegularFile.h"
#include "image/Tga.h"
#include "image/TgaBlock.h"
#include "image/TgaError.h"
#include "image/TgaPixel.h"

namespace {

constexpr std::size_t kHeaderBytes = 18;

// Images past these sizes are refused before anything is allocated: no
// texture needs more, and a header alone must not cost gigabytes. The side
// limit is for run-length data, which a short file can claim; uncompressed
// pixels must be in the file anyway.
constexpr std::size_t kMaxSide = 16384;
constexpr std::size_t kMaxBlockBytes = std::size_t{256} << 20;

// Appends up to count more bytes of the file; a file shorter than that
// simply gives fewer.
void readMore(std::FILE* file, std::size_t count, std::vector<unsigned char>& bytes) {
  const std::size_t start = bytes.size();
  bytes.resize(start + count);
  bytes.resize(start + std::fread(bytes.data() + start, 1, count, file));
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

bool isMappedType(unsigned type) { return type == 1 || type == 9; }
bool isGreyType(unsigned type) { return type == 3 || type == 11; }

// Bytes of pixel depth that each image type can decode.
bool depthFits(const TgaHeader& h) {
  const unsigned d = h.pixelDepth;
  if (isMappedType(h.imageType)) return d == 8 || d == 16;
  if (isGreyType(h.imageType)) return d == 8 || d == 16;
  return d == 15 || d == 16 || d == 24 || d == 32;
}

// Reads the map that follows the image ID; returns an error code, kTgaNoError
// when fine.
// A true-colour image may carry a map too; its pixels do not use it, so it is
// skipped.
TgaErrorCode readColourMap(TgaByteSource& source, const TgaHeader& h, TgaColourMap& map) {
  if (isGreyType(h.imageType)) return kTgaColourMapOnGrey;
  if (!isMappedType(h.imageType)) {
    const std::size_t mapBytes = static_cast<std::size_t>(h.mapLength) * ((h.mapEntrySize + 7) / 8);
    return source.skip(mapBytes) ? kTgaNoError : kTgaBadColourMap;
  }
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

// Fills the block's pixelCount pixels from the decoder's source, raw or as
// run-length packets, through store(k, colour).
template <class Store>
void decodePixels(const PixelDecoder& decoder, bool runLength, std::size_t pixelCount,
                  const Store& store) {
  if (!runLength) {
    for (std::size_t k = 0; k < pixelCount; ++k) store(k, decoder.next());
    return;
  }
  std::size_t k = 0;
  while (k < pixelCount) {
    unsigned char packet;
    // Past the end every packet is a short raw one of zero pixels, so a
    // cut-short file still fills the whole block.
    if (!decoder.source.next(packet)) packet = 1;
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

// Checks what the header says against what the decoder can do and the bytes
// the source holds after the image ID and the colour map.
TgaErrorCode checkDecodable(const TgaHeader& h, bool hasMap, bool runLength, int pixelBytes,
                            int format, const TgaByteSource& source) {
  const std::size_t pixelCount = h.width * h.height;
  if (!runLength && h.imageType != 1 && h.imageType != 2 && h.imageType != 3) {
    return kTgaUnknownType;
  }
  if (!depthFits(h)) return kTgaBadPixelDepth;
  // Colour-mapped pixels are indices: without a map they mean nothing.
  if (isMappedType(h.imageType) && !hasMap) return kTgaBadColourMap;
  if ((runLength && (h.width > kMaxSide || h.height > kMaxSide)) ||
      pixelCount * static_cast<std::size_t>(format) > kMaxBlockBytes) {
    return kTgaTooLarge;
  }
  // Uncompressed pixels must all be in the file; a header that claims more
  // is not an image this file holds. A run-length packet gives at most 128
  // pixels for its byte and one pixel value, so the bytes left bound the
  // pixels too (one packet more lets a file cut short still load).
  const std::size_t packetBytes = 1 + static_cast<std::size_t>(pixelBytes);
  const std::size_t encodable =
      runLength ? 128 * ((source.remaining() + packetBytes - 1) / packetBytes + 1)
                : source.remaining() / static_cast<std::size_t>(pixelBytes);
  return pixelCount > encodable ? kTgaUnexpectedEnd : kTgaNoError;
}

}  // namespace

Outcome<TgaImage> tgaLoad(const char* fileName, int format) {
  if (format != 3 && format != 4) return tgaFailure(kTgaBadFormat);
  // Only a regular file: a FIFO or a device could block or never end.
  Outcome<RegularFile> opened = openRegularFile(fileName);
  if (!opened) return tgaFailure(kTgaCannotOpen);
  const FilePtr file = std::move(opened.value().file);
  const std::size_t fileSize = opened.value().size;
  std::vector<unsigned char> bytes;
  readMore(file.get(), kHeaderBytes, bytes);
  if (bytes.size() < kHeaderBytes) return tgaFailure(kTgaBadHeader);
  const TgaHeader h = parseHeader(bytes.data());
  const std::size_t pixelCount = h.width * h.height;
  if (pixelCount == 0) return tgaFailure(kTgaZeroSize);
  // Only what the header can use is read: the ID, the map and at most the
  // longest pixel data the header allows (a run-length packet byte per pixel).
  int pixelBytes = static_cast<int>((h.pixelDepth + 7) / 8);
  if (pixelBytes == 0) pixelBytes = 1;
  const bool runLength = h.imageType == 9 || h.imageType == 10 || h.imageType == 11;
  const std::size_t mapBytes =
      h.mapType != 0 ? static_cast<std::size_t>(h.mapLength) * ((h.mapEntrySize + 7) / 8) : 0;
  const std::size_t dataBytes = pixelCount * (static_cast<std::size_t>(pixelBytes) + 1);
  readMore(file.get(), std::min(fileSize, h.idLength + mapBytes + dataBytes), bytes);
  TgaByteSource source(std::move(bytes));
  source.skip(kHeaderBytes);

  if (h.idLength != 0 && !source.skip(h.idLength)) return tgaFailure(kTgaUnexpectedEnd);
  if (h.imageType == 0) return tgaFailure(kTgaNoData);
  TgaColourMap map;
  const bool hasMap = h.mapType != 0 && isMappedType(h.imageType);
  if (h.mapType != 0) {
    const TgaErrorCode code = readColourMap(source, h, map);
    if (code != kTgaNoError) return tgaFailure(code);
  }
  const TgaErrorCode decodable = checkDecodable(h, hasMap, runLength, pixelBytes, format, source);
  if (decodable != kTgaNoError) return tgaFailure(decodable);
  TgaBlock block(tgaAllocateBlock(h.width, h.height, format));
  if (!block) return tgaFailure(kTgaBadHeader);

  const int alphaBits = static_cast<int>(h.descriptor & 0x0F);
  const PixelDecoder decoder{source, pixelBytes, hasMap ? &map : nullptr,
                             static_cast<int>(hasMap ? h.mapEntrySize : h.pixelDepth), alphaBits};
  const int descriptor = static_cast<int>(h.descriptor);
  decodePixels(decoder, runLength, pixelCount, [&](std::size_t k, const TgaRgba& colour) {
    storePixel(block.get(), descriptor, k, h.width, h.height, colour, format);
  });
  return TgaImage{std::move(block), static_cast<int>(h.width), static_cast<int>(h.height), format};
}
