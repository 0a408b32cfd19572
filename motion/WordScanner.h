#pragma once

#include <cstddef>

// Finds words in place in a text buffer, one running scan in the manner of
// strtok but without hidden global state: each request skips separators,
// returns the following run of other characters and overwrites the separator
// that ends the run with a terminator, so the word can be used in place. The
// separator set may change from one request to the next.
//
// The scan covers text[0 .. size) and stops early at the first NUL byte in it
// (a NUL is the end of the text). text[size] must be a terminator, so that a
// word running up to the very end is terminated too. The scanner never reads
// or writes outside text[0 .. size]. It does not own the text.
class WordScanner {
 public:
  WordScanner(char* text, size_t size);

  // Next word, terminated in place; nullptr once the text has ended (and on
  // every request after that). The separator string must not change while
  // the scanner lives (it is recognised by its address).
  char* next(const char* separators);

  // As next, and the separators skipped before the word are overwritten with
  // terminators, so that words taken this way one after another lie with
  // only terminators between them (see PackedTextList).
  char* nextPacked(const char* separators);

  // Next line, terminated in place; nullptr once the text has ended. A line
  // ends at a line feed, or at a carriage return that no line feed follows
  // (old Mac files); in CRLF files the carriage return stays on the line.
  // Empty lines are skipped, and the line ends skipped before a line are
  // overwritten with terminators, so that successive lines lie one after
  // another with only terminators between them.
  char* nextLine();

  // Moves the scan to the start of the next line (ended as for nextLine),
  // unless the last request already ended a line (or nothing has been taken
  // yet, which is the start of a line). Nothing is overwritten.
  void skipRestOfLine();

  // The character that ended the last word before it was overwritten; '\0'
  // when the word ran to the end of the text or no word was found.
  char lastDelimiter() const { return lastDelimiter_; }

  // The 1-based line of the last word taken by next or nextPacked (after the
  // text has ended: of the end), counting the line ends those requests
  // passed (a line feed, or a carriage return that no line feed follows);
  // lines passed by nextLine and skipRestOfLine are not counted.
  long line() const { return wordLine_; }

  // Characters not scanned yet.
  size_t remaining() const { return static_cast<size_t>(end_ - position_); }

 private:
  void useSeparators(const char* separators);
  char* take(const char* separators, bool blankSkipped);
  // End of the line that starts at from: its line feed or lone carriage
  // return, or end_.
  char* lineEnd(char* from);
  // Counts c, at p, when it ends a line.
  void countLineEnd(const char* p) {
    if (*p == '\n' || (*p == '\r' && (p + 1 == end_ || p[1] != '\n'))) ++lineEnds_;
  }

  char* position_;
  char* end_;
  char lastDelimiter_ = '\n';
  long lineEnds_ = 0;
  long wordLine_ = 1;
  // Lookup table of the separator set last asked for; callers pass the same
  // set for long runs of words, so it is rebuilt only when the set changes.
  const char* separators_ = nullptr;
  size_t separatorCount_ = 0;
  bool isSeparator_[256] = {};
};
