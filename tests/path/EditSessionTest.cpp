#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "motion/FrameWords.h"
#include "path/EditSession.h"

namespace {

// A root walking along x and z with one rotation channel; frame i at (3i, 0, 2i).
std::string walk(int frames) {
  std::string text =
      "HIERARCHY\nROOT Hips\n{\n\tOFFSET 0 0 0\n"
      "\tCHANNELS 4 Xposition Yposition Zposition Yrotation\n"
      "\tEnd Site\n\t{\n\t\tOFFSET 0 10 0\n\t}\n}\nMOTION\n";
  text += "Frames: " + std::to_string(frames) + "\nFrame Time: 0.04\n";
  for (int i = 0; i < frames; ++i) {
    text += std::to_string(3 * i) + " 0 " + std::to_string(2 * i) + " 7\n";
  }
  return text;
}

class EditSessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    clip = dir.write("walk.bvh", walk(40));
    ASSERT_TRUE(session.load(clip));
    original = session.point(2);
  }

  double x(int index) const { return session.point(index).x; }

  testsupport::TempDir dir;
  std::string clip;
  EditSession session;
  Point3 original;
};

TEST_F(EditSessionTest, ARunOnOnePointIsOneStepAndANewMoveClearsRedo) {
  EXPECT_FALSE(session.unsaved());
  EXPECT_TRUE(session.select(2));
  // Three arrow presses, then a move of another point, then one more run.
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(session.moveSelected(0.05, 0.0));
  ASSERT_TRUE(session.movePoint(1, 0.0, -4.0));
  ASSERT_TRUE(session.movePoint(2, 1.0, 0.0));
  session.endMove();
  ASSERT_TRUE(session.movePoint(2, 1.0, 0.0));
  EXPECT_TRUE(session.unsaved());

  ASSERT_TRUE(session.undo());  // the last run only
  EXPECT_DOUBLE_EQ(x(2), original.x + 1.15);
  ASSERT_TRUE(session.undo());
  EXPECT_DOUBLE_EQ(x(2), original.x + 0.15);
  ASSERT_TRUE(session.undo());  // point 1 back
  ASSERT_TRUE(session.undo());  // the three presses at once
  EXPECT_EQ(x(2), original.x);
  EXPECT_EQ(session.selected(), 2);
  EXPECT_FALSE(session.undo());
  EXPECT_EQ(session.message(), "Nothing to undo");
  EXPECT_FALSE(session.unsaved());

  ASSERT_TRUE(session.redo());
  EXPECT_DOUBLE_EQ(x(2), original.x + 0.15);
  ASSERT_TRUE(session.movePoint(3, 2.0, 0.0));
  EXPECT_FALSE(session.canRedo());
  EXPECT_FALSE(session.redo());
}

TEST_F(EditSessionTest, WritingMarksSavedWithoutTouchingTheHistory) {
  ASSERT_TRUE(session.movePoint(2, 6.0, 0.0));
  const std::string out = dir.path() + "/out.bvh";
  ASSERT_TRUE(session.write(out));
  EXPECT_EQ(session.message(), "Wrote " + out);
  EXPECT_FALSE(session.unsaved());
  EXPECT_TRUE(session.canUndo());
  // A move after the write is a new step, even on the same point.
  ASSERT_TRUE(session.movePoint(2, 1.0, 0.0));
  EXPECT_TRUE(session.unsaved());
  ASSERT_TRUE(session.undo());
  EXPECT_FALSE(session.unsaved());  // back at what was written
  ASSERT_TRUE(session.undo());
  EXPECT_TRUE(session.unsaved());

  // Frame N/2 sits at point 2, so the written root x moved by the whole 6.
  ASSERT_TRUE(session.redo());
  BvhMotion back;
  Notes readNotes;
  ASSERT_TRUE(back.read(out.c_str(), readNotes));
  ASSERT_EQ(back.frameCount, 40);
  EXPECT_NEAR(std::atof(back.frameLine(20)), 60.0 + 6.0, 1e-6);
  EXPECT_NEAR(std::atof(back.frameLine(0)), 0.0, 1e-6);
}

