// read_floor: the reader's floor as a whole program, to time side by side
// with bvh-dump and bvh-path (see README.md).
//
// Usage: read_floor clip   one fread of the whole file into a fresh buffer and
//                          a count of its line feeds, which it prints

#include <cstdio>

#include "bench/ReadFloor.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "Usage: %s clip\n", argv[0]);
    return 2;
  }
  const long long lineFeeds = bench::readAndCountLineFeeds(argv[1]);
  if (lineFeeds < 0) return 1;
  std::printf("%lld\n", lineFeeds);
  return 0;
}
