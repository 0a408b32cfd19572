#pragma once

// Runs a whole program as a child process and times it from fork to exit, for
// measures of a console tool against a shell command doing the plain work.
// Linux only (fork, exec, wait4, /proc/self/exe).

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace bench {

struct ProcessResult {
  bool ok = false;
  double seconds = 0.0;
  // The child's highest resident set over its whole life, in bytes.
  double peakBytes = 0.0;
};

// Runs program with arguments (argv[0] included), standard output to
// outputPath (created or truncated) and standard error to /dev/null. With
// sync, outputPath is also flushed to the device before the clock stops.
// ok is true when the program exited with status 0.
inline ProcessResult runProcess(const std::vector<std::string>& argv, const std::string& outputPath,
                                bool sync) {
  ProcessResult result;
  std::vector<char*> words;
  for (const std::string& word : argv) words.push_back(const_cast<char*>(word.c_str()));
  words.push_back(nullptr);
  const auto begin = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child < 0) return result;
  if (child == 0) {
    const int out = open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int quiet = open("/dev/null", O_WRONLY);
    if (out < 0 || quiet < 0 || dup2(out, STDOUT_FILENO) < 0 || dup2(quiet, STDERR_FILENO) < 0) {
      _exit(127);
    }
    execv(words[0], words.data());
    _exit(127);
  }
  int status = 0;
  struct rusage usage {};
  if (wait4(child, &status, 0, &usage) != child) return result;
  bool synced = true;
  if (sync) {
    const int out = open(outputPath.c_str(), O_WRONLY);
    synced = out >= 0 && fsync(out) == 0;
    if (out >= 0) close(out);
  }
  const auto end = std::chrono::steady_clock::now();
  result.ok = synced && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  result.seconds = std::chrono::duration<double>(end - begin).count();
  result.peakBytes = static_cast<double>(usage.ru_maxrss) * 1024.0;
  return result;
}

// Best time of `runs`, with the highest peak; prepare runs before each one,
// outside the clock.
template <typename Prepare>
ProcessResult bestProcessRun(int runs, const std::vector<std::string>& argv,
                             const std::string& outputPath, bool sync, Prepare prepare) {
  ProcessResult best;
  for (int i = 0; i < runs; ++i) {
    prepare();
    const ProcessResult run = runProcess(argv, outputPath, sync);
    if (!run.ok) return run;
    const double highest =
        best.ok && best.peakBytes > run.peakBytes ? best.peakBytes : run.peakBytes;
    if (!best.ok || run.seconds < best.seconds) best = run;
    best.peakBytes = highest;
  }
  return best;
}

// The program called name in the folder of the running program, or "" when
// there is none (the benches run the tools built beside them).
inline std::string programBesideThis(const char* name) {
  char self[4096];
  const ssize_t size = readlink("/proc/self/exe", self, sizeof self - 1);
  if (size <= 0) return "";
  std::string path(self, static_cast<size_t>(size));
  path.erase(path.find_last_of('/') + 1);
  path += name;
  return access(path.c_str(), X_OK) == 0 ? path : "";
}

// A new private folder directory/prefix.XXXXXX, or "" (with a message on
// standard error) when it cannot be made.
inline std::string privateFolder(const std::string& directory, const char* prefix) {
  std::string folder = directory + "/" + prefix + ".XXXXXX";
  if (mkdtemp(&folder[0]) != nullptr) return folder;
  std::fprintf(stderr, "cannot create a folder under %s\n", directory.c_str());
  return "";
}

}  // namespace bench
