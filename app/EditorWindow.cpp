#include "app/EditorWindow.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/fl_draw.H>

#include <cstdio>

#include "app/StartUp.h"
#include "view/QuestionDialog.h"

namespace {

// Every control sits directly in the editor window, which holds the view.
MotionView& viewOf(Fl_Widget* widget) {
  return *static_cast<EditorWindow*>(widget->parent())->view;
}

void strobingCallback(Fl_Widget* widget, void*) { viewOf(widget).toggleStrobing(); }
void resetCameraCallback(Fl_Widget* widget, void*) { viewOf(widget).resetCamera(); }
void animatedCallback(Fl_Widget* widget, void*) { viewOf(widget).toggleAnimated(); }
void usesPathCallback(Fl_Widget* widget, void*) { viewOf(widget).toggleUsesPath(); }
void followMotionCallback(Fl_Widget* widget, void*) { viewOf(widget).toggleFollowMotion(); }
void frameForwardCallback(Fl_Widget* widget, void*) { viewOf(widget).frameForward(); }
void frameBackwardCallback(Fl_Widget* widget, void*) { viewOf(widget).frameBackward(); }
void panRightCallback(Fl_Widget* widget, void*) { viewOf(widget).panX(-0.5); }
void panLeftCallback(Fl_Widget* widget, void*) { viewOf(widget).panX(0.5); }
void panUpCallback(Fl_Widget* widget, void*) { viewOf(widget).panZ(0.5); }
void panDownCallback(Fl_Widget* widget, void*) { viewOf(widget).panZ(-0.5); }

// A value slider whose value box holds six digits (the toolkit's fixed box
// holds about four); it never takes the keyboard, which stays with the view.
class WideValueSlider : public Fl_Value_Slider {
 public:
  WideValueSlider(int x, int y, int w, int h, const char* label)
      : Fl_Value_Slider(x, y, w, h, label) {}

  void draw() override {
    const Fl_Boxtype frame = box();
    if (damage() & FL_DAMAGE_ALL) {
      draw_box(frame, x() + valueWidth, y(), w() - valueWidth, h(), color());
    }
    Fl_Slider::draw(x() + valueWidth + Fl::box_dx(frame), y() + Fl::box_dy(frame),
                    w() - valueWidth - Fl::box_dw(frame), h() - Fl::box_dh(frame));
    draw_box(frame, x(), y(), valueWidth, h(), color());
    char text[128];
    format(text);
    fl_font(textfont(), textsize());
    fl_color(active_r() ? textcolor() : fl_inactive(textcolor()));
    fl_draw(text, x(), y(), valueWidth, h(), FL_ALIGN_CLIP);
  }

  int handle(int event) override {
    const Fl_Boxtype frame = box();
    return Fl_Slider::handle(event, x() + valueWidth + Fl::box_dx(frame), y() + Fl::box_dy(frame),
                             w() - valueWidth - Fl::box_dw(frame), h() - Fl::box_dh(frame));
  }

 private:
  static constexpr int valueWidth = 48;
};

// Typed frame times outside this range are refused.
constexpr double shortestTypedFrameTime = 0.001;
constexpr double longestTypedFrameTime = 10.0;

void currentFrameCallback(Fl_Widget* widget, void*) {
  viewOf(widget).setCurrentFrame(static_cast<Fl_Valuator*>(widget)->value());
}

void frameRateCallback(Fl_Widget* widget, void*) {
  viewOf(widget).setFrameTime(static_cast<Fl_Valuator*>(widget)->value());
}

void typedRateCallback(Fl_Widget* widget, void*) {
  EditorWindow& window = *static_cast<EditorWindow*>(widget->parent());
  MotionView& view = *window.view;
  const double value = window.rateInput->value();
  if (value >= shortestTypedFrameTime && value <= longestTypedFrameTime) {
    view.setFrameTime(value);
  } else {
    char text[128];
    std::snprintf(text, sizeof text, "A frame time is %g to %g seconds; kept %g",
                  shortestTypedFrameTime, longestTypedFrameTime, view.playback().frameTime());
    window.session().setMessage(text);
    view.redraw();
  }
  window.syncControls();
  // Typing is done: the keys belong to the view again.
  Fl::focus(&view);
}

void clipRateCallback(Fl_Widget* widget, void*) {
  EditorWindow& window = *static_cast<EditorWindow*>(widget->parent());
  MotionView& view = *window.view;
  view.setFrameTime(view.playback().clipPace());
  char text[128];
  std::snprintf(text, sizeof text, "Playing at the clip's own rate, %g s a frame",
                view.playback().frameTime());
  window.session().setMessage(text);
  view.redraw();
  window.syncControls();
}

void loadPathCallback(Fl_Widget* widget, void*) {
  EditorWindow& window = *static_cast<EditorWindow*>(widget->parent());
  window.view->chooseAndLoadPath();
  // Also after a cancel: the slider always spans the present clip.
  window.syncControls();
  Fl::focus(window.view.get());
}

void writePathCallback(Fl_Widget* widget, void*) {
  MotionView& view = viewOf(widget);
  view.chooseAndWritePath();
  Fl::focus(&view);
}

// The window's close box, and Escape when no widget used it.
void closeCallback(Fl_Widget* widget, void*) {
  auto* window = static_cast<EditorWindow*>(widget);
  // Escape would close the editor at once: it is not a way to quit here.
  if (Fl::event() == FL_SHORTCUT && Fl::event_key() == FL_Escape) return;
  MotionView& view = *window->view;
  if (view.session().wouldDropEdits(EditSession::Action::Close) &&
      !view.agreesToDropEdits("Close", "Close")) {
    window->session().setMessage("Kept editing; the edits are not written yet");
    view.redraw();
    return;
  }
  window->hide();
}

Fl_Value_Slider* makeSlider(int x, int y, int w, int h, const char* label, double high,
                            double value) {
  auto* slider = new WideValueSlider(x, y, w, h, label);
  slider->type(FL_HOR_NICE_SLIDER);
  slider->bounds(0.0, high);
  slider->value(value);
  return slider;
}

}  // namespace

