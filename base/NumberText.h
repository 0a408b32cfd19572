#pragma once

#include <cstddef>
#include <string>

// Numbers in frame lines, read and written as atof and "%f" do, only faster:
// a long clip has hundreds of thousands of them.

// The number a word starts with, exactly as atof reads it from first: the
// longest leading part that reads as a number, 0.0 when there is none.
// [first, last) is the word; the character at last must not continue a
// number (a separator or the terminating zero), since unusual words are
// handed to atof whole.
double readLeadingNumber(const char* first, const char* last);

// Room for any double written by writeFixedNumber: 309 integer digits, sign,
// point and six decimals.
constexpr size_t kMaxFixedNumberSize = 320;

// Writes value as "%f" does (fixed, six decimals, rounded half to even on the
// exact binary value) at out, which has kMaxFixedNumberSize bytes, without a
// terminating zero; returns the number of characters written.
size_t writeFixedNumber(char* out, double value);

// Relative error "%f" may add to a value it writes; beyond it a writer
// writes the digits the value needs.
constexpr double kFixedTolerance = 1e-4;

// value as "%f" writes it where that reads back within kFixedTolerance of
// value, relative to it (0.0333333 gives "0.033333"), and for values that
// are not finite; else the shortest text that reads back as value exactly
// (1.5e-6 gives "1.5e-06", not "0.000002").
std::string fixedOrExact(double value);
