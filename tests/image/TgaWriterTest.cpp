#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "TgaTestFiles.h"
#include "base/FullDisk.h"
#include "image/Tga.h"

namespace {

using tgatest::bytes;

const std::string kId = "written with libpixfile";

// Header and image ID as the writers put them.
std::string expectedStart(int imageType, int width, int height, int format) {
  return bytes({23, 0, imageType, 0, 0, 0, 0, 0, 0, 0, 0, 0, width & 0xFF, width >> 8,
                height & 0xFF, height >> 8, format * 8, format == 4 ? 8 : 0}) +
         kId;
}

using Writer = Status (*)(const char*, int, int, const unsigned char*, int);

// The code of a writer's failure, 0 when it succeeded.
int errorOf(const Status& status) { return status ? 0 : tgaErrorCode(status.failure()); }

std::string writeWith(Writer writer, int width, int height, const std::vector<unsigned char>& block,
                      int format) {
  testsupport::TempDir dir;
  const std::string path = dir.path() + "/out.tga";
  EXPECT_EQ(0, errorOf(writer(path.c_str(), width, height, block.data(), format)));
  return testsupport::readFile(path);
}

TEST(TgaWrite, WritesHeaderIdAndBgrPixels) {
  const std::vector<unsigned char> block = {1, 2, 3, 4, 5, 6};
  EXPECT_EQ(expectedStart(2, 2, 1, 3) + bytes({3, 2, 1, 6, 5, 4}),
            writeWith(tgaWrite, 2, 1, block, 3));
}

TEST(TgaWrite, UndoesPremultiplicationForFormat4) {
  const std::vector<unsigned char> block = {
      100, 50, 25, 128,  // 100 / 128 * 255 = 199.2, 50 -> 99.6, 25 -> 49.8
      200, 0,  0,  100,  // more colour than alpha: clamped to 255
      10,  20, 30, 0,    // no alpha: colour kept
      10,  20, 30, 255,
  };
  EXPECT_EQ(expectedStart(2, 4, 1, 4) +
                bytes({49, 99, 199, 128, 0, 0, 255, 100, 30, 20, 10, 0, 30, 20, 10, 255}),
            writeWith(tgaWrite, 4, 1, block, 4));
}

TEST(TgaWrite, SizeFieldsAreLittleEndian) {
  const std::vector<unsigned char> block(300 * 2 * 3, 9);
  const std::string file = writeWith(tgaWrite, 300, 2, block, 3);
  EXPECT_EQ(expectedStart(2, 300, 2, 3), file.substr(0, 18 + kId.size()));
  EXPECT_EQ(18 + kId.size() + block.size(), file.size());
}

TEST(TgaWrite, WidestImageTheHeaderCanHold) {
  const std::vector<unsigned char> block(65535 * 3, 7);
  testsupport::TempDir dir;
  const std::string path = dir.path() + "/wide.tga";
  ASSERT_TRUE(tgaWrite(path.c_str(), 65535, 1, block.data(), 3));
  const auto back = tgatest::loaded(tgaLoad(path.c_str(), 3));
  ASSERT_TRUE(back.block);
  EXPECT_EQ(65535, back.width);
  EXPECT_EQ(1, back.height);
}

TEST(TgaWriters, RefuseBadArgumentsWithoutWriting) {
  struct Row {
    const char* name;
    int width, height, format;
    bool withBlock;
    int code;
  };
  const Row rows[] = {
      {"format 5", 2, 2, 5, true, 3},        {"format 0", 2, 2, 0, true, 3},
      {"width 65536", 65536, 1, 3, true, 3}, {"height 70000", 1, 70000, 4, true, 3},
      {"width -1", -1, 2, 3, true, 3},       {"no block", 2, 2, 3, false, 3},
  };
  const std::vector<unsigned char> block(16, 1);
  const std::pair<const char*, Writer> writers[] = {{"tgaWrite", tgaWrite},
                                                    {"tgaWriteRle", tgaWriteRle}};
  for (const auto& writer : writers) {
    for (const Row& row : rows) {
      SCOPED_TRACE(testing::Message() << writer.first << " " << row.name);
      testsupport::TempDir dir;
      const std::string path = dir.path() + "/out.tga";
      const Status written = writer.second(path.c_str(), row.width, row.height,
                                           row.withBlock ? block.data() : nullptr, row.format);
      EXPECT_FALSE(written);
      EXPECT_EQ(row.code, errorOf(written));
      EXPECT_EQ(nullptr, std::fopen(path.c_str(), "rb")) << "a file was written";
    }
    SCOPED_TRACE(writer.first);
    EXPECT_EQ(2, errorOf(writer.second("/nonexistent/dir/out.tga", 2, 2, block.data(), 4)));
    // A device is never replaced by a plain file (and /dev/full used to "succeed").
    EXPECT_EQ(2, errorOf(writer.second("/dev/full", 2, 2, block.data(), 4)));
  }
}

// A write that fails part way reports it and leaves the old file as it was.
TEST(TgaWriters, FailedWriteKeepsTheOldFile) {
  // No two neighbours alike, so that run-length encoding cannot shrink it.
  std::vector<unsigned char> block(64 * 64 * 4);
  for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<unsigned char>(i * 7);
  const std::pair<const char*, Writer> writers[] = {{"tgaWrite", tgaWrite},
                                                    {"tgaWriteRle", tgaWriteRle}};
  for (const auto& writer : writers) {
    SCOPED_TRACE(writer.first);
    testsupport::TempDir dir;
    const std::string path = dir.write("old.tga", "old bytes");
    // 16 KB of pixels against a 4 KB file size limit.
    const int status = fulldisk::run(fulldisk::Kind::kFileSizeLimit, dir.path(), [&] {
      const Status written = writer.second(path.c_str(), 64, 64, block.data(), 4);
      if (written) return 2;
      if (errorOf(written) != 14) return 3;
      if (testsupport::readFile(path) != "old bytes") return 4;
      return 0;
    });
    EXPECT_EQ(0, status) << "2: success reported, 3: error code, 4: old file changed";
    EXPECT_EQ(1u, static_cast<size_t>(std::distance(std::filesystem::directory_iterator(dir.path()),
                                                    std::filesystem::directory_iterator())))
        << "a temporary file was left behind";
  }
}

// Each write reports its own outcome: a success after a failure carries no
// error and leaves the failure as it was.
TEST(TgaWriters, EachWriteReportsItsOwnOutcome) {
  const std::vector<unsigned char> block = {1, 2, 3};
  const Status failed = tgaWrite("/nonexistent/dir/out.tga", 1, 1, block.data(), 3);
  writeWith(tgaWrite, 1, 1, block, 3);
  writeWith(tgaWriteRle, 1, 1, block, 3);
  EXPECT_EQ(2, errorOf(failed));
  EXPECT_EQ("cannot open file", failed.failure().message);
}

// The run-length packets of the pixel data, after header and ID.
std::string rlePackets(int width, int height, const std::vector<unsigned char>& block, int format) {
  const std::string file = writeWith(tgaWriteRle, width, height, block, format);
  EXPECT_EQ(expectedStart(10, width, height, format), file.substr(0, 18 + kId.size()));
  return file.substr(18 + kId.size());
}

// Format 3 block where pixel v is (v, 0, 0); its file bytes are 0, 0, v.
std::vector<unsigned char> redBlock(const std::vector<int>& reds) {
  std::vector<unsigned char> block;
  for (int v : reds) block.insert(block.end(), {static_cast<unsigned char>(v), 0, 0});
  return block;
}

std::string px(int v) { return bytes({0, 0, v}); }

std::string pxs(int from, int to) {
  std::string out;
  for (int v = from; v <= to; ++v) out += px(v);
  return out;
}

std::vector<int> range(int from, int to) {
  std::vector<int> out;
  for (int v = from; v <= to; ++v) out.push_back(v);
  return out;
}

std::vector<int> operator+(std::vector<int> a, const std::vector<int>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST(TgaWriteRle, PacketRules) {
  struct Row {
    const char* name;
    int width;
    int height;
    std::vector<int> reds;
    std::string packets;
  };
  const Row rows[] = {
      {"1 x 1", 1, 1, {7}, bytes({0x00}) + px(7)},
      {"300 equal", 300, 1, std::vector<int>(300, 5),
       bytes({0xFF}) + px(5) + bytes({0xFF}) + px(5) + bytes({0xAB}) + px(5)},
      {"rows end runs", 2, 2, {5, 5, 5, 5}, bytes({0x81}) + px(5) + bytes({0x81}) + px(5)},
      {"rows end single pixels",
       1,
       3,
       {5, 5, 5},
       bytes({0x00}) + px(5) + bytes({0x00}) + px(5) + bytes({0x00}) + px(5)},
      {"rows end raw stretches",
       3,
       2,
       {1, 2, 3, 4, 5, 6},
       bytes({0x02}) + pxs(1, 3) + bytes({0x02}) + pxs(4, 6)},
      {"raw then run", 5, 1, {1, 2, 3, 3, 3}, bytes({0x01}) + pxs(1, 2) + bytes({0x82}) + px(3)},
      {"single then run", 3, 1, {1, 2, 2}, bytes({0x00}) + px(1) + bytes({0x81}) + px(2)},
      {"run then single", 3, 1, {1, 1, 2}, bytes({0x81}) + px(1) + bytes({0x00}) + px(2)},
      {"run of 128 then other", 129, 1, std::vector<int>(128, 4) + std::vector<int>{9},
       bytes({0xFF}) + px(4) + bytes({0x00}) + px(9)},
      {"run of 129", 129, 1, std::vector<int>(129, 4),
       bytes({0xFF}) + px(4) + bytes({0x00}) + px(4)},
      {"raw stretch of 130", 130, 1, range(0, 129),
       bytes({0x7F}) + pxs(0, 127) + bytes({0x01}) + pxs(128, 129)},
      // The 128-pixel limit is tested before the run: the first 200 goes into
      // the full raw packet, the second is left alone.
      {"full stretch before a run", 129, 1, range(0, 126) + std::vector<int>{200, 200},
       bytes({0x7F}) + pxs(0, 126) + px(200) + bytes({0x00}) + px(200)},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ASSERT_EQ(static_cast<std::size_t>(row.width * row.height), row.reds.size());
    EXPECT_EQ(row.packets, rlePackets(row.width, row.height, redBlock(row.reds), 3));
  }
}

TEST(TgaWriteRle, ComparesPixelsByTheirFileBytes) {
  // Both un-premultiply to red 255 with alpha 100, so they form one run.
  const std::vector<unsigned char> block = {200, 0, 0, 100, 250, 0, 0, 100, 10, 20, 30, 255};
  EXPECT_EQ(bytes({0x81, 0, 0, 255, 100, 0x00, 30, 20, 10, 255}), rlePackets(3, 1, block, 4));
}

// Opaque blocks with long runs, short runs and raw stretches.
std::vector<unsigned char> patternBlock(int width, int height, int format) {
  std::vector<unsigned char> block;
  std::uint32_t seed = 12345;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      seed = seed * 1103515245u + 12345u;
      const bool inRun = y == 0 || (x / 5) % 2 == 0;
      const int runColour = (x / 10 + y * 3) % 4;
      block.push_back(static_cast<unsigned char>(inRun ? 60 * runColour : seed >> 24));
      block.push_back(static_cast<unsigned char>(inRun ? 255 - runColour : seed >> 16));
      block.push_back(static_cast<unsigned char>(inRun ? 17 : seed >> 8));
      if (format == 4) block.push_back(255);
    }
  }
  return block;
}

