// libFuzzer target for the BVH reader: any bytes must give a message or a
// clip, never a crash, a leak or a read outside the text.

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

// Parents before children, End Sites without channels or children, every
// channel word within the frame line's count.
void checkSkeleton(const BvhMotion& motion) {
  const Skeleton& skeleton = motion.skeleton;
  for (int i = 0; i < skeleton.size(); ++i) {
    const BvhJoint& joint = skeleton[i];
    require(joint.name != nullptr);
    require(i == 0 ? joint.parent == -1 : joint.parent >= 0 && joint.parent < i);
    if (joint.parent >= 0) {
      require(!skeleton[joint.parent].isEndSite);
      require(skeleton.depth(i) == skeleton.depth(joint.parent) + 1);
    }
    for (const char* channel : joint.channelNames) require(insideText(motion, channel));
    if (joint.isEndSite) require(joint.channelOffset == -1 && joint.channelCount == 0);
    const JointLayout& layout = skeleton.layout()[static_cast<size_t>(i)];
    for (int word : layout.word) {
      require(word == -1 ||
              (word >= joint.channelOffset && word < joint.channelOffset + joint.channelCount));
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
  Notes notes;
  const bool ok = motion.read(path.c_str(), notes).ok();
  require(!motion.dump().empty() || motion.skeleton.empty());
  checkSkeleton(motion);
  require(motion.frameLines.size() == static_cast<size_t>(motion.frameCount));
  require(ok || motion.frameLines.empty());
  // A clip is text: none is read from bytes with a NUL among them.
  require(!ok || std::memchr(data, '\0', size) == nullptr);

  std::string copy;
  std::vector<const char*> words;
  for (const char* line : motion.frameLines) {
    require(insideText(motion, line));
    splitFrameLine(line, copy, words);
    for (const char* word : words) {
      require(*word != '\0' && std::strpbrk(word, kWordSeparators) == nullptr);
    }
  }

  // The editor reads a fallback into the same clip after a failure.
  if (!ok) {
    motion.read(path.c_str(), notes);
    checkSkeleton(motion);
  }
  return 0;
}
