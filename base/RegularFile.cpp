#include "base/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

std::FILE* openRegularFile(const char* fileName, std::size_t* size, std::string* message) {
  std::string reason;
  std::FILE* file = nullptr;
  // Opening a FIFO for reading blocks until a writer comes; O_NONBLOCK makes
  // it return at once so that the type can be checked first.
  const int fd = fileName != nullptr ? open(fileName, O_RDONLY | O_NONBLOCK | O_CLOEXEC) : -1;
  struct stat status;
  if (fd < 0) {
    reason = std::strerror(fileName != nullptr ? errno : EINVAL);
  } else if (fstat(fd, &status) != 0) {
    reason = std::strerror(errno);
  } else if (!S_ISREG(status.st_mode)) {
    reason = std::string(fileName) + (S_ISDIR(status.st_mode) ? " is a directory"
                                                                : " is not a regular file");
  } else if (static_cast<std::uintmax_t>(status.st_size) >= SIZE_MAX) {
    reason = std::string(fileName) + " is too large";
  } else {
    // Reads from a regular file never block; the flag only mattered for open.
    const int flags = fcntl(fd, F_GETFL);
    if (flags != -1) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    file = fdopen(fd, "rb");
    if (file == nullptr) reason = std::strerror(errno);
    if (size != nullptr) *size = static_cast<std::size_t>(status.st_size);
  }
  if (file == nullptr) {
    if (fd >= 0) close(fd);
    if (message != nullptr) *message = reason;
  }
  return file;
}
