#pragma once

#include <cstddef>
#include <vector>

// The edited channel values of one frame: the frame-line words an edit gave
// a new value, in word order. Words not listed keep their text as read; a
// listed word is written as a number of its own ("%f"). Edits of words the
// line does not have are never written.
struct WordValue {
  long word;
  double value;
};

class EditedFrame {
 public:
  void clear() { words_.clear(); }
  bool empty() const { return words_.empty(); }

  // Gives word its value, replacing an earlier one; negative words are
  // ignored. Cheap while words come in increasing order (as a frame's edits
  // are made, joint by joint).
  void set(long word, double value);

  // The edits, in increasing word order, each word once.
  const std::vector<WordValue>& words() const { return words_; }
  // The edited value of word, or fallback when it was not edited.
  double valueOr(long word, double fallback) const;

  // Puts the edits into values (a frame's values, readFrameValues): each
  // edited word that values holds takes its new value.
  void applyTo(std::vector<double>& values) const;

 private:
  std::vector<WordValue> words_;
};
