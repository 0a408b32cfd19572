#pragma once

#include <cstdio>
#include <memory>
#include <vector>

#include <string>

#include "base/RegularFile.h"
#include "motion/BvhJoint.h"
#include "motion/PackedTextList.h"

// One motion-capture clip. The clip owns the whole file text; joint names,
// channel names and frame lines all point into it. Frame values stay text
// and are split into words where they are used.
//
// The counts are public fields (frameCount, frameTime, root, channelTotal)
// read directly by the view, the fit and the writer.
class BvhMotion {
 public:
  BvhMotion() = default;
  BvhMotion(const BvhMotion&) = delete;
  BvhMotion& operator=(const BvhMotion&) = delete;

  // Reads a BVH file into this (empty) clip, printing progress and every error
  // to standard output. Returns false after any error; the clip then keeps what
  // was filled before it (never any frame lines) and readError holds the last
  // message printed, without line feeds; where that message only numbers the
  // fault ("Bad File4", "Bad File11") readError adds what is wrong. Only regular files are read (a FIFO
  // or a device is refused at once); counts that do not fit an int are
  // refused with the message of their field. Defined in BvhReader.cpp.
  bool read(const char* fileName);

  // Empties the clip: no text, no joints, no frame lines, counts 0.
  void reset();

  // Text of frame i, terminated where its line feed stood. 0 <= i < frameCount.
  const char* frameLine(int i) const { return frameLines[static_cast<size_t>(i)]; }

  // Prints the hierarchy, pre-order, to standard output; nothing without a root.
  void dump() const;

  // Writes one node and its subtree in the BVH layout, indented by depth tabs.
  // Defined in BvhWriter.cpp.
  void writeJoint(const BvhJoint* joint, int depth, std::FILE* file) const;

  PackedTextList frameLines;
  std::unique_ptr<BvhJoint> root;
  int frameCount = 0;
  double frameTime = 0.0;
  int channelTotal = 0;

  // The file's characters plus a terminator; separators after words are
  // replaced by terminators while reading.
  TextBuffer text;
  size_t textSize = 0;

  // The last error message of a failed read (empty after a good one).
  std::string readError;

  // What a good read warned about (frames cut short), as printed without
  // its line feed; empty when nothing was wrong.
  std::string readWarning;
};
