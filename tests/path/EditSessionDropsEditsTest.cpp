#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "path/EditSession.h"

namespace {

using Action = EditSession::Action;

// Which actions would throw away a moved point not yet written, and that none
// does while the path is as written (or undone back to it).
TEST(EditSessionDropsEditsTest, OnlyReplacingThePathDropsUnwrittenEdits) {
  testsupport::TempDir dir;
  std::string clip =
      "HIERARCHY\nROOT Hips\n{\n\tOFFSET 0 0 0\n"
      "\tCHANNELS 3 Xposition Yposition Zposition\n"
      "\tEnd Site\n\t{\n\t\tOFFSET 0 10 0\n\t}\n}\nMOTION\n"
      "Frames: 30\nFrame Time: 0.04\n";
  for (int i = 0; i < 30; ++i) clip += std::to_string(3 * i) + " 0 " + std::to_string(2 * i) + "\n";
  EditSession session;
  ASSERT_TRUE(session.load(dir.write("walk.bvh", clip)));

  const struct {
    Action action;
    bool drops;
  } rows[] = {
      {Action::Load, true},   {Action::Fit, true},     {Action::Close, true},
      {Action::Write, false}, {Action::Select, false}, {Action::Move, false},
      {Action::Undo, false},  {Action::Redo, false},   {Action::SetUpAxis, true},
  };
  for (const auto& row : rows) {
    EXPECT_FALSE(session.wouldDropEdits(row.action)) << "fresh clip, action " << int(row.action);
  }
  ASSERT_TRUE(session.movePoint(1, 2.0, 0.0));
  for (const auto& row : rows) {
    EXPECT_EQ(session.wouldDropEdits(row.action), row.drops) << "moved, action " << int(row.action);
  }
  ASSERT_TRUE(session.undo());
  for (const auto& row : rows) {
    EXPECT_FALSE(session.wouldDropEdits(row.action)) << "undone, action " << int(row.action);
  }
  ASSERT_TRUE(session.redo());
  ASSERT_TRUE(session.write(dir.path() + "/out.bvh"));
  for (const auto& row : rows) {
    EXPECT_FALSE(session.wouldDropEdits(row.action)) << "written, action " << int(row.action);
  }
}

}  // namespace
