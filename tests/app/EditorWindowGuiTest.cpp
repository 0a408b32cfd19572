#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Menu_Button.H>
#include <FL/Fl_Value_Slider.H>
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "app/EditorWindow.h"
#include "view/MotionViewTestSupport.h"

namespace {

using editortest::walkClip;
using editortest::Workspace;

enum class Kind { CheckButton, PushButton, ValueSlider, LabelBox, ValueInput, TypedField, Menu };

struct ControlRow {
  const char* label;
  Kind kind;
  int x, y, w, h;
};

// The controls in creation order: the eighteen long-standing ones, then the
// new ones in the strip's free places. Labels too wide for their control
// were made smaller, never by moving a control's centre.
const ControlRow controls[] = {
    {"\nStrobing", Kind::CheckButton, 5, 10, 20, 20},
    {"Reset Camera", Kind::PushButton, 15, 70, 85, 30},
    {"Animated", Kind::CheckButton, 80, 5, 30, 30},
    {"Uses Path", Kind::CheckButton, 80, 35, 30, 30},
    {"Follow Motion", Kind::CheckButton, 100, 70, 30, 30},
    {"Load Path", Kind::PushButton, 200, 5, 75, 30},
    {"Write Path", Kind::PushButton, 200, 40, 75, 30},
    {"Frame Forward", Kind::PushButton, 500, 5, 110, 30},
    {"Frame Backward", Kind::PushButton, 500, 35, 110, 30},
    {"Change Current Frame", Kind::ValueSlider, 670, 5, 200, 25},
    {"Change Frame Rate", Kind::ValueSlider, 670, 50, 200, 25},
    {"->", Kind::PushButton, 336, 25, 20, 20},
    {"<-", Kind::PushButton, 310, 25, 20, 20},
    {"^\n|", Kind::PushButton, 322, 0, 20, 25},
    {"|\nV", Kind::PushButton, 322, 45, 20, 25},
    {"Camera Controls", Kind::LabelBox, 310, 75, 20, 20},
    {"Seconds a Frame", Kind::ValueInput, 395, 22, 95, 24},
    {"Clip's Rate", Kind::PushButton, 395, 56, 95, 24},
    {"Frame", Kind::TypedField, 670, 5, 48, 25},
    {"Point", Kind::LabelBox, 612, 2, 56, 16},
    {"x", Kind::TypedField, 626, 18, 42, 22},
    {"z", Kind::TypedField, 626, 43, 42, 22},
    {"View", Kind::Menu, 500, 70, 36, 24},
    {"Path", Kind::Menu, 537, 70, 36, 24},
    {"Play", Kind::Menu, 574, 70, 36, 24},
};
constexpr int controlCount = sizeof controls / sizeof controls[0];

class EditorWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    space.answers = {space.write("walk.bvh", walkClip(20, 10.0, 5.0, 0.125))};
    testsupport::captureStdout([&] {
      Fl_Group::current(nullptr);
      window = std::make_unique<EditorWindow>();
    });
    space.requests.clear();
  }

  Fl_Widget& control(const char* label) {
    for (int i = 1; i < window->children(); ++i) {
      if (std::string(window->child(i)->label()) == label) {
        return *window->child(i);
      }
    }
    ADD_FAILURE() << "no control " << label;
    return *window->child(0);
  }

  void press(const char* label) { control(label).do_callback(); }

  Workspace space;
  std::unique_ptr<EditorWindow> window;
};

TEST_F(EditorWindowTest, HasItsGeometryAndTheViewAsFirstChild) {
  EXPECT_STREQ(window->label(), "Motion Capture Path Editing");
  EXPECT_EQ(window->x(), 100);
  EXPECT_EQ(window->y(), 100);
  EXPECT_EQ(window->w(), 900);
  EXPECT_EQ(window->h(), 700);
  ASSERT_EQ(window->children(), 1 + controlCount);
  EXPECT_EQ(window->child(0), window->view.get());
  EXPECT_EQ(window->view->x(), 0);
  EXPECT_EQ(window->view->y(), 100);
  EXPECT_EQ(window->view->w(), 900);
  EXPECT_EQ(window->view->h(), 600);
  EXPECT_EQ(window->child(10), window->frameSlider);
  EXPECT_EQ(window->child(11), window->rateSlider);
}

