#include "motion/WordScanner.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// First line feed or carriage return in [from, end), or end: both kinds of
// line end in one pass over the text.
char* findLineByte(char* from, char* end) {
  char* p = from;
#if defined(__SSE2__)
  const __m128i lineFeed = _mm_set1_epi8('\n');
  const __m128i carriageReturn = _mm_set1_epi8('\r');
  const auto hits = [&](const char* at) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    return _mm_or_si128(_mm_cmpeq_epi8(bytes, lineFeed), _mm_cmpeq_epi8(bytes, carriageReturn));
  };
  // Four blocks a round keep the loop's own cost below the memory's.
  while (end - p >= 64) {
    const __m128i any =
        _mm_or_si128(_mm_or_si128(hits(p), hits(p + 16)), _mm_or_si128(hits(p + 32), hits(p + 48)));
    if (_mm_movemask_epi8(any) != 0) break;
    p += 64;
  }
  while (end - p >= 16) {
    const int mask = _mm_movemask_epi8(hits(p));
    if (mask != 0) return p + __builtin_ctz(static_cast<unsigned>(mask));
    p += 16;
  }
#endif
  while (p < end && *p != '\n' && *p != '\r') ++p;
  return p;
}

}  // namespace

WordScanner::WordScanner(char* text, size_t size) : position_(text), end_(text + size) {
  // Finding the first NUL once keeps the loops below free of a second end test.
  if (void* nul = std::memchr(text, '\0', size)) end_ = static_cast<char*>(nul);
}

void WordScanner::useSeparators(const char* separators) {
  if (separators == separators_) return;
  separators_ = separators;
  separatorCount_ = 0;
  for (bool& flag : isSeparator_) flag = false;
  for (const char* s = separators; *s != '\0'; ++s, ++separatorCount_) {
    isSeparator_[static_cast<unsigned char>(*s)] = true;
  }
}

char* WordScanner::next(const char* separators) { return take(separators, false); }

char* WordScanner::nextPacked(const char* separators) { return take(separators, true); }

char* WordScanner::take(const char* separators, bool blankSkipped) {
  useSeparators(separators);
  const bool* isSeparator = isSeparator_;
  const size_t separatorCount = separatorCount_;

  while (position_ < end_ && isSeparator[static_cast<unsigned char>(*position_)]) {
    countLineEnd(position_);
    if (blankSkipped) *position_ = '\0';
    ++position_;
  }
  wordLine_ = lineEnds_ + 1;
  if (position_ == end_) {
    lastDelimiter_ = '\0';
    return nullptr;
  }

  char* word = position_;
  if (separatorCount == 1) {
    // Frame lines are split at the line feed alone: memchr is much faster
    // than a byte loop over megabytes of values.
    void* found = std::memchr(position_, separators[0], static_cast<size_t>(end_ - position_));
    position_ = found != nullptr ? static_cast<char*>(found) : end_;
  } else {
    while (position_ < end_ && !isSeparator[static_cast<unsigned char>(*position_)]) ++position_;
  }

  if (position_ < end_) {
    lastDelimiter_ = *position_;
    countLineEnd(position_);
    *position_++ = '\0';
  } else {
    // Already terminated: either the NUL that ended the scan or text[size].
    lastDelimiter_ = '\0';
  }
  return word;
}

char* WordScanner::lineEnd(char* from) {
  char* end = findLineByte(from, end_);
  if (end == end_ || *end == '\n') return end;
  // A carriage return ends the line unless a line feed follows it.
  return end + 1 < end_ && end[1] == '\n' ? end + 1 : end;
}

char* WordScanner::nextLine() {
  while (position_ < end_ &&
         (*position_ == '\n' || (*position_ == '\r' && lineEnd(position_) == position_))) {
    *position_++ = '\0';
  }
  if (position_ == end_) {
    lastDelimiter_ = '\0';
    return nullptr;
  }
  char* line = position_;
  char* end = lineEnd(position_);
  if (end < end_) {
    lastDelimiter_ = *end;
    *end = '\0';
    position_ = end + 1;
  } else {
    lastDelimiter_ = '\0';
    position_ = end_;
  }
  return line;
}

void WordScanner::skipRestOfLine() {
  if (lastDelimiter_ == '\n') return;
  // A carriage return that no line feed follows has ended the line already.
  if (lastDelimiter_ == '\r' && (position_ == end_ || *position_ != '\n')) return;
  char* end = lineEnd(position_);
  position_ = end < end_ ? end + 1 : end_;
  lastDelimiter_ = '\n';
}
