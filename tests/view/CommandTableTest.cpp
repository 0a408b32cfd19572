#include <gtest/gtest.h>

#include "view/CommandTable.h"

namespace {

TEST(CommandTableTest, KeysWithTheirModifiersFindTheirCommands) {
  const struct {
    KeyPress press;
    bool found;
    Command command;
    int times;
  } rows[] = {
      {{'z', true, false}, true, Command::undo, 1},
      {{'z', true, true}, true, Command::redo, 1},
      {{'y', true, true}, true, Command::redo, 1},
      {{'s', true, false}, true, Command::writePath, 1},
      {{keyLeft, false, true}, true, Command::nudgeLeft, 10},
      {{keyLeft, true, false}, true, Command::nudgeLeft, 1},
      {{keyDown, false, false}, true, Command::nudgeNear, 1},
      {{'f', false, true}, true, Command::frameFigure, 1},
      {{'z', false, false}, false, Command::undo, 0},
      {{'q', false, false}, false, Command::undo, 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message()
                 << row.press.key << " ctrl " << row.press.ctrl << " shift " << row.press.shift);
    const CommandRow* found = commandForKey(row.press);
    ASSERT_EQ(found != nullptr, row.found);
    if (!found) continue;
    EXPECT_EQ(found->command, row.command);
    EXPECT_EQ(found->times, row.times);
  }
}

// No row hides behind an earlier one: each is found by its own key, and the
// key list names every command.
TEST(CommandTableTest, EveryRowIsReachedByItsOwnKeyAndListed) {
  const std::vector<CommandRow>& table = commandTable();
  ASSERT_FALSE(table.empty());
  ASSERT_NE(table.front().keys, nullptr);
  for (const CommandRow& row : table) {
    const KeyPress press{row.key, row.ctrl == Held::yes, row.shift == Held::yes};
    EXPECT_EQ(commandForKey(press), &row) << (row.keys ? row.keys : "a second key");
    EXPECT_EQ(row.keys == nullptr, row.does == nullptr);
  }
}

}  // namespace