TEST_F(EditorWindowTest, CreatesTheControlsInOrder) {
  ASSERT_EQ(window->children(), 1 + controlCount);
  for (int i = 0; i < controlCount; ++i) {
    const ControlRow& row = controls[i];
    Fl_Widget* widget = window->child(i + 1);
    SCOPED_TRACE(row.label);
    EXPECT_STREQ(widget->label(), row.label);
    EXPECT_EQ(widget->x(), row.x);
    EXPECT_EQ(widget->y(), row.y);
    EXPECT_EQ(widget->w(), row.w);
    EXPECT_EQ(widget->h(), row.h);
    switch (row.kind) {
      case Kind::CheckButton:
        EXPECT_NE(dynamic_cast<Fl_Check_Button*>(widget), nullptr);
        break;
      case Kind::PushButton:
        EXPECT_NE(dynamic_cast<Fl_Button*>(widget), nullptr);
        EXPECT_EQ(dynamic_cast<Fl_Light_Button*>(widget), nullptr);
        break;
      case Kind::ValueSlider: {
        auto* slider = dynamic_cast<Fl_Value_Slider*>(widget);
        ASSERT_NE(slider, nullptr);
        EXPECT_EQ(slider->type(), FL_HOR_NICE_SLIDER);
        // The frame slider counts whole frames.
        EXPECT_DOUBLE_EQ(slider->step(), slider == window->frameSlider ? 1.0 : 0.01);
        break;
      }
      case Kind::ValueInput:
        EXPECT_EQ(widget, window->rateInput);
        break;
      case Kind::TypedField:
        EXPECT_NE(dynamic_cast<Fl_Input*>(widget), nullptr);
        break;
      case Kind::Menu:
        EXPECT_NE(dynamic_cast<Fl_Menu_Button*>(widget), nullptr);
        break;
      case Kind::LabelBox:
        EXPECT_NE(dynamic_cast<Fl_Box*>(widget), nullptr);
        EXPECT_EQ(widget->box(), FL_NO_BOX);
        EXPECT_EQ(widget->callback(), Fl_Widget::default_callback);
        break;
    }
    // A menu's items carry its callbacks.
    if (row.kind != Kind::LabelBox && row.kind != Kind::Menu) {
      EXPECT_NE(widget->callback(), Fl_Widget::default_callback);
    }
    // Only the typed fields may take the keyboard from the view.
    EXPECT_EQ(widget->visible_focus() != 0,
              row.kind == Kind::ValueInput || row.kind == Kind::TypedField);
  }
}

TEST_F(EditorWindowTest, StartsAnimatedWithEverythingElseOffAndTheSlidersSet) {
  auto value = [&](const char* label) { return static_cast<Fl_Button&>(control(label)).value(); };
  EXPECT_EQ(value("Animated"), 1);
  EXPECT_EQ(value("\nStrobing"), 0);
  EXPECT_EQ(value("Uses Path"), 0);
  EXPECT_EQ(value("Follow Motion"), 0);
  EXPECT_TRUE(window->state().playback.animated());
  EXPECT_FALSE(window->state().playback.strobing());

  EXPECT_EQ(window->frameSlider->minimum(), 0.0);
  EXPECT_EQ(window->frameSlider->maximum(), 20.0);
  EXPECT_EQ(window->frameSlider->value(), 0.0);
  EXPECT_EQ(window->rateSlider->minimum(), 0.0);
  EXPECT_EQ(window->rateSlider->maximum(), 1.0);
  EXPECT_EQ(window->rateSlider->value(), 0.125);
  EXPECT_EQ(window->state().playback.frameTime(), 0.125);
}

TEST_F(EditorWindowTest, SwitchesFlipTheViewsFlags) {
  const ViewState& view = window->state();
  press("\nStrobing");
  EXPECT_TRUE(view.playback.strobing());
  press("Animated");
  EXPECT_FALSE(view.playback.animated());
  press("Uses Path");
  EXPECT_TRUE(view.usesPath);
  press("Follow Motion");
  EXPECT_TRUE(view.camera.following());
  press("\nStrobing");
  press("Animated");
  press("Uses Path");
  press("Follow Motion");
  EXPECT_FALSE(view.playback.strobing());
  EXPECT_TRUE(view.playback.animated());
  EXPECT_FALSE(view.usesPath);
  EXPECT_FALSE(view.camera.following());
}

TEST_F(EditorWindowTest, PanButtonsMoveTheCameraAndResetBringsItBack) {
  const OrbitCamera& view = window->state().camera;
  // The stand-in figure is small, so the start-up camera frames it.
  const double eyeX = view.eyeX();
  const double eyeZ = view.eyeZ();
  const double centerX = view.centerX();
  const double centerZ = view.centerZ();
  press("->");
  EXPECT_DOUBLE_EQ(view.eyeX(), eyeX - 0.5);
  EXPECT_DOUBLE_EQ(view.centerX(), centerX - 0.5);
  press("<-");
  press("<-");
  EXPECT_DOUBLE_EQ(view.eyeX(), eyeX + 0.5);
  press("^\n|");
  EXPECT_DOUBLE_EQ(view.eyeZ(), eyeZ + 0.5);
  EXPECT_DOUBLE_EQ(view.centerZ(), centerZ + 0.5);
  press("|\nV");
  press("|\nV");
  EXPECT_DOUBLE_EQ(view.eyeZ(), eyeZ - 0.5);
  EXPECT_DOUBLE_EQ(view.centerZ(), centerZ - 0.5);
  press("Reset Camera");
  EXPECT_EQ(view.eyeX(), eyeX);
  EXPECT_EQ(view.eyeZ(), eyeZ);
  EXPECT_EQ(view.centerX(), centerX);
  EXPECT_EQ(view.centerZ(), centerZ);
}

