#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "TgaTestFiles.h"
#include "image/Tga.h"

namespace {

using tgatest::bytes;
using tgatest::Header;
using tgatest::load;
using V = std::vector<int>;

Header trueColour(int width, int height, int depth, int descriptor = 0) {
  Header h;
  h.width = width;
  h.height = height;
  h.pixelDepth = depth;
  h.descriptor = descriptor;
  return h;
}

TEST(TgaReader, OneByOne24BitInBothFormats) {
  const std::string file = tgatest::file(trueColour(1, 1, 24), bytes({10, 20, 30}));
  const auto rgba = load(file, 4);
  ASSERT_TRUE(rgba.block);
  EXPECT_EQ(1, rgba.width);
  EXPECT_EQ(1, rgba.height);
  EXPECT_EQ(4, rgba.format);
  EXPECT_EQ((V{30, 20, 10, 255}), rgba.pixels(4));
  const auto rgb = load(file, 3);
  ASSERT_TRUE(rgb.block);
  EXPECT_EQ(3, rgb.format);
  EXPECT_EQ((V{30, 20, 10}), rgb.pixels(3));
}

TEST(TgaReader, ReportsWidthAndHeightOfANonSquareImage) {
  const auto loaded = load(tgatest::file(trueColour(3, 2, 24), std::string(18, '\x01')), 3);
  ASSERT_TRUE(loaded.block);
  EXPECT_EQ(3, loaded.width);
  EXPECT_EQ(2, loaded.height);
}

// File pixels A..F of a 3 x 2 image carry red 1..6; the block is bottom row
// first, whatever corner the file starts at.
TEST(TgaReader, PlacesPixelsByOrigin) {
  struct Row {
    int origin;
    V reds;
  };
  const Row rows[] = {
      {0, {1, 2, 3, 4, 5, 6}},  // bottom-left
      {1, {3, 2, 1, 6, 5, 4}},  // bottom-right
      {2, {4, 5, 6, 1, 2, 3}},  // top-left: first file row is the top one
      {3, {6, 5, 4, 3, 2, 1}},  // top-right
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.origin);
    std::string data;
    for (int k = 1; k <= 6; ++k) data += bytes({0, 0, k});
    const auto loaded = load(tgatest::file(trueColour(3, 2, 24, row.origin << 4), data), 3);
    ASSERT_TRUE(loaded.block);
    V reds;
    for (int p = 0; p < 6; ++p) reds.push_back(loaded.block.get()[p * 3]);
    EXPECT_EQ(row.reds, reds);
  }
}

TEST(TgaReader, TopLeftOriginWithAlphaBitsPutsFirstPixelInLastRow) {
  const std::string data = bytes({1, 2, 3, 255, 4, 5, 6, 255});
  const auto loaded = load(tgatest::file(trueColour(1, 2, 32, 0x28), data), 4);
  ASSERT_TRUE(loaded.block);
  EXPECT_EQ((V{6, 5, 4, 255, 3, 2, 1, 255}), loaded.pixels(8));
}

TEST(TgaReader, ConvertsFifteenAndSixteenBitPixels) {
  struct Row {
    int depth;
    int alphaBits;
    int value;
    V rgba;
  };
  const Row rows[] = {
      {15, 0, 0x7FFF, {254, 254, 254, 255}},
      {15, 0, 0x7C00, {254, 0, 0, 255}},
      {15, 0, 0x03E0, {0, 254, 0, 255}},
      {15, 0, 0x001F, {0, 0, 254, 255}},
      {15, 0, 0x8000, {0, 0, 0, 255}},
      {15, 0, (16 << 10) | (1 << 5) | 2, {131, 8, 16, 255}},
      // One alpha bit: 5-5-5 with an attribute bit on top.
      {16, 1, 0xFFFF, {254, 254, 254, 255}},
      {16, 1, 0x8000, {0, 0, 0, 255}},
      {16, 1, 0x03E0, {0, 254, 0, 255}},
      // Otherwise 5-6-5.
      {16, 0, 0xFFFF, {254, 254, 254, 255}},
      {16, 0, 0xF800, {254, 0, 0, 255}},
      {16, 0, 0x07E0, {0, 254, 0, 255}},
      {16, 0, 0x001F, {0, 0, 254, 255}},
      {16, 0, 32 << 5, {0, 129, 0, 255}},
      {16, 8, 0x7C00, {123, 129, 0, 255}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.depth << "-bit 0x" << std::hex << row.value
                                    << " alpha bits " << row.alphaBits);
    const auto loaded = load(tgatest::file(trueColour(1, 1, row.depth, row.alphaBits),
                                           bytes({row.value & 0xFF, row.value >> 8})),
                             4);
    ASSERT_TRUE(loaded.block);
    EXPECT_EQ(row.rgba, loaded.pixels(4));
  }
}

