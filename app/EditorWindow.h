#pragma once

#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Menu_Button.H>
#include <FL/Fl_Value_Input.H>
#include <FL/Fl_Value_Slider.H>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/EditorActions.h"
#include "path/EditSession.h"
#include "view/MotionView.h"
#include "view/ViewState.h"

// One control of the window's strip (EditorWindow.cpp lists them).
struct ControlRow;

// What the editor hands its actions: the question dialogs (askQuestion), the
// file chooser (chooseFile) and the console (printToConsole).
EditorActions::Seams toolkitSeams();

// The editor's top-level window: the view below a strip of controls, each
// forwarding to one operation of the editor's actions; none of them keeps
// the keyboard from the view. It runs the playback clock's timer while the
// clip plays. Escape does not close it; closing with edits not yet written
// asks first.
class EditorWindow : public Fl_Double_Window {
 public:
  // Runs the start-up (startUp: loads clip, or with none asks for one with
  // the chooser, and prints and fits it), then builds the actions, the view
  // on them and the controls, which follow the view's state.
  explicit EditorWindow(const std::string& clip = "");
  // Destroys the view first; the toolkit then destroys the remaining controls.
  ~EditorWindow() override;
  // The view takes the window's size below the strip of controls.
  void resize(int x, int y, int w, int h) override;
  // Keys the view leaves unused (an arrow with no point selected) stay
  // there: they do not move the keyboard to a typed field.
  int handle(int event) override;
  EditorWindow(const EditorWindow&) = delete;
  EditorWindow& operator=(const EditorWindow&) = delete;

  // Brings the controls in line with the state: the frame slider's range and
  // value, the frame time slider and input, and the switches. Runs after
  // every operation.
  void syncControls();
  // Whether the playback timer is set (only while the clip plays).
  bool playbackScheduled() const;

  EditSession& session() { return session_; }
  EditorActions& actions() { return *actions_; }
  const ViewState& state() const { return state_; }

  // Owned here; also a toolkit child of the window until the destructor
  // takes it out.
  std::unique_ptr<MotionView> view;
  Fl_Value_Slider* frameSlider = nullptr;
  Fl_Value_Slider* rateSlider = nullptr;
  Fl_Check_Button* animated = nullptr;
  // The frame time typed in seconds; "Clip's Rate" brings back the clip's own.
  Fl_Value_Input* rateInput = nullptr;
  // The frame typed over the frame slider's value box, and the selected
  // point's ground coordinates.
  Fl_Input* frameInput = nullptr;
  Fl_Input* pointX = nullptr;
  Fl_Input* pointZ = nullptr;

 private:
  // The steps of construction.
  void buildView();
  void buildControls();
  Fl_Widget* makeControl(const ControlRow& row);
  void syncPointFields();
  // After every operation: redraw, controls, timer.
  void changed();
  void schedulePlayback();
  static void playbackTimeout(void* data);

  // Declared before the actions and the view, which hold them by reference.
  EditSession session_;
  ViewState state_;
  std::unique_ptr<EditorActions> actions_;
  // The switches, each with the state it shows, and the menus.
  std::vector<std::pair<Fl_Check_Button*, bool (*)(const ViewState&, const EditSession&)>>
      switches_;
  std::vector<Fl_Menu_Button*> menus_;
};
