// many_joints_bench: memory of the console programs on skeletons of very many
// joints, against the size of the file.
//
// Usage: many_joints_bench [directory [nodes]]   (defaults /tmp and 139000)
//
// Writes three clips of `nodes` nodes (JOINTs and End Sites) in the layout
// exporters write (tab indentation, offsets with six decimals, three rotation
// channels a joint) and two frames, into a private folder under `directory`:
// limbs of nine joints and an End Site under the root, every joint with its
// End Site straight under the root, and one chain. Then runs bvh-dump, bvh-path
// (read and fit) and bvh-path -o (read, fit and write), found beside this
// program, three times each as whole processes with standard output to
// /dev/null, and prints the best time and the highest peak resident set
// (ru_maxrss) against the file's size, each marked PASS or MISS. Exits 0 once
// the measurements ran: targets are reported here, never asserted in tests.

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/ProcessRun.h"

namespace {

constexpr int kRuns = 3;
constexpr int kFrames = 2;
constexpr double kMiB = 1024.0 * 1024.0;
// Target: peak memory at most this many times the file.
constexpr double kPeakVsFile = 4.0;
// Exporters indent by depth; a deep chain is indented like this at most, as
// the program's own writer does beyond its limit.
constexpr int kMaxIndent = 8;

enum class Shape { kLimbs, kWide, kChain };

const char* shapeName(Shape shape) {
  switch (shape) {
    case Shape::kLimbs:
      return "limbs of 9 joints and an End Site";
    case Shape::kWide:
      return "every joint under the root";
    case Shape::kChain:
      return "one chain";
  }
  return "";
}

class ClipText {
 public:
  explicit ClipText(std::FILE* file) : file_(file) {}

  void joint(int depth, int number) {
    const std::string tabs = indent(depth);
    std::fprintf(file_,
                 "%sJOINT Joint_%06d\n%s{\n%s\tOFFSET 0.000000 1.500000 0.000000\n"
                 "%s\tCHANNELS 3 Zrotation Xrotation Yrotation\n",
                 tabs.c_str(), number, tabs.c_str(), tabs.c_str(), tabs.c_str());
    channels_ += 3;
  }
  void endSite(int depth) {
    const std::string tabs = indent(depth);
    std::fprintf(file_, "%sEnd Site\n%s{\n%s\tOFFSET 0.000000 1.000000 0.000000\n%s}\n",
                 tabs.c_str(), tabs.c_str(), tabs.c_str(), tabs.c_str());
  }
  void close(int depth) { std::fprintf(file_, "%s}\n", indent(depth).c_str()); }
  int channels() const { return channels_; }

 private:
  static std::string indent(int depth) {
    return std::string(static_cast<size_t>(std::min(depth, kMaxIndent)), '\t');
  }
  std::FILE* file_;
  int channels_ = 6;
};

// Writes a clip of the shape with nodes nodes (the root included); false
// when the file cannot be written.
bool writeClip(const std::string& path, Shape shape, int nodes) {
  std::FILE* file = std::fopen(path.c_str(), "w");
  if (file == nullptr) return false;
  std::fputs(
      "HIERARCHY\nROOT Hips\n{\n\tOFFSET 0.000000 0.000000 0.000000\n"
      "\tCHANNELS 6 Xposition Yposition Zposition Zrotation Xrotation Yrotation\n",
      file);
  ClipText text(file);
  int made = 1;
  int number = 0;
  if (shape == Shape::kChain) {
    for (; made < nodes - 1; ++made) text.joint(made, ++number);
    text.endSite(made);
    for (int depth = made - 1; depth >= 1; --depth) text.close(depth);
  } else {
    const int limb = shape == Shape::kLimbs ? 9 : 1;
    while (made + limb + 1 <= nodes) {
      for (int k = 1; k <= limb; ++k) text.joint(k, ++number);
      text.endSite(limb + 1);
      for (int depth = limb; depth >= 1; --depth) text.close(depth);
      made += limb + 1;
    }
  }
  std::fprintf(file, "}\nMOTION\nFrames: %d\nFrame Time: 0.033333\n", kFrames);
  for (int f = 0; f < kFrames; ++f) {
    for (int c = 0; c < text.channels(); ++c) std::fputs("0.0 ", file);
    std::fputc('\n', file);
  }
  const bool written = std::ferror(file) == 0;
  return std::fclose(file) == 0 && written;
}

long long fileSize(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return -1;
  return static_cast<long long>(info.st_size);
}

// Runs one program on the clip and prints its row; false when it failed.
bool measure(const char* label, const std::vector<std::string>& argv, const std::string& out,
             double clipBytes) {
  const auto removeOut = [&out] { std::remove(out.c_str()); };
  const bench::ProcessResult run =
      bench::bestProcessRun(kRuns, argv, "/dev/null", false, removeOut);
  if (!run.ok) {
    std::printf("  %-16s FAILED\n", label);
    return false;
  }
  const double ratio = run.peakBytes / clipBytes;
  std::printf("  %-16s %8.3f s %9.1f MiB %6.2fx  %s\n", label, run.seconds, run.peakBytes / kMiB,
              ratio, ratio <= kPeakVsFile ? "PASS" : "MISS");
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string directory = argc > 1 ? argv[1] : "/tmp";
  const int nodes = argc > 2 ? std::max(12, std::atoi(argv[2])) : 139000;
  const std::string dump = bench::programBesideThis("bvh-dump");
  const std::string path = bench::programBesideThis("bvh-path");
  if (dump.empty() || path.empty()) {
    std::fprintf(stderr, "bvh-dump and bvh-path must be built beside this program\n");
    return 1;
  }
  std::string folder = directory + "/many-joints-XXXXXX";
  if (mkdtemp(&folder[0]) == nullptr) {
    std::perror("mkdtemp");
    return 1;
  }
  const std::string clip = folder + "/clip.bvh";
  const std::string out = folder + "/out.bvh";
  std::printf("%d nodes, %d frames; peak resident set against the file, target %.1fx\n", nodes,
              kFrames, kPeakVsFile);
  bool ok = true;
  for (const Shape shape : {Shape::kLimbs, Shape::kWide, Shape::kChain}) {
    if (!writeClip(clip, shape, nodes)) {
      std::fprintf(stderr, "cannot write %s\n", clip.c_str());
      ok = false;
      break;
    }
    const double bytes = static_cast<double>(fileSize(clip));
    std::printf("\n%s: %.1f MiB (%.0f bytes a node)\n", shapeName(shape), bytes / kMiB,
                bytes / nodes);
    ok = measure("bvh-dump", {dump, clip}, out, bytes) && ok;
    ok = measure("bvh-path", {path, clip}, out, bytes) && ok;
    ok = measure("bvh-path -o out", {path, clip, "-o", out}, out, bytes) && ok;
  }
  std::remove(clip.c_str());
  std::remove(out.c_str());
  rmdir(folder.c_str());
  return ok ? 0 : 1;
}