TEST(TgaReader, PremultipliesThirtyTwoBitPixelsOnlyWithAlphaBits) {
  const std::string pixel = bytes({200, 100, 50, 128});  // B, G, R, A
  const auto withAlpha = load(tgatest::file(trueColour(1, 1, 32, 8), pixel), 4);
  ASSERT_TRUE(withAlpha.block);
  // 50 * 128 / 255 = 25.1, 100 * 128 / 255 = 50.2, 200 * 128 / 255 = 100.4
  EXPECT_EQ((V{25, 50, 100, 128}), withAlpha.pixels(4));

  const auto withAlphaRgb = load(tgatest::file(trueColour(1, 1, 32, 8), pixel), 3);
  ASSERT_TRUE(withAlphaRgb.block);
  EXPECT_EQ((V{25, 50, 100}), withAlphaRgb.pixels(3));

  // Any non-zero count of alpha bits takes the fourth byte as alpha.
  const auto fourAlphaBits = load(tgatest::file(trueColour(1, 1, 32, 4), pixel), 4);
  ASSERT_TRUE(fourAlphaBits.block);
  EXPECT_EQ((V{25, 50, 100, 128}), fourAlphaBits.pixels(4));

  const auto noAlpha = load(tgatest::file(trueColour(1, 1, 32, 0), pixel), 4);
  ASSERT_TRUE(noAlpha.block);
  EXPECT_EQ((V{50, 100, 200, 255}), noAlpha.pixels(4));

  const auto transparent =
      load(tgatest::file(trueColour(1, 1, 32, 8), bytes({200, 100, 50, 0})), 4);
  ASSERT_TRUE(transparent.block);
  EXPECT_EQ((V{0, 0, 0, 0}), transparent.pixels(4));
}

TEST(TgaReader, OpaquePixelsKeepEveryChannelValue) {
  std::string data;
  for (int c = 0; c < 256; ++c) data += bytes({c, 255 - c, c, 255});
  const auto loaded = load(tgatest::file(trueColour(256, 1, 32, 8), data), 4);
  ASSERT_TRUE(loaded.block);
  for (int c = 0; c < 256; ++c) {
    const unsigned char* p = loaded.block.get() + c * 4;
    ASSERT_EQ((V{c, 255 - c, c, 255}), (V{p[0], p[1], p[2], p[3]})) << "value " << c;
  }
}

TEST(TgaReader, ExpandsGreyLevels) {
  Header grey = trueColour(3, 1, 8);
  grey.imageType = 3;
  const auto rgba = load(tgatest::file(grey, bytes({0, 77, 255})), 4);
  ASSERT_TRUE(rgba.block);
  EXPECT_EQ((V{0, 0, 0, 255, 77, 77, 77, 255, 255, 255, 255, 255}), rgba.pixels(12));
  const auto rgb = load(tgatest::file(grey, bytes({0, 77, 255})), 3);
  ASSERT_TRUE(rgb.block);
  EXPECT_EQ((V{0, 0, 0, 77, 77, 77, 255, 255, 255}), rgb.pixels(9));

  grey.imageType = 11;
  const auto rle = load(tgatest::file(grey, bytes({0x81, 9, 0x00, 200})), 4);
  ASSERT_TRUE(rle.block);
  EXPECT_EQ((V{9, 9, 9, 255, 9, 9, 9, 255, 200, 200, 200, 255}), rle.pixels(12));
}