TEST_F(EditSessionTest, AFailedLoadChangesNothingAndSaysWhy) {
  ASSERT_TRUE(session.movePoint(2, 6.0, 0.0));
  const std::string broken = dir.write("broken.bvh", walk(40).substr(0, 30));
  const std::string root = "HIERARCHY\nROOT Hips\n{\nOFFSET 0 0 0\nCHANNELS 1 Xposition\n";
  const std::string spaced = dir.write("spaced.bvh", root + "JOINT Left Arm\n{\n");
  const std::string noMotion =
      dir.write("no-motion.bvh", root + "End Site\n{\nOFFSET 0 1 0\n}\n}\n");
  struct Case {
    std::string name;
    std::string expectedStart;
  } cases[] = {
      {dir.path() + "/missing.bvh",
       "Could not read " + dir.path() + "/missing.bvh: No such file or directory"},
      {broken, "Could not read " + broken + ": "},
      // The console says only "Bad File4" and "Bad File11".
      {spaced,
       "Could not read " + spaced +
           ": Bad File4: \"{\" expected after JOINT Left, found \"Arm\" (a blank in the name?)"},
      {noMotion, "Could not read " + noMotion + ": Bad File11: the file ended before MOTION"},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(session.load(c.name));
    EXPECT_EQ(session.message().rfind(c.expectedStart, 0), 0u) << session.message();
    EXPECT_EQ(session.clipName(), clip);
    EXPECT_EQ(session.motion().frameCount, 40);
    EXPECT_DOUBLE_EQ(x(2), original.x + 6.0);
    EXPECT_TRUE(session.unsaved());
    EXPECT_TRUE(session.canUndo());
  }
  // A good load starts afresh.
  const std::string other = dir.write("other.bvh", walk(12));
  ASSERT_TRUE(session.load(other));
  EXPECT_EQ(session.motion().frameCount, 12);
  EXPECT_FALSE(session.unsaved());
  EXPECT_FALSE(session.canUndo());
  EXPECT_EQ(session.selected(), -1);
}

TEST_F(EditSessionTest, TheReadersAndTheWritersConsoleNotesAreKeptInOrder) {
  session.takeConsoleNotes();
  // The read's notes are there before afterRead sees the clip.
  std::string beforeFit;
  ASSERT_TRUE(
      session.load(clip, [&](const BvhMotion&) { beforeFit = session.takeConsoleNotes().text(); }));
  EXPECT_EQ(testsupport::withoutColors(beforeFit), "NumFrames 40\tFrameTime 0.040000\n");
  session.takeConsoleNotes();  // the fit's
  // A failed read leaves its error line.
  EXPECT_FALSE(session.load(dir.path() + "/missing.bvh"));
  EXPECT_EQ(session.takeConsoleNotes().text(),
            "File " + dir.path() + "/missing.bvh pointer is NULL\n");
  const std::string out = dir.path() + "/out.bvh";
  ASSERT_TRUE(session.write(out));
  EXPECT_EQ(session.takeConsoleNotes().text(), "MMM\nROOT Hips\n{");
  EXPECT_TRUE(session.takeConsoleNotes().empty());
}

TEST_F(EditSessionTest, AClipCutShortSaysSoInTheMessage) {
  std::string text = walk(40);
  text.replace(text.find("Frames: 40"), 10, "Frames: 75");
  const std::string cut = dir.write("cut.bvh", text);
  ASSERT_TRUE(session.load(cut));
  EXPECT_EQ(session.message(), "Loaded " + cut +
                                   " (40 frames). Warning: only 40 of 75 frame lines found, "
                                   "reading 40 frames");
}

TEST_F(EditSessionTest, RefusesPointsThatDoNotExist) {
  EXPECT_FALSE(session.movePoint(4, 1.0, 1.0));
  EXPECT_FALSE(session.movePoint(-1, 1.0, 1.0));
  EXPECT_FALSE(session.select(4));
  EXPECT_FALSE(session.moveSelected(1.0, 0.0));  // nothing selected
  EXPECT_FALSE(session.canUndo());
}

