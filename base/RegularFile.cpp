#include "base/RegularFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <new>
#include <system_error>
#include <thread>

Outcome<RegularFile> openRegularFile(const char* fileName) {
  if (fileName == nullptr) return Failure{std::strerror(EINVAL), 0, EINVAL};
  const auto systemFailure = [](int code) { return Failure{std::strerror(code), 0, code}; };
  // Opening a FIFO for reading blocks until a writer comes; O_NONBLOCK makes
  // it return at once so that the type can be checked first.
  const int fd = open(fileName, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return systemFailure(errno);
  struct stat status;
  const auto refuse = [fd](Failure failure) {
    close(fd);
    return failure;
  };
  if (fstat(fd, &status) != 0) return refuse(systemFailure(errno));
  if (!S_ISREG(status.st_mode)) {
    return refuse(
        Failure{std::string(fileName) +
                (S_ISDIR(status.st_mode) ? " is a directory" : " is not a regular file")});
  }
  if (static_cast<std::uintmax_t>(status.st_size) >= SIZE_MAX) {
    return refuse(Failure{std::string(fileName) + " is too large"});
  }
  // Reads from a regular file never block; the flag only mattered for open.
  const int flags = fcntl(fd, F_GETFL);
  if (flags != -1) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  RegularFile opened;
  opened.file.reset(fdopen(fd, "rb"));
  if (!opened.file) return refuse(systemFailure(errno));
  opened.size = static_cast<std::size_t>(status.st_size);
  return opened;
}

namespace {

// Reads this large are shared between two threads.
constexpr std::size_t kTwoThreadReadBytes = std::size_t{32} << 20;

struct ReadPart {
  std::size_t got = 0;
  int error = 0;  // errno's value after a failed read
};

// pread until size bytes are read, the file ends or an error occurs.
void readPart(int fd, char* buffer, std::size_t offset, std::size_t size, ReadPart& part) {
  while (part.got < size) {
    const ssize_t n =
        pread(fd, buffer + part.got, size - part.got, static_cast<off_t>(offset + part.got));
    if (n > 0) {
      part.got += static_cast<std::size_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      part.error = n < 0 ? errno : 0;
      return;
    }
  }
}

// Below this a plain allocation costs less than a mapping of its own.
constexpr std::size_t kMappedTextBytes = std::size_t{4} << 20;
// The two halves of a large read meet on a boundary this large, so that
// the threads never fault in the same page, huge pages included.
constexpr std::size_t kHugePage = std::size_t{2} << 20;

}  // namespace

void TextBufferRelease::operator()(char* text) const {
  if (mappedBytes == 0) {
    delete[] text;
  } else {
    munmap(text, mappedBytes);
  }
}

TextBuffer newTextBuffer(std::size_t size) {
  if (size < kMappedTextBytes) return TextBuffer(new (std::nothrow) char[size]);
  void* area = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (area == MAP_FAILED) return TextBuffer();
  return TextBuffer(static_cast<char*>(area), TextBufferRelease{size});
}

Outcome<std::size_t> readAt(std::FILE* file, char* buffer, std::size_t offset, std::size_t size) {
  const int fd = fileno(file);
  ReadPart first;
  ReadPart second;
  std::size_t half = size;
  if (size >= kTwoThreadReadBytes) {
    const std::uintptr_t start = reinterpret_cast<std::uintptr_t>(buffer);
    half = (start + size / 2) / kHugePage * kHugePage - start;
  }
  std::thread other;
  if (half < size) {
    try {
      other =
          std::thread(readPart, fd, buffer + half, offset + half, size - half, std::ref(second));
    } catch (const std::system_error&) {
      half = size;  // no thread to be had: this one reads it all
    }
  }
  readPart(fd, buffer, offset, half, first);
  if (other.joinable()) other.join();
  std::size_t got = first.got;
  int error = first.error;
  // The second half counts only after a whole first half: a file cut short
  // while it was read ends where the first gap is, as one read would.
  if (half < size && got == half) {
    got += second.got;
    error = second.error;
  }
  if (error != 0) return Failure{std::strerror(error), 0, error};
  return got;
}
