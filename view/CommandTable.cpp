#include "view/CommandTable.h"

namespace {

bool matches(Held held, bool down) { return held == Held::either || (held == Held::yes) == down; }

}  // namespace

const std::vector<CommandRow>& commandTable() {
  using C = Command;
  constexpr Held no = Held::no;
  constexpr Held yes = Held::yes;
  constexpr Held any = Held::either;
  // Rows that need Ctrl or Shift come before the ones that take any, so
  // that Ctrl+S writes and Shift+Left takes ten steps.
  static const std::vector<CommandRow> rows = {
      {C::undo, 'z', yes, no, 1, "Ctrl+Z", "Undo the last edit"},
      {C::redo, 'z', yes, yes, 1, "Ctrl+Shift+Z, Ctrl+Y", "Redo"},
      {C::redo, 'y', yes, any, 1, nullptr, nullptr},
      {C::writePath, 's', yes, any, 1, "Ctrl+S", "Write the edited clip (Write Path)"},
      {C::clearRange, 'i', no, yes, 1, "Shift+I", "Clear the play range"},
      {C::previousPoint, keyTab, no, yes, 1, "Shift+Tab", "Select the previous point"},
      {C::playPause, ' ', any, any, 1, "Space", "Play or pause"},
      {C::frameBackward, ',', any, any, 1, ", and .", "One frame back, one on"},
      {C::frameForward, '.', any, any, 1, nullptr, nullptr},
      {C::nudgeLeft, keyLeft, any, yes, 10, "Shift+arrows", "Move the selected point ten steps"},
      {C::nudgeRight, keyRight, any, yes, 10, nullptr, nullptr},
      {C::nudgeAway, keyUp, any, yes, 10, nullptr, nullptr},
      {C::nudgeNear, keyDown, any, yes, 10, nullptr, nullptr},
      {C::nudgeLeft, keyLeft, any, no, 1, "Arrows", "Move the selected point one step"},
      {C::nudgeRight, keyRight, any, no, 1, nullptr, nullptr},
      {C::nudgeAway, keyUp, any, no, 1, nullptr, nullptr},
      {C::nudgeNear, keyDown, any, no, 1, nullptr, nullptr},
      {C::nextPoint, keyTab, no, no, 1, "Tab", "Select the next point"},
      {C::deselect, keyEscape, any, any, 1, "Escape", "Select no point"},
      {C::switchPathKind, 't', any, any, 1, "T", "Loop path or track path"},
      {C::insertPoint, keyInsert, any, any, 1, "Insert", "Insert a point after the selected one"},
      {C::deletePoint, keyDelete, any, any, 1, "Delete", "Delete the selected point"},
      {C::switchUpAxis, 'u', any, any, 1, "U", "Y up or Z up"},
      {C::frameFigure, 'f', any, any, 1, "F", "Frame the figure"},
      {C::frameAll, 'a', no, any, 1, "A", "Frame the whole clip and its paths"},
      {C::topView, '7', no, any, 1, "7", "Top view, or back from it"},
      {C::toggleLevelOrbit, 'l', no, any, 1, "L", "Level orbit: turning never rolls"},
      {C::firstFrame, keyHome, any, any, 1, "Home, End", "First frame, last frame"},
      {C::lastFrame, keyEnd, any, any, 1, nullptr, nullptr},
      {C::rangeStart, 'i', no, no, 1, "I, O", "Start, end the play range here"},
      {C::rangeEnd, 'o', no, any, 1, nullptr, nullptr},
      {C::toggleGhost, 'g', no, any, 1, "G", "Ghost of the figure as captured"},
      {C::toggleTrail, 'm', no, any, 1, "M", "Trails of the carried joint"},
      {C::toggleSpreadStrobe, 's', no, any, 1, "S", "Spread strobe over the clip or range"},
      {C::toggleContacts, 'k', no, any, 1, "K", "Foot contacts on the floor"},
      {C::togglePace, 'p', no, any, 1, "P", "Keep Pace: frames keep their distance along the path"},
      {C::toggleFeet, 'j', no, any, 1, "J", "Keep planted feet planted, or let the legs go"},
      {C::toggleKeyList, keyF1, any, any, 1, "F1, ?", "Show or hide these keys"},
      {C::toggleKeyList, '?', any, any, 1, nullptr, nullptr},
  };
  return rows;
}

const CommandRow* commandForKey(const KeyPress& press) {
  for (const CommandRow& row : commandTable()) {
    if (row.key == press.key && matches(row.ctrl, press.ctrl) && matches(row.shift, press.shift)) {
      return &row;
    }
  }
  return nullptr;
}
