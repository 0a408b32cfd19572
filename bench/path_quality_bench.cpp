// path_quality_bench: how faithfully an edited path carries a clip, for the
// track path and the loop path, with the planted feet kept and without.
//
// Usage: path_quality_bench [--contacts] [CLIP[@FRAMES|~FORWARD:BACK:FRAMES]]...
//                           [--wiggly CLIP...]
//   (default: the walks of tests/data/clips: the CMU 01_01 walk, its first
//   1100 frames and whole, the three Xia walks and the MakeHuman zombie)
//
// First, for each clip, fits each kind of path, moves its middle control
// point sideways by a quarter of its distance to its neighbours, writes the
// clip carried along the edited path, and measures facing against travel
// (95th percentile change over walking frames), extra foot sliding during
// the original's contacts and extra ground travel while the original stands
// still. Then, the sweep: for each clip, fits each kind of path, makes each
// edit of the sweep (the middle control point moved sideways by a quarter, a
// half and the whole of its distance to its neighbours; the points after it
// turned by 90 degrees about it; the track path's whole move also with Keep
// Pace, path "keep"), writes the clip carried along the edited path without and with
// the planted-feet solve, and measures the written clip against the
// original: how far the feet wander during the original's contacts (total
// against the original's, and the worst single contact beyond its own), the
// joint whose fastest turn goes furthest beyond its allowance, facing
// against travel (95th percentile change over walking frames) and the
// carried joint's largest lowering. Marks each figure PASS or MISS against
// the targets and always exits 0 once the measurements ran. --contacts also
// lists each clip's contacts. Last, the track path's timing: scaled about its
// first point and moved sideways, by control points and with Keep Pace
// (tests/quality/PathTiming); clips after --wiggly are judged on their facing
// alone.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "motion/BvhMotion.h"
#include "motion/FootContacts.h"
#include "motion/TrackJoint.h"
#include "quality/MotionQuality.h"
#include "quality/PathTiming.h"

