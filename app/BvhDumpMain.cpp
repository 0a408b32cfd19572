// bvh-dump: reads one BVH file and prints its joint hierarchy.

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "motion/BvhMotion.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::printf("Usage: %s fileName\n", argc > 0 && argv[0] != nullptr ? argv[0] : "");
    std::exit(1);
  }
  auto motion = std::make_unique<BvhMotion>();
  // The reader's own messages tell the user what went wrong; a partly read
  // hierarchy is still worth printing, but the exit status says it failed.
  Notes notes;
  const bool ok = motion->read(argv[1], notes).ok();
  // A dump that did not reach its reader (a full disk, a closed pipe) is a
  // failure too; the reason is the first failed write's.
  int code = 0;
  const auto put = [&code](const std::string& text) {
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() && code == 0) code = errno;
  };
  put(notes.text());
  motion->dump(put);
  errno = 0;
  const bool flushed = std::fflush(stdout) == 0;
  if (!flushed && code == 0) code = errno;
  if (!flushed || std::ferror(stdout)) {
    std::fprintf(stderr, "bvh-dump: cannot write the output: %s\n",
                 std::strerror(code != 0 ? code : EIO));
    return 1;
  }
  return ok ? 0 : 1;
}
