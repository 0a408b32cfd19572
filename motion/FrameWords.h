#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "base/NumberText.h"

// The one separator set of a clip file's words, in the hierarchy and in the
// frame lines alike: blank, tab, carriage return and line feed. The set
// after its blank ("\t\r\n") is the line-breaking part.
constexpr const char* kWordSeparators = " \t\r\n";

inline bool isWordSeparator(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The value of a frame word [first, last), as atof reads it: the one way a
// frame number is read (readLeadingNumber).
inline double wordValue(const char* first, const char* last) {
  return readLeadingNumber(first, last);
}

// Walks the words of a terminated frame line in place; the line is only
// read, never copied or changed.
class FrameWords {
 public:
  explicit FrameWords(const char* line) : at_(line != nullptr ? line : "") {}

  // The next word as [first, last); false once the line has ended.
  bool next(const char*& first, const char*& last) {
    while (isWordSeparator(*at_)) ++at_;
    if (*at_ == '\0') return false;
    first = at_;
    while (*at_ != '\0' && !isWordSeparator(*at_)) ++at_;
    last = at_;
    return true;
  }

 private:
  const char* at_;
};

// The value of word `word` of a frame line; false when the line has no such
// word (or word < 0). Stops at that word.
bool frameWordValue(const char* line, int word, double& value);

// The values of the words of a frame line (null: none), in order, up to
// limit of them; values is cleared first. The rest of the line is never
// looked at, so a line of millions of words beyond a clip's channels costs
// no more than its channels. Costs one pass over the words read.
void readFrameValues(const char* line, std::vector<double>& values,
                     size_t limit = static_cast<size_t>(-1));
// The same into values[0..limit - 1], for callers that read a few words of
// every frame; returns how many words the line had, up to limit.
size_t readFrameValues(const char* line, double* values, size_t limit);

// The value of word `word` in values; 0.0 when there is no such word (a
// missing word or channel reads as 0, as atof of nothing).
inline double valueAt(const std::vector<double>& values, int word) {
  return word >= 0 && static_cast<size_t>(word) < values.size() ? values[static_cast<size_t>(word)]
                                                                : 0.0;
}

// Splits a private copy of a frame line into terminated words, for callers
// that want them as a list. The words point into `copy`, which must outlive
// them; the stored line is never touched.
void splitFrameLine(const char* line, std::string& copy, std::vector<const char*>& words);
