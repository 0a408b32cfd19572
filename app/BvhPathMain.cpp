// bvh-path: fits a clip's path, optionally moves control points, and writes
// the clip carried along the edited path: the editor's edit, without a window.

#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "motion/GroundAxes.h"
#include "motion/TrackJoint.h"
#include "path/EditSession.h"
#include "path/PathKinds.h"
#include "path/TrackCurve.h"

namespace {

constexpr int kPointCount = 4;

struct Move {
  int index = 0;
  double dx = 0.0;
  double dz = 0.0;
};

// The words of one --move, checked once the command line's shape is known.
struct MoveWords {
  const char* index;
  const char* dx;
  const char* dz;
};

struct Arguments {
  std::string clip;
  std::vector<MoveWords> moveWords;
  std::vector<Move> moves;
  std::string out;
  bool force = false;
  // The track path instead of the loop path, with pointsWord as its count.
  bool track = false;
  const char* pointsWord = nullptr;
  int points = 0;
  // --up: "y" or "z"; null lets the clip's figure decide.
  const char* upWord = nullptr;
};

void printUsage(const char* program) {
  std::fprintf(stderr,
               "Usage: %s CLIP [--move K DX DZ]... [-o OUT [--force]]\n"
               "       %s CLIP --track [--points K] [--move K DX DZ]... [-o OUT [--force]]\n"
               "  Prints the fitted control points (after any moves) as \"point K: X Y Z\",\n"
               "  in the clip's axes (Z up: ground X Y, then the height).\n"
               "  --track         the open track path from the first frame to the last\n"
               "                  instead of the loop path (Y of its points: ground height)\n"
               "  --points K      fits the track path with K points (1..1000)\n"
               "  --up y|z        the clip's up axis (default: decided from the figure)\n"
               "  --move K DX DZ  moves control point K (0..3 on the loop path) by DX, DZ\n"
               "                  clip units along the ground (DX, DY with Z up), in order\n"
               "  -o OUT          writes the clip carried along the path to OUT\n"
               "  --force         replaces OUT when it exists\n",
               program, program);
}

// A whole word that reads as a finite number. A number too small to hold
// reads as the nearest one that can be held (1e-400 as 0), as the clip
// reader reads it; one too large is refused.
bool parseNumber(const char* text, double& value) {
  char* end = nullptr;
  value = std::strtod(text, &end);
  return end != text && *end == '\0' && std::isfinite(value);
}

// An index within 0..limit - 1.
bool parseIndex(const char* text, int& index, long limit = kPointCount) {
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || errno == ERANGE) return false;
  if (value < 0 || value >= limit) return false;
  index = static_cast<int>(value);
  return true;
}

void report(const std::string& message) { std::fprintf(stderr, "bvh-path: %s\n", message.c_str()); }

// True when the words have the command line's shape; values are not looked at.
bool parseShape(int argc, char** argv, Arguments& arguments) {
  std::vector<std::string> positional;
  for (int i = 1; i < argc; ++i) {
    const std::string word = argv[i];
    if (word == "--move") {
      if (i + 3 >= argc) return false;
      arguments.moveWords.push_back({argv[i + 1], argv[i + 2], argv[i + 3]});
      i += 3;
    } else if (word == "-o") {
      if (i + 1 >= argc || !arguments.out.empty() || argv[i + 1][0] == '\0') return false;
      arguments.out = argv[++i];
    } else if (word == "--force") {
      arguments.force = true;
    } else if (word == "--track") {
      arguments.track = true;
    } else if (word == "--up") {
      if (i + 1 >= argc || arguments.upWord != nullptr) return false;
      arguments.upWord = argv[++i];
      if (std::strcmp(arguments.upWord, "y") != 0 && std::strcmp(arguments.upWord, "z") != 0) {
        return false;
      }
    } else if (word == "--points") {
      if (i + 1 >= argc || arguments.pointsWord != nullptr) return false;
      arguments.pointsWord = argv[++i];
    } else if (word.size() > 1 && word[0] == '-') {
      return false;
    } else {
      positional.push_back(word);
    }
  }
  if (positional.size() != 1 || positional[0].empty()) return false;
  if (arguments.force && arguments.out.empty()) return false;
  if (arguments.pointsWord != nullptr && !arguments.track) return false;
  arguments.clip = positional[0];
  return true;
}

