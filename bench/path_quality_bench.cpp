// path_quality_bench: how faithfully an edited path carries a clip, for the
// track path and the loop path, with the planted feet kept and without.
//
// Usage: path_quality_bench [--contacts] [CLIP[@FRAMES]]...
//   (default: the walks of tests/data/clips: the CMU 01_01 walk, its first
//   1100 frames and whole, the three Xia walks and the MakeHuman zombie)
//
// First, for each clip, fits each kind of path, moves its middle control
// point sideways by a quarter of its distance to its neighbours, writes the
// clip carried along the edited path, and measures facing against travel
// (95th percentile change over walking frames), extra foot sliding during
// the original's contacts and extra ground travel while the original stands
// still. Then, the sweep: for each clip, fits each kind of path, makes each
// edit of the sweep (the
// middle control point moved sideways by a quarter, a half and the whole of
// its distance to its neighbours; the points after it turned by 90 degrees
// about it), writes the clip carried along the edited path without and with
// the planted-feet solve, and measures the written clip against the
// original: how far the feet wander during the original's contacts (total
// against the original's, and the worst single contact beyond its own), the
// joint whose fastest turn goes furthest beyond its allowance, facing
// against travel (95th percentile change over walking frames) and the
// carried joint's largest lowering. Marks each figure PASS or MISS against
// the targets and always exits 0 once the measurements ran. --contacts also
// lists each clip's contacts.

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

// Runs body with standard output sent to /dev/null: the reader, the fit and
// the writer report progress there.
bool quietly(const std::function<bool()>& body) {
  std::fflush(stdout);
  const int saved = dup(STDOUT_FILENO);
  const bool quiet = std::freopen("/dev/null", "w", stdout) != nullptr;
  const bool ok = quiet && body();
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
                bool keepFeet, const std::string& edited) {
  std::string error;
  MotionQuality q;
  const bool ok = quietly([&] {
    BvhMotion written;
    Notes notes;
    return writePathEdit(motion, track, edit, keepFeet, edited, &error) &&
           written.read(edited.c_str(), notes) && measureQuality(motion, written, q, &error);
  });
  const char* kind = track ? "track" : "loop";
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
        for (const bool keepFeet : {false, true}) {
          measureRow(clip.first, *clip.second, track, edit, keepFeet, edited);
        }
      }
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> clips;
  bool contacts = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--contacts") == 0) {
      contacts = true;
    } else {
      clips.push_back(argv[i]);
    }
  }
  if (clips.empty()) {
    const std::string data = std::string(MPE_CLIP_DATA_DIR) + "/";
    clips = {data + "cmu-01_01.bvh@1100", data + "cmu-01_01.bvh",
             data + "xia-neutral-01.bvh", data + "xia-old-13.bvh",
             data + "xia-angry-13.bvh",   data + "makehuman-zombieWalk1.bvh"};
  }
  char folder[] = "/tmp/path_quality_bench.XXXXXX";
  if (mkdtemp(folder) == nullptr) {
    std::perror("path_quality_bench: mkdtemp");
    return 1;
  }
  const std::string scratch = std::string(folder) + "/clip.bvh";
  const std::string edited = std::string(folder) + "/edited.bvh";
  const auto read = readClips(clips, scratch);
  quarterTable(read, edited);
  sweepTable(read, contacts, edited);
  std::remove(scratch.c_str());
  std::remove(edited.c_str());
  rmdir(folder);
  return 0;
}
