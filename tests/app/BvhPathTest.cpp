// Runs the real bvh-path executable.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <set>
#include <string>

#include "TestSupport.h"
#include "path/EditSession.h"
#include "path/PathKinds.h"

namespace {

using testsupport::readFile;
using testsupport::TempDir;

struct PathRun {
  std::string output;
  std::string firstErrorLine;
  int status = -1;
};

const std::string kPath = MPE_BVH_PATH;
const std::string kClip = std::string(MPE_SOURCE_DIR) + "/dance01.bvh";

// Runs bvh-path with the arguments through the shell; standard error goes to
// a file of its own so that standard output holds only what the tool printed.
PathRun runPath(const std::string& arguments) {
  PathRun result;
  const TempDir errorDir;
  const std::string errors = errorDir.path() + "/stderr.txt";
  const testsupport::CommandRun run =
      testsupport::runCommand(kPath + " " + arguments + " 2>" + errors);
  result.output = run.output;
  result.status = run.status;
  const std::string text = readFile(errors);
  result.firstErrorLine = text.substr(0, text.find('\n'));
  return result;
}

// The points as bvh-path prints them, and the bytes the edit session writes,
// after edit.
struct SessionRun {
  std::string points;
  std::string bytes;
};

SessionRun runSession(const std::function<void(EditSession&)>& edit) {
  SessionRun run;
  const TempDir dir;
  const std::string file = dir.path() + "/session.bvh";
  // Run as a lambda so that a failed ASSERT ends only it.
  [&] {
    EditSession session;
    ASSERT_TRUE(session.load(kClip));
    edit(session);
    ASSERT_TRUE(session.write(file));
    for (int k = 0; k < session.pointCount(); ++k) {
      char line[200];
      const Point3 p = session.point(k);
      std::snprintf(line, sizeof line, "point %d: %f %f %f\n", k, p.x, p.y, p.z);
      run.points += line;
    }
  }();
  run.bytes = readFile(file);
  return run;
}

std::set<std::string> namesIn(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

TEST(BvhPathTest, FailuresExitWithTheirStatusAndOneClearLineFirst) {
  TempDir dir;
  const std::string refused = dir.write("notes.bvh", "not a clip\n");
  const std::string existing = dir.write("existing.bvh", "keep me");
  const std::string missing = dir.path() + "/missing.bvh";
  const std::string noFolder = dir.path() + "/no/out.bvh";
  const std::string out = dir.path() + "/out.bvh";
  // A root that only turns: nothing the path could carry.
  const std::string turning = dir.write(
      "turning.bvh",
      "HIERARCHY\nROOT Hips\n{\nOFFSET 0 0 0\nCHANNELS 3 Zrotation Xrotation Yrotation\n"
      "End Site\n{\nOFFSET 0 10 0\n}\n}\nMOTION\nFrames: 2\nFrame Time: 0.1\n0 0 0\n10 0 0\n");
  // Root positions near the largest number overflow the fit's cubics (20
  // frames: a shorter clip's groups only take their mean).
  std::string huge =
      "HIERARCHY\nROOT Hips\n{\nOFFSET 0 0 0\nCHANNELS 3 Xposition Yposition Zposition\n"
      "End Site\n{\nOFFSET 0 1 0\n}\n}\nMOTION\nFrames: 20\nFrame Time: 0.1\n";
  for (int i = 0; i < 20; ++i) huge += i % 2 == 0 ? "1.7e308 0 -1.7e308\n" : "-1.7e308 0 1.7e308\n";
  const std::string hugeClip = dir.write("huge.bvh", huge);
  struct Row {
    std::string arguments;
    int status;
    std::string firstLine;  // a prefix of standard error's first line
  } rows[] = {
      {"", 2, "Usage: " + kPath + " CLIP [--move K DX DZ]..."},
      {kClip + " --move 1 2", 2, "Usage: "},
      {kClip + " --force", 2, "Usage: "},
      {kClip + " " + kClip, 2, "Usage: "},
      {kClip + " --mvoe 1 2 3", 2, "Usage: "},
      {missing, 1, "bvh-path: Could not read " + missing + ": No such file or directory"},
      {refused, 1, "bvh-path: Could not read " + refused + ": "},
      {kClip + " --move 4 1 1", 1, "bvh-path: control point \"4\" is not one of 0..3"},
      {kClip + " --move -1 1 1", 1, "bvh-path: control point \"-1\" is not one of 0..3"},
      {kClip + " --move 1 1x 0", 1, "bvh-path: \"1x\" is not a finite number"},
      {kClip + " --move 1 0 nan", 1, "bvh-path: \"nan\" is not a finite number"},
      {kClip + " --move 1 1e400 0", 1, "bvh-path: \"1e400\" is not a finite number"},
      // Too small to hold: a move by 0, as the clip reader reads such numbers.
      {kClip + " --move 1 1e-400 -4e-320", 0, ""},
      {kClip + " --move 1 1e308 0 --move 1 1e308 0 -o " + out, 1,
       "bvh-path: Control point 1 moved by 1e+308, 0 would not be finite; it stays where it is"},
      {hugeClip + " -o " + out, 1,
       "bvh-path: Could not fit a path to " + hugeClip +
           " (the fitted path is not finite: the positions are too large); the clip was not "
           "loaded"},
      {kClip + " --points 5", 2, "Usage: "},
      {kClip + " --up x", 2, "Usage: "},
      {turning + " --move 1 1 1 -o " + dir.path() + "/turned.bvh", 1,
       "bvh-path: This clip has no ground position channels: the path cannot move it"},
      {kClip + " --track --points 0", 1, "bvh-path: point count \"0\" is not one of 1..1000"},
      {kClip + " --track --points 1001", 1, "bvh-path: point count \"1001\" is not one of 1..1000"},
      {kClip + " --track --move 99 1 1", 1, "bvh-path: There is no control point 99"},
      {kClip + " -o " + existing, 1,
       "bvh-path: " + existing + " exists; give --force to replace it"},
      {kClip + " -o " + noFolder, 1,
       "bvh-path: Cannot open " + noFolder + " for writing: No such file or directory"},
      {kClip + " -o " + dir.path() + " --force", 1,
       "bvh-path: Cannot open " + dir.path() + " for writing: Is a directory"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.arguments);
    const PathRun run = runPath(row.arguments);
    EXPECT_EQ(run.status, row.status);
    EXPECT_EQ(run.firstErrorLine.substr(0, row.firstLine.size()), row.firstLine);
    if (row.status == 2) {
      EXPECT_EQ(run.output, "");
    }
  }
  // No failure leaves a file behind or touches the one that was there.
  EXPECT_EQ(namesIn(dir.path()),
            (std::set<std::string>{"notes.bvh", "existing.bvh", "turning.bvh", "huge.bvh"}));
  // The window's status line says the same.
  EditSession session;
  ASSERT_TRUE(session.load(turning));
  EXPECT_NE(session.message().find(
                ". This clip has no ground position channels: the path cannot move it"),
            std::string::npos);
  EXPECT_EQ(readFile(existing), "keep me");
}

TEST(BvhPathTest, AZUpClipSaysSoAndPrintsGroundXYThenHeight) {
  const std::string zombie = std::string(MPE_CLIP_DATA_DIR) + "/makehuman-zombieWalk1.bvh";
  const PathRun run = runPath(zombie + " --move 2 0 5");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.firstErrorLine, "bvh-path: up axis: Z");
  // The zombie walks in place at the ground origin: point 2 stands 5 along y.
  EXPECT_NE(run.output.find("point 2: 0.000000 5.000000 0.050000\n"), std::string::npos)
      << run.output;
  EXPECT_EQ(runPath(zombie + " --up y").firstErrorLine.find("up axis"), std::string::npos);
}

TEST(BvhPathTest, MovesPrintsAndWritesWhatTheEditSessionWrites) {
  TempDir dir;
  const SessionRun session = runSession([](EditSession& edited) {
    ASSERT_TRUE(edited.movePoint(2, 12.5, -3.25));
    ASSERT_TRUE(edited.movePoint(0, -1, 2));
  });
  const std::string& points = session.points;
  const std::string moves = " --move 2 12.5 -3.25 --move 0 -1 2";

  const std::string out = dir.path() + "/out.bvh";
  const PathRun written = runPath(kClip + moves + " -o " + out);
  EXPECT_EQ(written.status, 0);
  EXPECT_EQ(written.output, points);
  const std::string& bytes = session.bytes;
  ASSERT_GT(bytes.size(), 1000u);
  EXPECT_EQ(readFile(out), bytes);

  // --force replaces an existing file with the same bytes.
  const std::string old = dir.write("old.bvh", "old");
  EXPECT_EQ(runPath(kClip + moves + " -o " + old + " --force").status, 0);
  EXPECT_EQ(readFile(old), bytes);
  EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{"out.bvh", "old.bvh"}));
}

