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
  std::fwrite(notes.text().data(), 1, notes.text().size(), stdout);
  const std::string hierarchy = motion->dump();
  std::fwrite(hierarchy.data(), 1, hierarchy.size(), stdout);
  // A dump that did not reach its reader (a full disk, a closed pipe) is a
  // failure too.
  errno = 0;
  const bool flushed = std::fflush(stdout) == 0;
  const int code = errno;
  if (!flushed || std::ferror(stdout)) {
    std::fprintf(stderr, "bvh-dump: cannot write the output: %s\n",
                 std::strerror(!flushed && code != 0 ? code : EIO));
    return 1;
  }
  return ok ? 0 : 1;
}
