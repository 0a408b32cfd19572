// libFuzzer target for the BVH reader: any bytes must give a message or a
// clip, never a crash, a leak or a read outside the text. Run with
// -close_fd_mask=1 to keep the reader's console output off the terminal.

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "motion/BvhMotion.h"
#include "motion/FrameWords.h"

namespace {

// One in-memory file, rewritten for every input; opened by its /proc path.
int memoryFile() {
  static const int fd = memfd_create("bvh-reader-fuzz", 0);
  return fd;
}

void require(bool condition) {
  if (!condition) std::abort();
}

bool insideText(const BvhMotion& motion, const char* p) {
  return p >= motion.text.get() && p < motion.text.get() + motion.textSize;
}

void checkTree(const BvhMotion& motion) {
  std::vector<const BvhJoint*> pending;
  if (motion.root) {
    require(motion.root->parent == nullptr);
    pending.push_back(motion.root.get());
  }
  while (!pending.empty()) {
    const BvhJoint* joint = pending.back();
    pending.pop_back();
    require(joint->name != nullptr);
    for (const char* channel : joint->channelNames) require(insideText(motion, channel));
    if (joint->isEndSite) {
      require(joint->channelOffset == -1 && joint->children.empty());
    }
    for (const auto& child : joint->children) {
      require(child->parent == joint);
      pending.push_back(child.get());
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const int fd = memoryFile();
  if (fd < 0 || ftruncate(fd, 0) != 0) return 0;
  size_t written = 0;
  while (written < size) {
    const ssize_t n = pwrite(fd, data + written, size - written, static_cast<off_t>(written));
    if (n <= 0) return 0;
    written += static_cast<size_t>(n);
  }
  const std::string path = "/proc/self/fd/" + std::to_string(fd);

  BvhMotion motion;
  const bool ok = motion.read(path.c_str());
  motion.dump();
  checkTree(motion);
  require(motion.frameLines.size() == static_cast<size_t>(motion.frameCount));
  require(ok || motion.frameLines.empty());

  std::string copy;
  std::vector<const char*> words;
  for (const char* line : motion.frameLines) {
    require(insideText(motion, line));
    splitFrameLine(line, copy, words);
    for (const char* word : words) {
      require(*word != '\0' && std::strpbrk(word, " \t\r\n") == nullptr);
    }
  }

  // The editor reads a fallback into the same clip after a failure.
  if (!ok) {
    motion.read(path.c_str());
    checkTree(motion);
  }
  return 0;
}
