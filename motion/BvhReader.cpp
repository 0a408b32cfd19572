// BvhMotion::read: the BVH text format as this program defines it.

#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "motion/BvhMotion.h"
#include "motion/WordScanner.h"

namespace {

const char* const kHierarchySeparators = " \n\t\r";
const char* const kHeaderSeparators = " \r\t\n";
const char* const kLineSeparators = "\n";
const char* const kEndSiteName = "END";

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

bool is(const char* word, const char* keyword) {
  return word != nullptr && std::strcmp(word, keyword) == 0;
}

const char* printable(const char* word) { return word != nullptr ? word : ""; }

// Missing or malformed numbers read as 0, like atof/atoi of a non-number.
double number(const char* word) { return word != nullptr ? std::atof(word) : 0.0; }
int integer(const char* word) { return word != nullptr ? std::atoi(word) : 0; }

// Channel counts are unchecked file data; wrap on overflow instead of
// invoking undefined behaviour.
int addWrapping(int a, int b) {
  return static_cast<int>(static_cast<unsigned>(a) + static_cast<unsigned>(b));
}

void readOffset(WordScanner& words, BvhJoint& joint) {
  joint.offset.x = number(words.next(kHierarchySeparators));
  joint.offset.y = number(words.next(kHierarchySeparators));
  joint.offset.z = number(words.next(kHierarchySeparators));
}

// Appends channel words until "JOINT", "End" or the end of the text and
// returns the word that stopped the list (nullptr at the end).
char* readChannelNames(WordScanner& words, BvhJoint& joint) {
  for (;;) {
    char* word = words.next(kHierarchySeparators);
    if (word == nullptr || is(word, "JOINT") || is(word, "End")) return word;
    joint.channelNames.push_back(word);
  }
}

// rand() spans 0..RAND_MAX, which is wider than 15 bits on most platforms;
// colours take 0..32767 as on platforms where that is the whole range.
void giveColor(BvhJoint& joint) {
  joint.color.r = (std::rand() % 32768) / 32768.0;
  joint.color.g = (std::rand() % 32768) / 32768.0;
  joint.color.b = (std::rand() % 32768) / 32768.0;
  std::printf("Nodes color: %f %f %f", joint.color.r, joint.color.g, joint.color.b);
}

// Reads the whole file into one terminated buffer. Prints the reason and
// returns false when that is not possible.
bool loadText(const char* fileName, std::unique_ptr<char[]>& text, size_t& size) {
  FilePtr file(std::fopen(fileName, "rb"));
  if (!file) {
    std::printf("File %s pointer is NULL\n", fileName);
    return false;
  }
  // A directory opens on Linux, but seeking in it gives meaningless sizes.
  struct stat status;
  if (fstat(fileno(file.get()), &status) == 0 && S_ISDIR(status.st_mode)) {
    std::printf("File %s is a directory\n", fileName);
    return false;
  }
  long length = -1;
  if (std::fseek(file.get(), 0, SEEK_END) == 0) length = std::ftell(file.get());
  if (length < 0 || static_cast<unsigned long>(length) >= SIZE_MAX ||
      std::fseek(file.get(), 0, SEEK_SET) != 0) {
    std::printf("File %s size cannot be found\n", fileName);
    return false;
  }
  const size_t capacity = static_cast<size_t>(length);
  std::unique_ptr<char[]> buffer(new (std::nothrow) char[capacity + 1]);
  if (!buffer) {
    std::printf("Buffer Null\n");
    return false;
  }
  const size_t got = std::fread(buffer.get(), 1, capacity, file.get());
  if (got < capacity && std::ferror(file.get())) {
    std::printf("File %s could not be read\n", fileName);
    return false;
  }
  buffer[got] = '\0';
  text = std::move(buffer);
  size = got;
  return true;
}

}  // namespace

