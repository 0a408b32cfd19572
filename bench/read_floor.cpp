// read_floor: the floor the reader is measured against, as a whole program.
// One fread of the whole file into a fresh buffer and a count of its line
// feeds; with --sync-copy FILE OUT instead, a plain copy of FILE to OUT and
// an fsync of OUT (the floor for a tool that writes a clip durably).
//
// Usage: read_floor clip            prints the number of line feeds
//        read_floor --cat clip out  copies clip to out, fsync, close

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace {

int countLineFeeds(const char* name) {
  std::FILE* file = std::fopen(name, "rb");
  if (file == nullptr) return 1;
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
  std::printf("%lld\n", count);
  return got == static_cast<size_t>(size) ? 0 : 1;
}

// cat's way: copy_file_range inside the kernel, then the sync a durable
// writer pays.
int copyAndSync(const char* from, const char* to) {
  const int in = open(from, O_RDONLY);
  const int out = open(to, O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (in < 0 || out < 0) return 1;
  for (;;) {
    const ssize_t n = copy_file_range(in, nullptr, out, nullptr, size_t{1} << 30, 0);
    if (n < 0) return 1;
    if (n == 0) break;
  }
  const bool ok = fsync(out) == 0;
  close(in);
  return close(out) == 0 && ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--cat") == 0) return copyAndSync(argv[2], argv[3]);
  if (argc == 2) return countLineFeeds(argv[1]);
  std::fprintf(stderr, "Usage: %s clip | --cat clip out\n", argv[0]);
  return 2;
}
