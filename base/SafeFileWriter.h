#pragma once

#include <cstdio>
#include <string>

#include "base/Outcome.h"

// What a write does when its target exists by the time the file is put in
// place.
enum class ExistingTarget {
  kReplace,  // the new file takes its place
  kKeep,     // the write fails with "File exists" and the target stays
};

// Replaces a file only once its new contents are safely on disk: the data go
// to a new temporary file in the target's folder, every write and the close
// are checked, the file is flushed to the device, and only then is it renamed
// over the target. On any failure the temporary file is removed and the
// target stays exactly as it was. A target that exists and is not a regular
// file (a directory, a FIFO, a device such as /dev/full) is refused before
// anything is created. A new file gets the usual permissions (0666 less the
// umask); a replaced file keeps its mode.
//
// With ExistingTarget::kKeep the file is put in place by a step that cannot
// replace (a rename that refuses an existing name, or a hard link), so of two
// writers racing for one new name exactly one succeeds. A dangling symbolic
// link counts as existing.
//
// The temporary file is named ".<target name>.<process id>.<6 characters>"
// (the target's name shortened so that the whole fits a file name's limit;
// the process id without leading zeros; 3 random letters or digits and 3
// that check the rest of the name), created with mode 0600, and the writer
// holds a lock (flock) on it while it is open. While it exists, SIGINT,
// SIGTERM and SIGHUP remove it before the signal takes its previous effect
// (a signal that was ignored stays ignored). Opening a write removes what
// writers to the same target that no longer run left behind: only regular
// files named exactly that way (check characters included), whose process id
// no process has and which no process holds the lock on; anything else in
// the folder (".out.bvh.2023.backup", say) stays. Several writers may be open
// at once.
//
// A failure's message is one line without a line feed, "Cannot open <target>
// for writing: <reason>" before anything was written and "Failed to write
// <target>: <reason>" afterwards; its code is errno's value for the reason.
class SafeFileWriter {
 public:
  SafeFileWriter() = default;
  // Removes the temporary file unless commit succeeded.
  ~SafeFileWriter();
  SafeFileWriter(const SafeFileWriter&) = delete;
  SafeFileWriter& operator=(const SafeFileWriter&) = delete;

  // Creates the temporary file for target. Fails when it cannot, and with
  // kKeep also when target exists already.
  Status open(const char* target, ExistingTarget existing = ExistingTarget::kReplace);

  // The stream to write to; null unless open succeeded. Write errors are
  // picked up by commit through the stream's error flag.
  std::FILE* file() const { return file_; }

  // Marks the output as failed with errno's value code, for writers that
  // detect an error themselves; commit then fails with that reason.
  void fail(int code);

  // Flushes, syncs and closes the temporary file, then puts it in place of
  // the target. On failure the temporary file is removed.
  Status commit();

 private:
  void discard();
  bool putInPlace();

  std::string target_;
  std::string temporary_;
  std::FILE* file_ = nullptr;
  int mode_ = 0;
  int error_ = 0;
  int signalSlot_ = -1;
  ExistingTarget existing_ = ExistingTarget::kReplace;
};

// Writes size bytes from data to fileName through a SafeFileWriter.
Status writeFileSafely(const char* fileName, const void* data, std::size_t size);
