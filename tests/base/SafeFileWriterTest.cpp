#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <set>
#include <string>

#include "TestSupport.h"
#include "base/SafeFileWriter.h"

namespace {

using testsupport::readFile;
using testsupport::TempDir;

std::set<std::string> namesIn(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

Status openAndWrite(SafeFileWriter& writer, const std::string& target, const std::string& text,
                    ExistingTarget existing) {
  const Status opened = writer.open(target.c_str(), existing);
  if (opened) std::fputs(text.c_str(), writer.file());
  return opened;
}

// The message of a failed step, "" when it succeeded.
std::string messageOf(const Status& status) { return status ? "" : status.failure().message; }

// Two writers open on one new name at once: without replacing, the second to
// finish fails and the first one's file stays; with replacing, the last wins.
TEST(SafeFileWriter, TwoWritersForOneNewTarget) {
  const struct Row {
    ExistingTarget existing;
    bool secondWritten;
    std::string kept;
  } rows[] = {
      {ExistingTarget::kKeep, false, "first"},
      {ExistingTarget::kReplace, true, "second"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.secondWritten ? "replacing" : "keeping");
    TempDir dir;
    const std::string target = dir.path() + "/out.bvh";
    SafeFileWriter first;
    SafeFileWriter second;
    Status step = openAndWrite(first, target, "first", row.existing);
    ASSERT_TRUE(step) << messageOf(step);
    step = openAndWrite(second, target, "second", row.existing);
    ASSERT_TRUE(step) << messageOf(step);
    step = first.commit();
    EXPECT_TRUE(step) << messageOf(step);
    step = second.commit();
    EXPECT_EQ(step.ok(), row.secondWritten);
    if (!row.secondWritten) {
      EXPECT_EQ(messageOf(step), "Failed to write " + target + ": File exists");
    }
    EXPECT_EQ(readFile(target), row.kept);
    EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{"out.bvh"});

    // A third writer meets the file at once.
    SafeFileWriter third;
    step = openAndWrite(third, target, "third", row.existing);
    EXPECT_EQ(step.ok(), row.existing == ExistingTarget::kReplace);
    if (row.existing == ExistingTarget::kKeep) {
      EXPECT_EQ(messageOf(step), "Cannot open " + target + " for writing: File exists");
    }
  }
}

// Names up to the file name limit can be written; the temporary file sits in
// the target's folder whatever the name's length.
TEST(SafeFileWriter, LongNamesUpToTheLimit) {
  TempDir dir;
  for (const size_t length : {1, 236, 248, 255, 256}) {
    SCOPED_TRACE(length);
    const std::string target = dir.path() + "/" + std::string(length, 'n');
    SafeFileWriter writer;
    const Status opened = openAndWrite(writer, target, "clip", ExistingTarget::kKeep);
    if (length > 255) {
      EXPECT_FALSE(opened);
      EXPECT_EQ(messageOf(opened), "Cannot open " + target + " for writing: File name too long");
      continue;
    }
    ASSERT_TRUE(opened) << messageOf(opened);
    EXPECT_EQ(namesIn(dir.path()).size(), 1u) << "temporary file beside the target";
    const Status committed = writer.commit();
    EXPECT_TRUE(committed) << messageOf(committed);
    EXPECT_EQ(readFile(target), "clip");
    std::filesystem::remove(target);
  }
  EXPECT_TRUE(namesIn(dir.path()).empty());
}

// A writer told to stop in the middle of a write leaves nothing behind, and
// still ends by the signal.
TEST(SafeFileWriter, StopSignalsRemoveTheTemporaryFile) {
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(signal);
    TempDir dir;
    const std::string target = dir.path() + "/out.bvh";
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      // A test runner may have these ignored, which the writer respects.
      for (const int stop : {SIGINT, SIGTERM, SIGHUP}) ::signal(stop, SIG_DFL);
      SafeFileWriter writer;
      if (!openAndWrite(writer, target, "partial", ExistingTarget::kReplace)) _exit(2);
      std::fflush(writer.file());
      if (write(ready[1], "r", 1) != 1) _exit(3);
      for (;;) pause();
    }
    close(ready[1]);
    char byte = 0;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);
    close(ready[0]);
    EXPECT_EQ(namesIn(dir.path()).size(), 1u) << "the temporary file while writing";
    kill(child, signal);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
    EXPECT_TRUE(namesIn(dir.path()).empty());
  }
}

