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
// Length of one colour note: "Nodes color: " and three numbers of [0, 1)
// with six decimals, blank-separated.
constexpr size_t kColorNoteLength = 13 + 3 * 8 + 2;
constexpr size_t kNoteSlack = size_t{64} << 10;

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

// The 1-based line of the byte at, counting line ends as WordScanner does (a
// line feed, or a carriage return that no line feed follows).
long lineAt(const char* text, const char* at) {
  long line = 1;
  for (const char* p = text; p < at; ++p) {
    if (*p == '\n' || (*p == '\r' && p[1] != '\n')) ++line;
  }
  return line;
}

// A clip is text: a NUL byte would end it early and pass a clip cut short
// for a whole one.
Failure refuseNul(Notes& notes, long line) {
  return fail(notes, line, "Bad File: line %ld holds a NUL byte, which no clip text has\n", line);
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
    if (word != "HIERARCHY" && firstEnd < peek + peeked && *firstEnd == '\0') {
      return refuseNul(notes, lineAt(peek, firstEnd));
    }
    if (word != "HIERARCHY") {
      return fail(notes, lineAt(peek, first), "%s HIERARCHY not found\n",
                  echo(word.c_str()).c_str());
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

// How many nodes the hierarchy of text can hold at most: the JOINT and End
// words before the first MOTION (a name may hold one too, so it can only
// count more). Reserving that much at once spares the skeleton's arrays the
// copies of growing, which a file of many joints pays in memory.
size_t nodeWordsIn(const char* text, size_t size) {
  const void* motion = memmem(text, size, "MOTION", 6);
  const char* end = motion != nullptr ? static_cast<const char*>(motion) : text + size;
  size_t count = 1;
  for (const char* keyword : {"JOINT", "End"}) {
    const size_t length = std::strlen(keyword);
    for (const char* p = text; p < end;) {
      const void* found = memmem(p, static_cast<size_t>(end - p), keyword, length);
      if (found == nullptr) break;
      ++count;
      p = static_cast<const char*>(found) + length;
    }
  }
  return count;
}

// The steps of one read of a clip's words into its (empty) skeleton, counts
// and frame lines. Each step returns the failure that ends the read; the
// messages and console notes are those of BvhMotion::read.
class ClipReader {
 public:
  ClipReader(BvhMotion& motion, WordScanner& words, Notes& notes)
      : motion_(motion), words_(words), notes_(notes), maxNodes_(nodeBudget(motion.textSize)) {}

  Status read() {
    Status step = readRoot();
    if (step) step = readHierarchy();
    if (step) step = readMotionHeader();
    if (step) readFrameLines();
    return step;
  }

 private:
  Status readRoot();
  // The hierarchy loop after the root, up to MOTION or the end of the text.
  Status readHierarchy();
  // One JOINT (its word at hand) with its channel names; it becomes current.
  Status readJoint();
  // One End Site (its word at hand) and the two braces that close it and its
  // joint.
  Status readEndSite();
  Status readMotionHeader();
  void readFrameLines();

  char* next() { return words_.next(kWordSeparators); }
  Failure failHere(const char* message) { return fail(notes_, words_.line(), "%s", message); }

  BvhMotion& motion_;
  WordScanner& words_;
  Notes& notes_;
  const size_t maxNodes_;
  // The word at hand: the one that stopped a channel list, or the next one.
  char* word_ = nullptr;
  int runningTotal_ = 0;
  int current_ = 0;
  size_t nodes_ = 1;
  // Set when an End Site directly inside the root closed the root: nothing
  // may be attached after that.
  bool rootClosed_ = false;
  int declaredFrames_ = 0;
};

Status ClipReader::readRoot() {
  word_ = next();
  if (!is(word_, "HIERARCHY")) {
    return fail(notes_, words_.line(), "%s HIERARCHY not found\n", echo(word_).c_str());
  }
  if (!is(next(), "ROOT")) return failHere("ROOT not found\n");

  // A root that fails part way is kept as far as it was read, so that a
  // dump still shows it.
  BvhJoint root;
  const auto keepRoot = [&](Failure failure) -> Status {
    motion_.skeleton.add(std::move(root));
    return failure;
  };
  root.name = printable(next());
  word_ = next();
  if (!is(word_, "{")) {
    return keepRoot(fail(notes_, words_.line(), "Bad File1 %s\n", echo(word_).c_str()));
  }
  if (!is(next(), "OFFSET")) return keepRoot(failHere("Bad File2\n"));
  readOffset(words_, root);
  if (!is(next(), "CHANNELS")) return keepRoot(failHere("Bad File3\n"));
  // The count of values per frame line must stay a valid int.
  if (!count(next(), 0, INT_MAX, root.channelCount)) return keepRoot(failHere("Bad File3\n"));
  root.channelOffset = runningTotal_;
  runningTotal_ += root.channelCount;
  word_ = readChannelNames(words_, root);
  root.color = {1.0, 1.0, 1.0};
  current_ = motion_.skeleton.add(std::move(root));
  return Status();
}

Status ClipReader::readHierarchy() {
  while (word_ != nullptr && !is(word_, "MOTION")) {
    const bool node = is(word_, "JOINT") || is(word_, "End");
    if (rootClosed_ && node) {
      return fail(notes_, words_.line(), "Bad File: %s after an End Site closed the root\n",
                  echo(word_).c_str());
    }
    if (node && ++nodes_ > maxNodes_) {
      return fail(notes_, words_.line(),
                  "Bad File: more than %zu joints, too many for a file of %zu bytes\n", maxNodes_,
                  motion_.textSize);
    }
    Status step;
    if (is(word_, "JOINT")) {
      step = readJoint();  // leaves the word that ended the channel names at hand
    } else if (is(word_, "End")) {
      step = readEndSite();
      if (step) word_ = next();
    } else if (is(word_, "}")) {
      if (motion_.skeleton[current_].parent >= 0) current_ = motion_.skeleton[current_].parent;
      word_ = next();
    } else {
      step = failHere("Bad File100\n");
    }
    if (!step) return step;
  }
  motion_.channelTotal = runningTotal_;
  return Status();
}

Status ClipReader::readJoint() {
  BvhJoint joint;
  joint.name = printable(next());
  const char* afterName = next();
  if (!is(afterName, "{")) {
    // The console keeps its short text; the message says what is wrong.
    Failure failure = failHere("Bad File4\n");
    failure.message += ": \"{\" expected after JOINT " + echo(joint.name) + ", found " +
                       (afterName != nullptr ? "\"" + echo(afterName) + "\" (a blank in the name?)"
                                             : std::string("the end of the file"));
    return failure;
  }
  if (!is(next(), "OFFSET")) return failHere("Bad File5\n");
  readOffset(words_, joint);
  if (!is(next(), "CHANNELS")) return failHere("Bad File6\n");
  if (!count(next(), 0, INT_MAX - runningTotal_, joint.channelCount)) {
    return failHere("Bad File6\n");
  }
  joint.channelOffset = runningTotal_;
  runningTotal_ += joint.channelCount;
  word_ = readChannelNames(words_, joint);
  giveColor(joint, notes_);
  joint.parent = current_;
  current_ = motion_.skeleton.add(std::move(joint));
  return Status();
}

Status ClipReader::readEndSite() {
  BvhJoint endSite;
  endSite.name = kEndSiteName;
  if (!is(next(), "Site")) return failHere("Bad File7\n");
  if (!is(next(), "{")) return failHere("Bad File8\n");
  if (!is(next(), "OFFSET")) return failHere("Bad File9\n");
  readOffset(words_, endSite);
  endSite.parent = current_;
  endSite.channelCount = 0;
  endSite.channelOffset = -1;
  endSite.isEndSite = true;
  const int site = motion_.skeleton.add(std::move(endSite));
  if (!is(next(), "}") || !is(next(), "}")) return failHere("Bad File10\n");
  giveColor(motion_.skeleton[site], notes_);
  if (motion_.skeleton[current_].parent >= 0) {
    current_ = motion_.skeleton[current_].parent;
  } else {
    rootClosed_ = true;
  }
  return Status();
}

Status ClipReader::readMotionHeader() {
  if (!is(next(), "Frames:")) {
    Failure failure = failHere("Bad File11\n");
    failure.message +=
        word_ == nullptr ? ": the file ended before MOTION" : ": \"Frames:\" expected after MOTION";
    return failure;
  }
  // A negative count means no frames. The field is set only together with
  // the lines, so a clip never claims frames it has no line for.
  if (!count(next(), INT_MIN, INT_MAX, declaredFrames_)) return failHere("Bad File11\n");
  declaredFrames_ = std::max(0, declaredFrames_);
  if (!is(next(), "Frame")) return failHere("Bad File12\n");
  word_ = next();
  if (!is(word_, "Time:")) {
    return fail(notes_, words_.line(), "Bad File13\n %s", echo(word_).c_str());
  }
  motion_.frameTime = number(next());
  notes_.addf("NumFrames %i\tFrameTime %f\n", declaredFrames_, motion_.frameTime);
  return Status();
}

void ClipReader::readFrameLines() {
  // Anything left on the frame time's line (stray blanks, a carriage return)
  // is not a frame: the first frame is always on the next line.
  words_.skipRestOfLine();
  // A well-formed line holds a word and a separator per channel, which bounds
  // the reservation for a file that claims more frames than it can hold;
  // shorter lines, if any, just grow the list.
  PackedTextList& lines = motion_.frameLines;
  const size_t bytesPerLine = 2 * static_cast<size_t>(std::max(1, motion_.channelTotal));
  lines.reserve(
      std::min(static_cast<size_t>(declaredFrames_), words_.remaining() / bytesPerLine + 1));
  while (static_cast<int>(lines.size()) < declaredFrames_) {
    char* line = words_.nextLine();
    if (line == nullptr) break;
    lines.appendPacked(line);
  }
  motion_.frameCount = static_cast<int>(lines.size());
  if (motion_.frameCount < declaredFrames_) {
    char warning[128];
    std::snprintf(warning, sizeof warning,
                  "Warning: only %i of %i frame lines found, reading %i frames", motion_.frameCount,
                  declaredFrames_, motion_.frameCount);
    motion_.readWarning = warning;
    notes_.addf("%s\n", warning);
  }
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
  char* const start = text.get() + skipped;
  WordScanner words(start, textSize - skipped);
  if (words.remaining() < textSize - skipped) {
    return refuseNul(notes, lineAt(start, start + words.remaining()));
  }
  const size_t nodes = std::min(nodeBudget(textSize), nodeWordsIn(start, textSize - skipped));
  skeleton.reserve(nodes);
  // With room for the few lines that follow (the frame count, the fit's).
  notes.reserve(nodes * kColorNoteLength + kNoteSlack);
  return ClipReader(*this, words, notes).read();
}
