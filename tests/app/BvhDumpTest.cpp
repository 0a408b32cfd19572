// Runs the real bvh-dump executable.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <string>

#include "TestSupport.h"

namespace {

using testsupport::TempDir;
using testsupport::withoutColors;

using DumpRun = testsupport::CommandRun;

// Runs the command through the shell, standard error included in the output.
DumpRun runDump(const std::string& command) { return testsupport::runCommand(command + " 2>&1"); }

const std::string kDump = MPE_BVH_DUMP;

TEST(BvhDumpTest, WithoutAFileNameItPrintsUsageAndExitsWithOne) {
  const DumpRun result = runDump(kDump);
  EXPECT_EQ(result.output, "Usage: " + kDump + " fileName\n");
  EXPECT_EQ(result.status, 1);
}

TEST(BvhDumpTest, MissingFilePrintsTheReaderMessageAndNoHierarchy) {
  TempDir dir;
  const std::string path = dir.path() + "/missing.bvh";
  const DumpRun result = runDump(kDump + " " + path);
  EXPECT_EQ(result.output, "File " + path + " pointer is NULL\n");
  EXPECT_EQ(result.status, 1);
}

TEST(BvhDumpTest, PrintsTheReaderOutputThenTheHierarchy) {
  TempDir dir;
  const std::string path =
      dir.write("arm.bvh",
                "HIERARCHY\nROOT Arm\n{\n\tOFFSET 0 0 0\n\tCHANNELS 1 Zrotation\n"
                "\tEnd Site\n\t{\n\t\tOFFSET 0 1.5 0\n\t}\n}\n"
                "MOTION\nFrames: 1\nFrame Time: 0.1\n45\n");
  const DumpRun result = runDump(kDump + " " + path);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(withoutColors(result.output),
            "NumFrames 1\tFrameTime 0.100000\n"
            "\n\n----------------------------------------------------\n"
            "Name Arm, Offset XYZ 0.000000 0.000000 0.000000\n"
            "Channels 1, Chan Offset 0   Zrotation \n"
            "Children END \n"
            "NULL Parent\n"
            "\n\n----------------------------------------------------\n"
            "Name END, Offset XYZ 0.000000 1.500000 0.000000\n"
            "Channels 0, Chan Offset -1   \n"
            "Children \n"
            "Parent Arm");
  EXPECT_EQ(result.output.rfind("Nodes color: ", 0), 0u);
}

TEST(BvhDumpTest, FailedReadStillDumpsWhatWasRead) {
  TempDir dir;
  const std::string path =
      dir.write("bad.bvh", "HIERARCHY ROOT Hips { OFFSET 0 0 0 CHANNELS 0 JOINT Knee OFFSET");
  const DumpRun result = runDump(kDump + " " + path);
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.output,
            "Bad File4\n"
            "\n\n----------------------------------------------------\n"
            "Name Hips, Offset XYZ 0.000000 0.000000 0.000000\n"
            "Channels 0, Chan Offset 0   \n"
            "Children \n"
            "NULL Parent\n");
}

TEST(BvhDumpTest, OutputThatCannotBeWrittenFailsWithAMessage) {
  const std::string clip = std::string(MPE_SOURCE_DIR) + "/dance01.bvh";
  const DumpRun result = testsupport::runCommand(kDump + " " + clip + " 2>&1 >/dev/full");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.output, "bvh-dump: cannot write the output: No space left on device\n");
}

TEST(BvhDumpTest, RealClipDumpsEveryNode) {
  const std::string clip = std::string(MPE_CLIP_DATA_DIR) + "/makehuman-zombieWalk1.bvh";
  const DumpRun result = runDump(kDump + " " + clip);
  EXPECT_EQ(result.status, 0);
  size_t names = 0;
  for (size_t at = result.output.find("\nName "); at != std::string::npos;
       at = result.output.find("\nName ", at + 1)) {
    ++names;
  }
  EXPECT_EQ(names, 91u);
  EXPECT_NE(result.output.find("NumFrames 31\tFrameTime 0.041667\n"), std::string::npos);
}

}  // namespace
