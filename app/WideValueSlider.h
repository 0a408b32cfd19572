#pragma once

#include <FL/Fl_Value_Slider.H>

// A horizontal value slider whose value box holds six digits (the toolkit's
// fixed box holds about four); it never takes the keyboard, which stays with
// the view.
class WideValueSlider : public Fl_Value_Slider {
 public:
  // A FL_HOR_NICE_SLIDER from 0 to high at value.
  WideValueSlider(int x, int y, int w, int h, const char* label, double high, double value);

  void draw() override;
  int handle(int event) override;

 private:
  static constexpr int valueWidth = 48;
};
