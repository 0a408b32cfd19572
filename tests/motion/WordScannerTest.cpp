#include <gtest/gtest.h>

#include <string>

#include "motion/WordScanner.h"

namespace {

// A scanner over its own modifiable copy of the given bytes (NULs allowed).
struct Scan {
  explicit Scan(const std::string& bytes) : text(bytes), scanner(text.data(), text.size()) {}
  std::string text;
  WordScanner scanner;
};

TEST(WordScannerTest, ReturnsWordsInOrderAndTerminatesThemInPlace) {
  Scan scan("  HIERARCHY\tROOT\r\nHips  ");
  char* first = scan.scanner.next(" \n\t\r");
  ASSERT_NE(first, nullptr);
  EXPECT_STREQ(first, "HIERARCHY");
  EXPECT_EQ(first, scan.text.data() + 2);
  EXPECT_EQ(scan.scanner.lastDelimiter(), '\t');
  EXPECT_STREQ(scan.scanner.next(" \n\t\r"), "ROOT");
  EXPECT_EQ(scan.scanner.lastDelimiter(), '\r');
  EXPECT_STREQ(scan.scanner.next(" \n\t\r"), "Hips");
  EXPECT_EQ(scan.scanner.next(" \n\t\r"), nullptr);
  EXPECT_EQ(scan.scanner.next(" \n\t\r"), nullptr);
  // Only the one separator after each word was overwritten.
  EXPECT_EQ(scan.text, std::string("  HIERARCHY\0ROOT\0\nHips\0 ", 24));
}

TEST(WordScannerTest, WordAtTheVeryEndUsesTheTrailingTerminator) {
  Scan scan("a b");
  EXPECT_STREQ(scan.scanner.next(" "), "a");
  EXPECT_STREQ(scan.scanner.next(" "), "b");
  EXPECT_EQ(scan.scanner.lastDelimiter(), '\0');
  EXPECT_EQ(scan.scanner.next(" "), nullptr);
}

TEST(WordScannerTest, EmptyAndSeparatorOnlyTextsHaveNoWords) {
  Scan empty("");
  EXPECT_EQ(empty.scanner.next(" \n"), nullptr);
  Scan blanks(" \n\t\r \n");
  EXPECT_EQ(blanks.scanner.next(" \n\t\r"), nullptr);
}

TEST(WordScannerTest, SeparatorSetCanChangeBetweenRequests) {
  Scan scan("Time: 0.5\n1 2 3\n\n  \n4 5\r\n");
  EXPECT_STREQ(scan.scanner.next(" \n"), "Time:");
  EXPECT_STREQ(scan.scanner.next(" \n"), "0.5");
  EXPECT_STREQ(scan.scanner.next("\n"), "1 2 3");
  // Empty lines are skipped, a line of blanks is a line.
  EXPECT_STREQ(scan.scanner.next("\n"), "  ");
  EXPECT_STREQ(scan.scanner.next("\n"), "4 5\r");
  EXPECT_EQ(scan.scanner.next("\n"), nullptr);
}

TEST(WordScannerTest, EmptySeparatorSetTakesTheRestOfTheText) {
  Scan scan("one two\nthree");
  EXPECT_STREQ(scan.scanner.next(" "), "one");
  EXPECT_STREQ(scan.scanner.next(""), "two\nthree");
  EXPECT_EQ(scan.scanner.next(""), nullptr);
}

TEST(WordScannerTest, NulByteEndsTheText) {
  Scan scan(std::string("one two\0three four", 18));
  EXPECT_STREQ(scan.scanner.next(" "), "one");
  EXPECT_STREQ(scan.scanner.next(" "), "two");
  EXPECT_EQ(scan.scanner.next(" "), nullptr);
  EXPECT_EQ(scan.scanner.remaining(), 0u);
}

TEST(WordScannerTest, SkipRestOfLineGoesPastTheNextLineFeed) {
  Scan scan("Time: 0.5  junk\nframe0\nframe1\n");
  scan.scanner.next(" ");
  scan.scanner.next(" ");
  scan.scanner.skipRestOfLine();
  EXPECT_STREQ(scan.scanner.next("\n"), "frame0");
  EXPECT_STREQ(scan.scanner.next("\n"), "frame1");
}

TEST(WordScannerTest, SkipRestOfLineStaysWhenTheWordEndedAtALineFeed) {
  Scan scan("0.5\nframe0\nframe1\n");
  scan.scanner.next(" \n");
  scan.scanner.skipRestOfLine();
  EXPECT_STREQ(scan.scanner.next("\n"), "frame0");

  Scan fresh("frame0\nframe1\n");
  fresh.scanner.skipRestOfLine();
  EXPECT_STREQ(fresh.scanner.next("\n"), "frame0");
}

TEST(WordScannerTest, SkipRestOfLineWithoutLineFeedReachesTheEnd) {
  Scan scan("0.5 x y");
  scan.scanner.next(" ");
  scan.scanner.skipRestOfLine();
  EXPECT_EQ(scan.scanner.remaining(), 0u);
  EXPECT_EQ(scan.scanner.next("\n"), nullptr);
}

TEST(WordScannerTest, HighBytesAreOrdinaryCharacters) {
  Scan scan("\xff\xfe \x80");
  EXPECT_STREQ(scan.scanner.next(" "), "\xff\xfe");
  EXPECT_STREQ(scan.scanner.next(" "), "\x80");
}

TEST(WordScannerTest, CountsTheLinesOfTheWordsItTakes) {
  // Line feeds, lone carriage returns and CRLF pairs each end one line,
  // also where the scan overwrites them.
  Scan scan("a\nb\rc\r\nd \n\r\n e\n");
  const char* const separators = " \t\r\n";
  EXPECT_EQ(scan.scanner.line(), 1);
  const long lines[] = {1, 2, 3, 4, 6};
  for (long line : lines) {
    ASSERT_NE(scan.scanner.next(separators), nullptr);
    EXPECT_EQ(scan.scanner.line(), line);
  }
  EXPECT_EQ(scan.scanner.next(separators), nullptr);
  EXPECT_EQ(scan.scanner.line(), 7);

  Scan packed("x\r\n\r\ny");
  ASSERT_STREQ(packed.scanner.nextPacked(separators), "x");
  ASSERT_STREQ(packed.scanner.nextPacked(separators), "y");
  EXPECT_EQ(packed.scanner.line(), 3);
}

}  // namespace
