#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "TestSupport.h"
#include "base/DataFile.h"

namespace {

// Returns to the working folder it found and removes the file it names when
// the test ends, even by a failed assertion, so later tests in the process
// start where they expect.
class RestoreAfterTest {
 public:
  explicit RestoreAfterTest(std::string leftover) : leftover_(std::move(leftover)) {
    if (getcwd(previous_, sizeof previous_) == nullptr) previous_[0] = '\0';
  }
  ~RestoreAfterTest() {
    std::remove(leftover_.c_str());
    EXPECT_EQ(chdir(previous_), 0) << previous_;
  }
  RestoreAfterTest(const RestoreAfterTest&) = delete;
  RestoreAfterTest& operator=(const RestoreAfterTest&) = delete;
  bool knowsWhereItWas() const { return previous_[0] != '\0'; }

 private:
  std::string leftover_;
  char previous_[4096];
};

// Runs in a fresh working folder; the test binary's own folder is the first
// data directory.
TEST(FindDataFile, WorkingFolderThenExecutableFolderThenTheNameItself) {
  const std::vector<std::string> directories = dataDirectories();
  ASSERT_FALSE(directories.empty());
  testsupport::TempDir work;
  const std::string name = "data-file-test-" + std::to_string(getpid()) + ".bvh";
  const std::string besideExecutable = directories.front() + "/" + name;
  const RestoreAfterTest restore(besideExecutable);
  ASSERT_TRUE(restore.knowsWhereItWas());
  ASSERT_EQ(chdir(work.path().c_str()), 0);

  EXPECT_EQ(findDataFile(name), name) << "found although nowhere";
  std::FILE* file = std::fopen(besideExecutable.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fclose(file);
  EXPECT_EQ(findDataFile(name), besideExecutable);
  work.write(name, "here");
  EXPECT_EQ(findDataFile(name), name) << "the working folder comes first";
}

}  // namespace
