#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "view/StatusLine.h"
#include "view/WalkClip.h"

namespace {

TEST(StatusLineTest, ShowsTheClipTheFrameItsTimeThePointAndTheMessage) {
  const testsupport::TempDir dir;
  EditSession session;
  ASSERT_TRUE(session.load(dir.write("walk.bvh", editortest::walkClip(4, 10.0, 5.0, 0.5))));
  Playback playback;
  playback.startClip(session.motion().frameCount, session.motion().frameTime, 0);
  playback.seek(3.0);
  ASSERT_TRUE(session.select(1));
  const Point3 p = session.point(1);
  char point[128];
  std::snprintf(point, sizeof point, "   point 1: x %.2f z %.2f", p.x, p.z);
  session.setMessage("Wrote out.bvh");
  EXPECT_EQ(statusText(session, playback), "walk.bvh   frame 3 / 4   1.50 s" + std::string(point) +
                                               "   " + session.kindText() + "   Wrote out.bvh");
}

TEST(StatusLineTest, ShowsUnprintableBytesAsEscapes) {
  EditSession session;
  const Playback playback;
  session.setMessage("Could not read b.bvh: \xc1\x01 HIERARCHY not found in caf\xc3\xa9");
  EXPECT_NE(
      statusText(session, playback).find("b.bvh: \\xc1\\x01 HIERARCHY not found in caf\xc3\xa9"),
      std::string::npos)
      << statusText(session, playback);
}

// One character, one unit of width.
TEST(FitToWidthTest, ShortensTheLongestNamesInTheMiddleThenCutsTheEnd) {
  const auto characters = [](const std::string& text) { return static_cast<double>(text.size()); };
  const struct {
    const char* text;
    double width;
    const char* shown;
  } rows[] = {
      {"short text", 20, "short text"},
      {"Loaded /a/very/long/folder/name/clip.bvh (3 frames)", 40,
       "Loaded /a/very/...clip.bvh (3 frames)"},
      {"aaaa bbbb cccc dddd", 10, "aaaa bb..."},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(fitToWidth(row.text, row.width, characters), row.shown) << row.text;
  }
}

// One character, one unit of width: words placed after the words and blanks
// before them, runs of blanks kept; what does not fit goes on the next line
// (the blanks at the break dropped), nothing is cut, and only a word wider
// than a whole line is shortened, in the middle.
TEST(StatusLayoutTest, PlacesEachWordAfterTheBlanksBeforeItAndWrapsWithoutCutting) {
  const auto characters = [](const std::string& word) { return static_cast<double>(word.size()); };
  EXPECT_EQ(lineWidth("ab   cd e", characters, 2.0), 5.0 + 4 * 2.0);
  const std::vector<PlacedWord> placed = layoutStatusLine("ab   cd e", 100.0, characters, 2.0);
  ASSERT_EQ(placed.size(), 3u);
  EXPECT_EQ(placed[0].text, "ab");
  EXPECT_EQ(placed[0].x, 0.0);
  EXPECT_EQ(placed[1].text, "cd");
  EXPECT_EQ(placed[1].x, 2.0 + 3 * 2.0);
  EXPECT_EQ(placed[2].x, 2.0 + 3 * 2.0 + 2.0 + 2.0);

  const struct {
    const char* text;
    double width;
    std::vector<std::pair<std::string, int>> words;  // each word and its line
  } rows[] = {
      {"aaaa bbbb cccc dddd", 10.0, {{"aaaa", 0}, {"bbbb", 0}, {"cccc", 1}, {"dddd", 1}}},
      {"the root does not move",
       12.0,
       {{"the", 0}, {"root", 0}, {"does", 1}, {"not", 1}, {"move", 2}}},
      {"Loaded /a/very/long/folder/name/clip.bvh now",
       24.0,
       {{"Loaded", 0}, {"/a/very/...clip.bvh", 1}, {"now", 1}}},
  };
  for (const auto& row : rows) {
    const std::vector<PlacedWord> laid = layoutStatusLine(row.text, row.width, characters, 1.0);
    ASSERT_EQ(laid.size(), row.words.size()) << row.text;
    for (size_t k = 0; k < laid.size(); ++k) {
      EXPECT_EQ(laid[k].text, row.words[k].first) << row.text;
      EXPECT_EQ(laid[k].line, row.words[k].second) << row.text << ": " << laid[k].text;
      EXPECT_LE(laid[k].x + laid[k].text.size(), row.width) << row.text << ": " << laid[k].text;
    }
  }
}

}  // namespace
