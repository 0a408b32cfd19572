// path_quality_bench: how faithfully an edited path carries a clip, for the
// track path and the loop path side by side.
//
// Usage: path_quality_bench [CLIP[@FRAMES]]...
//   (default: the CMU 01_01 walk of tests/data/clips, its first 1100 frames
//   and the whole clip)
//
// For each clip, fits each kind of path, moves its middle control point
// sideways by a quarter of its distance to its neighbours, writes the clip
// carried along the edited path, and measures the written clip against the
// original: facing against travel (95th percentile change over walking
// frames), extra foot sliding during the original's contacts, extra ground
// travel while the original stands still. Marks each figure PASS or MISS
// against the targets and always exits 0 once the measurements ran.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "motion/BvhMotion.h"
#include "quality/MotionQuality.h"

namespace {

constexpr double kFacingLimit = 5.0;  // degrees
constexpr double kSlideLimit = 0.15;  // hip heights per second of contact
constexpr double kStillLimit = 0.02;  // hip heights

const char* mark(bool pass) { return pass ? "PASS" : "MISS"; }

// Reads a clip, or its first frames when the argument ends in @FRAMES.
bool readClip(const std::string& argument, const std::string& scratch, BvhMotion& motion) {
  const size_t at = argument.rfind('@');
  std::string file = argument;
  if (at != std::string::npos) {
    file = argument.substr(0, at);
    const std::string text = firstFramesOf(file, std::atoi(argument.c_str() + at + 1));
    std::FILE* out = std::fopen(scratch.c_str(), "wb");
    if (out == nullptr || text.empty()) {
      if (out != nullptr) std::fclose(out);
      return false;
    }
    const bool ok = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    if (std::fclose(out) != 0 || !ok) return false;
    file = scratch;
  }
  Notes notes;
  return motion.read(file.c_str(), notes).ok();
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> clips;
  for (int i = 1; i < argc; ++i) clips.push_back(argv[i]);
  if (clips.empty()) {
    const std::string walk = std::string(MPE_CLIP_DATA_DIR) + "/cmu-01_01.bvh";
    clips = {walk + "@1100", walk};
  }
  char folder[] = "/tmp/path_quality_bench.XXXXXX";
  if (mkdtemp(folder) == nullptr) {
    std::perror("path_quality_bench: mkdtemp");
    return 1;
  }
  const std::string scratch = std::string(folder) + "/clip.bvh";
  const std::string edited = std::string(folder) + "/edited.bvh";

  std::printf(
      "Sideways move of the middle control point by a quarter of its distance to its "
      "neighbours\n");
  std::printf(
      "targets: facing vs travel change <= %.0f deg (95th pct of walking frames), "
      "extra sliding <= %.2f hip heights per s of contact, extra travel while still <= "
      "%.0f%% hip height\n\n",
      kFacingLimit, kSlideLimit, kStillLimit * 100.0);
  std::printf("%-34s %-5s %6s %13s %13s %20s %15s\n", "clip", "path", "points", "facing (deg)",
              "change (deg)", "sliding (orig/new)", "still extra");
  for (const std::string& clip : clips) {
    for (const bool track : {true, false}) {
      BvhMotion motion;
      // The reader, the fit and the writer report progress on stdout.
      std::fflush(stdout);
      const int saved = dup(STDOUT_FILENO);
      std::FILE* quiet = std::freopen("/dev/null", "w", stdout);
      std::string error;
      int points = 4;
      MotionQuality q;
      bool ok = quiet != nullptr && readClip(clip, scratch, motion) &&
                writeSidewaysEdit(motion, track, edited, &error, track ? &points : nullptr);
      BvhMotion written;
      Notes notes;
      ok = ok && written.read(edited.c_str(), notes) && measureQuality(motion, written, q, &error);
      std::fflush(stdout);
      dup2(saved, STDOUT_FILENO);
      close(saved);
      const std::string name = clip.substr(clip.find_last_of('/') + 1);
      if (!ok) {
        std::printf("%-34s %-5s failed: %s\n", name.c_str(), track ? "track" : "loop",
                    error.empty() ? "could not read or write" : error.c_str());
        continue;
      }
      const double extraSlide = q.slideEdited - q.slideOriginal;
      std::printf("%-34s %-5s %6d %6.1f->%-6.1f %6.2f %s %6.3f/%-6.3f %s %7.3f %s\n", name.c_str(),
                  track ? "track" : "loop", points, q.facingOriginal95, q.facingEdited95,
                  q.facingChange95, mark(q.facingChange95 <= kFacingLimit), q.slideOriginal,
                  q.slideEdited, mark(extraSlide <= kSlideLimit), q.stillExtraTravel,
                  mark(q.stillExtraTravel <= kStillLimit));
      std::printf("%-34s %-5s walking frames %d, contact %.1f s, still stretches %d\n", "", "",
                  q.walkingFrames, q.contactSeconds, q.stillStretches);
    }
  }
  std::remove(scratch.c_str());
  std::remove(edited.c_str());
  rmdir(folder);
  return 0;
}
