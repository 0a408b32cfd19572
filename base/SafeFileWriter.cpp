#include "base/SafeFileWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string folderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string baseNameOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

void setMessage(std::string* message, const std::string& text) {
  if (message != nullptr) *message = text;
}

int currentUmask() {
  const mode_t mask = umask(0);
  umask(mask);
  return static_cast<int>(mask);
}

}  // namespace

SafeFileWriter::~SafeFileWriter() { discard(); }

void SafeFileWriter::discard() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  if (!temporary_.empty()) unlink(temporary_.c_str());
  temporary_.clear();
}

bool SafeFileWriter::open(const char* target, std::string* message) {
  discard();
  error_ = 0;
  target_ = target != nullptr ? target : "";
  const auto refuse = [&](const std::string& reason) {
    setMessage(message, "Cannot open " + target_ + " for writing: " + reason);
    return false;
  };
  if (target_.empty()) return refuse(std::strerror(ENOENT));

  struct stat status;
  if (stat(target_.c_str(), &status) == 0) {
    // Renaming over a device or a FIFO would swap it for a plain file.
    if (S_ISDIR(status.st_mode)) return refuse(std::strerror(EISDIR));
    if (!S_ISREG(status.st_mode)) return refuse("not a regular file");
    mode_ = static_cast<int>(status.st_mode & 07777);
  } else if (errno != ENOENT) {
    return refuse(std::strerror(errno));
  } else {
    mode_ = 0666 & ~currentUmask();
  }

  std::string pattern = folderOf(target_) + "/." + baseNameOf(target_) + ".XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) return refuse(std::strerror(errno));
  temporary_ = name.data();
  fchmod(fd, static_cast<mode_t>(mode_));
  file_ = fdopen(fd, "wb");
  if (file_ == nullptr) {
    const int code = errno;
    close(fd);
    discard();
    return refuse(std::strerror(code));
  }
  return true;
}

void SafeFileWriter::fail(int code) {
  if (error_ == 0) error_ = code != 0 ? code : EIO;
}

bool SafeFileWriter::commit(std::string* message) {
  if (file_ == nullptr) {
    setMessage(message, "Cannot open " + target_ + " for writing: " + std::strerror(EBADF));
    return false;
  }
  // errno is meaningful only right after a call that failed.
  const auto check = [&](bool ok) {
    if (!ok) fail(errno);
  };
  if (error_ == 0 && std::ferror(file_)) fail(EIO);
  if (error_ == 0) check(std::fflush(file_) == 0);
  // Data still in the page cache can be lost after the rename has reached
  // the disk: sync first, so the target is either old or complete.
  if (error_ == 0) check(fsync(fileno(file_)) == 0);
  const int closed = std::fclose(file_);
  const int closeError = errno;
  file_ = nullptr;
  if (error_ == 0 && closed != 0) fail(closeError);
  if (error_ == 0) check(std::rename(temporary_.c_str(), target_.c_str()) == 0);
  if (error_ != 0) {
    setMessage(message, "Failed to write " + target_ + ": " + std::strerror(error_));
    discard();
    return false;
  }
  temporary_.clear();
  return true;
}

bool writeFileSafely(const char* fileName, const void* data, std::size_t size,
                     std::string* message) {
  SafeFileWriter writer;
  if (!writer.open(fileName, message)) return false;
  if (size > 0 && std::fwrite(data, 1, size, writer.file()) != size) writer.fail(errno);
  return writer.commit(message);
}
