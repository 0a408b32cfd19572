#include "motion/WordScanner.h"

#include <cstring>

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

  if (blankSkipped) {
    while (position_ < end_ && isSeparator[static_cast<unsigned char>(*position_)]) {
      *position_++ = '\0';
    }
  }
  while (position_ < end_ && isSeparator[static_cast<unsigned char>(*position_)]) ++position_;
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
    *position_++ = '\0';
  } else {
    // Already terminated: either the NUL that ended the scan or text[size].
    lastDelimiter_ = '\0';
  }
  return word;
}

char* WordScanner::lineEnd(char* from) {
  void* found = std::memchr(from, '\n', static_cast<size_t>(end_ - from));
  char* lineFeed = found != nullptr ? static_cast<char*>(found) : end_;
  if (carriageReturn_ == nullptr || carriageReturn_ < from) {
    void* cr = std::memchr(from, '\r', static_cast<size_t>(end_ - from));
    carriageReturn_ = cr != nullptr ? static_cast<char*>(cr) : end_;
  }
  // The first carriage return ends the line unless the line feed follows it.
  if (carriageReturn_ < lineFeed && !(carriageReturn_ + 1 == lineFeed && lineFeed < end_)) {
    return carriageReturn_;
  }
  return lineFeed;
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
