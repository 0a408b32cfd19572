#include <array>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "base/SafeFileWriter.h"
#include "image/Tga.h"
#include "image/TgaError.h"

namespace {

constexpr char kImageId[] = "written with libpixfile";
constexpr int kMaxDimension = 65535;
constexpr std::size_t kMaxPacketPixels = 128;

// One pixel as it goes into the file: B, G, R and, for format 4, A.
using FilePixel = std::array<unsigned char, 4>;

unsigned char toFileChannel(float c) {
  return static_cast<unsigned char>(c > 1.0f ? 255.0f : c * 255.0f);
}

FilePixel filePixel(const unsigned char* p, int format) {
  if (format == 3) return {p[2], p[1], p[0], 0};
  float r = p[0] / 255.0f;
  float g = p[1] / 255.0f;
  float b = p[2] / 255.0f;
  const float a = p[3] / 255.0f;
  // Blocks hold premultiplied colours; files hold straight ones. Fully
  // transparent pixels have no colour to recover and keep what they have.
  if (a > 0.0001f) {
    r /= a;
    g /= a;
    b /= a;
  }
  return {toFileChannel(b), toFileChannel(g), toFileChannel(r), toFileChannel(a)};
}

void putLittle16(std::vector<unsigned char>& out, int value) {
  out.push_back(static_cast<unsigned char>(value & 0xFF));
  out.push_back(static_cast<unsigned char>((value >> 8) & 0xFF));
}

void putPixel(std::vector<unsigned char>& out, const FilePixel& pixel, int format) {
  out.insert(out.end(), pixel.begin(), pixel.begin() + format);
}

// Checks the arguments and builds the header and image ID; kTgaBadFormat when the
// arguments cannot be written.
Status startFile(std::vector<unsigned char>& out, int width, int height,
                 const unsigned char* pixels, int format, unsigned char imageType) {
  // The header holds 16-bit sizes; a bigger image would get a header that lies.
  if ((format != 3 && format != 4) || width < 0 || height < 0 || width > kMaxDimension ||
      height > kMaxDimension || (pixels == nullptr && width != 0 && height != 0)) {
    return tgaFailure(kTgaBadFormat);
  }
  const std::size_t idLength = std::strlen(kImageId);
  out.push_back(static_cast<unsigned char>(idLength));
  out.push_back(0);  // no colour map
  out.push_back(imageType);
  putLittle16(out, 0);  // colour map first index
  putLittle16(out, 0);  // colour map length
  out.push_back(0);     // colour map entry size
  putLittle16(out, 0);  // x origin
  putLittle16(out, 0);  // y origin
  putLittle16(out, width);
  putLittle16(out, height);
  out.push_back(static_cast<unsigned char>(format * 8));
  // Format 4 carries 8 alpha bits; the origin bits stay 0 (bottom-left), which
  // matches the block's bottom-up rows.
  out.push_back(format == 4 ? 8 : 0);
  out.insert(out.end(), kImageId, kImageId + idLength);
  return Status();
}

// Replaces the file only once every byte is on disk; kTgaCannotOpen when the
// file cannot be created, kTgaCannotWrite when writing it failed.
Status writeFile(const char* fileName, const std::vector<unsigned char>& bytes) {
  SafeFileWriter writer;
  if (fileName == nullptr || !writer.open(fileName)) return tgaFailure(kTgaCannotOpen);
  if (std::fwrite(bytes.data(), 1, bytes.size(), writer.file()) != bytes.size()) writer.fail(errno);
  if (!writer.commit()) return tgaFailure(kTgaCannotWrite);
  return Status();
}

// Turns the block's pixels, in block order, into run-length packets.
class RunLengthEncoder {
 public:
  RunLengthEncoder(std::vector<unsigned char>& out, std::size_t width, int format)
      : out_(out), format_(format) {
    stretch_.reserve(width);
  }