TEST(TgaReader, SixteenBitGreyGoesThroughTheColourCases) {
  Header grey = trueColour(1, 1, 16);
  grey.imageType = 3;
  const auto loaded = load(tgatest::file(grey, bytes({0x00, 0xF8})), 4);
  ASSERT_TRUE(loaded.block);
  EXPECT_EQ((V{254, 0, 0, 255}), loaded.pixels(4));
}

Header colourMapped(int width, int height, int indexDepth, int entrySize, int entries) {
  Header h = trueColour(width, height, indexDepth);
  h.imageType = 1;
  h.mapType = 1;
  h.mapLength = entries;
  h.mapEntrySize = entrySize;
  return h;
}

TEST(TgaReader, ReadsPixelsThroughA24BitColourMap) {
  const std::string map = bytes({10, 20, 30, 40, 50, 60, 70, 80, 90});
  const auto loaded =
      load(tgatest::file(colourMapped(2, 2, 8, 24, 3), map + bytes({2, 0, 1, 2})), 4);
  ASSERT_TRUE(loaded.block);
  EXPECT_EQ((V{90, 80, 70, 255, 30, 20, 10, 255, 60, 50, 40, 255, 90, 80, 70, 255}),
            loaded.pixels(16));
}

TEST(TgaReader, ReadsColourMapsOfOtherEntrySizesAndIndexWidths) {
  // 16-bit indices, 15-bit entries, after a 3-byte image ID.
  Header h = colourMapped(2, 1, 16, 15, 2);
  h.idLength = 3;
  const auto fifteen =
      load(tgatest::file(h, bytes({'i', 'd', '!', 0x00, 0x7C, 0x1F, 0x00, 1, 0, 0, 0})), 4);
  ASSERT_TRUE(fifteen.block);
  EXPECT_EQ((V{0, 0, 254, 255, 254, 0, 0, 255}), fifteen.pixels(8));

  // 32-bit entries follow the descriptor's alpha bits.
  Header alpha = colourMapped(1, 1, 8, 32, 1);
  alpha.descriptor = 8;
  const auto premultiplied = load(tgatest::file(alpha, bytes({200, 100, 50, 128, 0})), 4);
  ASSERT_TRUE(premultiplied.block);
  EXPECT_EQ((V{25, 50, 100, 128}), premultiplied.pixels(4));

  // Run-length encoded colour-mapped: a run of index 1, then a raw index 0.
  Header rle = colourMapped(3, 1, 8, 24, 2);
  rle.imageType = 9;
  const auto runs = load(tgatest::file(rle, bytes({1, 2, 3, 4, 5, 6, 0x81, 1, 0x00, 0})), 3);
  ASSERT_TRUE(runs.block);
  EXPECT_EQ((V{6, 5, 4, 6, 5, 4, 3, 2, 1}), runs.pixels(9));
}

TEST(TgaReader, CountsIndicesFromTheMapsFirstEntry) {
  // The map starts right after the 2-byte ID; indices 5 and 6 name its two
  // entries, 4 and 7 lie outside it.
  Header h = colourMapped(4, 1, 8, 24, 2);
  h.mapFirst = 5;
  h.idLength = 2;
  const auto loaded = load(tgatest::file(h, bytes({'x', 'y', 0, 0, 11, 0, 0, 22, 5, 6, 4, 7})), 4);
  ASSERT_TRUE(loaded.block);
  EXPECT_EQ((V{11, 0, 0, 255, 22, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255}), loaded.pixels(16));
}

