// bvh-dump: reads one BVH file and prints its joint hierarchy.

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "motion/BvhMotion.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::printf("Usage: %s fileName\n", argc > 0 && argv[0] != nullptr ? argv[0] : "");
    std::exit(1);
  }
  auto motion = std::make_unique<BvhMotion>();
  // The reader's own messages tell the user what went wrong; a partly read
  // hierarchy is still worth printing, but the exit status says it failed.
  const bool ok = motion->read(argv[1]);
  motion->dump();
  return ok ? 0 : 1;
}