TEST(BvhPathTest, TrackPrintsAndWritesTheEditSessionsTrackPath) {
  TempDir dir;
  const SessionRun session = runSession([](EditSession& edited) {
    edited.setKind(pathKindOf("track"));
    edited.refit(5);
    ASSERT_TRUE(edited.movePoint(2, 12.5, -3.25));
  });
  const std::string& points = session.points;
  const std::string out = dir.path() + "/out.bvh";
  const PathRun written = runPath(kClip + " --track --points 5 --move 2 12.5 -3.25 -o " + out);
  EXPECT_EQ(written.status, 0);
  EXPECT_EQ(written.output, points);
  EXPECT_EQ(std::count(points.begin(), points.end(), '\n'), 5);
  ASSERT_GT(session.bytes.size(), 1000u);
  EXPECT_EQ(readFile(out), session.bytes);
  // The fit's own count; the path starts where the clip's first frame stands.
  const std::string own = runPath(kClip + " --track").output;
  EXPECT_EQ(own.substr(0, own.find('\n')), "point 0: -88.632700 0.000000 35.628300");
}

// Two runs writing one new OUT at the same moment (a batch with two clips of
// one name): exactly one succeeds, the other says why, and the file is whole.
TEST(BvhPathTest, TwoRunsForOneOutputNeverBothSucceed) {
  TempDir dir;
  const std::string out = dir.path() + "/out.bvh";
  const std::string run = kPath + " " + kClip + " -o " + out + " >/dev/null";
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    std::filesystem::remove(out);
    const testsupport::CommandRun both = testsupport::runCommand(
        "cd " + dir.path() + " || exit 9; (" + run + " 2>e1; echo $? >s1) & (" + run +
        " 2>e2; echo $? >s2) & wait; cat s1 s2 && head -n1 e1 e2");
    EXPECT_EQ(both.status, 0);
    const std::string statuses = both.output.substr(0, 4);
    ASSERT_TRUE(statuses == "0\n1\n" || statuses == "1\n0\n") << both.output;
    // The loser's first line: at the start, when creating its temporary file
    // or when putting the file in place.
    const std::string loser = statuses[0] == '1' ? "e1" : "e2";
    const std::string heading = "==> " + loser + " <==\n";
    const size_t at = both.output.find(heading);
    ASSERT_NE(at, std::string::npos) << both.output;
    const size_t start = at + heading.size();
    const std::string first = both.output.substr(start, both.output.find('\n', start) - start);
    EXPECT_TRUE(first == "bvh-path: " + out + " exists; give --force to replace it" ||
                first == "bvh-path: Cannot open " + out + " for writing: File exists" ||
                first == "bvh-path: Failed to write " + out + ": File exists")
        << first;
    EXPECT_EQ(readFile(out).substr(0, 10), "HIERARCHY\n");
    EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{"out.bvh", "s1", "s2", "e1", "e2"}));
  }
}

}  // namespace