bool BvhMotion::read(const char* fileName) {
  std::srand(5);
  if (fileName == nullptr) {
    std::printf("File %s pointer is NULL\n", "");
    return false;
  }

  std::unique_ptr<char[]> newText;
  size_t newSize = 0;
  if (!loadText(fileName, newText, newSize)) return false;

  // Whatever an earlier read left (the editor reads a fallback into the same
  // clip after a failure) points into the old text: release it all together.
  reset();
  text = std::move(newText);
  textSize = newSize;

  WordScanner words(text.get(), textSize);
  int runningTotal = 0;

  char* word = words.next(kHierarchySeparators);
  if (!is(word, "HIERARCHY")) {
    std::printf("%s HIERARCHY not found\n", printable(word));
    return false;
  }
  if (!is(words.next(kHierarchySeparators), "ROOT")) {
    std::printf("ROOT not found\n");
    return false;
  }

  root = std::make_unique<BvhJoint>();
  root->name = printable(words.next(kHierarchySeparators));
  word = words.next(kHierarchySeparators);
  if (!is(word, "{")) {
    std::printf("Bad File1 %s\n", printable(word));
    return false;
  }
  if (!is(words.next(kHierarchySeparators), "OFFSET")) {
    std::printf("Bad File2\n");
    return false;
  }
  readOffset(words, *root);
  if (!is(words.next(kHierarchySeparators), "CHANNELS")) {
    std::printf("Bad File3\n");
    return false;
  }
  root->channelCount = integer(words.next(kHierarchySeparators));
  root->isEndSite = false;
  root->channelOffset = runningTotal;
  runningTotal = addWrapping(runningTotal, root->channelCount);
  word = readChannelNames(words, *root);
  root->parent = nullptr;
  root->color = {1.0, 1.0, 1.0};

  BvhJoint* current = root.get();
  // Set when an End Site directly inside the root closed the root: nothing
  // may be attached after that.
  bool rootClosed = false;

  while (word != nullptr && !is(word, "MOTION")) {
    if (rootClosed && (is(word, "JOINT") || is(word, "End"))) {
      std::printf("Bad File: %s after an End Site closed the root\n", word);
      return false;
    }
    if (is(word, "JOINT")) {
      auto joint = std::make_unique<BvhJoint>();
      joint->name = printable(words.next(kHierarchySeparators));
      if (!is(words.next(kHierarchySeparators), "{")) {
        std::printf("Bad File4\n");
        return false;
      }
      if (!is(words.next(kHierarchySeparators), "OFFSET")) {
        std::printf("Bad File5\n");
        return false;
      }
      readOffset(words, *joint);
      if (!is(words.next(kHierarchySeparators), "CHANNELS")) {
        std::printf("Bad File6\n");
        return false;
      }
      joint->channelCount = integer(words.next(kHierarchySeparators));
      joint->channelOffset = runningTotal;
      runningTotal = addWrapping(runningTotal, joint->channelCount);
      word = readChannelNames(words, *joint);
      giveColor(*joint);
      joint->parent = current;
      joint->isEndSite = false;
      current->children.push_back(std::move(joint));
      current = current->children.back().get();
      continue;  // the word that ended the channel names is at hand
    }
    if (is(word, "End")) {
      auto endSite = std::make_unique<BvhJoint>();
      endSite->name = kEndSiteName;
      if (!is(words.next(kHierarchySeparators), "Site")) {
        std::printf("Bad File7\n");
        return false;
      }
      if (!is(words.next(kHierarchySeparators), "{")) {
        std::printf("Bad File8\n");
        return false;
      }
      if (!is(words.next(kHierarchySeparators), "OFFSET")) {
        std::printf("Bad File9\n");
        return false;
      }
      readOffset(words, *endSite);
      endSite->parent = current;
      endSite->channelCount = 0;
      endSite->channelOffset = -1;
      endSite->isEndSite = true;
      BvhJoint& site = *endSite;
      current->children.push_back(std::move(endSite));
      if (!is(words.next(kHierarchySeparators), "}") ||
          !is(words.next(kHierarchySeparators), "}")) {
        std::printf("Bad File10\n");
        return false;
      }
      giveColor(site);
      if (current->parent != nullptr) {
        current = current->parent;
      } else {
        rootClosed = true;
      }
    } else if (is(word, "}")) {
      if (current->parent != nullptr) current = current->parent;
    } else {
      std::printf("Bad File100\n");
      return false;
    }
    word = words.next(kHierarchySeparators);
  }

  channelTotal = runningTotal;
  if (!is(words.next(kHeaderSeparators), "Frames:")) {
    std::printf("Bad File11\n");
    return false;
  }
  // A negative count means no frames. The field is set only together with
  // the lines, so a clip never claims frames it has no line for.
  const int declaredFrames = std::max(0, integer(words.next(kHeaderSeparators)));
  if (!is(words.next(kHeaderSeparators), "Frame")) {
    std::printf("Bad File12\n");
    return false;
  }
  word = words.next(kHeaderSeparators);
  if (!is(word, "Time:")) {
    std::printf("Bad File13\n %s", printable(word));
    return false;
  }
  frameTime = number(words.next(kHeaderSeparators));
  std::printf("NumFrames %i\tFrameTime %f\n", declaredFrames, frameTime);

  // Anything left on the frame time's line (stray blanks, a carriage return)
  // is not a frame: the first frame is always on the next line.
  words.skipRestOfLine();
  // A well-formed line holds a word and a separator per channel, which bounds
  // the reservation for a file that claims more frames than it can hold;
  // shorter lines, if any, just grow the list.
  const size_t bytesPerLine = 2 * static_cast<size_t>(std::max(1, channelTotal));
  frameLines.reserve(
      std::min(static_cast<size_t>(declaredFrames), words.remaining() / bytesPerLine + 1));
  while (static_cast<int>(frameLines.size()) < declaredFrames) {
    char* line = words.next(kLineSeparators);
    if (line == nullptr) break;
    frameLines.push_back(line);
  }
  frameCount = static_cast<int>(frameLines.size());
  if (frameCount < declaredFrames) {
    std::printf("Warning: only %i of %i frame lines found, reading %i frames\n", frameCount,
                declaredFrames, frameCount);
  }
  return true;
}
