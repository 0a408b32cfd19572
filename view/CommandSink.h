#pragma once

#include <string>

#include "view/CommandTable.h"

// What the view asks of the editor while turning the user's input into
// commands: it draws and translates, the sink carries out. The editor's
// actions (app/EditorActions) implement it; every call changes the session or
// the view state, never the view itself.
class CommandSink {
 public:
  virtual ~CommandSink() = default;

  // Runs command times in a row (Shift+arrow: ten steps). False when it does
  // not apply now (an arrow with no point selected): nothing changed, and the
  // key is left to others.
  virtual bool run(Command command, int times) = 0;
  // A left press picked control point index of the path shown, or none (-1).
  virtual void selectPoint(int index) = 0;
  // A left-button drag moved the selected point by dx, dz along the ground
  // frame (clip units); endDrag closes the drag as one undo step.
  virtual void dragSelected(double dx, double dz) = 0;
  virtual void endDrag() = 0;
  // Mouse wheel notches (negative: away from the user, zoom in).
  virtual void zoom(int notches) = 0;
  // A right-button drag in the view's unit square (-1..1, y up): where it
  // began and where it is now.
  virtual void beginTurn(float unitX, float unitY) = 0;
  virtual void turnTo(float unitX, float unitY) = 0;
  // Called as each drawing begins: a following camera glides after the
  // figure once per picture.
  virtual void aboutToDraw() = 0;
  // The view's own console text (texture tries, the deep-hierarchy notice).
  virtual void console(const std::string& text) = 0;
  // The view's size in pixels, whenever it changes.
  virtual void viewResized(int width, int height) = 0;
};