  // Takes the next pixel in block order; startsRow when it is the first of a row.
  void next(const FilePixel& pixel, bool startsRow) {
    switch (state_) {
      case State::kPending:
        if (startsRow) {
          writeRaw({pending_});
          pending_ = pixel;
        } else if (equal(pixel, pending_)) {
          startRun();
        } else {
          stretch_.assign(1, pending_);
          pending_ = pixel;
          state_ = State::kRaw;
        }
        break;
      case State::kRun:
        if (!startsRow && equal(pixel, pending_) && runLength_ < kMaxPacketPixels) {
          ++runLength_;
        } else {
          writeRun();
          pending_ = pixel;
          state_ = State::kPending;
        }
        break;
      case State::kRaw:
        if (startsRow || stretch_.size() + 1 == kMaxPacketPixels) {
          stretch_.push_back(pending_);
          writeRaw(stretch_);
          pending_ = pixel;
          state_ = State::kPending;
        } else if (equal(pixel, pending_)) {
          writeRaw(stretch_);
          startRun();
        } else {
          stretch_.push_back(pending_);
          pending_ = pixel;
        }
        break;
      case State::kEmpty:
        pending_ = pixel;
        state_ = State::kPending;
        break;
    }
  }

  // Writes whatever is still pending as the last packet.

  void finish() {
    switch (state_) {
      case State::kPending:
        writeRaw({pending_});
        break;
      case State::kRun:
        writeRun();
        break;
      case State::kRaw:
        stretch_.push_back(pending_);
        writeRaw(stretch_);
        break;
      case State::kEmpty:
        break;
    }
    state_ = State::kEmpty;
  }

 private:
  enum class State { kEmpty, kPending, kRun, kRaw };

  bool equal(const FilePixel& a, const FilePixel& b) const {
    return std::memcmp(a.data(), b.data(), static_cast<std::size_t>(format_)) == 0;
  }

  void startRun() {
    runLength_ = 2;
    state_ = State::kRun;
  }

  void writeRun() {
    out_.push_back(static_cast<unsigned char>(0x80 + runLength_ - 1));
    putPixel(out_, pending_, format_);
  }

  void writeRaw(const std::vector<FilePixel>& pixels) {
    out_.push_back(static_cast<unsigned char>(pixels.size() - 1));
    for (const FilePixel& pixel : pixels) putPixel(out_, pixel, format_);
  }

  std::vector<unsigned char>& out_;
  int format_;
  State state_ = State::kEmpty;
  FilePixel pending_ = {};
  std::size_t runLength_ = 0;
  std::vector<FilePixel> stretch_;
};

std::size_t pixelCount(int width, int height) {
  return static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
}

}  // namespace

Status tgaWrite(const char* fileName, int width, int height, const unsigned char* pixels,
                int format) {
  std::vector<unsigned char> out;
  const Status started = startFile(out, width, height, pixels, format, 2);
  if (!started) return started;
  const std::size_t count = pixelCount(width, height);
  out.reserve(out.size() + count * static_cast<std::size_t>(format));
  for (std::size_t k = 0; k < count; ++k) {
    putPixel(out, filePixel(pixels + k * static_cast<std::size_t>(format), format), format);
  }
  return writeFile(fileName, out);
}

Status tgaWriteRle(const char* fileName, int width, int height, const unsigned char* pixels,
                   int format) {
  std::vector<unsigned char> out;
  const Status started = startFile(out, width, height, pixels, format, 10);
  if (!started) return started;
  const std::size_t count = pixelCount(width, height);
  const auto rowLength = static_cast<std::size_t>(width);
  RunLengthEncoder encoder(out, rowLength, format);
  for (std::size_t k = 0; k < count; ++k) {
    encoder.next(filePixel(pixels + k * static_cast<std::size_t>(format), format),
                 k % rowLength == 0);
  }
  encoder.finish();
  return writeFile(fileName, out);
}
