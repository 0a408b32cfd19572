#include "app/EditorWindow.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>

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

void currentFrameCallback(Fl_Widget* widget, void*) {
  viewOf(widget).setCurrentFrame(static_cast<Fl_Valuator*>(widget)->value());
}

void frameRateCallback(Fl_Widget* widget, void*) {
  viewOf(widget).setFrameTime(static_cast<Fl_Valuator*>(widget)->value());
}

void loadPathCallback(Fl_Widget* widget, void*) {
  EditorWindow& window = *static_cast<EditorWindow*>(widget->parent());
  window.view->chooseAndLoadPath();
  // Also after a cancel: the slider always spans the present clip.
  window.syncControls();
}

void writePathCallback(Fl_Widget* widget, void*) { viewOf(widget).chooseAndWritePath(); }

// The window's close box, and Escape when no widget used it.
void closeCallback(Fl_Widget* widget, void*) {
  auto* window = static_cast<EditorWindow*>(widget);
  // Escape would close the editor at once: it is not a way to quit here.
  if (Fl::event() == FL_SHORTCUT && Fl::event_key() == FL_Escape) return;
  if (window->view->session.unsaved() &&
      !askQuestion("The path has edits that are not written yet.\nClose and lose them?",
                   "Close", "Keep editing")) {
    return;
  }
  window->hide();
}

Fl_Value_Slider* makeSlider(int x, int y, int w, int h, const char* label, double high,
                            double value) {
  auto* slider = new Fl_Value_Slider(x, y, w, h, label);
  slider->type(FL_HOR_NICE_SLIDER);
  slider->bounds(0.0, high);
  slider->value(value);
  return slider;
}

}  // namespace

EditorWindow::EditorWindow() : Fl_Double_Window(100, 100, 900, 700, "Motion Capture Path Editing") {
  // The window's first toolkit child; held by `view`, which the destructor takes
  // out of the group before deleting it.
  view.reset(new MotionView(0, 100, 900, 600));
  begin();

  // Toolkit children: the group deletes them.
  auto* strobing = new Fl_Check_Button(5, 10, 20, 20, "\nStrobing");
  auto* resetCamera = new Fl_Button(10, 70, 95, 30, "Reset Camera");
  animated = new Fl_Check_Button(80, 5, 30, 30, "Animated");
  animated->set();
  auto* usesPath = new Fl_Check_Button(80, 35, 30, 30, "Uses Path");
  auto* followMotion = new Fl_Check_Button(100, 70, 30, 30, "Follow Motion");
  auto* loadPath = new Fl_Button(200, 5, 75, 30, "Load Path");
  auto* writePath = new Fl_Button(200, 40, 75, 30, "Write Path");
  auto* frameForward = new Fl_Button(500, 5, 110, 30, "Frame Forward");
  auto* frameBackward = new Fl_Button(500, 35, 110, 30, "Frame Backward");
  frameSlider = makeSlider(670, 5, 200, 25, "Change Current Frame",
                           static_cast<double>(view->motion->frameCount), 0.0);
  rateSlider = makeSlider(670, 50, 200, 25, "Change Frame Rate", 1.0, view->frameTime);
  auto* panRight = new Fl_Button(336, 25, 20, 20, "->");
  auto* panLeft = new Fl_Button(310, 25, 20, 20, "<-");
  auto* panUp = new Fl_Button(322, 0, 20, 25, "^\n|");
  auto* panDown = new Fl_Button(322, 45, 20, 25, "|\nV");
  new Fl_Box(310, 75, 20, 20, "Camera Controls");

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

  view->controlsChanged = [this] { syncControls(); };
}

EditorWindow::~EditorWindow() {
  view->controlsChanged = nullptr;
  // Taken out of the group first, so the toolkit does not delete it again.
  remove(view.get());
  view.reset();
}

void EditorWindow::syncControls() {
  frameSlider->bounds(0.0, static_cast<double>(view->motion->frameCount));
  frameSlider->value(static_cast<double>(view->currentFrame));
  rateSlider->value(view->frameTime);
  animated->value(view->animated ? 1 : 0);
}
