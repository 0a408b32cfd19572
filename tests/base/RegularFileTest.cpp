#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "TestSupport.h"
#include "base/RegularFile.h"

namespace {

using testsupport::TempDir;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// A read large enough to be shared between two threads gives the bytes of
// one plain read, and a file shorter than asked for (cut short after its
// size was taken) ends where its bytes end, without an error.
TEST(RegularFileReadAt, LargeReadsGiveTheFileAsOneReadWould) {
  std::string text(40u << 20, '\0');
  for (size_t i = 0; i < text.size(); ++i) {
    text[i] = static_cast<char>('a' + (i * 7 + i / 4099) % 26);
  }
  TempDir dir;
  const std::string name = dir.write("large.txt", text);

  struct Case {
    size_t offset;
    size_t asked;  // more than the file holds from offset: a file cut short
    size_t expected;
  };
  const size_t size = text.size();
  const Case cases[] = {
      {0, size, size},
      {4096, size - 4096, size - 4096},
      {4096, size + (1u << 20), size - 4096},  // the second half comes short
      {4096, 2 * size, size - 4096},           // the second half finds nothing
      {size - 100, 50, 50},                    // small: one thread
  };
  for (const Case& c : cases) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(name.c_str(), "rb"));
    ASSERT_TRUE(file);
    std::unique_ptr<char[]> buffer(new char[c.asked]);
    bool failed = true;
    const size_t got = readAt(file.get(), buffer.get(), c.offset, c.asked, &failed);
    EXPECT_FALSE(failed) << c.offset << " " << c.asked;
    ASSERT_EQ(got, c.expected) << c.offset << " " << c.asked;
    EXPECT_TRUE(std::string(buffer.get(), got) == text.substr(c.offset, got))
        << c.offset << " " << c.asked;
  }
}

}  // namespace
