#include "base/SafeFileWriter.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <random>
#include <string>

#include "base/SignalCleanup.h"

namespace {

// ".", the stem, ".", a process id of up to 10 digits, "." and 6 characters:
// 3 random ones and 3 that check the rest of the name.
constexpr size_t kTemporaryNameExtra = 1 + 1 + 10 + 1 + 6;
constexpr size_t kRandomLength = 3;
constexpr size_t kCheckLength = 3;
constexpr char kNameCharacters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr size_t kNameCharacterCount = sizeof kNameCharacters - 1;
// Names tried before a folder full of them counts as failing.
constexpr int kCreateAttempts = 1000;

std::string folderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string baseNameOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The part of the target's name that its temporary files carry: the whole
// name when it leaves room for the rest, else its first bytes, so that a
// temporary name never exceeds NAME_MAX.
std::string temporaryStem(const std::string& target) {
  const std::string name = baseNameOf(target);
  return name.substr(0, std::min(name.size(), NAME_MAX - kTemporaryNameExtra));
}

bool isNameCharacter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

// The check characters of a temporary name whose part before them is head
// (".<stem>.<pid>.<random>"): a file a person named in that form (a backup,
// say) carries the right ones by chance once in 238,328.
std::string checkCharacters(const std::string& head) {
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (const char c : head) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  std::string check;
  for (size_t k = 0; k < kCheckLength; ++k, hash /= kNameCharacterCount) {
    check += kNameCharacters[hash % kNameCharacterCount];
  }
  return check;
}

// The process id in name when it is exactly a temporary name of stem's
// writers (digits without a leading zero, the check characters right), else 0.
pid_t writerOf(const char* name, const std::string& stem) {
  const size_t length = std::strlen(name);
  const size_t tail = kRandomLength + kCheckLength;
  if (length < stem.size() + 4 + tail || name[0] != '.' ||
      stem.compare(0, stem.size(), name + 1, stem.size()) != 0 || name[stem.size() + 1] != '.') {
    return 0;
  }
  const char* digits = name + stem.size() + 2;
  const char* randomPart = name + length - tail;
  if (randomPart[-1] != '.' || digits >= randomPart - 1 || randomPart - 1 - digits > 10 ||
      *digits == '0') {
    return 0;
  }
  long long pid = 0;
  for (const char* c = digits; c < randomPart - 1; ++c) {
    if (*c < '0' || *c > '9') return 0;
    pid = pid * 10 + (*c - '0');
  }
  for (const char* c = randomPart; c < name + length; ++c) {
    if (!isNameCharacter(*c)) return 0;
  }
  if (checkCharacters(std::string(name, length - kCheckLength)) != name + length - kCheckLength) {
    return 0;
  }
  return pid > 0 && pid <= INT_MAX ? static_cast<pid_t>(pid) : 0;
}

// Removes name from folder when it is a file a writer of this program left:
// a regular file that no process holds the writer's lock on.
void removeIfUnlocked(DIR* folder, const char* name) {
  const int fd = openat(dirfd(folder), name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return;
  struct stat opened;
  struct stat named;
  if (fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && flock(fd, LOCK_EX | LOCK_NB) == 0 &&
      fstatat(dirfd(folder), name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
      named.st_dev == opened.st_dev && named.st_ino == opened.st_ino) {
    unlinkat(dirfd(folder), name, 0);
  }
  close(fd);
}

// Removes the temporary files that writers to target which no longer run
// left in its folder: only names exactly of the form writers give them, and
// only files no writer holds its lock on. A process id still in use (also by
// another program) keeps its file too: it may have created the file and not
// locked it yet.
void removeLeftovers(const std::string& target) {
  DIR* folder = opendir(folderOf(target).c_str());
  if (folder == nullptr) return;
  const std::string stem = temporaryStem(target);
  const pid_t self = getpid();
  while (const dirent* entry = readdir(folder)) {
    const pid_t writer = writerOf(entry->d_name, stem);
    if (writer == 0 || writer == self) continue;
    if (kill(writer, 0) == 0 || errno != ESRCH) continue;
    removeIfUnlocked(folder, entry->d_name);
  }
  closedir(folder);
}

// Random characters for temporary names, from the system's generator: two
// writers started in the same clock tick must not keep meeting.
char randomNameCharacter() {
  static std::mutex mutex;
  const std::lock_guard<std::mutex> lock(mutex);
  static std::random_device device;
  static std::mt19937 generator(device());
  return kNameCharacters[generator() % kNameCharacterCount];
}

// A new temporary file for target, created exclusively with mode 0600 and
// locked (flock) for as long as it is open, which tells removeLeftovers that
// a writer still holds it; its path in *path. -1 with errno on failure.
int createTemporary(const std::string& target, std::string* path) {
  const std::string folder = folderOf(target);
  const std::string head = "." + temporaryStem(target) + "." + std::to_string(getpid()) + ".";
  for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
    std::string name = head;
    for (size_t k = 0; k < kRandomLength; ++k) name += randomNameCharacter();
    name += checkCharacters(name);
    const std::string full = folder + "/" + name;
    const int fd = open(full.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd < 0) return -1;
    // A file system without locks still gets the file; its leftovers then
    // stay, since no cleaner can take their lock either.
    flock(fd, LOCK_EX | LOCK_NB);
    *path = full;
    return fd;
  }
  errno = EEXIST;
  return -1;
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
  disarmRemovalOnSignal(signalSlot_);
  signalSlot_ = -1;
}

Status SafeFileWriter::open(const char* target, ExistingTarget existing) {
  discard();
  error_ = 0;
  existing_ = existing;
  target_ = target != nullptr ? target : "";
  const auto refuse = [&](int code, const char* reason = nullptr) {
    return Status(Failure{"Cannot open " + target_ +
                              " for writing: " + (reason != nullptr ? reason : std::strerror(code)),
                          0, code});
  };
  if (target_.empty()) return refuse(ENOENT);

  struct stat status;
  if (stat(target_.c_str(), &status) == 0) {
    // Renaming over a device or a FIFO would swap it for a plain file.
    if (S_ISDIR(status.st_mode)) return refuse(EISDIR);
    if (!S_ISREG(status.st_mode)) return refuse(EINVAL, "not a regular file");
    mode_ = static_cast<int>(status.st_mode & 07777);
  } else if (errno != ENOENT) {
    return refuse(errno);
  } else {
    mode_ = 0666 & ~currentUmask();
  }
  // Refused before anything is written; putInPlace checks again.
  if (existing_ == ExistingTarget::kKeep && lstat(target_.c_str(), &status) == 0) {
    return refuse(EEXIST);
  }

  removeLeftovers(target_);
  const int fd = createTemporary(target_, &temporary_);
  if (fd < 0) return refuse(errno);
  // A signal in between leaves the file for the next write to remove.
  signalSlot_ = armRemovalOnSignal(temporary_.c_str());
  fchmod(fd, static_cast<mode_t>(mode_));
  file_ = fdopen(fd, "wb");
  if (file_ == nullptr) {
    const int code = errno;
    close(fd);
    discard();
    return refuse(code);
  }
  return Status();
}

void SafeFileWriter::fail(int code) {
  if (error_ == 0) error_ = code != 0 ? code : EIO;
}

bool SafeFileWriter::putInPlace() {
  if (existing_ == ExistingTarget::kReplace) {
    return std::rename(temporary_.c_str(), target_.c_str()) == 0;
  }
  if (renameat2(AT_FDCWD, temporary_.c_str(), AT_FDCWD, target_.c_str(), RENAME_NOREPLACE) == 0) {
    return true;
  }
  // File systems without that kind of rename still refuse to link a name
  // that exists.
  if (errno != EINVAL && errno != ENOSYS) return false;
  if (link(temporary_.c_str(), target_.c_str()) != 0) return false;
  unlink(temporary_.c_str());
  return true;
}

Status SafeFileWriter::commit() {
  if (file_ == nullptr) {
    return Status(
        Failure{"Cannot open " + target_ + " for writing: " + std::strerror(EBADF), 0, EBADF});
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
  if (error_ == 0) check(putInPlace());
  if (error_ != 0) {
    const int code = error_;
    discard();
    return Status(Failure{"Failed to write " + target_ + ": " + std::strerror(code), 0, code});
  }
  temporary_.clear();
  discard();
  return Status();
}

Status writeFileSafely(const char* fileName, const void* data, std::size_t size) {
  SafeFileWriter writer;
  const Status opened = writer.open(fileName);
  if (!opened) return opened;
  if (size > 0 && std::fwrite(data, 1, size, writer.file()) != size) writer.fail(errno);
  return writer.commit();
}
