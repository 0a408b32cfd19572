// make_clip: a long clip from a real one, for timing the programs on it.
//
// Usage: make_clip SOURCE FRAMES OUT [--cr]
// Writes SOURCE's hierarchy and its frame lines repeated until there are
// FRAMES of them; with --cr, line feeds become carriage returns.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bench/LargeClip.h"

int main(int argc, char** argv) {
  const bool carriageReturns = argc == 5 && std::strcmp(argv[4], "--cr") == 0;
  if ((argc != 4 && !carriageReturns) || std::atoi(argv[2]) < 1) {
    std::fprintf(stderr, "Usage: %s SOURCE FRAMES OUT [--cr]\n", argv[0]);
    return 2;
  }
  const std::string out = argv[3];
  const std::string lineFeeds = carriageReturns ? out + ".lf" : out;
  if (!bench::writeRepeatedClip(argv[1], std::atoi(argv[2]), lineFeeds)) return 1;
  if (!carriageReturns) return 0;
  const bool ok = bench::writeCarriageReturnTwin(lineFeeds, out);
  std::remove(lineFeeds.c_str());
  return ok ? 0 : 1;
}