// Turns the move words into moves; false (reported) at the first wrong value.
bool parseMoves(Arguments& arguments) {
  if (arguments.pointsWord != nullptr &&
      (!parseIndex(arguments.pointsWord, arguments.points, TrackCurve::maxPoints + 1L) ||
       arguments.points < 1)) {
    report(std::string("point count \"") + arguments.pointsWord + "\" is not one of 1.." +
           std::to_string(TrackCurve::maxPoints));
    return false;
  }
  for (const MoveWords& words : arguments.moveWords) {
    Move move;
    // The track path's count is known once it is fitted; the session then
    // refuses a point it does not have.
    const long limit = arguments.track ? TrackCurve::maxPoints : kPointCount;
    if (!parseIndex(words.index, move.index, limit)) {
      report(std::string("control point \"") + words.index + "\" is not one of 0.." +
             std::to_string(limit - 1));
      return false;
    }
    for (const char* number : {words.dx, words.dz}) {
      if (!parseNumber(number, number == words.dx ? move.dx : move.dz)) {
        report(std::string("\"") + number + "\" is not a finite number");
        return false;
      }
    }
    arguments.moves.push_back(move);
  }
  return true;
}

bool exists(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) == 0;
}

// Standard output carries only the points. The console notes of the session's
// operations (the reader's, the fit's and the writer's lines, in the order
// they came) are kept and passed to standard error at the end, so that the
// line saying what failed comes first; they do not always end in a line
// feed, so one is added where they do not.
void releaseConsoleNotes(const Notes& console) {
  const std::string& text = console.text();
  std::fwrite(text.data(), 1, text.size(), stderr);
  if (!text.empty() && text.back() != '\n') std::fputc('\n', stderr);
}

// Loads, moves, prints and writes; false (reported) at the first failure.
bool run(const Arguments& arguments, EditSession& session, Notes& console) {
  std::FILE* points = stdout;
  std::optional<UpAxis> up;
  if (arguments.upWord != nullptr) up = *arguments.upWord == 'z' ? UpAxis::z : UpAxis::y;
  const Status loaded = session.load(arguments.clip, nullptr, up);
  console.append(session.takeConsoleNotes());
  if (!loaded) {
    report(loaded.failure().message);
    return false;
  }
  const bool zUp = session.upAxis() == UpAxis::z;
  if (zUp) report("up axis: Z");
  if (!session.canCarry()) report(kNoGroundChannels);
  if (arguments.track) {
    session.setKind(pathKindOf("track"));
    if (arguments.points > 0) session.refit(arguments.points);
    console.append(session.takeConsoleNotes());
  }
  for (const Move& move : arguments.moves) {
    const Status moved = session.movePoint(move.index, move.dx, move.dz);
    if (!moved) {
      report(moved.failure().message);
      return false;
    }
  }
  for (int k = 0; k < session.pointCount(); ++k) {
    const Point3 p = fileFromGround(session.point(k), session.upAxis());
    std::fprintf(points, "point %d: %f %f %f\n", k, p.x, p.y, p.z);
  }
  if (std::fflush(points) != 0) {
    report(std::string("cannot print the points: ") + std::strerror(errno));
    return false;
  }
  // Without --force the file is put in place only if OUT still does not
  // exist then: another run may have written it since the check at the start.
  const ExistingTarget existing =
      arguments.force ? ExistingTarget::kReplace : ExistingTarget::kKeep;
  Status written;
  if (!arguments.out.empty()) written = session.write(arguments.out, existing);
  console.append(session.takeConsoleNotes());
  if (!written) report(written.failure().message);
  return written.ok();
}

int runProgram(int argc, char** argv) {
  const char* program = argc > 0 && argv[0] != nullptr ? argv[0] : "bvh-path";
  Arguments arguments;
  if (!parseShape(argc, argv, arguments)) {
    printUsage(program);
    return 2;
  }
  if (!parseMoves(arguments)) return 1;
  // Checked before the clip is read: a batch run should not spend a large
  // read on an output it will refuse.
  if (!arguments.out.empty() && !arguments.force && exists(arguments.out)) {
    report(arguments.out + " exists; give --force to replace it");
    return 1;
  }

  EditSession session;
  Notes console;
  bool ok = false;
  try {
    ok = run(arguments, session, console);
  } catch (const std::bad_alloc&) {
    // A temporary file being written has been removed on the way out.
    report("out of memory while working on " + arguments.clip);
    console.append(session.takeConsoleNotes());
  }
  releaseConsoleNotes(console);
  return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return runProgram(argc, argv);
  } catch (const std::bad_alloc&) {
    std::fputs("bvh-path: out of memory\n", stderr);
    return 1;
  }
}
