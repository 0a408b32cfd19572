#pragma once

#include <cstdio>
#include <string>

// Replaces a file only once its new contents are safely on disk: the data go
// to a new temporary file in the target's folder, every write and the close
// are checked, the file is flushed to the device, and only then is it renamed
// over the target. On any failure the temporary file is removed and the
// target stays exactly as it was. A target that exists and is not a regular
// file (a directory, a FIFO, a device such as /dev/full) is refused before
// anything is created. A new file gets the usual permissions (0666 less the
// umask); a replaced file keeps its mode.
//
// Messages are one line without a line feed, "Cannot open <target> for
// writing: <reason>" before anything was written and "Failed to write
// <target>: <reason>" afterwards.
class SafeFileWriter {
 public:
  SafeFileWriter() = default;
  // Removes the temporary file unless commit succeeded.
  ~SafeFileWriter();
  SafeFileWriter(const SafeFileWriter&) = delete;
  SafeFileWriter& operator=(const SafeFileWriter&) = delete;

  // Creates the temporary file for target. False with *message on failure.
  bool open(const char* target, std::string* message);

  // The stream to write to; null unless open succeeded. Write errors are
  // picked up by commit through the stream's error flag.
  std::FILE* file() const { return file_; }

  // Marks the output as failed with errno's value code, for writers that
  // detect an error themselves; commit then fails with that reason.
  void fail(int code);

  // Flushes, syncs and closes the temporary file, then renames it over the
  // target. False with *message (and the temporary file removed) on failure.
  bool commit(std::string* message);

 private:
  void discard();

  std::string target_;
  std::string temporary_;
  std::FILE* file_ = nullptr;
  int mode_ = 0;
  int error_ = 0;
};

// Writes size bytes from data to fileName through a SafeFileWriter.
bool writeFileSafely(const char* fileName, const void* data, std::size_t size,
                     std::string* message);