TEST(TgaReader, IndicesOutsideTheMapReadAsOpaqueBlack) {
  Header h = colourMapped(3, 1, 16, 32, 1);
  h.descriptor = 8;
  // Entry 0 is fully transparent; 1 and 0xFFFF are outside the one-entry map.
  const auto loaded = load(tgatest::file(h, bytes({9, 9, 9, 0, 0, 0, 1, 0, 0xFF, 0xFF})), 4);
  ASSERT_TRUE(loaded.block);
  EXPECT_EQ((V{0, 0, 0, 0, 0, 0, 0, 255, 0, 0, 0, 255}), loaded.pixels(12));

  Header empty = colourMapped(1, 1, 8, 24, 0);
  const auto noEntries = load(tgatest::file(empty, bytes({0})), 4);
  ASSERT_TRUE(noEntries.block);
  EXPECT_EQ((V{0, 0, 0, 255}), noEntries.pixels(4));
}

// The map of a true-colour image is skipped, not applied to its pixels.
TEST(TgaReader, TrueColourPixelsIgnoreAColourMap) {
  Header h = trueColour(1, 1, 24);
  h.mapType = 1;
  h.mapLength = 2;
  h.mapEntrySize = 24;
  const auto loaded = load(tgatest::file(h, bytes({9, 9, 9, 8, 8, 8, 10, 20, 30})), 4);
  ASSERT_TRUE(loaded.block);
  EXPECT_EQ((V{30, 20, 10, 255}), loaded.pixels(4));
}

TEST(TgaReader, RunLengthPacketsCrossRowEnds) {
  Header h = trueColour(4, 2, 24);
  h.imageType = 10;
  const auto loaded = load(tgatest::file(h, bytes({0x85, 1, 2, 3, 0x01, 4, 5, 6, 7, 8, 9})), 3);
  ASSERT_TRUE(loaded.block);
  EXPECT_EQ((V{3, 2, 1, 3, 2, 1, 3, 2, 1, 3, 2, 1, 3, 2, 1, 3, 2, 1, 6, 5, 4, 9, 8, 7}),
            loaded.pixels(24));
}

TEST(TgaReader, CutsPacketsAtTheLastPixel) {
  Header h = trueColour(1, 2, 24);
  h.imageType = 10;
  const auto run = load(tgatest::file(h, bytes({0xFF, 1, 2, 3})), 4);
  ASSERT_TRUE(run.block);
  EXPECT_EQ((V{3, 2, 1, 255, 3, 2, 1, 255}), run.pixels(8));

  const auto raw = load(tgatest::file(h, bytes({0x7F, 1, 2, 3, 4, 5, 6, 7, 8, 9})), 3);
  ASSERT_TRUE(raw.block);
  EXPECT_EQ((V{3, 2, 1, 6, 5, 4}), raw.pixels(6));
}

// Every cut of one good run-length file still gives a full block: pixels
// whose bytes are all there keep their colour, the rest read as zero bits.
// (Uncompressed files cut short are refused: see the table below.)
TEST(TgaReader, FilesCutShortStillFillTheBlock) {
  struct Fixture {
    const char* name;
    int imageType;
    int depth;
    int descriptor;
    std::string data;
    std::vector<std::size_t> pixelEnds;  // data bytes needed for pixels 0..3
    V zero;                              // what a missing pixel reads as
    V full;
  };
  const Fixture fixtures[] = {
      {"rle 24",
       10,
       24,
       0,
       bytes({0x81, 1, 2, 3, 0x01, 4, 5, 6, 7, 8, 9}),
       {4, 4, 8, 11},
       {0, 0, 0, 255},
       {3, 2, 1, 255, 3, 2, 1, 255, 6, 5, 4, 255, 9, 8, 7, 255}},
      {"rle 32 alpha",
       10,
       32,
       8,
       bytes({0x02, 1, 2, 3, 255, 4, 5, 6, 255, 7, 8, 9, 255, 0x80, 10, 11, 12, 255}),
       {5, 9, 13, 18},
       {0, 0, 0, 0},
       {3, 2, 1, 255, 6, 5, 4, 255, 9, 8, 7, 255, 12, 11, 10, 255}},
  };
  for (const Fixture& f : fixtures) {
    Header h = trueColour(2, 2, f.depth, f.descriptor);
    h.imageType = f.imageType;
    for (std::size_t cut = 0; cut <= f.data.size(); ++cut) {
      SCOPED_TRACE(testing::Message() << f.name << " cut to " << cut << " data bytes");
      const auto loaded = load(tgatest::file(h, f.data.substr(0, cut)), 4);
      ASSERT_TRUE(loaded.block);
      V expected;
      for (int p = 0; p < 4; ++p) {
        const bool whole = cut >= f.pixelEnds[p];
        for (int c = 0; c < 4; ++c) expected.push_back(whole ? f.full[p * 4 + c] : f.zero[c]);
      }
      EXPECT_EQ(expected, loaded.pixels(16));
    }
  }
}