TEST_F(EditorWindowTest, FrameControlsStepSeekAndSetTheRate) {
  const ViewState& view = window->state();
  press("Frame Backward");
  EXPECT_EQ(view.playback.frame(), 19);
  press("Frame Forward");
  EXPECT_EQ(view.playback.frame(), 0);
  press("Frame Forward");
  EXPECT_EQ(view.playback.frame(), 1);

  // The slider's right end is the frame count: the last frame shows.
  window->frameSlider->value(20.0);
  window->frameSlider->do_callback();
  EXPECT_EQ(view.playback.frame(), 19);
  window->frameSlider->value(12.9);
  window->frameSlider->do_callback();
  EXPECT_EQ(view.playback.frame(), 12);

  window->rateSlider->value(0.5);
  window->rateSlider->do_callback();
  EXPECT_EQ(view.playback.frameTime(), 0.5);
}

TEST_F(EditorWindowTest, TheRateIsTypedWithinBoundsAndGoesBackToTheClipsOwn) {
  const ViewState& view = window->state();
  const struct {
    double typed;
    double kept;
  } rows[] = {{2.5, 2.5}, {0.0, 2.5}, {-1.0, 2.5}, {11.0, 2.5}, {0.004, 0.004}};
  for (const auto& row : rows) {
    window->rateInput->value(row.typed);
    window->rateInput->do_callback();
    EXPECT_EQ(view.playback.frameTime(), row.kept) << row.typed;
    EXPECT_EQ(window->rateInput->value(), row.kept) << row.typed;
  }
  EXPECT_EQ(Fl::focus(), window->view.get()) << "the keys are the view's again";
  press("Clip's Rate");
  EXPECT_EQ(view.playback.frameTime(), 0.125);
  EXPECT_EQ(window->rateSlider->value(), 0.125);
}

TEST_F(EditorWindowTest, PlaybackWaitsOnATimerOnlyWhileAnimatedAndTheControlsFollow) {
  const ViewState& view = window->state();
  window->show();
  window->actions().setCurrentFrame(3);
  // Eight frame times of 0.125 s late: the frame due then shows.
  space.now = 1000;
  for (int i = 0; i < 200 && view.playback.frame() == 3; ++i) Fl::wait(0.01);
  EXPECT_EQ(view.playback.frame(), 11);
  EXPECT_EQ(view.playback.lastStepClock(), 1000);
  EXPECT_EQ(window->frameSlider->value(), 11.0);

  // Paused from the keyboard: no timer is left, the switch shows it, and
  // frame keys still reach the slider.
  Fl::e_keysym = ' ';
  Fl::e_state = 0;
  window->view->handle(FL_KEYBOARD);
  EXPECT_FALSE(window->playbackScheduled());
  EXPECT_EQ(window->animated->value(), 0);
  Fl::e_keysym = '.';
  window->view->handle(FL_KEYBOARD);
  EXPECT_EQ(window->frameSlider->value(), 12.0);
  space.now = 100000;
  for (int i = 0; i < 20; ++i) Fl::wait(0.005);
  EXPECT_EQ(view.playback.frame(), 12);

  press("Animated");
  EXPECT_TRUE(window->playbackScheduled());
}

TEST_F(EditorWindowTest, LoadPathCancelledKeepsTheClipAndResetsTheSliderRange) {
  const ViewState& view = window->state();
  window->actions().setCurrentFrame(9);
  window->frameSlider->bounds(0.0, 3.0);
  Point3 before;
  before = testsupport::loopRecord(window->session()).path.point(1);
  space.answers = {std::nullopt};
  const std::string out = testsupport::captureStdout([&] { press("Load Path"); });
  ASSERT_EQ(space.requests.size(), 1u);
  EXPECT_EQ(space.requests[0].first, "Choose a BVH File: ");
  EXPECT_EQ(space.requests[0].second, "*.bvh");
  EXPECT_EQ(out, "");
  EXPECT_EQ(window->session().motion().frameCount, 20);
  EXPECT_EQ(view.playback.frame(), 9);
  Point3 after;
  after = testsupport::loopRecord(window->session()).path.point(1);
  EXPECT_EQ(after.x, before.x);
  EXPECT_EQ(window->frameSlider->maximum(), 20.0);
}

