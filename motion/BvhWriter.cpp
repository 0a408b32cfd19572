#include "motion/BvhWriter.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "base/NumberText.h"
#include "base/SafeFileWriter.h"
#include "motion/BvhMotion.h"
#include "motion/HeadingTurn.h"

namespace {

const char* textOrEmpty(const char* text) { return text != nullptr ? text : ""; }

// Deeper levels are indented like this one: ordinary clips keep their layout,
// and a clip nested a million deep gives output linear in its size instead of
// terabytes of tabs.
constexpr int maxIndent = 64;

int indentOf(int depth) { return std::min(depth, maxIndent); }

// Runs of tab characters for indenting, grown to the deepest level asked for.
// A run of n tabs is the last n characters of the string, so it is always
// terminated and can go to "%s" as well as to fwrite.
class Indent {
 public:
  // Makes runs up to n tabs available; call before taking pointers, since
  // growing moves the characters.
  void reserve(int n) {
    if (n > static_cast<int>(tabs_.size())) tabs_.assign(static_cast<size_t>(n) * 2, '\t');
  }
  const char* tabs(int n) const {
    if (n <= 0) return tabs_.c_str() + tabs_.size();
    return tabs_.c_str() + tabs_.size() - static_cast<size_t>(n);
  }

 private:
  std::string tabs_;
};

void writeTabs(const Indent& indent, int n, std::FILE* file) {
  if (n > 0) std::fwrite(indent.tabs(n), 1, static_cast<size_t>(n), file);
}

// Header, offset and channel lines of one node: everything before its
// children. The closing brace is written once the children are done.
void writeNodeHead(const BvhJoint& joint, int nodeDepth, Indent& indent, std::FILE* file) {
  const int depth = indentOf(nodeDepth);
  indent.reserve(depth + 1);
  const char* own = indent.tabs(depth);
  const char* name = textOrEmpty(joint.name);

  writeTabs(indent, depth, file);
  if (joint.parent == nullptr) {
    std::printf("%sMMM\n", own);
    std::fprintf(file, "ROOT %s\n%s{", name, own);
    std::printf("ROOT %s\n%s{", name, own);
  } else if (joint.isEndSite) {
    std::fprintf(file, "End Site\n%s{", own);
  } else {
    std::fprintf(file, "JOINT %s\n%s{", name, own);
  }

  std::fputc('\n', file);
  writeTabs(indent, indentOf(nodeDepth + 1), file);
  std::fprintf(file, "OFFSET\t%f\t%f\t%f\n", joint.offset.x, joint.offset.y, joint.offset.z);

  if (!joint.isEndSite) {
    writeTabs(indent, indentOf(nodeDepth + 1), file);
    std::fprintf(file, "CHANNELS %i ", joint.channelCount);
    for (const char* channel : joint.channelNames) std::fprintf(file, "%s ", textOrEmpty(channel));
    std::fputc('\n', file);
  }
}

// Word indices of the track joint's x and z ground position within a frame line,
// taken from the channel names so that any channel order is written right.
struct GroundWords {
  bool found = false;
  size_t x = 0;
  size_t z = 0;
};

GroundWords findGroundWords(const BvhJoint& joint, UpAxis up) {
  GroundWords words;
  const int x = joint.channelIndex("Xposition");
  const int z = joint.channelIndex(secondGroundChannel(up));
  // A name listed beyond the declared count lies in another joint's values.
  if (x < 0 || z < 0 || x >= joint.channelCount || z >= joint.channelCount ||
      joint.channelOffset < 0) {
    return words;
  }
  words.found = true;
  words.x = static_cast<size_t>(joint.channelOffset) + static_cast<size_t>(x);
  words.z = static_cast<size_t>(joint.channelOffset) + static_cast<size_t>(z);
  return words;
}

// Room for any double in "%f" and the blank after it.
constexpr size_t maxNumberSize = kMaxFixedNumberSize + 1;

// Writes "%f " with value at out, which has maxNumberSize bytes; returns the
// number of characters written.
size_t formatNumber(char* out, double value) {
  const size_t size = writeFixedNumber(out, value);
  out[size] = ' ';
  return size + 1;
}

// Collects output in one large block so that a frame costs a few memcpy calls
// rather than one stdio call per word. Remembers the first failed write.
class BlockWriter {
 public:
  explicit BlockWriter(std::FILE* file) : file_(file), block_(new char[capacity]) {}

  void append(const char* data, size_t size) {
    if (used_ + size > capacity) flush();
    if (size > capacity) {
      put(data, size);
      return;
    }
    std::memcpy(block_.get() + used_, data, size);
    used_ += size;
  }

  // The word and the blank that follows it.
  void appendWord(const char* word, size_t size) {
    if (used_ + size + 1 > capacity) flush();
    if (size + 1 > capacity) {
      put(word, size);
      put(" ", 1);
      return;
    }
    std::memcpy(block_.get() + used_, word, size);
    block_[used_ + size] = ' ';
    used_ += size + 1;
  }

