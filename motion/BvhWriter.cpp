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

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "base/NumberText.h"
#include "base/SafeFileWriter.h"
#include "motion/BvhMotion.h"
#include "motion/FrameNumbering.h"
#include "motion/FrameWords.h"

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
void writeNodeHead(const BvhJoint& joint, int nodeDepth, Indent& indent, std::FILE* file,
                   Notes& notes) {
  const int depth = indentOf(nodeDepth);
  indent.reserve(depth + 1);
  const char* own = indent.tabs(depth);
  const char* name = textOrEmpty(joint.name);

  writeTabs(indent, depth, file);
  if (joint.parent < 0) {
    notes.addf("%sMMM\n", own);
    std::fprintf(file, "ROOT %s\n%s{", name, own);
    notes.addf("ROOT %s\n%s{", name, own);
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

// Character classes of a frame line, from the one separator set: a table
// lookup per character keeps the writer's inner loops short.
enum : unsigned char { wordChar = 0, separatorChar = 1, endChar = 2 };

struct CharClasses {
  unsigned char of[256] = {};
  CharClasses() {
    for (const char* c = kWordSeparators; *c != '\0'; ++c) {
      of[static_cast<unsigned char>(*c)] = separatorChar;
    }
    of[0] = endChar;
  }
};

const CharClasses charClasses;

// First place in [from, last) that breaks a plain run: a tab, carriage
// return or line feed, or a blank followed by another; last when there is
// none. One pass over the line, 16 bytes a step; the byte at last is
// readable (a word character or the line's terminator).
const char* findIrregularSeparator(const char* from, const char* last) {
  const char* p = from;
#if defined(__SSE2__)
  const __m128i blank = _mm_set1_epi8(' ');
  const __m128i tab = _mm_set1_epi8('\t');
  const __m128i carriageReturn = _mm_set1_epi8('\r');
  const __m128i lineFeed = _mm_set1_epi8('\n');
  while (last - p >= 16) {
    const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 1));
    const __m128i doubleBlank =
        _mm_and_si128(_mm_cmpeq_epi8(here, blank), _mm_cmpeq_epi8(next, blank));
    const __m128i lineBreaking = _mm_or_si128(
        _mm_cmpeq_epi8(here, tab),
        _mm_or_si128(_mm_cmpeq_epi8(here, carriageReturn), _mm_cmpeq_epi8(here, lineFeed)));
    const int mask = _mm_movemask_epi8(_mm_or_si128(doubleBlank, lineBreaking));
    if (mask != 0) return p + __builtin_ctz(static_cast<unsigned>(mask));
    p += 16;
  }
#endif
  for (; p < last; ++p) {
    if (*p == '\t' || *p == '\r' || *p == '\n' || (*p == ' ' && p[1] == ' ')) return p;
  }
  return last;
}

// Finds where the rest of a line can be written as it stands in one copy:
// from a word on, when the words up to the last one are separated by single
// blanks. Clips are mostly such runs, and a long clip spends its writing time
// here. The first irregular separator is remembered, so that trying at every
// word of an irregular line stays linear.
class PlainRun {
 public:
  PlainRun(const char* line, size_t length) : last_(line + length) {
    while (last_ > line && charClasses.of[static_cast<unsigned char>(last_[-1])] == separatorChar) {
      --last_;
    }
  }

  // Copies the words from word (the start of one) to the end of the line,
  // each followed by one blank, when they form a plain run.
  bool copyFrom(const char* word, char*& block) {
    if (irregular_ == nullptr || irregular_ < word) {
      irregular_ = findIrregularSeparator(word, last_);
    }
    if (irregular_ < last_) return false;
    const size_t size = static_cast<size_t>(last_ - word);
    std::memcpy(block, word, size);
    block += size;
    *block++ = ' ';
    return true;
  }

 private:
  // Just past the last word.
  const char* last_;
  const char* irregular_ = nullptr;
};