TEST_F(EditorWindowTest, LoadPathLoadsTheChosenClipAndSpansTheSliderOverIt) {
  window->frameSlider->value(7.0);
  space.answers = {space.write("long.bvh", walkClip(45))};
  testsupport::captureStdout([&] { press("Load Path"); });
  EXPECT_EQ(window->session().motion().frameCount, 45);
  EXPECT_EQ(window->frameSlider->minimum(), 0.0);
  EXPECT_EQ(window->frameSlider->maximum(), 45.0);
  EXPECT_EQ(window->frameSlider->value(), 0.0);
  EXPECT_EQ(window->state().playback.frameTime(), 0.1);  // the new clip's pace
  EXPECT_EQ(window->rateSlider->value(), 0.1);
}

TEST_F(EditorWindowTest, WritePathAsksForANameAndWritesOnlyWithOne) {
  space.answers = {std::nullopt};
  const std::string cancelled = testsupport::captureStdout([&] { press("Write Path"); });
  ASSERT_EQ(space.requests.size(), 1u);
  EXPECT_EQ(space.requests[0].first, "Enter a BVH File name: ");
  EXPECT_EQ(space.requests[0].second, "*.bvh");
  EXPECT_EQ(cancelled, "");

  space.answers = {std::string("out.bvh")};
  testsupport::captureStdout([&] { press("Write Path"); });
  BvhMotion back;
  Notes readNotes;
  EXPECT_TRUE(back.read("out.bvh", readNotes));
  EXPECT_EQ(back.frameCount, 20);
}

TEST_F(EditorWindowTest, EscapeDoesNotCloseAndClosingWithUnsavedEditsAsks) {
  window->show();
  Fl::check();
  Fl::e_keysym = FL_Escape;
  Fl::e_state = 0;
  Fl::focus(window->view.get());
  Fl::handle(FL_KEYBOARD, window.get());
  Fl::handle(FL_SHORTCUT, window.get());
  EXPECT_TRUE(window->shown());
  Fl::e_keysym = 0;

  // The close box with nothing to lose closes without a question.
  window->do_callback();
  EXPECT_FALSE(window->shown());
  EXPECT_TRUE(space.questions.empty());

  window->show();
  ASSERT_TRUE(window->session().movePoint(1, 5.0, 0.0));
  space.replies = {false, true};
  window->do_callback();  // kept open
  EXPECT_TRUE(window->shown());
  window->do_callback();  // closed, edits dropped
  EXPECT_FALSE(window->shown());
  EXPECT_EQ(space.questions.size(), 2u);
}

// The window grows and the view with it, the controls keep their places;
// the frame box shows the frame the status line shows and takes a typed
// one; the point's fields show its ground position and take typed ones.
TEST_F(EditorWindowTest, GrowsWithTheWindowAndItsTypedFieldsDriveTheFrameAndThePoint) {
  window->resize(100, 100, 1200, 900);
  EXPECT_EQ(window->view->w(), 1200);
  EXPECT_EQ(window->view->h(), 800);
  EXPECT_EQ(window->view->y(), 100);
  EXPECT_EQ(window->state().width, 1200);
  EXPECT_EQ(window->state().height, 800);
  for (int i = 0; i < controlCount; ++i) {
    EXPECT_EQ(window->child(i + 1)->x(), controls[i].x) << controls[i].label;
    EXPECT_EQ(window->child(i + 1)->w(), controls[i].w) << controls[i].label;
  }

  window->frameSlider->value(20.0);
  window->frameSlider->do_callback();
  EXPECT_STREQ(window->frameInput->value(), "19");
  EXPECT_NE(window->actions().statusText().find("frame 19 / 20"), std::string::npos);
  window->frameInput->value("7");
  window->frameInput->do_callback();
  EXPECT_EQ(window->state().playback.frame(), 7);
  EXPECT_EQ(window->frameSlider->value(), 7.0);

  EXPECT_FALSE(window->pointX->active()) << "no point selected";
  window->actions().selectPoint(2);
  const Point3 before = window->session().point(2);
  char shown[32];
  std::snprintf(shown, sizeof shown, "%.2f", before.x);
  EXPECT_STREQ(window->pointX->value(), shown);
  window->pointX->value("12.5");
  window->pointX->do_callback();
  EXPECT_DOUBLE_EQ(window->session().point(2).x, 12.5);
  EXPECT_NEAR(window->session().point(2).z, before.z, 0.005) << "z as the field showed it";
  EXPECT_STREQ(window->pointX->value(), "12.50");
}

}  // namespace
