#include <gtest/gtest.h>

#include <vector>

#include "app/CommandLine.h"

namespace {

TEST(CommandLineTest, TakesOneClipOrHelpAndRefusesTheRest) {
  const struct {
    std::vector<const char*> words;  // after the program's name
    CommandLine::Ask ask;
    const char* clip;
  } rows[] = {
      {{}, CommandLine::Ask::edit, ""},
      {{"walk.bvh"}, CommandLine::Ask::edit, "walk.bvh"},
      {{"--help"}, CommandLine::Ask::help, ""},
      {{"walk.bvh", "-h"}, CommandLine::Ask::help, ""},
      {{"--", "-odd.bvh"}, CommandLine::Ask::edit, "-odd.bvh"},
      {{"a.bvh", "b.bvh"}, CommandLine::Ask::wrong, ""},
      {{"--verbose"}, CommandLine::Ask::wrong, ""},
      {{""}, CommandLine::Ask::wrong, ""},
  };
  for (const auto& row : rows) {
    std::vector<const char*> argv = {"motion-path-editor"};
    argv.insert(argv.end(), row.words.begin(), row.words.end());
    const CommandLine line = readCommandLine(static_cast<int>(argv.size()), argv.data());
    EXPECT_EQ(line.ask, row.ask) << row.words.size();
    if (row.ask == CommandLine::Ask::edit) {
      EXPECT_EQ(line.clip, row.clip);
    }
  }
  EXPECT_EQ(editorUsage("mpe").rfind("Usage: mpe [CLIP]\n", 0), 0u);
}

}  // namespace
