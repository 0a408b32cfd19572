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

char* WordScanner::next(const char* separators) {
  useSeparators(separators);
  const bool* isSeparator = isSeparator_;
  const size_t separatorCount = separatorCount_;

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

void WordScanner::skipRestOfLine() {
  if (lastDelimiter_ == '\n') return;
  void* found = std::memchr(position_, '\n', static_cast<size_t>(end_ - position_));
  position_ = found != nullptr ? static_cast<char*>(found) + 1 : end_;
  lastDelimiter_ = '\n';
}
