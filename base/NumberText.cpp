#include "base/NumberText.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <system_error>

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Powers of ten that doubles hold exactly.
constexpr double kExactPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                   1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr unsigned long long kExactIntegers = 1ULL << 53;

// The common word of a clip, "-12.345678": digits, an optional point and
// digits, then the end of the word. When its digits make an integer that a
// double holds exactly, the value is that integer divided by an exact power
// of ten, one correctly rounded division: the same double any correct reader
// gives. False for every other word.
bool readPlainDecimal(const char* first, const char* last, double& value) {
  const char* c = first;
  const bool negative = c < last && *c == '-';
  if (negative) ++c;
  unsigned long long digits = 0;
  int digitCount = 0;
  int decimals = 0;
  bool point = false;
  for (; c < last; ++c) {
    if (isDigit(*c)) {
      if (++digitCount > 18) return false;
      digits = digits * 10 + static_cast<unsigned>(*c - '0');
      decimals += point ? 1 : 0;
    } else if (*c == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  if (digitCount == 0 || digits > kExactIntegers || decimals > 22) return false;
  const double magnitude = static_cast<double>(digits) / kExactPowers[decimals];
  value = negative ? -magnitude : magnitude;
  return true;
}

}  // namespace

double readLeadingNumber(const char* first, const char* last) {
  double plain = 0.0;
  if (readPlainDecimal(first, last, plain)) return plain;
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
  // The C++ standard makes fixed with a precision give what printf gives with the
  // same conversion, so this is "%f" without the format string's parsing.
  const std::to_chars_result written =
      std::to_chars(out, out + kMaxFixedNumberSize, value, std::chars_format::fixed, 6);
  return written.ec == std::errc() ? static_cast<size_t>(written.ptr - out) : 0;
}

std::string fixedOrExact(double value) {
  char text[kMaxFixedNumberSize + 1];
  size_t size = writeFixedNumber(text, value);
  text[size] = '\0';
  const double back = readLeadingNumber(text, text + size);
  if (std::isfinite(value) && std::fabs(back - value) > kFixedTolerance * std::fabs(value)) {
    size = static_cast<size_t>(std::to_chars(text, text + sizeof text, value).ptr - text);
  }
  return std::string(text, size);
}