  void appendNumber(double value) {
    char number[maxNumberSize];
    append(number, formatNumber(number, value));
  }

  // Room for at least size more bytes, to be filled in place and handed back
  // with commit; nullptr when size exceeds the whole block.
  char* reserve(size_t size) {
    if (size > capacity) return nullptr;
    if (used_ + size > capacity) flush();
    return block_.get() + used_;
  }
  void commit(const char* end) { used_ = static_cast<size_t>(end - block_.get()); }

  void appendLineFeed() {
    if (used_ + 1 > capacity) flush();
    block_[used_++] = '\n';
  }

  void flush() {
    if (used_ > 0) put(block_.get(), used_);
    used_ = 0;
  }

  bool failed() const { return error_ != 0; }
  int error() const { return error_; }

 private:
  static constexpr size_t capacity = size_t{1} << 20;

  void put(const char* data, size_t size) {
    if (error_ != 0) return;
    if (std::fwrite(data, 1, size, file_) != size) error_ = errno != 0 ? errno : EIO;
  }

  std::FILE* file_;
  std::unique_ptr<char[]> block_;
  size_t used_ = 0;
  int error_ = 0;
};

// Character classes of a frame line: the words are separated by blank, tab,
// carriage return and line feed, exactly as everywhere else frame lines are split.
enum : unsigned char { wordChar = 0, separatorChar = 1, endChar = 2 };

struct CharClasses {
  unsigned char of[256] = {};
  CharClasses() {
    of[static_cast<unsigned char>(' ')] = separatorChar;
    of[static_cast<unsigned char>('\t')] = separatorChar;
    of[static_cast<unsigned char>('\r')] = separatorChar;
    of[static_cast<unsigned char>('\n')] = separatorChar;
    of[0] = endChar;
  }
};

const CharClasses charClasses;

// Finds where the rest of a line can be written as it stands in one copy:
// from a word on, when the words up to the last one are separated by single
// blanks. Clips are mostly such runs, and a long clip spends its writing time
// here. The next tab (or carriage return) and the next double blank are
// remembered, so that trying at every word of an irregular line stays linear.
class PlainRun {
 public:
  PlainRun(const char* line, size_t length) : end_(line + length), last_(end_) {
    while (last_ > line && charClasses.of[static_cast<unsigned char>(last_[-1])] == separatorChar) {
      --last_;
    }
  }

  // Copies the words from word (the start of one) to the end of the line,
  // each followed by one blank, when they form a plain run.
  bool copyFrom(const char* word, char*& block) {
    if (otherSeparator_ == nullptr || otherSeparator_ < word) {
      otherSeparator_ = word + std::strcspn(word, "\t\r\n");
    }
    if (otherSeparator_ < last_) return false;
    if (doubleBlank_ == nullptr || doubleBlank_ < word) {
      const char* found = std::strstr(word, "  ");
      doubleBlank_ = found != nullptr ? found : end_;
    }
    if (doubleBlank_ < last_) return false;
    const size_t size = static_cast<size_t>(last_ - word);
    std::memcpy(block, word, size);
    block += size;
    *block++ = ' ';
    return true;
  }

