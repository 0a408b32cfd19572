#pragma once

// The floor a clip reader is measured against: what any reader of the whole
// file must at least do.

#include <cstdio>
#include <cstring>
#include <memory>

namespace bench {

// One fread of the whole file into one fresh buffer and a count of its line
// feeds. Returns the count, or -1 when the file could not be read whole.
inline long long readAndCountLineFeeds(const char* fileName) {
  std::FILE* file = std::fopen(fileName, "rb");
  if (file == nullptr) return -1;
  std::fseek(file, 0, SEEK_END);
  const long size = std::ftell(file);
  std::fseek(file, 0, SEEK_SET);
  std::unique_ptr<char[]> buffer(new char[static_cast<size_t>(size) + 1]);
  const size_t got = std::fread(buffer.get(), 1, static_cast<size_t>(size), file);
  std::fclose(file);
  long long count = 0;
  const char* at = buffer.get();
  const char* end = at + got;
  while ((at = static_cast<const char*>(std::memchr(at, '\n', static_cast<size_t>(end - at)))) !=
         nullptr) {
    ++count;
    ++at;
  }
  return got == static_cast<size_t>(size) ? count : -1;
}

}  // namespace bench
