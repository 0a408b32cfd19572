#pragma once

#include <cstdio>
#include <functional>
#include <string>

#include "base/Outcome.h"
#include "base/RegularFile.h"
#include "motion/PackedTextList.h"
#include "motion/Skeleton.h"

// One motion-capture clip. The clip owns the whole file text; joint names,
// channel names and frame lines all point into it. Frame values stay text
// and are read through motion/FrameWords where they are used.
//
// The counts are public fields (frameCount, frameTime, skeleton,
// channelTotal) read directly by the view, the fit and the writer.
class BvhMotion {
 public:
  BvhMotion() = default;
  BvhMotion(const BvhMotion&) = delete;
  BvhMotion& operator=(const BvhMotion&) = delete;

  // Reads a BVH file into this (empty) clip. The console text of the read
  // (joint colours, "NumFrames ...", the warning about frames cut short and
  // the error line, each exactly as the program prints it) is appended to
  // notes. A failure's message is the error line without line feeds; where
  // that line only numbers the fault ("Bad File4", "Bad File11") the message
  // adds what is wrong. Its line is the 1-based line of the file where the
  // fault was found (0 when the file itself cannot be read). After a
  // failure the clip keeps what was filled before it (never any frame
  // lines). Only regular files are read (a FIFO or a device is refused at
  // once); counts that do not fit an int are refused with the message of
  // their field. Defined in BvhReader.cpp.
  Status read(const char* fileName, Notes& notes);

  // Empties the clip: no text, no joints, no frame lines, counts 0.
  void reset();

  // Text of frame i, terminated where its line feed stood. 0 <= i < frameCount.
  const char* frameLine(int i) const { return frameLines[static_cast<size_t>(i)]; }

  // The hierarchy, pre-order, as the program prints it; empty without joints.
  std::string dump() const;
  // The same text handed to put one joint at a time, so that printing the
  // hierarchy of a huge skeleton never holds all of it.
  void dump(const std::function<void(const std::string&)>& put) const;

  // Writes joint and its subtree in the BVH layout, indented by depth tabs
  // and one more per level below it (at most 64 in all). The root's echo
  // ("MMM", "ROOT <name>" and its brace, as the program prints them) goes
  // to notes. Defined in BvhWriter.cpp.
  void writeJoint(int joint, int depth, std::FILE* file, Notes& notes) const;

  PackedTextList frameLines;
  Skeleton skeleton;
  int frameCount = 0;
  double frameTime = 0.0;
  int channelTotal = 0;

  // The file's characters plus a terminator; separators after words are
  // replaced by terminators while reading.
  TextBuffer text;
  size_t textSize = 0;

  // What a good read warned about (frames cut short), as noted without its
  // line feed; empty when nothing was wrong.
  std::string readWarning;
};