 private:
  const char* end_;
  // Just past the last word.
  const char* last_;
  const char* otherSeparator_ = nullptr;
  const char* doubleBlank_ = nullptr;
};

// The words are walked in place rather than split from a copy: the stored
// line is only read, and a frame then costs no copying and no word list.
void writeFrame(const char* line, const GroundWords& ground, bool onPath, double x, double z,
                BlockWriter& out) {
  if (line == nullptr) line = "";
  const size_t length = std::strlen(line);
  // Each word gains at most one blank (the separators after it are at least
  // one byte, except after the last word); the two numbers may be longer
  // than the words they replace.
  char* block = out.reserve(length + 2 + 2 * maxNumberSize);
  PlainRun plain(line, length);
  const size_t plainFrom = ground.found ? std::max(ground.x, ground.z) + 1 : 0;
  const unsigned char* c = reinterpret_cast<const unsigned char*>(line);
  for (size_t k = 0;; ++k) {
    while (charClasses.of[*c] == separatorChar) ++c;
    if (*c == 0) break;
    const char* word = reinterpret_cast<const char*>(c);
    if (block != nullptr && k >= plainFrom && plain.copyFrom(word, block)) break;
    const bool isX = ground.found && k == ground.x;
    const bool isZ = ground.found && k == ground.z;
    if (block != nullptr && !isX && !isZ) {
      while (charClasses.of[*c] == wordChar) *block++ = static_cast<char>(*c++);
      *block++ = ' ';
      continue;
    }
    while (charClasses.of[*c] == wordChar) ++c;
    const size_t size = static_cast<size_t>(reinterpret_cast<const char*>(c) - word);
    const double value = onPath ? (isX ? x : z) : readLeadingNumber(word, word + size);
    // A frame whose position was read as nan, inf or out of range keeps its
    // word as read: the writer never makes up a non-finite number.
    const bool keepWord = !std::isfinite(value);
    if (keepWord && block != nullptr) {
      std::memcpy(block, word, size);
      block += size;
      *block++ = ' ';
    } else if (keepWord) {
      out.appendWord(word, size);
    } else if (block != nullptr) {
      block += formatNumber(block, value);
    } else if (isX || isZ) {
      out.appendNumber(value);
    } else {
      // A line longer than the whole block goes word by word.
      out.appendWord(word, size);
    }
  }
  if (block != nullptr) {
    *block++ = '\n';
    out.commit(block);
  } else {
    out.appendLineFeed();
  }
}

void writeFrames(const BvhMotion& motion, const BvhJoint& carried,
                 const FramePlacementFunction& placement, const GroundWords& ground, UpAxis up,
                 BlockWriter& out) {
  const size_t lineCount = motion.frameCount > 0 ? std::min(static_cast<size_t>(motion.frameCount),
                                                            motion.frameLines.size())
                                                 : 0;
  HeadingTurn turn(carried, upAxisIndex(up));
  PackedTextList::const_iterator lines = motion.frameLines.begin();
  for (size_t i = 0; i < lineCount && !out.failed(); ++i, ++lines) {
    const int frame = static_cast<int>(i);
    FramePlacement place;
    // Frames without a place keep the clip's own position.
    const bool onPath = ground.found && placement && placement(frame, place);
    const char* line = *lines;
    // A bent path turns the carried joint as well as moving it.
    if (onPath) line = turn.apply(line, place.headingDegrees);
    writeFrame(line, ground, onPath, place.x, place.z, out);
  }
  out.flush();
}

}  // namespace

void BvhMotion::writeJoint(const BvhJoint* joint, int depth, std::FILE* file) const {
  if (joint == nullptr || file == nullptr) return;
  if (depth < 0) depth = 0;

  // An explicit stack instead of recursion: clips may nest far deeper than
  // the call stack allows.
  struct Pending {
    const BvhJoint* joint;
    int depth;
    size_t nextChild;
  };
  std::vector<Pending> pending;
  Indent indent;

  writeNodeHead(*joint, depth, indent, file);
  pending.push_back({joint, depth, 0});
  while (!pending.empty()) {
    Pending& top = pending.back();
    if (top.nextChild < top.joint->children.size()) {
      const BvhJoint* child = top.joint->children[top.nextChild++].get();
      if (child == nullptr) continue;
      const int childDepth = top.depth + 1;
      writeNodeHead(*child, childDepth, indent, file);
      pending.push_back({child, childDepth, 0});
    } else {
      indent.reserve(indentOf(top.depth));
      writeTabs(indent, indentOf(top.depth), file);
      std::fputs("}\n", file);
      pending.pop_back();
    }
  }
}

bool writeClip(const char* fileName, const BvhMotion& motion, const BvhJoint* carried,
               const FramePlacementFunction& placement, std::string* message,
               ExistingTarget existing, UpAxis up) {
  if (fileName == nullptr) return false;
  // Printed as before and handed to the caller without the line feed.
  const auto report = [message](const std::string& text) {
    std::printf("%s\n", text.c_str());
    if (message != nullptr) *message = text;
    return false;
  };
  const BvhJoint* root = motion.root.get();
  if (root == nullptr) {
    return report(std::string("Nothing written to ") + fileName + ": the clip has no hierarchy");
  }

  SafeFileWriter output;
  std::string failure;
  if (!output.open(fileName, &failure, existing)) return report(failure);
  std::FILE* file = output.file();

  if (carried == nullptr) carried = root;
  const GroundWords ground = findGroundWords(*carried, up);
  if (!ground.found) {
    std::printf(
        "%s %s has no Xposition and %s channels: frames written as read, "
        "path not applied\n",
        carried == root ? "Root" : "Joint", textOrEmpty(carried->name), secondGroundChannel(up));
  }

  // errno is read only after a failed call; clear what earlier calls left.
  errno = 0;
  std::fputs("HIERARCHY\n", file);
  motion.writeJoint(root, 0, file);
  std::fprintf(file, "MOTION\nFrames: %d\nFrame Time: %s\n", motion.frameCount,
               fixedUnlessLost(motion.frameTime).c_str());

  // Stdio keeps its error flag, so one check after the hierarchy covers
  // every fprintf above; the frames track their own writes.
  if (std::ferror(file)) output.fail(errno);
  if (!std::ferror(file)) {
    BlockWriter out(file);
    writeFrames(motion, *carried, placement, ground, up, out);
    if (out.failed()) output.fail(out.error());
  }
  if (!output.commit(&failure)) return report(failure);
  return true;
}