// A failure carries the message the status line shows; a refusal that says
// nothing new carries the message as it was.
TEST_F(EditSessionTest, AFailureCarriesTheMessageTheStatusLineShows) {
  const std::string spaced =
      dir.write("spaced.bvh",
                "HIERARCHY\nROOT Hips\n{\nOFFSET 0 0 0\nCHANNELS 1 Xposition\nJOINT Left Arm\n{\n");
  const std::string unreachable = dir.path() + "/no-folder/out.bvh";
  const std::string asItWas = "as it was";
  const std::string pointsOnTrack = "Points are inserted and deleted on the track path";
  const struct {
    const char* name;
    std::function<Status()> operation;
    std::string message;
    int line;
  } rows[] = {
      {"move of no point", [&] { return session.movePoint(4, 1.0, 1.0); },
       "There is no control point 4", 0},
      {"move past the largest number", [&] { return session.movePoint(2, HUGE_VAL, 0.0); },
       "Control point 2 moved by inf, 0 would not be finite; it stays where it is", 0},
      {"move with nothing selected", [&] { return session.moveSelected(1.0, 0.0); },
       "Select a control point first", 0},
      {"undo", [&] { return session.undo(); }, "Nothing to undo", 0},
      {"redo", [&] { return session.redo(); }, "Nothing to redo", 0},
      {"insert on the loop path", [&] { return session.insertPoint(); }, pointsOnTrack, 0},
      {"remove on the loop path", [&] { return session.removePoint(); }, pointsOnTrack, 0},
      {"select of no point", [&] { return session.select(4); }, asItWas, 0},
      {"the up axis in use", [&] { return session.setUpAxis(UpAxis::y); }, asItWas, 0},
      {"read of a bad clip", [&] { return session.load(spaced); },
       "Could not read " + spaced +
           ": Bad File4: \"{\" expected after JOINT Left, found \"Arm\" (a blank in the name?)",
       6},
      {"write into no folder", [&] { return session.write(unreachable); },
       "Cannot open " + unreachable + " for writing: No such file or directory", 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    session.setMessage(asItWas);
    const Status status = row.operation();
    ASSERT_FALSE(status.ok());
    EXPECT_EQ(status.failure().message, row.message);
    EXPECT_EQ(session.message(), row.message);
    EXPECT_EQ(status.failure().line, row.line);
  }
}

TEST(EditSessionNameTest, SuggestsANameBesideTheClip) {
  const std::pair<const char*, const char*> cases[] = {
      {"clips/walk.bvh", "clips/walk-path.bvh"},
      {"walk", "walk-path.bvh"},
      {"dir.v/walk", "dir.v/walk-path.bvh"},
      {"", "path.bvh"},
  };
  for (const auto& [clip, expected] : cases) {
    EXPECT_EQ(EditSession::suggestedWriteName(clip), expected) << clip;
  }
}

}  // namespace

TEST_F(EditSessionTest, FitsLeaveTheirConsoleLinesInTheNotesInOrder) {
  // The load in SetUp left its read's lines, then its fit's; taking them
  // empties the notes.
  const std::string all = session.takeConsoleNotes().text();
  const std::string loaded = all.substr(std::min(all.size(), all.find("Number of Frames")));
  EXPECT_EQ(testsupport::withoutColors(all.substr(0, all.size() - loaded.size())),
            "NumFrames 40\tFrameTime 0.040000\n");
  EXPECT_EQ(loaded.rfind("Number of Frames: 40\n\nGeneral setting ", 0), 0u) << loaded;
  EXPECT_NE(loaded.find("General setting 28: "), std::string::npos) << loaded;
  EXPECT_EQ(session.takeConsoleNotes().text(), "");
  ASSERT_TRUE(session.fit());
  EXPECT_EQ(session.takeConsoleNotes().text(), loaded);
  // Two fits, two reports, one after the other.
  ASSERT_TRUE(session.setUpAxis(UpAxis::z));
  ASSERT_TRUE(session.setUpAxis(UpAxis::y));
  const std::string twice = session.takeConsoleNotes().text();
  EXPECT_EQ(twice.substr(twice.size() - loaded.size()), loaded);
  EXPECT_EQ(twice.find("Number of Frames: 40\n", 1), twice.size() - loaded.size());
}

