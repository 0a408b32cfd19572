#pragma once

#include <vector>

// Everything the editor does at a key press or a control's click, and the
// keys that do it. Headless: the view's key handling and the key list read
// the one table; the editor's actions carry the commands out.

enum class Command {
  playPause,
  frameForward,
  frameBackward,
  toggleStrobing,
  toggleUsesPath,
  toggleFollowMotion,
  resetCamera,
  frameFigure,
  undo,
  redo,
  loadPath,
  writePath,
  deselect,
  switchPathKind,
  insertPoint,
  deletePoint,
  switchUpAxis,
  // The selected point one step along the ground, as the view shows it:
  // left, right, away from the camera, towards it.
  nudgeLeft,
  nudgeRight,
  nudgeAway,
  nudgeNear,
  nextPoint,
  previousPoint,
  firstFrame,
  lastFrame,
  rangeStart,
  rangeEnd,
  clearRange,
  topView,
  frameAll,
  toggleLevelOrbit,
  toggleGhost,
  toggleTrail,
  toggleSpreadStrobe,
  toggleKeyList,
  toggleContacts,
  togglePace,
  toggleFeet,
};

// Keys other than printable characters, which stand for themselves (letters
// in lower case, Space as ' ').
enum : int {
  keyEscape = 0x100,
  keyTab,
  keyLeft,
  keyUp,
  keyRight,
  keyDown,
  keyHome,
  keyEnd,
  keyInsert,
  keyDelete,
  keyF1,
};

// Whether a modifier must be held, must not be, or does not matter.
enum class Held : unsigned char { no, yes, either };

// One key press as the view saw it.
struct KeyPress {
  int key = 0;
  bool ctrl = false;
  bool shift = false;
};

struct CommandRow {
  Command command;
  int key;
  Held ctrl;
  Held shift;
  // How many times one press runs the command (Shift+arrow: ten steps).
  int times;
  // The keys and what they do, as the key list shows them; a row without
  // keys text is a second key of the row before and is not listed.
  const char* keys;
  const char* does;
};

// Every key of the editor, in the order the key list shows them.
const std::vector<CommandRow>& commandTable();

// The first row whose key and modifiers match press, or null.
const CommandRow* commandForKey(const KeyPress& press);
