#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <vector>

// A list of pointers to terminated texts (a clip's frame lines, a joint's
// channel names), indexed from 0 and used like a std::vector<const char*>.
//
// Texts appended with appendPacked (the reader's way) lie one after another
// in the clip's text, each followed by its terminator and nothing but
// terminators before the next. Such a list keeps only every stride-th pointer
// once it is long and its texts are short, and finds the others by skipping
// forward from the nearest kept one, so that millions of one-character lines
// or names cost a fraction of the text instead of eight bytes each. A packed
// list of up to 16 texts that was not reserved for (a joint's channel names)
// keeps only its first pointer, in place, and allocates nothing. Other lists (up to 4096 entries,
// or long texts) keep every pointer. At most 2^32 - 1 entries.
class PackedTextList {
 public:
  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }

  PackedTextList() = default;
  PackedTextList(std::initializer_list<const char*> texts) { *this = texts; }
  PackedTextList& operator=(std::initializer_list<const char*> texts) {
    clear();
    for (const char* text : texts) push_back(text);
    return *this;
  }

  // Entry i, i < size(). Costs at most stride - 1 (or 15) skips over short
  // texts.
  const char* operator[](size_t i) const;

  // Appends a text anywhere in memory (every pointer is kept from now on).
  void push_back(const char* text);

  // Appends a text that starts right after the terminators that follow the
  // previous packed one.
  void appendPacked(const char* text);

  // Room for n pointers; the list may later keep fewer.
  void reserve(size_t n) { kept_.reserve(n); }

  // Forgets every line and gives the memory back.
  void clear();

  // Walks the list in order; over a thinned list each step skips one text
  // instead of starting again from a kept pointer, so a whole pass costs
  // one read of the texts.
  class const_iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = const char*;
    using difference_type = std::ptrdiff_t;
    using pointer = const char* const*;
    using reference = const char*;

    const_iterator(const PackedTextList* lines, size_t index) : lines_(lines), index_(index) {}
    const char* operator*() const {
      if (text_ == nullptr) text_ = (*lines_)[index_];
      return text_;
    }
    const_iterator& operator++() {
      ++index_;
      // A walk that reads only the first words of long lines touches a new
      // stretch of memory at every step, which the processor cannot foresee.
      const bool walked = lines_->walked();
      if (!walked && index_ + kPrefetchAhead < lines_->size_) {
        __builtin_prefetch(lines_->kept_[index_ + kPrefetchAhead]);
      }
      text_ = text_ != nullptr && walked && index_ < lines_->size_ ? following(text_) : nullptr;
      return *this;
    }
    bool operator==(const const_iterator& other) const { return index_ == other.index_; }
    bool operator!=(const const_iterator& other) const { return index_ != other.index_; }

   private:
    const PackedTextList* lines_;
    size_t index_;
    mutable const char* text_ = nullptr;
  };
  const_iterator begin() const { return const_iterator(this, 0); }
  const_iterator end() const { return const_iterator(this, size_); }

 private:
  static constexpr size_t kPrefetchAhead = 8;
  // Packed lists up to this long keep only first_.
  static constexpr size_t kFirstOnly = 16;
  // The packed text after text.
  static const char* following(const char* text);
  // Whether entries are found by skipping from a kept one rather than kept
  // each.
  bool walked() const { return shift_ > 0 || kept_.empty(); }
  void thin();
  void keepEveryLine();

  std::vector<const char*> kept_;
  // Entry 0 while kept_ is empty (a short packed list).
  const char* first_ = nullptr;
  std::uint32_t size_ = 0;
  // Entry k * 2^shift_ is kept_[k].
  std::uint8_t shift_ = 0;
  bool packed_ = true;
};
