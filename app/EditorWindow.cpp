#include "app/EditorWindow.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Float_Input.H>
#include <FL/Fl_Int_Input.H>
#include <FL/Fl_Menu_Button.H>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/StartUp.h"
#include "app/WideValueSlider.h"
#include "motion/GroundAxes.h"
#include "view/FileChooser.h"
#include "view/QuestionDialog.h"

// What a control of the strip is.
enum class ControlKind {
  check,
  push,
  box,
  frameSlider,
  rateSlider,
  rateInput,
  frameInput,
  pointXInput,
  pointZInput,
  menu
};

// What a switch or a menu's toggle shows.
using Shows = bool (*)(const ViewState& state, const EditSession& session);

// One control of the strip: what it is, where, its label (and label size;
// 0 for the toolkit's), the one operation its callback runs, and for a
// switch the state it shows.
struct ControlRow {
  ControlKind kind;
  int x, y, w, h;
  const char* label;
  int labelSize;
  void (*act)(EditorWindow& window, Fl_Widget& widget);
  Shows shows;
};

namespace {

// One item of a menu of the strip: its menu, its label with its key, its
// command, and for a toggle the state it shows.
struct MenuRow {
  const char* menu;
  const char* label;
  Command command;
  Shows shows;
};

bool showsAnimated(const ViewState& s, const EditSession&) { return s.playback.animated(); }

template <Command command>
void runCommand(EditorWindow& window, Fl_Widget&) {
  window.actions().run(command);
}

double valueOf(Fl_Widget& widget) { return static_cast<Fl_Valuator&>(widget).value(); }

// A typed number, or NaN for text that is not one.
double typedNumber(const Fl_Input& input) {
  const char* text = input.value();
  char* end = nullptr;
  const double value = std::strtod(text, &end);
  return end == text ? std::nan("") : value;
}

// The point's two typed coordinates, whichever field took the Return.
void typePoint(EditorWindow& window, Fl_Widget&) {
  window.actions().movePointTo(typedNumber(*window.pointX), typedNumber(*window.pointZ));
}

// The controls in creation order; each keeps its place in the window. The
// first eighteen are the editor's long-standing ones; labels that would not
// fit are set smaller.
const ControlRow controlRows[] = {
    {ControlKind::check, 5, 10, 20, 20, "\nStrobing", 12, runCommand<Command::toggleStrobing>,
     [](const ViewState& s, const EditSession&) { return s.playback.strobing(); }},
    {ControlKind::push, 15, 70, 85, 30, "Reset Camera", 11, runCommand<Command::resetCamera>,
     nullptr},
    {ControlKind::check, 80, 5, 30, 30, "Animated", 0, runCommand<Command::playPause>,
     showsAnimated},
    {ControlKind::check, 80, 35, 30, 30, "Uses Path", 0, runCommand<Command::toggleUsesPath>,
     [](const ViewState& s, const EditSession&) { return s.usesPath; }},
    {ControlKind::check, 100, 70, 30, 30, "Follow Motion", 0,
     runCommand<Command::toggleFollowMotion>,
     [](const ViewState& s, const EditSession&) { return s.camera.following(); }},
    {ControlKind::push, 200, 5, 75, 30, "Load Path", 0, runCommand<Command::loadPath>, nullptr},
    {ControlKind::push, 200, 40, 75, 30, "Write Path", 0, runCommand<Command::writePath>, nullptr},
    {ControlKind::push, 500, 5, 110, 30, "Frame Forward", 12, runCommand<Command::frameForward>,
     nullptr},
    {ControlKind::push, 500, 35, 110, 30, "Frame Backward", 12, runCommand<Command::frameBackward>,
     nullptr},
    {ControlKind::frameSlider, 670, 5, 200, 25, "Change Current Frame", 0,
     [](EditorWindow& w, Fl_Widget& c) { w.actions().setCurrentFrame(valueOf(c)); }, nullptr},
    {ControlKind::rateSlider, 670, 50, 200, 25, "Change Frame Rate", 0,
     [](EditorWindow& w, Fl_Widget& c) { w.actions().setFrameTime(valueOf(c)); }, nullptr},
    {ControlKind::push, 336, 25, 20, 20, "->", 0,
     [](EditorWindow& w, Fl_Widget&) { w.actions().panX(-0.5); }, nullptr},
    {ControlKind::push, 310, 25, 20, 20, "<-", 0,
     [](EditorWindow& w, Fl_Widget&) { w.actions().panX(0.5); }, nullptr},
    {ControlKind::push, 322, 0, 20, 25, "^\n|", 10,
     [](EditorWindow& w, Fl_Widget&) { w.actions().panZ(0.5); }, nullptr},
    {ControlKind::push, 322, 45, 20, 25, "|\nV", 10,
     [](EditorWindow& w, Fl_Widget&) { w.actions().panZ(-0.5); }, nullptr},
    {ControlKind::box, 310, 75, 20, 20, "Camera Controls", 0, nullptr, nullptr},
    {ControlKind::rateInput, 395, 22, 95, 24, "Seconds a Frame", 12,
     [](EditorWindow& w, Fl_Widget& c) { w.actions().typeFrameTime(valueOf(c)); }, nullptr},
    {ControlKind::push, 395, 56, 95, 24, "Clip's Rate", 12,
     [](EditorWindow& w, Fl_Widget&) { w.actions().useClipRate(); }, nullptr},
    // The frame slider's own value box, typed into.
    {ControlKind::frameInput, 670, 5, WideValueSlider::valueWidth, 25, "Frame", 0,
     [](EditorWindow& w, Fl_Widget& c) {
       w.actions().goToFrame(typedNumber(static_cast<Fl_Input&>(c)));
     },
     nullptr},
    {ControlKind::box, 612, 2, 56, 16, "Point", 10, nullptr, nullptr},
    {ControlKind::pointXInput, 626, 18, 42, 22, "x", 11, typePoint, nullptr},
    {ControlKind::pointZInput, 626, 43, 42, 22, "z", 11, typePoint, nullptr},
    {ControlKind::menu, 500, 70, 36, 24, "View", 11, nullptr, nullptr},
    {ControlKind::menu, 537, 70, 36, 24, "Path", 11, nullptr, nullptr},
    {ControlKind::menu, 574, 70, 36, 24, "Play", 11, nullptr, nullptr},
};

// The items of the menus of controlRows: a key's control is one line here
// (and its key one row of the command table).
const MenuRow menuRows[] = {
    {"View", "Top View (7)", Command::topView,
     [](const ViewState& s, const EditSession&) { return s.camera.topView(); }},
    {"View", "Frame All (A)", Command::frameAll, nullptr},
    {"View", "Level Orbit (L)", Command::toggleLevelOrbit,
     [](const ViewState& s, const EditSession&) { return s.camera.levelOrbit(); }},
    {"View", "Ghost (G)", Command::toggleGhost,
     [](const ViewState& s, const EditSession&) { return s.ghost; }},
    {"View", "Trails (M)", Command::toggleTrail,
     [](const ViewState& s, const EditSession&) { return s.trail; }},
    {"View", "Spread Strobe (S)", Command::toggleSpreadStrobe,
     [](const ViewState& s, const EditSession&) { return s.spreadStrobe; }},
    {"View", "Foot Contacts (K)", Command::toggleContacts,
     [](const ViewState& s, const EditSession&) { return s.contacts; }},
    {"View", "Keys (F1, ?)", Command::toggleKeyList,
     [](const ViewState& s, const EditSession&) { return s.keyList; }},
    {"Path", "Next Kind of Path (T)", Command::switchPathKind, nullptr},
    {"Path", "Keep Pace (P)", Command::togglePace,
     [](const ViewState&, const EditSession& e) { return e.pace() == PathPace::keep; }},
    {"Path", "Keep Feet Planted (J)", Command::toggleFeet,
     [](const ViewState&, const EditSession& e) { return e.keepsFeet(); }},
    {"Path", "Next Point (Tab)", Command::nextPoint, nullptr},
    {"Path", "Previous Point (Shift+Tab)", Command::previousPoint, nullptr},
    {"Path", "Insert Point (Insert)", Command::insertPoint, nullptr},
    {"Path", "Delete Point (Delete)", Command::deletePoint, nullptr},
    {"Play", "First Frame (Home)", Command::firstFrame, nullptr},
    {"Play", "Last Frame (End)", Command::lastFrame, nullptr},
    {"Play", "Range Start Here (I)", Command::rangeStart, nullptr},
    {"Play", "Range End Here (O)", Command::rangeEnd, nullptr},
    {"Play", "Clear Range (Shift+I)", Command::clearRange, nullptr},
};

// Every control's callback: the row's operation, then the keyboard goes back
// to the view (typing into a field ends with Return).
void controlCallback(Fl_Widget* widget, void* row) {
  auto& window = *static_cast<EditorWindow*>(widget->window());
  static_cast<const ControlRow*>(row)->act(window, *widget);
  Fl::focus(window.view.get());
  window.syncControls();
}

void menuCallback(Fl_Widget* widget, void* row) {
  auto& window = *static_cast<EditorWindow*>(widget->window());
  window.actions().run(static_cast<const MenuRow*>(row)->command);
  Fl::focus(window.view.get());
  window.syncControls();
}

// The window's close box, and Escape when no widget used it.
void closeCallback(Fl_Widget* widget, void*) {
  auto* window = static_cast<EditorWindow*>(widget);
  // Escape would close the editor at once: it is not a way to quit here.
  if (Fl::event() == FL_SHORTCUT && Fl::event_key() == FL_Escape) return;
  if (window->actions().mayClose()) window->hide();
}

// A field shows value unless someone is typing into it.
void showUntyped(Fl_Input* field, const std::string& value) {
  if (Fl::focus() != field && value != field->value()) field->value(value.c_str());
}

Fl_Menu_Button* makeMenu(const ControlRow& row) {
  auto* menu = new Fl_Menu_Button(row.x, row.y, row.w, row.h, row.label);
  for (const MenuRow& item : menuRows) {
    if (std::string(item.menu) != row.label) continue;
    menu->add(item.label, 0, menuCallback, const_cast<MenuRow*>(&item),
              item.shows != nullptr ? FL_MENU_TOGGLE : 0);
  }
  return menu;
}

}  // namespace