TEST_F(EditSessionTest, EachKindKeepsItsOwnSelectionAndAFitClearsIt) {
  ASSERT_TRUE(session.select(3));
  session.setKind(testsupport::trackKind());
  EXPECT_EQ(session.selected(), -1);
  ASSERT_TRUE(session.select(1));
  session.setKind(testsupport::loopKind());
  EXPECT_EQ(session.selected(), 3);
  EXPECT_FALSE(session.select(4));
  EXPECT_EQ(session.selected(), 3);
  ASSERT_TRUE(session.fit());
  EXPECT_EQ(session.selected(), -1);
  session.setKind(testsupport::trackKind());
  EXPECT_EQ(session.selected(), -1);
}

TEST_F(EditSessionTest, EachKindKeepsItsPointsAndHistoryAndWritesItself) {
  ASSERT_TRUE(session.movePoint(2, 5.0, 0.0));
  session.setKind(testsupport::trackKind());
  const int n = session.pointCount();
  ASSERT_GE(n, 4);
  // From the first frame's place (0, 0) to the last's (117, 78), along the line.
  EXPECT_EQ(session.point(0).x, 0.0);
  EXPECT_EQ(session.point(n - 1).x, 117.0);
  EXPECT_EQ(session.point(n - 1).z, 78.0);
  EXPECT_FALSE(session.canUndo());
  EXPECT_EQ(session.kindText(), "Track path, " + std::to_string(n) + " points");
  FramePlacement placement;
  std::vector<double> values;
  readFrameValues(session.motion().frameLine(5), values);
  ASSERT_TRUE(session.path().place(5, values, placement));
  EXPECT_NEAR(placement.x, 15.0, 1e-9);
  EXPECT_NEAR(placement.z, 10.0, 1e-9);
  EXPECT_EQ(placement.headingDegrees, 0.0);

  ASSERT_TRUE(session.select(1));
  const Point3 p1 = session.point(1);
  const Point3 p2 = session.point(2);
  ASSERT_TRUE(session.insertPoint());
  EXPECT_EQ(session.pointCount(), n + 1);
  EXPECT_EQ(session.selected(), 2);
  // On a straight track the middle of the segment is the midpoint.
  EXPECT_NEAR(session.point(2).x, (p1.x + p2.x) / 2.0, 1e-9);
  EXPECT_NEAR(session.point(2).z, (p1.z + p2.z) / 2.0, 1e-9);
  ASSERT_TRUE(session.movePoint(2, 0.0, 4.0));
  ASSERT_TRUE(session.select(0));
  while (session.removePoint()) ASSERT_TRUE(session.select(0));
  EXPECT_EQ(session.pointCount(), 2);
  EXPECT_EQ(session.message(), "A track path keeps at least two points");
  while (session.undo()) {
  }
  EXPECT_EQ(session.pointCount(), n);
  EXPECT_EQ(session.point(1).x, p1.x);
  EXPECT_EQ(session.point(2).z, p2.z);
  EXPECT_TRUE(session.redo());
  EXPECT_EQ(session.pointCount(), n + 1);
  ASSERT_TRUE(session.undo());

  // The loop path's edit and history outlived the switch.
  session.setKind(testsupport::loopKind());
  EXPECT_FALSE(session.insertPoint());
  EXPECT_EQ(x(2), original.x + 5.0);
  EXPECT_TRUE(session.canUndo());

  // Write writes the kind shown: the unedited track path gives the clip's
  // own positions back; the loop path's edit is still unwritten.
  session.setKind(testsupport::trackKind());
  const std::string out = dir.path() + "/track.bvh";
  ASSERT_TRUE(session.write(out));
  EXPECT_TRUE(session.unsaved());
  BvhMotion written;
  Notes readNotes;
  ASSERT_TRUE(written.read(out.c_str(), readNotes));
  ASSERT_EQ(written.frameCount, 40);
  for (int i = 0; i < 40; ++i) {
    double xz[2];
    ASSERT_EQ(std::sscanf(written.frameLine(i), "%lf %*s %lf", &xz[0], &xz[1]), 2);
    EXPECT_NEAR(xz[0], 3.0 * i, 5e-7) << i;
    EXPECT_NEAR(xz[1], 2.0 * i, 5e-7) << i;
  }
}
