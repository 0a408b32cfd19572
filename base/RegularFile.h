#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "base/Outcome.h"

// Closes a stdio stream, for std::unique_ptr.
struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// An open regular file and its size when it was opened.
struct RegularFile {
  FilePtr file;
  std::size_t size = 0;
};

// Opens fileName for reading without ever blocking: the file is opened
// non-blocking and refused unless it is a regular file, so a FIFO, a terminal
// or a device such as /dev/zero gives a message instead of a hang or an
// endless read. A failure's message is one line without a line feed: the
// system's reason with its errno value as the code ("No such file or
// directory"), or, for a file that opened but cannot be read as one, a reason
// that starts with the name and code 0 ("x.bvh is not a regular file", "x.bvh
// is a directory", "x.bvh is too large").
Outcome<RegularFile> openRegularFile(const char* fileName);

// Gives back a buffer from newTextBuffer.
struct TextBufferRelease {
  std::size_t mappedBytes = 0;  // 0: allocated with new[]
  void operator()(char* text) const;
};
using TextBuffer = std::unique_ptr<char[], TextBufferRelease>;

// A buffer of size bytes for a whole file's text; null when there is no
// memory. Large buffers are mapped on their own and go back to the system
// as soon as they are released. They are not asked for in huge pages: on a
// virtual machine that hands free memory back to its host, huge pages come
// from exactly the memory the host took back and cost twice the time of
// small ones to provide the first time (and less only when recently used).
TextBuffer newTextBuffer(std::size_t size);

// Reads up to size bytes of the open file from offset on into buffer, as
// fread would from there, and returns how many were read: fewer only at the
// end of the file (it may have been cut short meanwhile). A read error fails
// with the system's reason and its errno value as the code. Large reads run
// in two halves on two threads: most of their time is the kernel providing
// fresh pages for the buffer, which two processors do at once. The file
// position is left where it was.
Outcome<std::size_t> readAt(std::FILE* file, char* buffer, std::size_t offset, std::size_t size);
