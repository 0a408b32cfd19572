// track_fit_bench: the track path's fit against the loop path's on clips of
// very short frame lines, where a per-frame record would cost many times the
// file, as whole bvh-path runs.
//
// Usage: track_fit_bench [directory [frames]]
//   (default /tmp and 40,000,000 frames: a clip of one-channel frames of two
//   bytes, 80 MB, and one of three-channel frames of six bytes with 45% of
//   those frames, 108 MB)
//
// Writes both clips into a private folder under directory, runs `bvh-path
// CLIP` (the loop path) and `bvh-path CLIP --track` three times each and
// takes the best time and the highest peak (the child's maximum resident
// set); on the three-channel clip also a move written out with each kind.
// Marks the targets PASS or MISS and always exits 0 once the runs ran.

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/ProcessRun.h"

namespace {

constexpr int kRuns = 3;
constexpr double kMiB = 1024.0 * 1024.0;
// Targets: the track path's run within this share of the file's size, and
// within this share of the loop path's time.
constexpr double kPeakVsFile = 1.3;
constexpr double kTimeVsLoop = 1.5;

// A clip of frames lines, each the channels' values 0-9 written one digit
// each, cycling; the root walks back and forth along x (and z).
bool writeShortLineClip(const std::string& path, int channels, long long frames) {
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) return false;
  const char* names = channels == 1 ? "Xposition" : "Xposition Yposition Zposition";
  std::fprintf(out,
               "HIERARCHY\nROOT Hips\n{\n\tOFFSET 0 0 0\n\tCHANNELS %d %s\n\tEnd Site\n\t{\n"
               "\t\tOFFSET 0 5 0\n\t}\n}\nMOTION\nFrames: %lld\nFrame Time: 0.033333\n",
               channels, names, frames);
  std::string block;
  for (int i = 0; i < 10; ++i) {
    block += static_cast<char>('0' + i);
    if (channels == 3) {
      block += " 5 ";
      block += static_cast<char>('0' + (3 * i) % 10);
    }
    block += '\n';
  }
  bool ok = true;
  for (long long f = 0; f + 10 <= frames && ok; f += 10) {
    ok = std::fwrite(block.data(), 1, block.size(), out) == block.size();
  }
  return std::fclose(out) == 0 && ok;
}

double fileBytes(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 ? static_cast<double>(info.st_size) : 0.0;
}

const char* mark(bool pass) { return pass ? "PASS" : "MISS"; }

bench::ProcessResult run(const std::vector<std::string>& argv, const std::string& out) {
  return bench::bestProcessRun(kRuns, argv, "/dev/null", false, [&] { unlink(out.c_str()); });
}

void printRun(const char* name, const bench::ProcessResult& r) {
  if (!r.ok) {
    std::printf("  %-40s FAILED\n", name);
    return;
  }
  std::printf("  %-40s %8.2f s %9.1f MiB\n", name, r.seconds, r.peakBytes / kMiB);
}

// The two kinds on one clip, with the targets; with write, also a move
// written out by each.
void measureClip(const std::string& tool, const std::string& clip, const std::string& out,
                 bool write) {
  const double bytes = fileBytes(clip);
  std::printf("\n%s: %.1f MiB\n", clip.substr(clip.find_last_of('/') + 1).c_str(), bytes / kMiB);
  const bench::ProcessResult loop = run({tool, clip}, out);
  const bench::ProcessResult track = run({tool, clip, "--track"}, out);
  printRun("bvh-path CLIP", loop);
  printRun("bvh-path CLIP --track", track);
  if (loop.ok && track.ok) {
    const double peak = track.peakBytes / bytes;
    const double time = track.seconds / loop.seconds;
    std::printf(
        "  track peak / file %.2fx (<= %.1fx) %s; track time / loop time %.2fx "
        "(<= %.1fx) %s\n",
        peak, kPeakVsFile, mark(peak <= kPeakVsFile), time, kTimeVsLoop, mark(time <= kTimeVsLoop));
  }
  if (!write) return;
  const std::vector<std::string> move = {"--move", "1", "0.5", "0.5", "-o", out};
  std::vector<std::string> loopWrite = {tool, clip};
  loopWrite.insert(loopWrite.end(), move.begin(), move.end());
  std::vector<std::string> trackWrite = {tool, clip, "--track"};
  trackWrite.insert(trackWrite.end(), move.begin(), move.end());
  printRun("bvh-path CLIP --move 1 0.5 0.5 -o OUT", run(loopWrite, out));
  printRun("bvh-path CLIP --track --move ... -o OUT", run(trackWrite, out));
  unlink(out.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  const std::string directory = argc > 1 ? argv[1] : "/tmp";
  const long long frames = argc > 2 ? std::atoll(argv[2]) : 40000000LL;
  const std::string tool = bench::programBesideThis("bvh-path");
  if (tool.empty() || frames < 10) {
    std::fprintf(stderr, "Usage: %s [directory [frames >= 10]] (bvh-path built beside it)\n",
                 argv[0]);
    return 1;
  }
  const std::string folder = bench::privateFolder(directory, "track_fit_bench");
  if (folder.empty()) return 1;
  const std::string one = folder + "/one-channel.bvh";
  const std::string three = folder + "/three-channels.bvh";
  const std::string out = folder + "/out.bvh";
  std::printf("Writing the clips to %s ...\n", folder.c_str());
  const bool written = writeShortLineClip(one, 1, frames / 10 * 10) &&
                       writeShortLineClip(three, 3, frames * 45 / 1000 * 10);
  std::printf("Best of %d runs each; peak = the child's highest resident set.\n", kRuns);
  if (written) {
    measureClip(tool, one, out, false);
    measureClip(tool, three, out, true);
  } else {
    std::fprintf(stderr, "cannot write the clips under %s\n", folder.c_str());
  }
  unlink(one.c_str());
  unlink(three.c_str());
  rmdir(folder.c_str());
  return 0;
}
