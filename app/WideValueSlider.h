#pragma once

#include <FL/Fl_Value_Slider.H>

// A horizontal value slider whose value box holds six digits (the toolkit's
// fixed box holds about four), or leaves that box to a field put over it; it
// can mark a range of values along its track. It never takes the keyboard,
// which stays with the view.
class WideValueSlider : public Fl_Value_Slider {
 public:
  static constexpr int valueWidth = 48;

  // A FL_HOR_NICE_SLIDER from 0 to high at value; drawsValue false leaves
  // the value box's place to another widget.
  WideValueSlider(int x, int y, int w, int h, const char* label, double high, double value,
                  bool drawsValue = true);

  // Marks first to last (values) under the track; none when on is false.
  void markRange(bool on, double first, double last);

  void draw() override;
  int handle(int event) override;

 private:
  bool drawsValue_;
  bool marked_ = false;
  double markFirst_ = 0.0;
  double markLast_ = 0.0;
};
