#include "motion/EditedFrame.h"

#include <algorithm>

namespace {

bool wordBefore(const WordValue& edit, long word) { return edit.word < word; }

}  // namespace

void EditedFrame::set(long word, double value) {
  if (word < 0) return;
  if (words_.empty() || words_.back().word < word) {
    words_.push_back({word, value});
    return;
  }
  const auto at = std::lower_bound(words_.begin(), words_.end(), word, wordBefore);
  if (at != words_.end() && at->word == word) {
    at->value = value;
  } else {
    words_.insert(at, {word, value});
  }
}

double EditedFrame::valueOr(long word, double fallback) const {
  const auto at = std::lower_bound(words_.begin(), words_.end(), word, wordBefore);
  return at != words_.end() && at->word == word ? at->value : fallback;
}

void EditedFrame::applyTo(std::vector<double>& values) const {
  for (const WordValue& edit : words_) {
    if (static_cast<size_t>(edit.word) < values.size()) {
      values[static_cast<size_t>(edit.word)] = edit.value;
    }
  }
}
