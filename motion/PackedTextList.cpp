#include "motion/PackedTextList.h"

namespace {

// Lists this short never thin: a lookup stays a plain index.
constexpr size_t minThinnedLines = 4096;
// Pointers kept may cost at most an eighth of the bytes the texts span.
constexpr size_t bytesPerPointerShare = 8 * sizeof(const char*);

}  // namespace

const char* PackedTextList::following(const char* text) {
  // Only lists of short texts are thinned: a byte loop beats a call to strlen.
  while (*text != '\0') ++text;
  while (*text == '\0') ++text;
  return text;
}

const char* PackedTextList::operator[](size_t i) const {
  const char* line = kept_.empty() ? first_ : kept_[i >> shift_];
  size_t skip = kept_.empty() ? i : i & ((size_t{1} << shift_) - 1);
  for (; skip > 0; --skip) line = following(line);
  return line;
}

void PackedTextList::push_back(const char* line) {
  keepEveryLine();
  packed_ = false;
  kept_.push_back(line);
  ++size_;
}

void PackedTextList::appendPacked(const char* line) {
  // A list reserved for is meant to be long.
  if (packed_ && kept_.capacity() == 0 && size_ < kFirstOnly) {
    if (size_ == 0) first_ = line;
    ++size_;
    return;
  }
  if (kept_.empty()) keepEveryLine();
  if ((size_ & ((size_t{1} << shift_) - 1)) == 0) kept_.push_back(line);
  ++size_;
  if (packed_ && kept_.size() >= minThinnedLines &&
      kept_.size() * bytesPerPointerShare > static_cast<size_t>(line - kept_.front())) {
    thin();
  }
}

void PackedTextList::thin() {
  // Keeps the even entries: the stride doubles.
  size_t out = 0;
  for (size_t k = 0; k < kept_.size(); k += 2) kept_[out++] = kept_[k];
  kept_.resize(out);
  ++shift_;
}

void PackedTextList::keepEveryLine() {
  if (!walked()) return;
  if (kept_.empty()) {
    const char* text = first_;
    for (size_t i = 0; i < size_; ++i) {
      if (i > 0) text = following(text);
      kept_.push_back(text);
    }
    return;
  }
  std::vector<const char*> every;
  every.reserve(size_);
  for (size_t i = 0; i < size_; ++i) every.push_back((*this)[i]);
  kept_.swap(every);
  shift_ = 0;
}

void PackedTextList::clear() {
  std::vector<const char*>().swap(kept_);
  first_ = nullptr;
  size_ = 0;
  shift_ = 0;
  packed_ = true;
}