// Writes the words of one frame line, those edits gives a value as "%f "
// and every other one as it stands, each followed by one blank. The words
// are walked in place rather than split from a copy: the stored line is only
// read, and a frame then costs no copying and no word list.
void writeFrame(const char* line, const EditedFrame& edits, BlockWriter& out) {
  if (line == nullptr) line = "";
  const std::vector<WordValue>& edited = edits.words();
  const size_t length = std::strlen(line);
  // Each word gains at most one blank (the separators after it are at least
  // one byte, except after the last word); edited numbers may be longer than
  // the words they replace.
  char* block = out.reserve(length + 2 + edited.size() * maxNumberSize);
  PlainRun plain(line, length);
  // Words from this one on are written as they stand.
  const size_t plainFrom = edited.empty() ? 0 : static_cast<size_t>(edited.back().word) + 1;
  size_t nextEdit = 0;
  const unsigned char* c = reinterpret_cast<const unsigned char*>(line);
  for (size_t k = 0;; ++k) {
    while (charClasses.of[*c] == separatorChar) ++c;
    if (*c == 0) break;
    const char* word = reinterpret_cast<const char*>(c);
    if (block != nullptr && k >= plainFrom && plain.copyFrom(word, block)) break;
    const bool isEdited =
        nextEdit < edited.size() && static_cast<size_t>(edited[nextEdit].word) == k;
    if (block != nullptr && !isEdited) {
      while (charClasses.of[*c] == wordChar) *block++ = static_cast<char>(*c++);
      *block++ = ' ';
      continue;
    }
    while (charClasses.of[*c] == wordChar) ++c;
    const size_t size = static_cast<size_t>(reinterpret_cast<const char*>(c) - word);
    const double value = isEdited ? edited[nextEdit++].value : 0.0;
    // The writer never makes up a non-finite number: such a word stays as read.
    if (!isEdited || !std::isfinite(value)) {
      if (block != nullptr) {
        std::memcpy(block, word, size);
        block += size;
        *block++ = ' ';
      } else {
        // A line longer than the whole block goes word by word.
        out.appendWord(word, size);
      }
    } else if (block != nullptr) {
      block += formatNumber(block, value);
    } else {
      out.appendNumber(value);
    }
  }
  if (block != nullptr) {
    *block++ = '\n';
    out.commit(block);
  } else {
    out.appendLineFeed();
  }
}

void writeFrames(const BvhMotion& motion, FrameEditor* editor, BlockWriter& out) {
  const size_t lineCount = motion.frameCount > 0 ? std::min(static_cast<size_t>(motion.frameCount),
                                                            motion.frameLines.size())
                                                 : 0;
  FrameNumbering numbering(motion, lineCount, editor);
  PackedTextList::const_iterator lines = motion.frameLines.begin();
  size_t first = 0;
  size_t size = 0;
  while (!out.failed()) {
    const EditedFrame* frames = numbering.next(first, size);
    if (size == 0) break;
    for (size_t k = 0; k < size && !out.failed(); ++k, ++lines) {
      writeFrame(*lines, frames[k], out);
    }
  }
  out.flush();
}

}  // namespace

void BvhMotion::writeJoint(int joint, int depth, std::FILE* file, Notes& notes) const {
  if (!skeleton.contains(joint) || file == nullptr) return;
  if (depth < 0) depth = 0;

  // The subtree is the run of joints after this one that lie deeper; each
  // joint's brace closes when the walk comes back up to its level. Depths
  // are held relative to the joint written first.
  const int top = skeleton.depth(joint);
  const int end = skeleton.subtreeEnd(joint);
  Indent indent;
  int open = -1;  // relative level of the deepest open brace
  const auto closeDownTo = [&](int level) {
    for (; open >= level; --open) {
      indent.reserve(indentOf(depth + open));
      writeTabs(indent, indentOf(depth + open), file);
      std::fputs("}\n", file);
    }
  };
  for (int i = joint; i < end; ++i) {
    const int level = skeleton.depth(i) - top;
    closeDownTo(level);
    writeNodeHead(skeleton[i], depth + level, indent, file, notes);
    open = level;
  }
  closeDownTo(0);
}

Status writeClip(const char* fileName, const BvhMotion& motion, FrameEditor* editor, Notes& notes,
                 ExistingTarget existing) {
  if (fileName == nullptr) return Status::failed("");
  // Noted as the program prints it and returned without the line feed.
  const auto report = [&notes](const std::string& text) {
    notes.addf("%s\n", text.c_str());
    return Status::failed(text);
  };
  if (motion.skeleton.empty()) {
    return report(std::string("Nothing written to ") + fileName + ": the clip has no hierarchy");
  }

  SafeFileWriter output;
  std::string failure;
  if (!output.open(fileName, &failure, existing)) return report(failure);
  std::FILE* file = output.file();
  if (editor != nullptr) editor->noteBeforeFrames(notes);

  // errno is read only after a failed call; clear what earlier calls left.
  errno = 0;
  std::fputs("HIERARCHY\n", file);
  motion.writeJoint(0, 0, file, notes);
  std::fprintf(file, "MOTION\nFrames: %d\nFrame Time: %s\n", motion.frameCount,
               fixedUnlessLost(motion.frameTime).c_str());

  // Stdio keeps its error flag, so one check after the hierarchy covers
  // every fprintf above; the frames track their own writes.
  if (std::ferror(file)) output.fail(errno);
  if (!std::ferror(file)) {
    BlockWriter out(file);
    writeFrames(motion, editor, out);
    if (out.failed()) output.fail(out.error());
    if (editor != nullptr) editor->noteAfterFrames(notes);
  }
  if (!output.commit(&failure)) return report(failure);
  return Status();
}