EditorWindow::EditorWindow() : Fl_Double_Window(100, 100, 900, 700, "Motion Capture Path Editing") {
  startUp(session_);
  // The chooser's window left no group current: the view goes into this one.
  begin();
  // The window's first toolkit child; held by `view`, which the destructor takes
  // out of the group before deleting it.
  view.reset(new MotionView(0, 100, 900, 600, session_));
  view->setConsole(printToConsole);

  // Toolkit children: the group deletes them. Labels that would not fit are
  // set smaller; every control keeps its place.
  auto* strobing = new Fl_Check_Button(5, 10, 20, 20, "\nStrobing");
  strobing->labelsize(12);
  auto* resetCamera = new Fl_Button(15, 70, 85, 30, "Reset Camera");
  resetCamera->labelsize(11);
  animated = new Fl_Check_Button(80, 5, 30, 30, "Animated");
  animated->set();
  auto* usesPath = new Fl_Check_Button(80, 35, 30, 30, "Uses Path");
  auto* followMotion = new Fl_Check_Button(100, 70, 30, 30, "Follow Motion");
  auto* loadPath = new Fl_Button(200, 5, 75, 30, "Load Path");
  auto* writePath = new Fl_Button(200, 40, 75, 30, "Write Path");
  auto* frameForward = new Fl_Button(500, 5, 110, 30, "Frame Forward");
  frameForward->labelsize(12);
  auto* frameBackward = new Fl_Button(500, 35, 110, 30, "Frame Backward");
  frameBackward->labelsize(12);
  frameSlider = makeSlider(670, 5, 200, 25, "Change Current Frame",
                           static_cast<double>(session_.motion().frameCount), 0.0);
  // Whole frames.
  frameSlider->step(1.0);
  rateSlider = makeSlider(670, 50, 200, 25, "Change Frame Rate", 1.0, view->playback().frameTime());
  auto* panRight = new Fl_Button(336, 25, 20, 20, "->");
  auto* panLeft = new Fl_Button(310, 25, 20, 20, "<-");
  auto* panUp = new Fl_Button(322, 0, 20, 25, "^\n|");
  panUp->labelsize(10);
  auto* panDown = new Fl_Button(322, 45, 20, 25, "|\nV");
  panDown->labelsize(10);
  new Fl_Box(310, 75, 20, 20, "Camera Controls");
  rateInput = new Fl_Value_Input(395, 22, 95, 24, "Seconds a Frame");
  rateInput->labelsize(12);
  rateInput->align(FL_ALIGN_TOP);
  rateInput->value(view->playback().frameTime());
  rateInput->when(FL_WHEN_ENTER_KEY_ALWAYS);
  auto* clipRate = new Fl_Button(395, 56, 95, 24, "Clip's Rate");
  clipRate->labelsize(12);

  rateInput->callback(typedRateCallback);
  clipRate->callback(clipRateCallback);
  // Clicking a control leaves the keyboard with the view, so the view's keys
  // work whatever was clicked last; only the typed rate takes it, while typing.
  for (int i = 0; i < children(); ++i) {
    if (child(i) != view.get() && child(i) != rateInput) child(i)->clear_visible_focus();
  }
  strobing->callback(strobingCallback);
  resetCamera->callback(resetCameraCallback);
  animated->callback(animatedCallback);
  usesPath->callback(usesPathCallback);
  followMotion->callback(followMotionCallback);
  loadPath->callback(loadPathCallback);
  writePath->callback(writePathCallback);
  frameForward->callback(frameForwardCallback);
  frameBackward->callback(frameBackwardCallback);
  frameSlider->callback(currentFrameCallback);
  rateSlider->callback(frameRateCallback);
  panRight->callback(panRightCallback);
  panLeft->callback(panLeftCallback);
  panUp->callback(panUpCallback);
  panDown->callback(panDownCallback);
  end();
  callback(closeCallback);

  view->setControlsChanged([this] { syncControls(); });
}

EditorWindow::~EditorWindow() {
  view->setControlsChanged(nullptr);
  // Taken out of the group first, so the toolkit does not delete it again.
  remove(view.get());
  view.reset();
}

void EditorWindow::syncControls() {
  const Playback& playback = view->playback();
  frameSlider->bounds(0.0, static_cast<double>(session_.motion().frameCount));
  frameSlider->value(static_cast<double>(playback.frame()));
  rateSlider->value(playback.frameTime());
  // Never under the fingers of someone typing a rate.
  if (Fl::focus() != rateInput) rateInput->value(playback.frameTime());
  animated->value(playback.animated() ? 1 : 0);
}