EditorActions::Seams toolkitSeams() {
  EditorActions::Seams seams;
  seams.ask = askQuestion;
  seams.choose = [](const char* message, const char* pattern, const char* suggested) {
    return chooseFile(message, pattern, suggested);
  };
  seams.console = printToConsole;
  return seams;
}

EditorWindow::EditorWindow(const std::string& clip)
    : Fl_Double_Window(100, 100, 900, 700, "Motion Capture Path Editing") {
  // A clip named on the command line is loaded as a chosen one would be.
  startUp(session_, [&clip] {
    return clip.empty() ? chooseFile("Choose a BVH File: ", "*.bvh") : clip.c_str();
  });
  buildView();
  buildControls();
  callback(closeCallback);
  // The view grows and shrinks with the window (resize), the controls keep
  // their places.
  resizable(nullptr);
  size_range(900, 700);
  actions_->setChanged([this] { changed(); });
  syncControls();
  schedulePlayback();
}

void EditorWindow::buildView() {
  state_.width = 900;
  state_.height = 600;
  actions_ = std::make_unique<EditorActions>(session_, state_, toolkitSeams());
  // The chooser's window left no group current: the view goes into this one.
  begin();
  // The window's first toolkit child; held by `view`, which the destructor takes
  // out of the group before deleting it.
  view.reset(new MotionView(0, 100, 900, 600, session_, state_, *actions_));
}

