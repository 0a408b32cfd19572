#pragma once

#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Value_Input.H>
#include <FL/Fl_Value_Slider.H>

#include <memory>

#include "path/EditSession.h"
#include "view/MotionView.h"

// The editor's top-level window: the view below a strip of eighteen
// controls, each forwarding to one operation of the view; none of them keeps
// the keyboard from the view. Escape does not close it;
// closing with edits not yet written asks first.
class EditorWindow : public Fl_Double_Window {
 public:
  // Runs the start-up (startUp: asks for, loads, prints and fits a clip),
  // then builds the view on it, printing to the console, and the controls,
  // which follow the view's state.
  EditorWindow();
  // Destroys the view first; the toolkit then destroys the remaining controls.
  ~EditorWindow() override;
  EditorWindow(const EditorWindow&) = delete;
  EditorWindow& operator=(const EditorWindow&) = delete;

  // Brings the controls in line with the view: the frame slider's range and
  // value, the frame time slider and the "Animated" switch. The view calls it
  // after every change it makes by itself.
  void syncControls();

  // The session the view edits.
  EditSession& session() { return session_; }

  // Owned here; also a toolkit child of the window until the destructor
  // takes it out.
  std::unique_ptr<MotionView> view;
  Fl_Value_Slider* frameSlider = nullptr;
  Fl_Value_Slider* rateSlider = nullptr;
  Fl_Check_Button* animated = nullptr;
  // The frame time typed in seconds; "Clip's Rate" brings back the clip's own.
  Fl_Value_Input* rateInput = nullptr;

 private:
  // Declared before the view, which holds it by reference.
  EditSession session_;
};