TEST(TgaWriters, OpaqueBlocksReadBackUnchanged) {
  const std::pair<int, int> sizes[] = {{7, 5}, {1, 13}, {131, 3}, {1, 1}, {300, 2}};
  const std::pair<const char*, Writer> writers[] = {{"tgaWrite", tgaWrite},
                                                    {"tgaWriteRle", tgaWriteRle}};
  for (const auto& writer : writers) {
    for (int format : {3, 4}) {
      for (const auto& size : sizes) {
        SCOPED_TRACE(testing::Message() << writer.first << " format " << format << " " << size.first
                                        << " x " << size.second);
        const auto block = patternBlock(size.first, size.second, format);
        testsupport::TempDir dir;
        const std::string path = dir.path() + "/round.tga";
        ASSERT_TRUE(writer.second(path.c_str(), size.first, size.second, block.data(), format));
        const auto back = tgatest::loaded(tgaLoad(path.c_str(), format));
        ASSERT_TRUE(back.block);
        EXPECT_EQ(size.first, back.width);
        EXPECT_EQ(size.second, back.height);
        EXPECT_EQ(block,
                  std::vector<unsigned char>(back.block.get(), back.block.get() + block.size()));
      }
    }
  }
}

TEST(TgaWriters, RunLengthFilesAreSmallerForRuns) {
  const std::vector<unsigned char> block(256 * 256 * 3, 80);
  const std::string plain = writeWith(tgaWrite, 256, 256, block, 3);
  const std::string rle = writeWith(tgaWriteRle, 256, 256, block, 3);
  // Two runs of 128 per row, 4 bytes each.
  EXPECT_EQ(18 + kId.size() + 256 * 2 * 4, rle.size());
  EXPECT_GT(plain.size(), rle.size());
}

TEST(TgaWriters, EmptyImageIsHeaderAndIdOnly) {
  testsupport::TempDir dir;
  const std::string path = dir.path() + "/empty.tga";
  ASSERT_TRUE(tgaWriteRle(path.c_str(), 0, 0, nullptr, 4));
  EXPECT_EQ(expectedStart(10, 0, 0, 4), testsupport::readFile(path));
  ASSERT_TRUE(tgaWrite(path.c_str(), 0, 3, nullptr, 3));
  EXPECT_EQ(expectedStart(2, 0, 3, 3), testsupport::readFile(path));
}

}  // namespace
