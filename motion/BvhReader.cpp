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
#include "motion/FrameWords.h"
#include "motion/WordScanner.h"

namespace {

const char* const kEndSiteName = "END";

bool is(const char* word, const char* keyword) {
  return word != nullptr && std::strcmp(word, keyword) == 0;
}

const char* printable(const char* word) { return word != nullptr ? word : ""; }

// What one node costs beyond its text: the joint, its depth and channel
// layout, the skeleton's spare room and its channel list, as measured on
// files of bare joints. Kept at the figure the limit has always had.
constexpr size_t kNodeCost = 240;

// Joints allowed in a file of textSize bytes: their memory may reach the
// file's size, so that with the text a read stays within twice the file; a
// smaller file may always use 64 MiB (some 280,000 joints), far more than any
// skeleton has. Real clips stay far below (a joint takes tens of bytes of
// text and its frames many more); a file of millions of bare joints is
// refused instead of taking gigabytes.
size_t nodeBudget(size_t textSize) { return std::max(textSize, size_t{64} << 20) / kNodeCost; }

// Words echoed in messages are cut to this many characters: a bad first word
// may be megabytes long.
constexpr size_t kEchoLength = 60;

std::string echo(const char* word) {
  const std::string whole = printable(word);
  if (whole.size() <= kEchoLength) return whole;
  return whole.substr(0, kEchoLength) + "...";
}

// A reader message: noted for the console as it stands, and returned as the
// failure's message without its line feeds, with the line of the fault.
Failure fail(Notes& notes, long line, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
Failure fail(Notes& notes, long line, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  va_list again;
  va_copy(again, arguments);
  const int length = std::vsnprintf(nullptr, 0, format, arguments);
  va_end(arguments);
  std::string message(length > 0 ? static_cast<size_t>(length) : 0, '\0');
  std::vsnprintf(message.data(), message.size() + 1, format, again);
  va_end(again);
  notes.add(message);
  Failure failure;
  failure.line = static_cast<int>(std::min<long>(line, INT_MAX));
  for (const char* c = message.c_str(); *c != '\0'; ++c) {
    if (*c != '\n') {
      failure.message += *c;
    } else if (c[1] != '\0' && c[1] != ' ') {
      failure.message += ' ';
    }
  }
  return failure;
}

// Missing or malformed numbers read as 0, like atof/atoi of a non-number.
double number(const char* word) {
  return word != nullptr ? wordValue(word, word + std::strlen(word)) : 0.0;
}

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
  joint.offset.x = number(words.next(kWordSeparators));
  joint.offset.y = number(words.next(kWordSeparators));
  joint.offset.z = number(words.next(kWordSeparators));
}

// Appends channel words until "JOINT", "End" or the end of the text and
// returns the word that stopped the list (nullptr at the end).
char* readChannelNames(WordScanner& words, BvhJoint& joint) {
  for (;;) {
    char* word = words.nextPacked(kWordSeparators);
    if (word == nullptr || is(word, "JOINT") || is(word, "End")) return word;
    joint.channelNames.appendPacked(word);
  }
}

// rand() spans 0..RAND_MAX, which is wider than 15 bits on most platforms;
// colours take 0..32767 as on platforms where that is the whole range.
void giveColor(BvhJoint& joint, Notes& notes) {
  joint.color.r = (std::rand() % 32768) / 32768.0;
  joint.color.g = (std::rand() % 32768) / 32768.0;
  joint.color.b = (std::rand() % 32768) / 32768.0;
  notes.addf("Nodes color: %f %f %f", joint.color.r, joint.color.g, joint.color.b);
}

// Bytes looked at before the whole file is read: enough to see the first
// word of any real clip.
constexpr size_t kPeekBytes = 4096;

// A UTF-8 byte-order mark some editors put before the first word.
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
constexpr size_t kByteOrderMarkSize = sizeof(kByteOrderMark) - 1;

size_t byteOrderMarkSize(const char* text, size_t size) {
  return size >= kByteOrderMarkSize && std::memcmp(text, kByteOrderMark, kByteOrderMarkSize) == 0
             ? kByteOrderMarkSize
             : 0;
}

// Reads the whole file into one terminated buffer; the reason, noted, when
// that is not possible. Only regular files are read, and
// a file whose first word is not HIERARCHY is refused after its first
// kilobytes, however large it claims to be.
Status loadText(const char* fileName, TextBuffer& text, size_t& size, Notes& notes) {
  Outcome<RegularFile> opened = openRegularFile(fileName);
  if (!opened) {
    // A name that opens but is no clip file is told apart from a missing one.
    if (opened.failure().code == 0) {
      return fail(notes, 0, "File %s\n", opened.failure().message.c_str());
    }
    return fail(notes, 0, "File %s pointer is NULL\n", fileName);
  }
  const FilePtr file = std::move(opened.value().file);
  const size_t length = opened.value().size;

  char peek[kPeekBytes + 1];
  const size_t peeked = std::fread(peek, 1, std::min(length, kPeekBytes), file.get());
  peek[peeked] = '\0';
  const char* first = peek + byteOrderMarkSize(peek, peeked);
  while (isWordSeparator(*first)) ++first;
  const char* firstEnd = first;
  while (*firstEnd != '\0' && !isWordSeparator(*firstEnd)) ++firstEnd;
  // Decided when the word ended inside the peek (or the file did).
  if (first != peek + peeked && (firstEnd < peek + peeked || peeked == length)) {
    const std::string word(first, firstEnd);
    if (word != "HIERARCHY") {
      const long line = 1 + std::count(static_cast<const char*>(peek), first, '\n');
      return fail(notes, line, "%s HIERARCHY not found\n", echo(word.c_str()).c_str());
    }
  }

  TextBuffer buffer = length < SIZE_MAX ? newTextBuffer(length + 1) : TextBuffer();
  if (!buffer) return fail(notes, 0, "Buffer Null\n");
  std::memcpy(buffer.get(), peek, peeked);
  const Outcome<size_t> rest = readAt(file.get(), buffer.get() + peeked, peeked, length - peeked);
  if (!rest) return fail(notes, 0, "File %s could not be read\n", fileName);
  const size_t got = peeked + rest.value();
  buffer[got] = '\0';
  text = std::move(buffer);
  size = got;
  return Status();
}

}  // namespace

