#pragma once

// Runs a piece of a test where writing really fails, in a forked child so
// that the limit or the mount stays there.

#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <functional>
#include <string>

namespace fulldisk {

enum class Kind {
  kFileSizeLimit,  // RLIMIT_FSIZE of 4 KiB, SIGXFSZ ignored: writes fail with EFBIG
  kSmallTmpfs,     // a private 64 KiB tmpfs mounted on the folder: ENOSPC
};

// What the child reports when it could not make the disk full.
constexpr int kCannotSetUp = 77;

// Runs body (which returns 0 when all went as expected) in a child whose
// writes into folder fail, and returns its exit status: kCannotSetUp when the
// mount is not allowed here, -1 when the child died.
inline int run(Kind kind, const std::string& folder, const std::function<int()>& body) {
  const pid_t child = fork();
  if (child < 0) return -1;
  if (child == 0) {
    if (kind == Kind::kFileSizeLimit) {
      std::signal(SIGXFSZ, SIG_IGN);
      const rlimit limit{4096, 4096};
      if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(kCannotSetUp);
    } else {
      // A mount namespace of the child's own: the mount vanishes with it.
      if (unshare(CLONE_NEWNS) != 0 ||
          mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
          mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=64k") != 0) {
        _exit(kCannotSetUp);
      }
    }
    _exit(body());
  }
  int status = 0;
  if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

}  // namespace fulldisk
