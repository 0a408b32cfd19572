#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <memory>
#include <string>

#include "TestSupport.h"
#include "base/RegularFile.h"

namespace {

using testsupport::TempDir;

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
    FilePtr file(std::fopen(name.c_str(), "rb"));
    ASSERT_TRUE(file);
    std::unique_ptr<char[]> buffer(new char[c.asked]);
    const Outcome<size_t> read = readAt(file.get(), buffer.get(), c.offset, c.asked);
    ASSERT_TRUE(read) << c.offset << " " << c.asked;
    const size_t got = read.value();
    ASSERT_EQ(got, c.expected) << c.offset << " " << c.asked;
    EXPECT_TRUE(std::string(buffer.get(), got) == text.substr(c.offset, got))
        << c.offset << " " << c.asked;
  }
}

}  // namespace

// Callers tell a file that is there but cannot be read as one (code 0, the
// name in the message) from one the system refused (errno as the code).
TEST(RegularFileOpen, FailuresSayWhetherTheSystemRefused) {
  TempDir dir;
  const std::string clip = dir.write("clip.bvh", "HIERARCHY\n");
  const struct {
    std::string name;
    int code;  // -1: opens
    std::string message;
  } rows[] = {
      {clip, -1, ""},
      {dir.path() + "/absent.bvh", ENOENT, "No such file or directory"},
      {dir.path(), 0, dir.path() + " is a directory"},
      {"/dev/zero", 0, "/dev/zero is not a regular file"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const Outcome<RegularFile> opened = openRegularFile(row.name.c_str());
    ASSERT_EQ(opened.ok(), row.code < 0);
    if (opened) {
      EXPECT_EQ(opened.value().size, 10u);
      continue;
    }
    EXPECT_EQ(opened.failure().code, row.code);
    EXPECT_EQ(opened.failure().message, row.message);
  }
}
