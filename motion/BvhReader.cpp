// BvhMotion::read: the BVH text format as this program defines it.

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "base/RegularFile.h"
#include "motion/BvhMotion.h"
#include "motion/WordScanner.h"

namespace {

const char* const kHierarchySeparators = " \n\t\r";
const char* const kHeaderSeparators = " \r\t\n";
const char* const kEndSiteName = "END";

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

bool is(const char* word, const char* keyword) {
  return word != nullptr && std::strcmp(word, keyword) == 0;
}

const char* printable(const char* word) { return word != nullptr ? word : ""; }

// What one node costs beyond its text: the joint, its allocation, its place
// in the parent's list of children (with that list's spare room) and its
// channel list, as measured on files of bare joints.
constexpr size_t kNodeCost = sizeof(BvhJoint) + 96;

// Joints allowed in a file of textSize bytes: their memory may reach the
// file's size, so that with the text a read stays within twice the file; a
// smaller file may always use 64 MiB (some 280,000 joints), far more than any
// skeleton has. Real clips stay far below (a joint takes tens of bytes of
// text and its frames many more); a file of millions of bare joints is
// refused instead of taking gigabytes.
size_t nodeBudget(size_t textSize) {
  return std::max(textSize, size_t{64} << 20) / kNodeCost;
}

// Words echoed in messages are cut to this many characters: a bad first word
// may be megabytes long.
constexpr size_t kEchoLength = 60;

std::string echo(const char* word) {
  const std::string whole = printable(word);
  if (whole.size() <= kEchoLength) return whole;
  return whole.substr(0, kEchoLength) + "...";
}

// Prints a reader message to standard output and keeps it, without its line
// feeds, as the clip's last error. Returns false for the reader to return.
bool fail(std::string& lastError, const char* format, ...) __attribute__((format(printf, 2, 3)));
bool fail(std::string& lastError, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  va_list again;
  va_copy(again, arguments);
  const int length = std::vsnprintf(nullptr, 0, format, arguments);
  va_end(arguments);
  std::string message(length > 0 ? static_cast<size_t>(length) : 0, '\0');
  std::vsnprintf(message.data(), message.size() + 1, format, again);
  va_end(again);
  std::fputs(message.c_str(), stdout);
  lastError.clear();
  for (const char* c = message.c_str(); *c != '\0'; ++c) {
    if (*c != '\n') {
      lastError += *c;
    } else if (c[1] != '\0' && c[1] != ' ') {
      lastError += ' ';
    }
  }
  return false;
}

// Missing or malformed numbers read as 0, like atof/atoi of a non-number.
double number(const char* word) { return word != nullptr ? std::atof(word) : 0.0; }

// A count word: its leading integer (0 when there is none, as atoi reads
// it). False when that integer lies outside lo..hi, where atoi would wrap.
bool count(const char* word, long long lo, long long hi, int& value) {
  value = 0;
  if (word == nullptr) return true;
  errno = 0;
  char* end = nullptr;
  const long long parsed = std::strtoll(word, &end, 10);
  if (end == word) return true;
  if (errno == ERANGE || parsed < lo || parsed > hi) return false;
  value = static_cast<int>(parsed);
  return true;
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
    char* word = words.nextPacked(kHierarchySeparators);
    if (word == nullptr || is(word, "JOINT") || is(word, "End")) return word;
    joint.channelNames.appendPacked(word);
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

// Bytes looked at before the whole file is read: enough to see the first
// word of any real clip.
constexpr size_t kPeekBytes = 4096;

bool isHierarchySeparator(char c) { return c == ' ' || c == '\n' || c == '\t' || c == '\r'; }

// A UTF-8 byte-order mark some editors put before the first word.
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
constexpr size_t kByteOrderMarkSize = sizeof(kByteOrderMark) - 1;

size_t byteOrderMarkSize(const char* text, size_t size) {
  return size >= kByteOrderMarkSize && std::memcmp(text, kByteOrderMark, kByteOrderMarkSize) == 0
             ? kByteOrderMarkSize
             : 0;
}

// Reads the whole file into one terminated buffer. Prints the reason and
// returns false when that is not possible. Only regular files are read, and
// a file whose first word is not HIERARCHY is refused after its first
// kilobytes, however large it claims to be.
bool loadText(const char* fileName, TextBuffer& text, size_t& size, std::string& lastError) {
  size_t length = 0;
  std::string reason;
  std::unique_ptr<std::FILE, FileCloser> file(openRegularFile(fileName, &length, &reason));
  if (!file) {
    // A name that opens but is no clip file is told apart from a missing one.
    if (reason.compare(0, std::strlen(fileName), fileName) == 0) {
      return fail(lastError, "File %s\n", reason.c_str());
    }
    return fail(lastError, "File %s pointer is NULL\n", fileName);
  }

  char peek[kPeekBytes + 1];
  const size_t peeked = std::fread(peek, 1, std::min(length, kPeekBytes), file.get());
  peek[peeked] = '\0';
  const char* first = peek + byteOrderMarkSize(peek, peeked);
  while (isHierarchySeparator(*first)) ++first;
  const char* firstEnd = first;
  while (*firstEnd != '\0' && !isHierarchySeparator(*firstEnd)) ++firstEnd;
  // Decided when the word ended inside the peek (or the file did).
  if (first != peek + peeked && (firstEnd < peek + peeked || peeked == length)) {
    const std::string word(first, firstEnd);
    if (word != "HIERARCHY") {
      return fail(lastError, "%s HIERARCHY not found\n", echo(word.c_str()).c_str());
    }
  }

  TextBuffer buffer = length < SIZE_MAX ? newTextBuffer(length + 1) : TextBuffer();
  if (!buffer) return fail(lastError, "Buffer Null\n");
  std::memcpy(buffer.get(), peek, peeked);
  const size_t got =
      peeked + std::fread(buffer.get() + peeked, 1, length - peeked, file.get());
  if (got < length && std::ferror(file.get())) {
    return fail(lastError, "File %s could not be read\n", fileName);
  }
  buffer[got] = '\0';
  text = std::move(buffer);
  size = got;
  return true;
}

}  // namespace

bool BvhMotion::read(const char* fileName) {
  std::srand(5);
  readError.clear();
  readWarning.clear();
  if (fileName == nullptr) return fail(readError, "File %s pointer is NULL\n", "");

  TextBuffer newText;
  size_t newSize = 0;
  if (!loadText(fileName, newText, newSize, readError)) return false;

  // Whatever an earlier read left (the editor reads a fallback into the same
  // clip after a failure) points into the old text: release it all together.
  reset();
  text = std::move(newText);
  textSize = newSize;

  const size_t skipped = byteOrderMarkSize(text.get(), textSize);
  WordScanner words(text.get() + skipped, textSize - skipped);
  int runningTotal = 0;

  char* word = words.next(kHierarchySeparators);
  if (!is(word, "HIERARCHY")) {
    return fail(readError, "%s HIERARCHY not found\n", echo(word).c_str());
  }
  if (!is(words.next(kHierarchySeparators), "ROOT")) {
    return fail(readError, "ROOT not found\n");
  }

  root = std::make_unique<BvhJoint>();
  root->name = printable(words.next(kHierarchySeparators));
  word = words.next(kHierarchySeparators);
  if (!is(word, "{")) {
    return fail(readError, "Bad File1 %s\n", echo(word).c_str());
  }
  if (!is(words.next(kHierarchySeparators), "OFFSET")) {
    return fail(readError, "Bad File2\n");
  }
  readOffset(words, *root);
  if (!is(words.next(kHierarchySeparators), "CHANNELS")) {
    return fail(readError, "Bad File3\n");
  }
  // The count of values per frame line must stay a valid int.
  if (!count(words.next(kHierarchySeparators), 0, INT_MAX, root->channelCount)) {
    return fail(readError, "Bad File3\n");
  }
  root->isEndSite = false;
  root->channelOffset = runningTotal;
  runningTotal += root->channelCount;
  word = readChannelNames(words, *root);
  root->parent = nullptr;
  root->color = {1.0, 1.0, 1.0};

  BvhJoint* current = root.get();
  const size_t maxNodes = nodeBudget(textSize);
  size_t nodes = 1;
  // Set when an End Site directly inside the root closed the root: nothing
  // may be attached after that.
  bool rootClosed = false;

  while (word != nullptr && !is(word, "MOTION")) {
    if (rootClosed && (is(word, "JOINT") || is(word, "End"))) {
      return fail(readError, "Bad File: %s after an End Site closed the root\n", echo(word).c_str());
    }
    if ((is(word, "JOINT") || is(word, "End")) && ++nodes > maxNodes) {
      return fail(readError, "Bad File: more than %zu joints, too many for a file of %zu bytes\n",
                  maxNodes, textSize);
    }
    if (is(word, "JOINT")) {
      auto joint = std::make_unique<BvhJoint>();
      joint->name = printable(words.next(kHierarchySeparators));
      const char* afterName = words.next(kHierarchySeparators);
      if (!is(afterName, "{")) {
        // The console keeps its short text; the kept message says what is wrong.
        fail(readError, "Bad File4\n");
        readError += ": \"{\" expected after JOINT " + echo(joint->name) + ", found " +
                     (afterName != nullptr ? "\"" + echo(afterName) + "\" (a blank in the name?)"
                                           : std::string("the end of the file"));
        return false;
      }
      if (!is(words.next(kHierarchySeparators), "OFFSET")) {
        return fail(readError, "Bad File5\n");
      }
      readOffset(words, *joint);
      if (!is(words.next(kHierarchySeparators), "CHANNELS")) {
        return fail(readError, "Bad File6\n");
      }
      if (!count(words.next(kHierarchySeparators), 0, INT_MAX - runningTotal,
                 joint->channelCount)) {
        return fail(readError, "Bad File6\n");
      }
      joint->channelOffset = runningTotal;
      runningTotal += joint->channelCount;
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
        return fail(readError, "Bad File7\n");
      }
      if (!is(words.next(kHierarchySeparators), "{")) {
        return fail(readError, "Bad File8\n");
      }
      if (!is(words.next(kHierarchySeparators), "OFFSET")) {
        return fail(readError, "Bad File9\n");
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
        return fail(readError, "Bad File10\n");
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
      return fail(readError, "Bad File100\n");
    }
    word = words.next(kHierarchySeparators);
  }

  channelTotal = runningTotal;
  if (!is(words.next(kHeaderSeparators), "Frames:")) {
    fail(readError, "Bad File11\n");
    readError +=
        word == nullptr ? ": the file ended before MOTION" : ": \"Frames:\" expected after MOTION";
    return false;
  }
  // A negative count means no frames. The field is set only together with
  // the lines, so a clip never claims frames it has no line for.
  int declaredFrames = 0;
  if (!count(words.next(kHeaderSeparators), INT_MIN, INT_MAX, declaredFrames)) {
    return fail(readError, "Bad File11\n");
  }
  declaredFrames = std::max(0, declaredFrames);
  if (!is(words.next(kHeaderSeparators), "Frame")) {
    return fail(readError, "Bad File12\n");
  }
  word = words.next(kHeaderSeparators);
  if (!is(word, "Time:")) {
    return fail(readError, "Bad File13\n %s", echo(word).c_str());
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
    char* line = words.nextLine();
    if (line == nullptr) break;
    frameLines.appendPacked(line);
  }
  frameCount = static_cast<int>(frameLines.size());
  if (frameCount < declaredFrames) {
    char warning[128];
    std::snprintf(warning, sizeof warning,
                  "Warning: only %i of %i frame lines found, reading %i frames", frameCount,
                  declaredFrames, frameCount);
    readWarning = warning;
    std::printf("%s\n", warning);
  }
  return true;
}