Fl_Widget* EditorWindow::makeControl(const ControlRow& row) {
  const double frames = static_cast<double>(session_.motion().frameCount);
  const double pace = state_.playback.frameTime();
  switch (row.kind) {
    case ControlKind::check: {
      auto* button = new Fl_Check_Button(row.x, row.y, row.w, row.h, row.label);
      switches_.emplace_back(button, row.shows);
      if (row.shows == showsAnimated) animated = button;
      return button;
    }
    case ControlKind::push:
      return new Fl_Button(row.x, row.y, row.w, row.h, row.label);
    case ControlKind::box:
      return new Fl_Box(row.x, row.y, row.w, row.h, row.label);
    case ControlKind::frameSlider:
      frameSlider = new WideValueSlider(row.x, row.y, row.w, row.h, row.label, frames, 0.0, false);
      // Whole frames.
      frameSlider->step(1.0);
      return frameSlider;
    case ControlKind::rateSlider:
      return rateSlider = new WideValueSlider(row.x, row.y, row.w, row.h, row.label, 1.0, pace);
    case ControlKind::rateInput:
      rateInput = new Fl_Value_Input(row.x, row.y, row.w, row.h, row.label);
      rateInput->align(FL_ALIGN_TOP);
      rateInput->value(pace);
      return rateInput;
    case ControlKind::frameInput:
      frameInput = new Fl_Int_Input(row.x, row.y, row.w, row.h, row.label);
      frameInput->labeltype(FL_NO_LABEL);
      frameInput->tooltip("The frame shown: type one and press Return");
      return frameInput;
    case ControlKind::pointXInput:
    case ControlKind::pointZInput: {
      auto* input = new Fl_Float_Input(row.x, row.y, row.w, row.h, row.label);
      input->textsize(10);
      input->tooltip("The selected point on the ground: type and press Return to move it");
      (row.kind == ControlKind::pointXInput ? pointX : pointZ) = input;
      return input;
    }
    case ControlKind::menu:
      menus_.push_back(makeMenu(row));
      return menus_.back();
  }
  return nullptr;
}

