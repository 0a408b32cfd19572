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

namespace {

using testsupport::captureStdout;
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

// What the edit session prints (as bvh-path would) and writes after edit.
struct SessionRun {
  std::string points;
  std::string bytes;
};

SessionRun runSession(const std::function<void(EditSession&)>& edit) {
  SessionRun run;
  const TempDir dir;
  const std::string file = dir.path() + "/session.bvh";
  captureStdout([&] {
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
  });
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
  // A root that only turns: nothing the path could carry.
  const std::string turning = dir.write(
      "turning.bvh",
      "HIERARCHY\nROOT Hips\n{\nOFFSET 0 0 0\nCHANNELS 3 Zrotation Xrotation Yrotation\n"
      "End Site\n{\nOFFSET 0 10 0\n}\n}\nMOTION\nFrames: 2\nFrame Time: 0.1\n0 0 0\n10 0 0\n");
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
       "bvh-path: Could not write " + noFolder + ": Cannot open " + noFolder + " for writing"},
      {kClip + " -o " + dir.path() + " --force", 1, "bvh-path: Could not write " + dir.path()},
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
            (std::set<std::string>{"notes.bvh", "existing.bvh", "turning.bvh"}));
  // The window's status line says the same.
  EditSession session;
  captureStdout([&] { ASSERT_TRUE(session.load(turning)); });
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
    edited.setKind(EditSession::PathKind::track);
    edited.fitTrack(5);
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

}  // namespace
