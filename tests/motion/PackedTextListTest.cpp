#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "motion/PackedTextList.h"

namespace {

// Lists of every size regime (first pointer only, every pointer, thinned),
// packed as the reader packs them, give each entry by index and in order,
// also after a push_back turns them into plain lists.
TEST(PackedTextList, EveryEntryIsFoundInEveryRegime) {
  for (const size_t count : {size_t{1}, size_t{16}, size_t{17}, size_t{5000}, size_t{40000}}) {
    SCOPED_TRACE(count);
    // Texts separated by one or more terminators, as packed words lie.
    std::vector<std::string> expected;
    std::string text;
    std::vector<size_t> starts;
    for (size_t i = 0; i < count; ++i) {
      expected.push_back(std::to_string(i % 97));
      starts.push_back(text.size());
      text += expected.back();
      text.append(1 + i % 3, '\0');
    }
    PackedTextList list;
    for (const size_t start : starts) list.appendPacked(text.data() + start);
    ASSERT_EQ(list.size(), count);
    size_t i = 0;
    for (const char* entry : list) EXPECT_EQ(entry, expected[i++]) << i;
    for (size_t k = 0; k < count; k += 1 + count / 50) EXPECT_EQ(list[k], expected[k]) << k;
    EXPECT_EQ(list[count - 1], expected.back());

    list.push_back("tail");
    ASSERT_EQ(list.size(), count + 1);
    EXPECT_EQ(list[0], expected[0]);
    EXPECT_EQ(list[count - 1], expected.back());
    EXPECT_STREQ(list[count], "tail");
  }
}

}  // namespace
