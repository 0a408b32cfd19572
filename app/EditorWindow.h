#pragma once

#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Value_Slider.H>

#include <memory>

#include "view/MotionView.h"

// The editor's top-level window: the view below a strip of sixteen controls,
// each forwarding to one operation of the view, and the idle callback that
// drives playback.
class EditorWindow : public Fl_Double_Window {
 public:
  // Builds the view (which asks for, loads, prints and fits a clip), the
  // controls and registers idleStep with this window as its data.
  EditorWindow();
  // Destroys the view first, then removes the idle callback; the toolkit
  // then destroys the remaining controls.
  ~EditorWindow() override;
  EditorWindow(const EditorWindow&) = delete;
  EditorWindow& operator=(const EditorWindow&) = delete;

  // Idle callback (data: the EditorWindow): shows the current frame in the
  // frame slider, then lets the view take a playback step.
  static void idleStep(void* data);

  // Owned here; also a toolkit child of the window until the destructor
  // takes it out.
  std::unique_ptr<MotionView> view;
  Fl_Value_Slider* frameSlider = nullptr;
  Fl_Value_Slider* rateSlider = nullptr;
};