namespace {

constexpr double kWanderRatio = 1.05;      // edited total against the original's
constexpr double kWanderExtra = 0.02;      // hip heights, one contact
constexpr double kFacingLimit = 4.0;       // degrees, 95th percentile
constexpr double kFacingLimitWhole = 8.0;  // for the whole-distance move
constexpr double kLoweringLimit = 0.05;    // hip heights
// The quarter move's table.
constexpr double kQuarterFacingLimit = 5.0;  // degrees
constexpr double kSlideLimit = 0.15;         // hip heights per second of contact
constexpr double kStillLimit = 0.02;         // hip heights

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

// One row of the quarter move's table.
void quarterRow(const std::string& name, const BvhMotion& motion, bool track,
                const std::string& edited) {
  std::string error;
  int points = 4;
  MotionQuality q;
  const bool ok = quietly([&] {
    BvhMotion written;
    Notes notes;
    return writeSidewaysEdit(motion, track, edited, &error, &points) &&
           written.read(edited.c_str(), notes) && measureQuality(motion, written, q, &error);
  });
  if (!ok) {
    std::printf("%-26s %-5s failed: %s\n", name.c_str(), track ? "track" : "loop",
                error.empty() ? "could not read or write" : error.c_str());
    return;
  }
  const double extraSlide = q.slideEdited - q.slideOriginal;
  std::printf("%-26s %-5s %6d %6.1f->%-6.1f %6.2f %s %6.3f/%-6.3f %s %7.3f %s\n", name.c_str(),
              track ? "track" : "loop", points, q.facingOriginal95, q.facingEdited95,
              q.facingChange95, mark(q.facingChange95 <= kQuarterFacingLimit), q.slideOriginal,
              q.slideEdited, mark(extraSlide <= kSlideLimit), q.stillExtraTravel,
              mark(q.stillExtraTravel <= kStillLimit));
  std::printf("%-26s %-5s walking frames %d, contact %.1f s, still stretches %d\n", "", "",
              q.walkingFrames, q.contactSeconds, q.stillStretches);
}

void listContacts(const std::string& name, const BvhMotion& motion) {
  const UpAxis up = decideUpAxis(motion);
  const FootContacts found = findFootContacts(motion, up, findTrackJoint(motion, up).joint);
  std::printf("%s: %zu contacts, hip height %.3f\n", name.c_str(), found.contacts.size(),
              found.hipHeight);
  for (const FootContact& c : found.contacts) {
    std::printf("  contact %s %d %d %f %f %f\n",
                motion.skeleton[found.legs[static_cast<size_t>(c.leg)].foot].name, c.first, c.last,
                c.position.x, c.position.y, c.position.z);
  }
}

// One row of the table: the edit written and measured.
void measureRow(const std::string& name, const BvhMotion& motion, bool track, PathEdit edit,
                PathPace pace, bool keepFeet, const std::string& edited) {
  std::string error;
  MotionQuality q;
  const bool ok = quietly([&] {
    BvhMotion written;
    Notes notes;
    return writePathEdit(motion, track, edit, keepFeet, pace, edited, &error) &&
           written.read(edited.c_str(), notes) && measureQuality(motion, written, q, &error);
  });
  const char* kind = !track ? "loop" : pace == PathPace::keep ? "keep" : "track";
  if (!ok) {
    std::printf("%-22s %-5s %-18s %-4s failed: %s\n", name.c_str(), kind, pathEditName(edit),
                keepFeet ? "on" : "off", error.empty() ? "could not write" : error.c_str());
    return;
  }
  const double ratio = q.wanderOriginal > 0.0 ? q.wanderEdited / q.wanderOriginal : 0.0;
  const double facingLimit = edit == PathEdit::wholeSideways ? kFacingLimitWhole : kFacingLimit;
  std::printf(
      "%-22s %-5s %-18s %-4s %6.3f/%-6.3f %5.2fx %s %6.3f %s %-11s %5.0f/%-5.0f %s "
      "%-11s %5.0f/%-5.0f %s %6.2f %s %6.3f %s\n",
      name.c_str(), kind, pathEditName(edit), keepFeet ? "on" : "off", q.wanderOriginal,
      q.wanderEdited, ratio, mark(q.contacts == 0 || ratio <= kWanderRatio), q.worstExtraWander,
      mark(q.worstExtraWander <= kWanderExtra), q.fastestTurn.joint.c_str(), q.fastestTurn.original,
      q.fastestTurn.edited, mark(q.fastestTurn.beyondAllowance <= 0.0),
      q.fastestLegTurn.joint.c_str(), q.fastestLegTurn.original, q.fastestLegTurn.edited,
      mark(q.fastestLegTurn.beyondAllowance <= 0.0), q.facingChange95,
      mark(q.facingChange95 <= facingLimit), q.lowering, mark(q.lowering <= kLoweringLimit));
}

// The clips read, each with its name; clips that cannot be read are said.
std::vector<std::pair<std::string, std::unique_ptr<BvhMotion>>> readClips(
    const std::vector<std::string>& clips, const std::string& scratch) {
  std::vector<std::pair<std::string, std::unique_ptr<BvhMotion>>> read;
  for (const std::string& clip : clips) {
    auto motion = std::make_unique<BvhMotion>();
    const std::string name = clip.substr(clip.find_last_of('/') + 1);
    if (!quietly([&] { return readClip(clip, scratch, *motion); })) {
      std::printf("%s: could not be read\n", name.c_str());
      continue;
    }
    read.emplace_back(name, std::move(motion));
  }
  return read;
}

void quarterTable(const std::vector<std::pair<std::string, std::unique_ptr<BvhMotion>>>& clips,
                  const std::string& edited) {
  std::printf(
      "Sideways move of the middle control point by a quarter of its distance to its "
      "neighbours\n");
  std::printf(
      "targets: facing vs travel change <= %.0f deg (95th pct of walking frames), "
      "extra sliding <= %.2f hip heights per s of contact, extra travel while still <= "
      "%.0f%% hip height\n\n",
      kQuarterFacingLimit, kSlideLimit, kStillLimit * 100.0);
  std::printf("%-26s %-5s %6s %13s %13s %20s %15s\n", "clip", "path", "points", "facing (deg)",
              "change (deg)", "sliding (orig/new)", "still extra");
  for (const auto& clip : clips) {
    for (const bool track : {true, false}) quarterRow(clip.first, *clip.second, track, edited);
  }
}

void sweepTable(const std::vector<std::pair<std::string, std::unique_ptr<BvhMotion>>>& clips,
                bool contacts, const std::string& edited) {
  std::printf(
      "\nThe sweep, without and with the planted feet\n"
      "targets: planted feet wander <= %.2fx the original's in total and <= %.0f%% hip height "
      "beyond it in any contact; no joint's fastest turn beyond its own by more than half of "
      "it (and 90 deg/s); facing vs travel change <= %.0f deg (%.0f for the whole move), 95th "
      "pct of walking frames; lowering <= %.0f%% hip height\n\n",
      kWanderRatio, kWanderExtra * 100.0, kFacingLimit, kFacingLimitWhole, kLoweringLimit * 100.0);
  std::printf("%-22s %-5s %-18s %-4s %13s %11s %11s %-11s %16s %-11s %16s %11s %11s\n", "clip",
              "path", "edit", "feet", "wander (h.h.)", "ratio", "worst extra", "any joint",
              "fastest (deg/s)", "leg joint", "fastest (deg/s)", "facing", "lowering");
  const PathEdit edits[] = {PathEdit::quarterSideways, PathEdit::halfSideways,
                            PathEdit::wholeSideways, PathEdit::secondHalfTurned};
  for (const auto& clip : clips) {
    if (contacts) listContacts(clip.first, *clip.second);
    for (const bool track : {true, false}) {
      for (const PathEdit edit : edits) {
        // The whole move stretches strides beyond what feet can follow at
        // the default timing; the track path shows it with Keep Pace too.
        const bool both = track && edit == PathEdit::wholeSideways;
        for (const PathPace pace : {PathPace::points, PathPace::keep}) {
          if (pace == PathPace::keep && !both) continue;
          for (const bool keepFeet : {false, true}) {
            measureRow(clip.first, *clip.second, track, edit, pace, keepFeet, edited);
          }
        }
      }
    }
  }
}

std::string nameOf(const std::string& clip) { return clip.substr(clip.find_last_of('/') + 1); }

struct Scratch {
  std::string clip;
  std::string edited;
};

// Limits of the timing report: walking clips reach the end and pass each
// point on time; clips that turn on the spot or go back and forth keep
// their facing within looser bounds.
constexpr double kEndLimit = 0.05;       // hip heights
constexpr double kDelayLimit = 0.1;      // seconds
constexpr double kScaledFacing = 2.0;    // degrees, walking clips
constexpr double kWigglySideways = 8.0;  // degrees
constexpr double kWigglyScaled = 5.0;    // degrees, scaled by 1.15
constexpr double kTimedWander = 1.1;     // feet kept, at 0.85 and 1.15

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
  // The same edit with the planted feet kept: how far they wander.
  MotionQuality feet;
  const bool feetOk =
      ok && quietly([&] {
        BvhMotion written;
        Notes notes;
        TrackEdit kept = row.edit;
        kept.keepFeet = true;
        return writeTrackEdit(motion, kept, scratch.edited, fitted, moved, &error) &&
               written.read(scratch.edited.c_str(), notes) &&
               measureQuality(motion, written, feet, &error);
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
  // Feet judged at 0.85 and 1.15, timed by points, on walking clips.
  const bool judgedFeet = !wiggly && !keep && (row.edit.scale == 0.85 || row.edit.scale == 1.15);
  const double wander = feet.wanderOriginal > 0.0 ? feet.wanderEdited / feet.wanderOriginal : 0.0;
  std::printf("%6.3f %s %6.2f %s %6.2f  %6.2f %s  %5.3f/%-5.3f  ", t.endDistance,
              wiggly ? "    " : mark(t.endDistance <= kEndLimit), t.worstDelay,
              wiggly ? "    " : mark(t.worstDelay <= kDelayLimit), t.worstMiss, q.facingChange95,
              judgedFacing ? mark(q.facingChange95 <= facingLimit) : "    ", q.slideOriginal,
              q.slideEdited);
  if (!feetOk || feet.contacts == 0) {
    std::printf("%s\n", feetOk ? "no contacts" : "failed");
    return;
  }
  std::printf("%5.2fx %s\n", wander, judgedFeet ? mark(wander <= kTimedWander) : "    ");
}

void reportTiming(const std::vector<std::string>& clips, size_t firstWiggly,
                  const Scratch& scratch) {
  std::printf(
      "\nTrack path timing: every point scaled about the first, or the middle point moved "
      "sideways\n"
      "targets (walking clips, pace points): last frame within %.0f%% hip height of the last "
      "point, every point passed within %.1f s of the original's frame, facing change <= %.0f "
      "deg scaled (<= %.0f sideways), planted feet kept wander <= %.1fx the original's at 0.85 "
      "and 1.15; clips after --wiggly: facing <= %.0f sideways, <= %.0f scaled by 1.15\n\n",
      kEndLimit * 100.0, kDelayLimit, kScaledFacing, kFacingLimit, kTimedWander, kWigglySideways,
      kWigglyScaled);
  std::printf("%-26s %-13s %-6s %11s %11s %6s %12s %11s %14s\n", "clip", "edit", "pace",
              "end (hip)", "delay (s)", "miss", "facing (deg)", "sliding", "feet kept");
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
  bool contacts = false;
  size_t firstWiggly = static_cast<size_t>(-1);
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--contacts") == 0) {
      contacts = true;
    } else if (std::strcmp(argv[i], "--wiggly") == 0) {
      firstWiggly = clips.size();
    } else {
      clips.push_back(argv[i]);
    }
  }
  std::vector<std::string> timed = clips;
  size_t timedWiggly = firstWiggly;
  if (clips.empty()) {
    const std::string data = std::string(MPE_CLIP_DATA_DIR) + "/";
    clips = {data + "cmu-01_01.bvh@1100", data + "cmu-01_01.bvh",
             data + "xia-neutral-01.bvh", data + "xia-old-13.bvh",
             data + "xia-angry-13.bvh",   data + "makehuman-zombieWalk1.bvh"};
    // The whole CMU clip turns on the spot twice: it is judged as wiggling.
    timed = {data + "cmu-01_01.bvh@1100", data + "xia-neutral-01.bvh", data + "xia-old-13.bvh",
             data + "xia-angry-13.bvh", data + "cmu-01_01.bvh"};
    timedWiggly = 4;
  }
  char folder[] = "/tmp/path_quality_bench.XXXXXX";
  if (mkdtemp(folder) == nullptr) {
    std::perror("path_quality_bench: mkdtemp");
    return 1;
  }
  const Scratch scratch{std::string(folder) + "/clip.bvh", std::string(folder) + "/edited.bvh"};
  const auto read = readClips(clips, scratch.clip);
  quarterTable(read, scratch.edited);
  sweepTable(read, contacts, scratch.edited);
  reportTiming(timed, timedWiggly, scratch);
  std::remove(scratch.clip.c_str());
  std::remove(scratch.edited.c_str());
  rmdir(folder);
  return 0;
}
