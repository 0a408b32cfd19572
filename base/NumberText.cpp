#include "base/NumberText.h"

#include <charconv>
#include <cstdlib>
#include <system_error>

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

double readLeadingNumber(const char* first, const char* last) {
  // from_chars reads the same numbers as atof, correctly rounded, but takes
  // no leading blanks or plus sign, no hexadecimal, and reports a value out
  // of range instead of giving atof's; such words, and words that start
  // with anything but a plain decimal number (inf, nan), go to atof itself.
  const char* digits = first < last && *first == '-' ? first + 1 : first;
  if (digits < last && (isDigit(*digits) || *digits == '.')) {
    double value = 0.0;
    const std::from_chars_result read = std::from_chars(first, last, value);
    const bool hexadecimal = read.ptr < last && (*read.ptr == 'x' || *read.ptr == 'X');
    if (read.ec == std::errc() && !hexadecimal) return value;
  }
  return std::atof(first);
}

size_t writeFixedNumber(char* out, double value) {
  // Fixed with a precision is specified to give what printf gives with the
  // same conversion, so this is "%f" without the format string's parsing.
  const std::to_chars_result written =
      std::to_chars(out, out + kMaxFixedNumberSize, value, std::chars_format::fixed, 6);
  return written.ec == std::errc() ? static_cast<size_t>(written.ptr - out) : 0;
}
