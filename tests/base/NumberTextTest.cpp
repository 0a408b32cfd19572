// The fast number reading and writing against atof and "%f" themselves.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/NumberText.h"

namespace {

TEST(NumberText, WordsReadAsAtofReadsThem) {
  // Plain numbers, then the words from_chars alone would read otherwise.
  const char* words[] = {"12.5",
                         "-0.000001",
                         "-123.456789",
                         "5.",
                         "-.5",
                         "1.2.3",
                         "1-2",
                         "0.000000000000000000000001",
                         "9007199254740993",
                         "123456789012345678",
                         "1.e5",
                         "1e-3",
                         "007",
                         "-0",
                         "0.1000000000000000055511151231257827",
                         "+2",
                         "\f3",
                         "0x1p3",
                         "-0X10",
                         "1x",
                         ".",
                         "-",
                         "",
                         "abc",
                         "1,5",
                         "1e",
                         "1e+",
                         "inf",
                         "-infinity",
                         "nan",
                         "1e400",
                         "-1e400",
                         "1e-400",
                         "4e-320",
                         "2.4703282292062328e-324"};
  for (const char* word : words) {
    const double expected = std::atof(word);
    const double read = readLeadingNumber(word, word + std::strlen(word));
    if (std::isnan(expected)) {
      EXPECT_TRUE(std::isnan(read)) << word;
    } else {
      EXPECT_EQ(std::memcmp(&read, &expected, sizeof read), 0) << word << " read as " << read;
    }
  }
}

TEST(NumberText, NumbersAreWrittenAsPercentFWritesThem) {
  // Halfway cases round to even on the binary value; tiny negatives keep the sign.
  const double values[] = {0.0,
                           -0.0,
                           0.5,
                           2.5e-6,
                           5e-7,
                           -5e-7,
                           1.0000005,
                           0.1234565,
                           -2.0000015,
                           123456789.987654321,
                           -1e-300,
                           1e22,
                           1.7976931348623157e308,
                           -1.7976931348623157e308,
                           4.9406564584124654e-324};
  for (double value : values) {
    char expected[400];
    const int size = std::snprintf(expected, sizeof expected, "%f", value);
    char written[kMaxFixedNumberSize];
    EXPECT_EQ(std::string(written, writeFixedNumber(written, value)),
              std::string(expected, static_cast<size_t>(size)));
  }
}

}  // namespace