Status BvhMotion::read(const char* fileName, Notes& notes) {
  std::srand(5);
  readWarning.clear();
  if (fileName == nullptr) return fail(notes, 0, "File %s pointer is NULL\n", "");

  TextBuffer newText;
  size_t newSize = 0;
  const Status loaded = loadText(fileName, newText, newSize, notes);
  if (!loaded) return loaded;

  // Whatever an earlier read left (the editor reads a fallback into the same
  // clip after a failure) points into the old text: release it all together.
  reset();
  text = std::move(newText);
  textSize = newSize;

  const size_t skipped = byteOrderMarkSize(text.get(), textSize);
  WordScanner words(text.get() + skipped, textSize - skipped);
  int runningTotal = 0;

  char* word = words.next(kWordSeparators);
  if (!is(word, "HIERARCHY")) {
    return fail(notes, words.line(), "%s HIERARCHY not found\n", echo(word).c_str());
  }
  if (!is(words.next(kWordSeparators), "ROOT")) {
    return fail(notes, words.line(), "ROOT not found\n");
  }

  // A root that fails part way is kept as far as it was read, so that a
  // dump still shows it.
  BvhJoint root;
  const auto keepRoot = [&](Failure failure) -> Status {
    skeleton.add(std::move(root));
    return failure;
  };
  root.name = printable(words.next(kWordSeparators));
  word = words.next(kWordSeparators);
  if (!is(word, "{")) {
    return keepRoot(fail(notes, words.line(), "Bad File1 %s\n", echo(word).c_str()));
  }
  if (!is(words.next(kWordSeparators), "OFFSET")) {
    return keepRoot(fail(notes, words.line(), "Bad File2\n"));
  }
  readOffset(words, root);
  if (!is(words.next(kWordSeparators), "CHANNELS")) {
    return keepRoot(fail(notes, words.line(), "Bad File3\n"));
  }
  // The count of values per frame line must stay a valid int.
  if (!count(words.next(kWordSeparators), 0, INT_MAX, root.channelCount)) {
    return keepRoot(fail(notes, words.line(), "Bad File3\n"));
  }
  root.channelOffset = runningTotal;
  runningTotal += root.channelCount;
  word = readChannelNames(words, root);
  root.color = {1.0, 1.0, 1.0};
  int current = skeleton.add(std::move(root));

  const size_t maxNodes = nodeBudget(textSize);
  size_t nodes = 1;
  // Set when an End Site directly inside the root closed the root: nothing
  // may be attached after that.
  bool rootClosed = false;

  while (word != nullptr && !is(word, "MOTION")) {
    if (rootClosed && (is(word, "JOINT") || is(word, "End"))) {
      return fail(notes, words.line(), "Bad File: %s after an End Site closed the root\n",
                  echo(word).c_str());
    }
    if ((is(word, "JOINT") || is(word, "End")) && ++nodes > maxNodes) {
      return fail(notes, words.line(),
                  "Bad File: more than %zu joints, too many for a file of %zu bytes\n", maxNodes,
                  textSize);
    }
    if (is(word, "JOINT")) {
      BvhJoint joint;
      joint.name = printable(words.next(kWordSeparators));
      const char* afterName = words.next(kWordSeparators);
      if (!is(afterName, "{")) {
        // The console keeps its short text; the message says what is wrong.
        Failure failure = fail(notes, words.line(), "Bad File4\n");
        failure.message +=
            ": \"{\" expected after JOINT " + echo(joint.name) + ", found " +
            (afterName != nullptr ? "\"" + echo(afterName) + "\" (a blank in the name?)"
                                  : std::string("the end of the file"));
        return failure;
      }
      if (!is(words.next(kWordSeparators), "OFFSET")) {
        return fail(notes, words.line(), "Bad File5\n");
      }
      readOffset(words, joint);
      if (!is(words.next(kWordSeparators), "CHANNELS")) {
        return fail(notes, words.line(), "Bad File6\n");
      }
      if (!count(words.next(kWordSeparators), 0, INT_MAX - runningTotal, joint.channelCount)) {
        return fail(notes, words.line(), "Bad File6\n");
      }
      joint.channelOffset = runningTotal;
      runningTotal += joint.channelCount;
      word = readChannelNames(words, joint);
      giveColor(joint, notes);
      joint.parent = current;
      current = skeleton.add(std::move(joint));
      continue;  // the word that ended the channel names is at hand
    }
    if (is(word, "End")) {
      BvhJoint endSite;
      endSite.name = kEndSiteName;
      if (!is(words.next(kWordSeparators), "Site")) {
        return fail(notes, words.line(), "Bad File7\n");
      }
      if (!is(words.next(kWordSeparators), "{")) {
        return fail(notes, words.line(), "Bad File8\n");
      }
      if (!is(words.next(kWordSeparators), "OFFSET")) {
        return fail(notes, words.line(), "Bad File9\n");
      }
      readOffset(words, endSite);
      endSite.parent = current;
      endSite.channelCount = 0;
      endSite.channelOffset = -1;
      endSite.isEndSite = true;
      const int site = skeleton.add(std::move(endSite));
      if (!is(words.next(kWordSeparators), "}") || !is(words.next(kWordSeparators), "}")) {
        return fail(notes, words.line(), "Bad File10\n");
      }
      giveColor(skeleton[site], notes);
      if (skeleton[current].parent >= 0) {
        current = skeleton[current].parent;
      } else {
        rootClosed = true;
      }
    } else if (is(word, "}")) {
      if (skeleton[current].parent >= 0) current = skeleton[current].parent;
    } else {
      return fail(notes, words.line(), "Bad File100\n");
    }
    word = words.next(kWordSeparators);
  }

  channelTotal = runningTotal;
  if (!is(words.next(kWordSeparators), "Frames:")) {
    Failure failure = fail(notes, words.line(), "Bad File11\n");
    failure.message +=
        word == nullptr ? ": the file ended before MOTION" : ": \"Frames:\" expected after MOTION";
    return failure;
  }
  // A negative count means no frames. The field is set only together with
  // the lines, so a clip never claims frames it has no line for.
  int declaredFrames = 0;
  if (!count(words.next(kWordSeparators), INT_MIN, INT_MAX, declaredFrames)) {
    return fail(notes, words.line(), "Bad File11\n");
  }
  declaredFrames = std::max(0, declaredFrames);
  if (!is(words.next(kWordSeparators), "Frame")) {
    return fail(notes, words.line(), "Bad File12\n");
  }
  word = words.next(kWordSeparators);
  if (!is(word, "Time:")) {
    return fail(notes, words.line(), "Bad File13\n %s", echo(word).c_str());
  }
  frameTime = number(words.next(kWordSeparators));
  notes.addf("NumFrames %i\tFrameTime %f\n", declaredFrames, frameTime);

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
    notes.addf("%s\n", warning);
  }
  return Status();
}
