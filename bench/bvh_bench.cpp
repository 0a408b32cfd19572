// bvh_bench: reading, fitting and writing a large clip, against the cost of
// plain file input and output.
//
// Usage: bvh_bench [directory [frames]]   (defaults /tmp and 100000)
//
// Writes a synthetic clip of 60 joints into a private folder under
// `directory`, then measures, each step in its own child process, best of
// three: one fread of the file plus a count of its line feeds (the floor),
// BvhMotion::read, fitPath and writePath, and one fwrite of as many bytes as
// writePath wrote, without and with an fsync (writePath syncs before it
// renames). Then the whole bvh-path program (read, fit, write) found beside
// this one, against `cat clip > out` without and with an fsync. Prints a table with every target
// marked PASS or MISS and always exits 0 once the measurements ran: targets are reported here,
// never asserted in tests.

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "bench/ChildRun.h"
#include "bench/LargeClip.h"
#include "bench/ProcessRun.h"
#include "bench/ReadFloor.h"
#include "motion/BvhMotion.h"
#include "path/LoopPath.h"
#include "path/PathFit.h"
#include "path/PathWriter.h"

namespace {

constexpr int kRuns = 3;
constexpr double kMiB = 1024.0 * 1024.0;

// Targets.
constexpr double kReadTimeVsFloor = 2.0;
constexpr double kReadPeakVsFile = 1.2;
constexpr double kReadPeakAllowance = 16.0 * kMiB;
constexpr double kFitShareOfRead = 0.20;
constexpr double kWriteTimeVsFwrite = 3.0;
constexpr double kToolTimeVsCat = 3.0;
constexpr double kToolPeakVsFile = 1.3;
constexpr double kCarriageReturnVsLineFeed = 2.0;

long long fileSize(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return -1;
  return static_cast<long long>(info.st_size);
}

bool readFloor(const std::string& clip, bench::StepClock& clock, double& lineFeeds) {
  clock.start();
  const long long count = bench::readAndCountLineFeeds(clip.c_str());
  clock.stop();
  lineFeeds = static_cast<double>(count);
  return count >= 0;
}

// The library's console text, where it used to print it.
void printNotes(const Notes& notes) {
  std::fwrite(notes.text().data(), 1, notes.text().size(), stdout);
}

bool measureRead(const std::string& clip, int frames, bench::StepClock& clock, double& readFrames) {
  BvhMotion motion;
  Notes notes;
  clock.start();
  const bool ok = motion.read(clip.c_str(), notes).ok();
  clock.stop();
  printNotes(notes);
  readFrames = motion.frameCount;
  return ok && motion.frameCount == frames && static_cast<int>(motion.frameLines.size()) == frames;
}

bool measureFit(const std::string& clip, int frames, bench::StepClock& clock, double& records) {
  BvhMotion motion;
  Notes notes;
  const bool read = motion.read(clip.c_str(), notes).ok();
  printNotes(notes);
  if (!read) return false;
  LoopFit path;
  clock.start();
  const bool fitted = static_cast<bool>(fitPath(motion, path, notes));
  clock.stop();
  records = static_cast<double>(path.frames);
  return fitted && path.frames == frames;
}

bool measureWrite(const std::string& clip, const std::string& output, bench::StepClock& clock,
                  double& bytes) {
  BvhMotion motion;
  Notes notes;
  const bool read = motion.read(clip.c_str(), notes).ok();
  printNotes(notes);
  if (!read) return false;
  LoopPath path;
  fitPath(motion, path.record(), notes);
  notes.clear();
  clock.start();
  const bool ok = writePath(output.c_str(), motion, path, UpAxis::y, notes).ok();
  clock.stop();
  printNotes(notes);
  bytes = static_cast<double>(fileSize(output));
  unlink(output.c_str());
  return ok && bytes > 0.0;
}

// The floor for writing: the same number of bytes, already formatted, in one
// call; with sync also flushed to the device, as a durable writer must.
bool writeFloor(const std::string& output, long long bytes, bool sync, bench::StepClock& clock,
                double& written) {
  const size_t size = static_cast<size_t>(bytes);
  std::unique_ptr<char[]> buffer(new char[size]);
  // Touch every page first, so the clock sees the write and not page faults.
  std::memset(buffer.get(), '7', size);
  clock.start();
  std::FILE* file = std::fopen(output.c_str(), "wb");
  if (file == nullptr) return false;
  written = static_cast<double>(std::fwrite(buffer.get(), 1, size, file));
  const bool synced = !sync || (std::fflush(file) == 0 && fsync(fileno(file)) == 0);
  const bool closed = std::fclose(file) == 0 && synced;
  clock.stop();
  unlink(output.c_str());
  return closed && written == static_cast<double>(size);
}

std::string peakText(const bench::StepResult& r) {
  char text[32];
  std::snprintf(text, sizeof text, "%s%.1f", r.peakExact ? "" : ">=", r.peakBytes / kMiB);
  return text;
}

void printMeasure(const char* name, const bench::StepResult& r, double bytes) {
  if (!r.ok) {
    std::printf("%-34s %12s\n", name, "FAILED");
    return;
  }
  char throughput[32] = "-";
  if (bytes > 0.0) std::snprintf(throughput, sizeof throughput, "%.1f", bytes / kMiB / r.seconds);
  std::printf("%-34s %12.3f %10s %14s\n", name, r.seconds, throughput, peakText(r).c_str());
}

void printTarget(const char* name, const std::string& measured, const std::string& limit,
                 bool known, bool pass) {
  std::printf("%-42s %12s %12s   %s\n", name, measured.c_str(), limit.c_str(),
              !known ? "n/a"
              : pass ? "PASS"
                     : "MISS");
}

std::string formatted(const char* pattern, double value) {
  char text[48];
  std::snprintf(text, sizeof text, pattern, value);
  return text;
}

// bvh-path in the folder of this program, or "" when there is none.
std::string toolBesideThisProgram() {
  char self[4096];
  const ssize_t size = readlink("/proc/self/exe", self, sizeof self - 1);
  if (size <= 0) return "";
  std::string path(self, static_cast<size_t>(size));
  path.erase(path.find_last_of('/') + 1);
  path += "bvh-path";
  return access(path.c_str(), X_OK) == 0 ? path : "";
}

void printProcess(const char* name, const bench::ProcessResult& r, double bytes) {
  if (!r.ok) {
    std::printf("%-34s %12s\n", name, "FAILED");
    return;
  }
  std::printf("%-34s %12.3f %10.1f %14s\n", name, r.seconds, bytes / kMiB / r.seconds,
              formatted("%.1f", r.peakBytes / kMiB).c_str());
}

// The whole program against cat, without and with an fsync of cat's output.
void measureTool(const std::string& clip, const std::string& folder, double clipBytes) {
  const std::string tool = toolBesideThisProgram();
  if (tool.empty()) {
    std::printf("\nbvh-path: not found beside this program; build it to measure it.\n");
    return;
  }
  const std::string out = folder + "/re-pathed.bvh";
  const std::string copy = folder + "/copy.bvh";
  const auto removeOut = [&] { unlink(out.c_str()); };
  const auto nothing = [] {};
  const bench::ProcessResult cat =
      bench::bestProcessRun(kRuns, {"/bin/cat", clip}, copy, false, nothing);
  const bench::ProcessResult catSync =
      bench::bestProcessRun(kRuns, {"/bin/cat", clip}, copy, true, nothing);
  const bench::ProcessResult run =
      bench::bestProcessRun(kRuns, {tool, clip, "-o", out}, "/dev/null", false, removeOut);
  unlink(out.c_str());
  unlink(copy.c_str());

  std::printf("\nWhole programs, from fork to exit; peak = highest resident set (MiB).\n");
  std::printf("%-34s %12s %10s %14s\n", "measure", "best (s)", "MiB/s", "peak (MiB)");
  printProcess("floor: cat clip > out", cat, clipBytes);
  printProcess("floor: cat clip > out; fsync out", catSync, clipBytes);
  printProcess("bvh-path clip -o out", run, clipBytes);

  std::printf("\n%-42s %12s %12s   %s\n", "target", "measured", "limit", "result");
  const double vsCat = cat.ok && run.ok ? run.seconds / cat.seconds : 0.0;
  printTarget("bvh-path time / cat time", formatted("%.2fx", vsCat),
              formatted("%.2fx", kToolTimeVsCat), cat.ok && run.ok, vsCat <= kToolTimeVsCat);
  const double vsCatSync = catSync.ok && run.ok ? run.seconds / catSync.seconds : 0.0;
  printTarget("bvh-path time / (cat + fsync) time", formatted("%.2fx", vsCatSync),
              formatted("%.2fx", kToolTimeVsCat), catSync.ok && run.ok,
              vsCatSync <= kToolTimeVsCat);
  const double peakShare = run.ok ? run.peakBytes / clipBytes : 0.0;
  printTarget("bvh-path peak memory / file size", formatted("%.2fx", peakShare),
              formatted("%.2fx", kToolPeakVsFile), run.ok, peakShare <= kToolPeakVsFile);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string directory = argc > 1 ? argv[1] : "/tmp";
  const int frames = argc > 2 ? std::atoi(argv[2]) : 100000;
  if (frames < 5) {
    std::fprintf(stderr, "Usage: %s [directory [frames >= 5]]\n", argv[0]);
    return 1;
  }
  std::string folder = directory + "/bvh_bench.XXXXXX";
  if (mkdtemp(&folder[0]) == nullptr) {
    std::fprintf(stderr, "cannot create a folder under %s\n", directory.c_str());
    return 1;
  }
  const std::string clip = folder + "/large.bvh";
  const std::string output = folder + "/written.bvh";

  std::printf("Writing a clip of %d frames to %s ...\n", frames, clip.c_str());
  bench::LargeClipInfo info;
  if (!bench::writeLargeClip(clip, frames, info)) {
    rmdir(folder.c_str());
    return 1;
  }
  const double clipBytes = static_cast<double>(info.bytes);
  std::printf("Clip: %d frames, %d joints, %d channels per frame, %.1f MiB\n", info.frameCount,
              info.jointCount, info.channelTotal, clipBytes / kMiB);
  std::printf(
      "Each measure: best time of %d runs, each in a fresh child process; peak = highest\n"
      "growth of the resident set while the step ran (MiB).\n\n",
      kRuns);

  const bench::StepResult floorRead =
      bench::bestOf(kRuns, [&](bench::StepClock& c, double& x) { return readFloor(clip, c, x); });
  const bench::StepResult readStep = bench::bestOf(
      kRuns, [&](bench::StepClock& c, double& x) { return measureRead(clip, frames, c, x); });
  const bench::StepResult fitStep = bench::bestOf(
      kRuns, [&](bench::StepClock& c, double& x) { return measureFit(clip, frames, c, x); });
  const bench::StepResult writeStep = bench::bestOf(
      kRuns, [&](bench::StepClock& c, double& x) { return measureWrite(clip, output, c, x); });
  // Without a written file, compare against writing as many bytes as were readStep.
  const long long writtenBytes =
      writeStep.ok ? static_cast<long long>(writeStep.extra) : info.bytes;
  const bench::StepResult floorWrite = bench::bestOf(kRuns, [&](bench::StepClock& c, double& x) {
    return writeFloor(output, writtenBytes, false, c, x);
  });
  const bench::StepResult floorWriteSync = bench::bestOf(
      kRuns,
      [&](bench::StepClock& c, double& x) { return writeFloor(output, writtenBytes, true, c, x); });

  std::printf("%-34s %12s %10s %14s\n", "measure", "best (s)", "MiB/s", "peak (MiB)");
  printMeasure("floor: fread + count line feeds", floorRead, clipBytes);
  printMeasure("BvhMotion::read", readStep, clipBytes);
  printMeasure("fitPath", fitStep, 0.0);
  printMeasure("writePath", writeStep, static_cast<double>(writtenBytes));
  const std::string fwriteName = "floor: one fwrite of " +
                                 formatted("%.1f", static_cast<double>(writtenBytes) / kMiB) +
                                 " MiB";
  printMeasure(fwriteName.c_str(), floorWrite, static_cast<double>(writtenBytes));
  printMeasure("floor: the same fwrite + fsync", floorWriteSync, static_cast<double>(writtenBytes));

  std::printf("\n%-42s %12s %12s   %s\n", "target", "measured", "limit", "result");
  const bool readKnown = readStep.ok && floorRead.ok;
  const double readRatio = readKnown ? readStep.seconds / floorRead.seconds : 0.0;
  printTarget("read time / floor read time", formatted("%.2fx", readRatio),
              formatted("%.2fx", kReadTimeVsFloor), readKnown, readRatio <= kReadTimeVsFloor);
  const double peakLimit = kReadPeakVsFile * clipBytes + kReadPeakAllowance;
  printTarget("read peak memory vs 1.2 x file + 16 MiB", peakText(readStep) + " MiB",
              formatted("%.1f MiB", peakLimit / kMiB), readStep.ok,
              readStep.peakBytes <= peakLimit);
  const bool fitKnown = fitStep.ok && readStep.ok;
  const double fitShare = fitKnown ? fitStep.seconds / readStep.seconds : 0.0;
  printTarget("fitPath time / read time", formatted("%.1f%%", 100.0 * fitShare),
              formatted("%.1f%%", 100.0 * kFitShareOfRead), fitKnown, fitShare < kFitShareOfRead);
  const bool writeKnown = writeStep.ok && floorWrite.ok;
  const double writeRatio = writeKnown ? writeStep.seconds / floorWrite.seconds : 0.0;
  printTarget("writePath time / one fwrite time", formatted("%.2fx", writeRatio),
              formatted("%.2fx", kWriteTimeVsFwrite), writeKnown, writeRatio <= kWriteTimeVsFwrite);
  // writePath syncs before it renames, so that a crash cannot leave an empty
  // file in place of the old one; measured fairly, the floor syncs too.
  const bool syncKnown = writeStep.ok && floorWriteSync.ok;
  const double syncRatio = syncKnown ? writeStep.seconds / floorWriteSync.seconds : 0.0;
  printTarget("writePath time / (fwrite + fsync) time", formatted("%.2fx", syncRatio),
              formatted("%.2fx", kWriteTimeVsFwrite), syncKnown, syncRatio <= kWriteTimeVsFwrite);

  // The same clip with carriage returns for line feeds (old Mac files) must
  // read about as fast: its line ends are found in the same one pass.
  const std::string crClip = folder + "/carriage-returns.bvh";
  const bench::StepResult crRead =
      bench::writeCarriageReturnTwin(clip, crClip)
          ? bench::bestOf(kRuns, [&](bench::StepClock& c,
                                     double& x) { return measureRead(crClip, frames, c, x); })
          : bench::StepResult();
  unlink(crClip.c_str());
  std::printf("\n%-34s %12s %10s %14s\n", "measure", "best (s)", "MiB/s", "peak (MiB)");
  printMeasure("BvhMotion::read, LF line ends", readStep, clipBytes);
  printMeasure("BvhMotion::read, CR line ends", crRead, clipBytes);
  const bool crKnown = crRead.ok && readStep.ok;
  const double crRatio = crKnown ? crRead.seconds / readStep.seconds : 0.0;
  printTarget("CR read time / LF read time", formatted("%.2fx", crRatio),
              formatted("%.2fx", kCarriageReturnVsLineFeed), crKnown,
              crRatio <= kCarriageReturnVsLineFeed);

  measureTool(clip, folder, clipBytes);

  unlink(clip.c_str());
  unlink(output.c_str());
  rmdir(folder.c_str());
  return 0;
}
