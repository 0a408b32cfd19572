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
#include "quality/PathTiming.h"

namespace {

constexpr double kFacingLimit = 5.0;  // degrees
constexpr double kSlideLimit = 0.15;  // hip heights per second of contact
constexpr double kStillLimit = 0.02;  // hip heights

const char* mark(bool pass) { return pass ? "PASS" : "MISS"; }

// Reads a clip, or its first frames when the argument ends in @FRAMES, or
// its frames back and forth (backAndForthOf) with ~FORWARD:BACK:FRAMES.
bool readClip(const std::string& argument, const std::string& scratch, BvhMotion& motion) {
  const size_t at = argument.find_last_of("@~");
  std::string file = argument;
  if (at != std::string::npos) {
    file = argument.substr(0, at);
    int forward = 0, back = 0, frames = 0;
    const bool shuffled = argument[at] == '~' && std::sscanf(argument.c_str() + at + 1, "%d:%d:%d",
                                                             &forward, &back, &frames) == 3;
    const std::string text = shuffled ? backAndForthOf(file, forward, back, frames)
                                      : firstFramesOf(file, std::atoi(argument.c_str() + at + 1));
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

// Runs work with standard output sent to /dev/null: the reader, the fit and
// the writer leave notes nobody reads here.
template <typename Work>
bool quietly(const Work& work) {
  std::fflush(stdout);
  const int saved = dup(STDOUT_FILENO);
  std::FILE* quiet = std::freopen("/dev/null", "w", stdout);
  const bool ok = quiet != nullptr && work();
  std::fflush(stdout);
  dup2(saved, STDOUT_FILENO);
  close(saved);
  return ok;
}

std::string nameOf(const std::string& clip) { return clip.substr(clip.find_last_of('/') + 1); }

struct Scratch {
  std::string clip;
  std::string edited;
};

void reportSideways(const std::vector<std::string>& clips, const Scratch& scratch) {
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
      std::string error;
      int points = 4;
      MotionQuality q;
      const bool ok = quietly([&] {
        BvhMotion written;
        Notes notes;
        return readClip(clip, scratch.clip, motion) &&
               writeSidewaysEdit(motion, track, scratch.edited, &error,
                                 track ? &points : nullptr) &&
               written.read(scratch.edited.c_str(), notes) &&
               measureQuality(motion, written, q, &error);
      });
      const std::string name = nameOf(clip);
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
}

// Limits of the timing report: walking clips reach the end and pass each
// point on time; clips that turn on the spot or go back and forth keep
// their facing within looser bounds.
constexpr double kEndLimit = 0.05;       // hip heights
constexpr double kDelayLimit = 0.1;      // seconds
constexpr double kScaledFacing = 2.0;    // degrees, walking clips
constexpr double kWigglySideways = 8.0;  // degrees
constexpr double kWigglyScaled = 5.0;    // degrees, scaled by 1.15

struct TimingRow {
  const char* name;
  TrackEdit edit;
};

// One line of the timing report; false when the edit could not be measured.
void reportTimingRow(const std::string& clip, const BvhMotion& motion, const TimingRow& row,
                     bool wiggly, const Scratch& scratch) {
  std::vector<Point3> fitted, moved;
  std::string error;
  MotionQuality q;
  PathTiming t;
  const bool ok = quietly([&] {
    BvhMotion written;
    Notes notes;
    return writeTrackEdit(motion, row.edit, scratch.edited, fitted, moved, &error) &&
           written.read(scratch.edited.c_str(), notes) &&
           measureQuality(motion, written, q, &error) &&
           measureTiming(motion, written, fitted, moved, t, &error);
  });
  const bool keep = row.edit.pace == PathPace::keep;
  std::printf("%-26s %-13s %-6s ", nameOf(clip).c_str(), row.name, keep ? "keep" : "points");
  if (!ok) {
    std::printf("failed: %s\n", error.c_str());
    return;
  }
  const bool scaled = !row.edit.sideways;
  const double facingLimit = !wiggly ? (scaled ? kScaledFacing : kFacingLimit)
                                     : (scaled ? kWigglyScaled : kWigglySideways);
  // Wiggling clips are judged on their facing alone, and only at 1.15 when
  // scaled.
  const bool judgedFacing = !wiggly || !scaled || row.edit.scale == 1.15;
  std::printf("%6.3f %s %6.2f %s %6.2f  %6.2f %s  %5.3f/%-5.3f\n", t.endDistance,
              wiggly ? "    " : mark(t.endDistance <= kEndLimit), t.worstDelay,
              wiggly ? "    " : mark(t.worstDelay <= kDelayLimit), t.worstMiss, q.facingChange95,
              judgedFacing ? mark(q.facingChange95 <= facingLimit) : "    ", q.slideOriginal,
              q.slideEdited);
}

void reportTiming(const std::vector<std::string>& clips, size_t firstWiggly,
                  const Scratch& scratch) {
  std::printf(
      "\nTrack path timing: every point scaled about the first, or the middle point moved "
      "sideways\n"
      "targets (walking clips, pace points): last frame within %.0f%% hip height of the last "
      "point, every point passed within %.1f s of the original's frame, facing change <= %.0f "
      "deg scaled (<= %.0f sideways); clips after --wiggly: facing <= %.0f sideways, <= %.0f "
      "scaled by 1.15\n\n",
      kEndLimit * 100.0, kDelayLimit, kScaledFacing, kFacingLimit, kWigglySideways, kWigglyScaled);
  std::printf("%-26s %-13s %-6s %11s %11s %6s %12s %11s\n", "clip", "edit", "pace", "end (hip)",
              "delay (s)", "miss", "facing (deg)", "sliding");
  const TimingRow rows[] = {
      {"sideways", {1.0, true, PathPace::points}},
      {"sideways", {1.0, true, PathPace::keep}},
      {"scale 0.7", {0.7, false, PathPace::points}},
      {"scale 0.7", {0.7, false, PathPace::keep}},
      {"scale 0.85", {0.85, false, PathPace::points}},
      {"scale 0.85", {0.85, false, PathPace::keep}},
      {"scale 1.15", {1.15, false, PathPace::points}},
      {"scale 1.15", {1.15, false, PathPace::keep}},
      {"scale 1.3", {1.3, false, PathPace::points}},
      {"scale 1.3", {1.3, false, PathPace::keep}},
  };
  for (size_t c = 0; c < clips.size(); ++c) {
    BvhMotion motion;
    if (!quietly([&] { return readClip(clips[c], scratch.clip, motion); })) {
      std::printf("%-26s could not be read\n", nameOf(clips[c]).c_str());
      continue;
    }
    for (const TimingRow& row : rows) {
      reportTimingRow(clips[c], motion, row, c >= firstWiggly, scratch);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> clips;
  size_t firstWiggly = static_cast<size_t>(-1);
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--wiggly") {
      firstWiggly = clips.size();
      continue;
    }
    clips.push_back(argv[i]);
  }
  if (clips.empty()) {
    const std::string walk = std::string(MPE_CLIP_DATA_DIR) + "/cmu-01_01.bvh";
    clips = {walk + "@1100", walk};
    firstWiggly = 1;
  }
  char folder[] = "/tmp/path_quality_bench.XXXXXX";
  if (mkdtemp(folder) == nullptr) {
    std::perror("path_quality_bench: mkdtemp");
    return 1;
  }
  const Scratch scratch{std::string(folder) + "/clip.bvh", std::string(folder) + "/edited.bvh"};
  reportSideways(clips, scratch);
  reportTiming(clips, firstWiggly, scratch);
  std::remove(scratch.clip.c_str());
  std::remove(scratch.edited.c_str());
  rmdir(folder);
  return 0;
}
