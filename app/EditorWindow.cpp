#include "app/EditorWindow.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>

#include "app/StartUp.h"
#include "app/WideValueSlider.h"
#include "view/FileChooser.h"
#include "view/QuestionDialog.h"

namespace {

enum class Kind { check, push, box, frameSlider, rateSlider, rateInput };

// One control of the strip: what it is, where, its label (and label size;
// 0 for the toolkit's), the one operation its callback runs, and for a
// switch the state it shows.
struct ControlRow {
  Kind kind;
  int x, y, w, h;
  const char* label;
  int labelSize;
  void (*act)(EditorWindow& window, Fl_Widget& widget);
  bool (*shows)(const ViewState& state);
};

bool showsAnimated(const ViewState& s) { return s.playback.animated(); }

template <Command command>
void runCommand(EditorWindow& window, Fl_Widget&) {
  window.actions().run(command);
}

double valueOf(Fl_Widget& widget) { return static_cast<Fl_Valuator&>(widget).value(); }

// The controls in creation order; each keeps its place in the window. Labels
// that would not fit are set smaller.
const ControlRow controlRows[] = {
    {Kind::check, 5, 10, 20, 20, "\nStrobing", 12, runCommand<Command::toggleStrobing>,
     [](const ViewState& s) { return s.playback.strobing(); }},
    {Kind::push, 15, 70, 85, 30, "Reset Camera", 11, runCommand<Command::resetCamera>, nullptr},
    {Kind::check, 80, 5, 30, 30, "Animated", 0, runCommand<Command::playPause>, showsAnimated},
    {Kind::check, 80, 35, 30, 30, "Uses Path", 0, runCommand<Command::toggleUsesPath>,
     [](const ViewState& s) { return s.usesPath; }},
    {Kind::check, 100, 70, 30, 30, "Follow Motion", 0, runCommand<Command::toggleFollowMotion>,
     [](const ViewState& s) { return s.camera.following(); }},
    {Kind::push, 200, 5, 75, 30, "Load Path", 0, runCommand<Command::loadPath>, nullptr},
    {Kind::push, 200, 40, 75, 30, "Write Path", 0, runCommand<Command::writePath>, nullptr},
    {Kind::push, 500, 5, 110, 30, "Frame Forward", 12, runCommand<Command::frameForward>, nullptr},
    {Kind::push, 500, 35, 110, 30, "Frame Backward", 12, runCommand<Command::frameBackward>,
     nullptr},
    {Kind::frameSlider, 670, 5, 200, 25, "Change Current Frame", 0,
     [](EditorWindow& w, Fl_Widget& c) { w.actions().setCurrentFrame(valueOf(c)); }, nullptr},
    {Kind::rateSlider, 670, 50, 200, 25, "Change Frame Rate", 0,
     [](EditorWindow& w, Fl_Widget& c) { w.actions().setFrameTime(valueOf(c)); }, nullptr},
    {Kind::push, 336, 25, 20, 20, "->", 0,
     [](EditorWindow& w, Fl_Widget&) { w.actions().panX(-0.5); }, nullptr},
    {Kind::push, 310, 25, 20, 20, "<-", 0,
     [](EditorWindow& w, Fl_Widget&) { w.actions().panX(0.5); }, nullptr},
    {Kind::push, 322, 0, 20, 25, "^\n|", 10,
     [](EditorWindow& w, Fl_Widget&) { w.actions().panZ(0.5); }, nullptr},
    {Kind::push, 322, 45, 20, 25, "|\nV", 10,
     [](EditorWindow& w, Fl_Widget&) { w.actions().panZ(-0.5); }, nullptr},
    {Kind::box, 310, 75, 20, 20, "Camera Controls", 0, nullptr, nullptr},
    {Kind::rateInput, 395, 22, 95, 24, "Seconds a Frame", 12,
     [](EditorWindow& w, Fl_Widget& c) { w.actions().typeFrameTime(valueOf(c)); }, nullptr},
    {Kind::push, 395, 56, 95, 24, "Clip's Rate", 12,
     [](EditorWindow& w, Fl_Widget&) { w.actions().useClipRate(); }, nullptr},
};

// Every control's callback: the row's operation, then the keyboard goes back
// to the view (typing into a field ends with Return).
void controlCallback(Fl_Widget* widget, void* row) {
  auto& window = *static_cast<EditorWindow*>(widget->window());
  static_cast<const ControlRow*>(row)->act(window, *widget);
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

EditorWindow::EditorWindow() : Fl_Double_Window(100, 100, 900, 700, "Motion Capture Path Editing") {
  startUp(session_, [] { return chooseFile("Choose a BVH File: ", "*.bvh"); });
  buildView();
  buildControls();
  callback(closeCallback);
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

void EditorWindow::buildControls() {
  // Toolkit children: the group deletes them.
  for (const ControlRow& row : controlRows) {
    Fl_Widget* control = nullptr;
    const double frames = static_cast<double>(session_.motion().frameCount);
    const double pace = state_.playback.frameTime();
    switch (row.kind) {
      case Kind::check:
        control = new Fl_Check_Button(row.x, row.y, row.w, row.h, row.label);
        switches_.emplace_back(static_cast<Fl_Check_Button*>(control), row.shows);
        if (row.shows == showsAnimated) animated = switches_.back().first;
        break;
      case Kind::push:
        control = new Fl_Button(row.x, row.y, row.w, row.h, row.label);
        break;
      case Kind::box:
        control = new Fl_Box(row.x, row.y, row.w, row.h, row.label);
        break;
      case Kind::frameSlider:
        frameSlider = new WideValueSlider(row.x, row.y, row.w, row.h, row.label, frames, 0.0);
        // Whole frames.
        frameSlider->step(1.0);
        control = frameSlider;
        break;
      case Kind::rateSlider:
        control = rateSlider =
            new WideValueSlider(row.x, row.y, row.w, row.h, row.label, 1.0, pace);
        break;
      case Kind::rateInput:
        control = rateInput = new Fl_Value_Input(row.x, row.y, row.w, row.h, row.label);
        rateInput->align(FL_ALIGN_TOP);
        rateInput->value(pace);
        rateInput->when(FL_WHEN_ENTER_KEY_ALWAYS);
        break;
    }
    if (row.labelSize > 0) control->labelsize(row.labelSize);
    if (row.act != nullptr) control->callback(controlCallback, const_cast<ControlRow*>(&row));
    // Clicking a control leaves the keyboard with the view, so the view's
    // keys work whatever was clicked last; only a typed field takes it, while
    // typing.
    if (row.kind != Kind::rateInput) control->clear_visible_focus();
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

void EditorWindow::changed() {
  view->redraw();
  syncControls();
  schedulePlayback();
}

void EditorWindow::syncControls() {
  const Playback& playback = state_.playback;
  frameSlider->bounds(0.0, static_cast<double>(session_.motion().frameCount));
  frameSlider->value(static_cast<double>(playback.frame()));
  rateSlider->value(playback.frameTime());
  // Never under the fingers of someone typing a rate.
  if (Fl::focus() != rateInput) rateInput->value(playback.frameTime());
  for (const auto& [button, shows] : switches_) button->value(shows(state_) ? 1 : 0);
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
