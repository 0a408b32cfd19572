// path_quality_bench: how faithfully an edited path carries a clip, for the
// track path and the loop path, with the planted feet kept and without.
//
// Usage: path_quality_bench [--contacts] [CLIP[@FRAMES]]...
//   (default: the walks of tests/data/clips: the CMU 01_01 walk, its first
//   1100 frames and whole, the three Xia walks and the MakeHuman zombie)
//
// For each clip, fits each kind of path, makes each edit of the sweep (the
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
#include <string>
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
  BvhMotion written;
  Notes notes;
  // The fit and the writer report progress on stdout.
  std::fflush(stdout);
  const int saved = dup(STDOUT_FILENO);
  const bool quiet = std::freopen("/dev/null", "w", stdout) != nullptr;
  const bool ok = quiet && writePathEdit(motion, track, edit, keepFeet, edited, &error) &&
                  written.read(edited.c_str(), notes) && measureQuality(motion, written, q, &error);
  std::fflush(stdout);
  dup2(saved, STDOUT_FILENO);
  close(saved);
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

  std::printf(
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
  for (const std::string& clip : clips) {
    BvhMotion motion;
    std::fflush(stdout);
    const int saved = dup(STDOUT_FILENO);
    const bool read =
        std::freopen("/dev/null", "w", stdout) != nullptr && readClip(clip, scratch, motion);
    std::fflush(stdout);
    dup2(saved, STDOUT_FILENO);
    close(saved);
    const std::string name = clip.substr(clip.find_last_of('/') + 1);
    if (!read) {
      std::printf("%s: could not be read\n", name.c_str());
      continue;
    }
    if (contacts) listContacts(name, motion);
    for (const bool track : {true, false}) {
      for (const PathEdit edit : edits) {
        for (const bool keepFeet : {false, true}) {
          measureRow(name, motion, track, edit, keepFeet, edited);
        }
      }
    }
  }
  std::remove(scratch.c_str());
  std::remove(edited.c_str());
  rmdir(folder);
  return 0;
}