TEST(TgaReader, RejectsBadFilesWithTheirError) {
  struct Row {
    const char* name;
    std::string contents;
    int format;
    int code;
    const char* message;
  };
  auto typed = [](int type) {
    Header h;
    h.imageType = type;
    return h;
  };
  auto sized = [](int width, int height) {
    Header h;
    h.width = width;
    h.height = height;
    return h;
  };
  auto mapped = [](int type, int entrySize) {
    Header h;
    h.imageType = type;
    h.mapType = 1;
    h.mapLength = 2;
    h.mapEntrySize = entrySize;
    return h;
  };
  auto deep = [](int type, int depth) {
    Header h;
    h.imageType = type;
    h.pixelDepth = depth;
    return h;
  };
  auto rle = [](int width, int height) {
    Header h;
    h.imageType = 10;
    h.width = width;
    h.height = height;
    return h;
  };
  const char* const depthMessage = "unsupported pixel depth for the image type";
  Header longId;
  longId.idLength = 10;
  const std::string pixel = bytes({1, 2, 3});
  const Row rows[] = {
      {"format 5", tgatest::file(Header(), pixel), 5, 3, "bad format argument"},
      {"format 0", tgatest::file(Header(), pixel), 0, 3, "bad format argument"},
      {"format -1", tgatest::file(Header(), pixel), -1, 3, "bad format argument"},
      {"empty file", "", 4, 1, "bad image header"},
      {"17 header bytes", tgatest::file(Header()).substr(0, 17), 4, 1, "bad image header"},
      {"width 0", tgatest::file(sized(0, 3), pixel), 4, 11,
       "image has size 0 width or height (or both)"},
      {"height 0", tgatest::file(sized(3, 0), pixel), 4, 11,
       "image has size 0 width or height (or both)"},
      {"both 0", tgatest::file(sized(0, 0)), 3, 11, "image has size 0 width or height (or both)"},
      {"id past the end", tgatest::file(longId, bytes({1, 2, 3})), 4, 4, "unexpected end-of-file"},
      {"image type 0", tgatest::file(typed(0), pixel), 4, 5, "image contains no data"},
      {"map on grey", tgatest::file(mapped(3, 24), std::string(8, 'x')), 4, 6,
       "found colormap for a grayscale image"},
      {"map on rle grey", tgatest::file(mapped(11, 24), std::string(8, 'x')), 4, 6,
       "found colormap for a grayscale image"},
      {"entry size 8", tgatest::file(mapped(1, 8), std::string(8, 'x')), 4, 7,
       "unsupported colormap entry size"},
      {"entry size 0", tgatest::file(mapped(1, 0), std::string(8, 'x')), 4, 7,
       "unsupported colormap entry size"},
      {"entry size 33", tgatest::file(mapped(1, 33), std::string(8, 'x')), 4, 7,
       "unsupported colormap entry size"},
      {"map cut short", tgatest::file(mapped(1, 24), bytes({1, 2, 3, 4, 5})), 4, 8, "bad colormap"},
      {"image type 4", tgatest::file(typed(4), pixel), 4, 10, "unknown image type"},
      {"image type 12", tgatest::file(typed(12), pixel), 4, 10, "unknown image type"},
      {"image type 255", tgatest::file(typed(255), pixel), 4, 10, "unknown image type"},
      {"depth 0", tgatest::file(deep(2, 0), pixel), 4, 12, depthMessage},
      {"depth 7", tgatest::file(deep(2, 7), pixel), 4, 12, depthMessage},
      {"depth 33", tgatest::file(deep(2, 33), std::string(5, 'x')), 4, 12, depthMessage},
      {"grey depth 24", tgatest::file(deep(3, 24), pixel), 4, 12, depthMessage},
      {"mapped without a map", tgatest::file(deep(1, 8), pixel), 4, 8, "bad colormap"},
      {"pixels cut short", tgatest::file(sized(2, 1), pixel), 4, 4, "unexpected end-of-file"},
      {"65535x16384 in 18 bytes", tgatest::file(sized(65535, 16384)), 4, 13, "image too large"},
      {"rle past 16384 a side", tgatest::file(rle(16385, 1)), 4, 13, "image too large"},
      {"rle block over 256 MB", tgatest::file(rle(16384, 16384)), 4, 13, "image too large"},
      // 28 bytes of packets give at most 128 * (7 + 1) pixels of 24 bits.
      {"rle 1025 pixels in 28 bytes", tgatest::file(rle(1025, 1), std::string(28, '\xff')), 4, 4,
       "unexpected end-of-file"},
      {"rle 16384x3072 in 28 bytes", tgatest::file(rle(16384, 3072), std::string(28, '\xff')), 4, 4,
       "unexpected end-of-file"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const auto loaded = load(row.contents, row.format);
    EXPECT_FALSE(loaded.block);
    EXPECT_EQ(row.code, loaded.error);
    EXPECT_EQ(row.message, loaded.message);
    EXPECT_EQ(-7, loaded.width) << "width written on failure";
    EXPECT_EQ(-7, loaded.height) << "height written on failure";
  }
}

TEST(TgaReader, BadFormatOpensNoFile) {
  const auto loaded = tgatest::loaded(tgaLoad("/nonexistent/x.tga", 5));
  EXPECT_FALSE(loaded.block);
  EXPECT_EQ(3, loaded.error);
  EXPECT_EQ(-7, loaded.width);
  EXPECT_EQ(-7, loaded.height);
}

TEST(TgaReader, MissingFileCannotBeOpened) {
  testsupport::TempDir dir;
  const auto absent = tgatest::loaded(tgaLoad((dir.path() + "/absent.tga").c_str(), 4));
  EXPECT_FALSE(absent.block);
  EXPECT_EQ(2, absent.error);
  const auto unnamed = tgatest::loaded(tgaLoad(nullptr, 4));
  EXPECT_FALSE(unnamed.block);
  EXPECT_EQ(2, unnamed.error);
  // Neither waits for a writer nor reads forever.
  const std::string fifo = dir.path() + "/fifo.tga";
  ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
  for (const std::string& path : {fifo, std::string("/dev/zero")}) {
    const auto special = tgatest::loaded(tgaLoad(path.c_str(), 4));
    EXPECT_FALSE(special.block) << path;
    EXPECT_EQ(2, special.error) << path;
  }
}

// Each load reports its own outcome: a success carries no error and leaves
// an earlier failure as it was.
TEST(TgaReader, EachLoadReportsItsOwnOutcome) {
  testsupport::TempDir dir;
  const std::string good = dir.write("good.tga", tgatest::file(Header(), bytes({1, 2, 3})));
  const auto absent = tgatest::loaded(tgaLoad((dir.path() + "/absent.tga").c_str(), 4));
  EXPECT_FALSE(absent.block);
  ASSERT_EQ(2, absent.error);
  const auto found = tgatest::loaded(tgaLoad(good.c_str(), 4));
  ASSERT_TRUE(found.block);
  EXPECT_EQ(0, found.error);
  EXPECT_EQ(2, absent.error);
  EXPECT_EQ("cannot open file", absent.message);
}

TEST(TgaReader, HugeSizeThatCannotBeAllocatedFailsCleanly) {
  MPE_SKIP_UNDER_ADDRESS_SANITIZER();
  testsupport::TempDir dir;
  const std::string path =
      dir.write("huge.tga", tgatest::file(trueColour(65535, 65535, 24), bytes({1, 2, 3})));
  // In a child, so the address-space limit stays there: 17 GB cannot fit in 1 GB.
  const pid_t child = fork();
  ASSERT_NE(-1, child);
  if (child == 0) {
    const rlimit limit{1L << 30, 1L << 30};
    setrlimit(RLIMIT_AS, &limit);
    const Outcome<TgaImage> image = tgaLoad(path.c_str(), 4);
    _exit(image ? 100 : tgaErrorCode(image.failure()));
  }
  int status = 0;
  ASSERT_EQ(child, waitpid(child, &status, 0));
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(13, WEXITSTATUS(status)) << "13: image too large; 100: the load succeeded";
}

TEST(TgaError, MessagesByCode) {
  const std::pair<int, const char*> rows[] = {
      {0, "no error"},
      {1, "bad image header"},
      {2, "cannot open file"},
      {3, "bad format argument"},
      {4, "unexpected end-of-file"},
      {5, "image contains no data"},
      {6, "found colormap for a grayscale image"},
      {7, "unsupported colormap entry size"},
      {8, "bad colormap"},
      {9, "cannot read from file"},
      {10, "unknown image type"},
      {11, "image has size 0 width or height (or both)"},
      {12, "unsupported pixel depth for the image type"},
      {13, "image too large"},
      {14, "cannot write file"},
      {15, "unknown error"},
      {-1, "unknown error"},
      {1000, "unknown error"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.first);
    EXPECT_STREQ(row.second, tgaErrorString(row.first));
    // A failure gives its code back; messages that are no failure give none.
    if (row.first >= kTgaBadHeader && row.first <= kTgaCannotWrite) {
      const Failure failure = tgaFailure(static_cast<TgaErrorCode>(row.first));
      EXPECT_EQ(row.second, failure.message);
      EXPECT_EQ(0, failure.line);
      EXPECT_EQ(row.first, tgaErrorCode(failure));
    } else {
      EXPECT_EQ(kTgaNoError, tgaErrorCode(Failure{row.second, 0}));
    }
  }
}

TEST(TgaCreate, MakesBlocksOnlyForValidArguments) {
  Outcome<TgaImage> rgb = tgaCreate(7, 5, 3);
  ASSERT_TRUE(rgb);
  ASSERT_TRUE(rgb.value().pixels);
  EXPECT_EQ(7u * 5u * 3u, rgb.value().byteCount());
  // The whole block is there (checked by the sanitizers).
  rgb.value().pixels.get()[7 * 5 * 3 - 1] = 1;
  const Outcome<TgaImage> empty = tgaCreate(0, 0, 4);
  ASSERT_TRUE(empty);
  EXPECT_TRUE(empty.value().pixels);

  struct Row {
    int width, height, format;
  };
  const Row bad[] = {{2, 2, 5},  {2, 2, 0},  {2, 2, -3},
                     {-1, 2, 4}, {2, -1, 3}, {0x7FFFFFFF, 0x7FFFFFFF, 4}};
  for (const Row& row : bad) {
    SCOPED_TRACE(testing::Message() << row.width << " x " << row.height << " x " << row.format);
    const Outcome<TgaImage> made = tgaCreate(row.width, row.height, row.format);
    EXPECT_FALSE(made);
    EXPECT_EQ(3, tgaErrorCode(made.failure()));
  }
}

}  // namespace