// The one name in folder that is not in before.
std::string newName(const std::string& folder, const std::set<std::string>& before) {
  for (const std::string& name : namesIn(folder)) {
    if (before.count(name) == 0) return name;
  }
  return "";
}

// Opens a writer for target in a child that ends without committing, as a
// killed writer would, leaving its temporary file behind. With pipes, a
// grandchild forked after the open keeps the file (and its lock) open until
// hold's write end is closed; gone's read end sees the end once it is gone.
std::string leftoverOfDeadWriter(const std::string& target, const int* hold = nullptr,
                                 const int* gone = nullptr) {
  const std::string folder = target.substr(0, target.rfind('/'));
  const std::set<std::string> before = namesIn(folder);
  const pid_t child = fork();
  if (child == 0) {
    SafeFileWriter writer;
    if (!openAndWrite(writer, target, "partial", ExistingTarget::kReplace)) _exit(2);
    std::fflush(writer.file());
    if (hold != nullptr && fork() == 0) {
      close(hold[1]);
      close(gone[0]);
      char byte;
      while (read(hold[0], &byte, 1) > 0) {
      }
      _exit(0);
    }
    _exit(0);
  }
  if (hold != nullptr) {
    close(hold[0]);
    close(gone[1]);
  }
  waitpid(child, nullptr, 0);
  return newName(folder, before);
}

// Writes target through a new writer, which first clears what dead writers left.
void writeOnce(const std::string& target) {
  const Status written = writeFileSafely(target.c_str(), "new", 3);
  ASSERT_TRUE(written) << messageOf(written);
}

// What a writer that no longer runs left is removed by the next write to the
// same target. Everything else stays: files of running writers and of other
// targets, names the writer never gives (a person's backup, a leading zero,
// wrong check characters), and a leftover whose lock a process still holds.
TEST(SafeFileWriter, NextWriteRemovesOnlyLeftoversOfDeadWriters) {
  TempDir dir;
  const std::string target = dir.path() + "/out.bvh";
  const std::string left = leftoverOfDeadWriter(target);
  ASSERT_EQ(left.rfind(".out.bvh.", 0), 0u) << left;
  const std::string deadId = left.substr(9, left.rfind('.') - 9);
  const std::string tail = left.substr(left.rfind('.') + 1);
  ASSERT_EQ(tail.size(), 6u) << left;
  const std::set<std::string> kept = {
      ".out.bvh.1.a1B2c3",                                 // init runs
      ".out.bvh." + std::to_string(getpid()) + ".a1B2c3",  // this process runs
      ".other.bvh." + deadId + "." + tail,                 // another target
      ".out.bvh." + deadId + ".a1B2",                      // not a temporary name
      ".out.bvh." + deadId + ".backup",                    // a person's file
      ".out.bvh.0" + deadId + "." + tail,                  // a leading zero
      ".out.bvh." + deadId + "." + tail.substr(0, 3) + (tail.substr(3) == "aaa" ? "bbb" : "aaa"),
  };
  for (const std::string& name : kept) dir.write(name, "x");
  writeOnce(target);
  std::set<std::string> expected = kept;
  expected.insert("out.bvh");
  EXPECT_EQ(namesIn(dir.path()), expected);

  // A process forked by the writer still holds the lock after the writer ended.
  int hold[2];
  int gone[2];
  ASSERT_EQ(pipe(hold), 0);
  ASSERT_EQ(pipe(gone), 0);
  const std::string held = leftoverOfDeadWriter(target, hold, gone);
  ASSERT_FALSE(held.empty());
  writeOnce(target);
  EXPECT_EQ(namesIn(dir.path()).count(held), 1u) << "locked, so still in use";
  close(hold[1]);
  char byte;
  while (read(gone[0], &byte, 1) > 0) {
  }
  close(gone[0]);
  writeOnce(target);
  EXPECT_EQ(namesIn(dir.path()), expected);
}

}  // namespace
