#pragma once

#include <cstdarg>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>

// How the layers below app/ report: an operation returns its result or a
// Failure, and leaves Notes for the console. Nothing below app/ prints or
// exits; app/ prints the notes and failures byte for byte.

// Why an operation failed, in one line without a line feed; line is the
// 1-based line of the file involved (0: no file, or no line in particular);
// code is the failing library's own number for the fault (0: none), for
// callers that branch on the kind of failure.
struct Failure {
  std::string message;
  int line = 0;
  int code = 0;
};

// Console text an operation leaves for the program to print as it stands,
// line feeds included (or left out) exactly as the program shows them.
class Notes {
 public:
  void add(const std::string& text) { text_ += text; }
  // printf-style; the text is formatted in full whatever its length.
  void addf(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // Room for more bytes of text, so that notes known to come in many small
  // pieces (a colour per joint) are never copied while they grow.
  void reserve(size_t more) { text_.reserve(text_.size() + more); }
  // Appends other's text after this one's.
  void append(const Notes& other) { text_ += other.text_; }
  // The same, taking other's text over without a copy where this is empty.
  void append(Notes&& other) {
    if (text_.empty()) {
      text_.swap(other.text_);
    } else {
      text_ += other.text_;
    }
  }
  const std::string& text() const { return text_; }
  bool empty() const { return text_.empty(); }
  void clear() { text_.clear(); }

 private:
  std::string text_;
};

inline void Notes::addf(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  va_list measuring;
  va_copy(measuring, arguments);
  const int length = std::vsnprintf(nullptr, 0, format, measuring);
  va_end(measuring);
  if (length > 0) {
    const size_t start = text_.size();
    text_.resize(start + static_cast<size_t>(length) + 1);
    std::vsnprintf(&text_[start], static_cast<size_t>(length) + 1, format, arguments);
    text_.resize(start + static_cast<size_t>(length));
  }
  va_end(arguments);
}

// Whether an operation without a value succeeded; holds its Failure when not.
class Status {
 public:
  Status() = default;                                        // success
  Status(Failure failure) : failure_(std::move(failure)) {}  // NOLINT: implicit on purpose
  static Status failed(std::string message, int line = 0) {
    return Status(Failure{std::move(message), line});
  }
  bool ok() const { return !failure_; }
  explicit operator bool() const { return ok(); }
  // Only when !ok().
  const Failure& failure() const { return *failure_; }

 private:
  std::optional<Failure> failure_;
};

// A value, or the Failure that kept the operation from producing one.
template <class T>
class Outcome {
 public:
  Outcome(T value) : value_(std::move(value)) {}              // NOLINT: implicit on purpose
  Outcome(Failure failure) : failure_(std::move(failure)) {}  // NOLINT
  bool ok() const { return value_.has_value(); }
  explicit operator bool() const { return ok(); }
  // Only when ok().
  T& value() { return *value_; }
  const T& value() const { return *value_; }
  // Only when !ok().
  const Failure& failure() const { return failure_; }

 private:
  std::optional<T> value_;
  Failure failure_;
};
