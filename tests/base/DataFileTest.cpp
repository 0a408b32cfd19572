#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "base/DataFile.h"

namespace {

// Runs in a fresh working folder; the test binary's own folder is the first
// data directory.
TEST(FindDataFile, WorkingFolderThenExecutableFolderThenTheNameItself) {
  const std::vector<std::string> directories = dataDirectories();
  ASSERT_FALSE(directories.empty());
  testsupport::TempDir work;
  char previous[4096];
  ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
  ASSERT_EQ(chdir(work.path().c_str()), 0);

  const std::string name = "data-file-test-" + std::to_string(getpid()) + ".bvh";
  const std::string besideExecutable = directories.front() + "/" + name;
  EXPECT_EQ(findDataFile(name), name) << "found although nowhere";
  std::FILE* file = std::fopen(besideExecutable.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fclose(file);
  EXPECT_EQ(findDataFile(name), besideExecutable);
  work.write(name, "here");
  EXPECT_EQ(findDataFile(name), name) << "the working folder comes first";

  std::remove(besideExecutable.c_str());
  ASSERT_EQ(chdir(previous), 0);
}

}  // namespace