void EditorWindow::buildControls() {
  // Toolkit children: the group deletes them.
  for (const ControlRow& row : controlRows) {
    Fl_Widget* control = makeControl(row);
    if (row.labelSize > 0) control->labelsize(row.labelSize);
    if (row.act != nullptr) control->callback(controlCallback, const_cast<ControlRow*>(&row));
    // Clicking a control leaves the keyboard with the view, so the view's
    // keys work whatever was clicked last; only a typed field takes it, while
    // typing, and gives it back with Return.
    if (dynamic_cast<Fl_Input_*>(control) != nullptr || row.kind == ControlKind::rateInput) {
      control->when(FL_WHEN_ENTER_KEY_ALWAYS);
    } else {
      control->clear_visible_focus();
    }
  }
  end();
}

EditorWindow::~EditorWindow() {
  Fl::remove_timeout(playbackTimeout, this);
  actions_->setChanged(nullptr);
  // Taken out of the group first, so the toolkit does not delete it again.
  remove(view.get());
  view.reset();
}

void EditorWindow::resize(int x, int y, int w, int h) {
  Fl_Double_Window::resize(x, y, w, h);
  // The strip keeps its controls; the view takes the rest, and the status
  // line spans its bottom.
  if (view) view->resize(0, 100, w, h - 100);
}

int EditorWindow::handle(int event) {
  if (event == FL_KEYBOARD && Fl::focus() == view.get()) {
    const int key = Fl::event_key();
    const bool moves =
        key == FL_Left || key == FL_Right || key == FL_Up || key == FL_Down || key == FL_Tab;
    // The toolkit would hand the keyboard to the next widget for these.
    if (moves) {
      view->handle(FL_KEYBOARD);
      return 1;
    }
  }
  return Fl_Double_Window::handle(event);
}

void EditorWindow::changed() {
  view->redraw();
  syncControls();
  schedulePlayback();
}

void EditorWindow::syncControls() {
  const Playback& playback = state_.playback;
  frameSlider->bounds(0.0, static_cast<double>(session_.motion().frameCount));
  frameSlider->value(static_cast<double>(playback.frame()));
  static_cast<WideValueSlider*>(frameSlider)
      ->markRange(playback.hasRange(), playback.rangeFirst(), playback.rangeLast());
  showUntyped(frameInput, std::to_string(playback.frame()));
  rateSlider->value(playback.frameTime());
  // Never under the fingers of someone typing a rate.
  if (Fl::focus() != rateInput) rateInput->value(playback.frameTime());
  syncPointFields();
  for (const auto& [button, shows] : switches_) button->value(shows(state_, session_) ? 1 : 0);
  for (Fl_Menu_Button* menu : menus_) {
    for (int i = 0; i < menu->size() - 1; ++i) {
      const auto* row = static_cast<const MenuRow*>(menu->menu()[i].user_data());
      if (row == nullptr || row->shows == nullptr) continue;
      menu->mode(i, FL_MENU_TOGGLE | (row->shows(state_, session_) ? FL_MENU_VALUE : 0));
    }
  }
}

void EditorWindow::syncPointFields() {
  const int selected = session_.selected();
  // The ground's second axis is the clip's y with Z up.
  pointZ->label(secondGroundAxisName(session_.upAxis()));
  for (Fl_Input* field : {pointX, pointZ}) {
    if (selected < 0) {
      field->deactivate();
      showUntyped(field, "");
    } else {
      field->activate();
    }
  }
  if (selected < 0) return;
  const Point3 p = session_.point(selected);
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", p.x);
  showUntyped(pointX, text);
  std::snprintf(text, sizeof text, "%.2f", p.z);
  showUntyped(pointZ, text);
}

void EditorWindow::schedulePlayback() {
  Fl::remove_timeout(playbackTimeout, this);
  if (!state_.playback.animated()) return;
  Fl::add_timeout(actions_->secondsToNextFrame(), playbackTimeout, this);
}

bool EditorWindow::playbackScheduled() const {
  return Fl::has_timeout(playbackTimeout, const_cast<EditorWindow*>(this)) != 0;
}

void EditorWindow::playbackTimeout(void* data) {
  auto* window = static_cast<EditorWindow*>(data);
  // A step notifies, which sets the next timer; a wake-up too early sets it
  // here.
  window->actions_->tick();
  window->syncControls();
  window->schedulePlayback();
}
