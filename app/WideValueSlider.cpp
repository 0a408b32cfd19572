#include "app/WideValueSlider.h"

#include <FL/Fl.H>
#include <FL/fl_draw.H>

#include <algorithm>

WideValueSlider::WideValueSlider(int x, int y, int w, int h, const char* label, double high,
                                 double value, bool drawsValue)
    : Fl_Value_Slider(x, y, w, h, label), drawsValue_(drawsValue) {
  type(FL_HOR_NICE_SLIDER);
  bounds(0.0, high);
  Fl_Value_Slider::value(value);
  clear_visible_focus();
}

void WideValueSlider::markRange(bool on, double first, double last) {
  if (on == marked_ && first == markFirst_ && last == markLast_) return;
  marked_ = on;
  markFirst_ = first;
  markLast_ = last;
  redraw();
}

void WideValueSlider::draw() {
  const Fl_Boxtype frame = box();
  if (damage() & FL_DAMAGE_ALL) {
    draw_box(frame, x() + valueWidth, y(), w() - valueWidth, h(), color());
  }
  const int trackX = x() + valueWidth + Fl::box_dx(frame);
  const int trackW = w() - valueWidth - Fl::box_dw(frame);
  Fl_Slider::draw(trackX, y() + Fl::box_dy(frame), trackW, h() - Fl::box_dh(frame));
  if (marked_ && maximum() > minimum()) {
    // A band along the track's foot from the first marked value to the last,
    // the knob's width included at both ends.
    // The knob of a nice slider: its share of the track, at least half the
    // track's height and five pixels.
    const int trackH = h() - Fl::box_dh(frame);
    const int knob = std::max(static_cast<int>(slider_size() * trackW + 0.5), trackH / 2 + 1 + 4);
    const auto at = [&](double v) {
      const double share = std::clamp((v - minimum()) / (maximum() - minimum()), 0.0, 1.0);
      return trackX + static_cast<int>(share * (trackW - knob));
    };
    fl_color(FL_DARK_RED);
    fl_rectf(at(markFirst_), y() + h() - 6, at(markLast_) - at(markFirst_) + knob, 4);
  }
  if (!drawsValue_) return;
  draw_box(frame, x(), y(), valueWidth, h(), color());
  char text[128];
  format(text);
  fl_font(textfont(), textsize());
  fl_color(active_r() ? textcolor() : fl_inactive(textcolor()));
  fl_draw(text, x(), y(), valueWidth, h(), FL_ALIGN_CLIP);
}

int WideValueSlider::handle(int event) {
  const Fl_Boxtype frame = box();
  return Fl_Slider::handle(event, x() + valueWidth + Fl::box_dx(frame), y() + Fl::box_dy(frame),
                           w() - valueWidth - Fl::box_dw(frame), h() - Fl::box_dh(frame));
}
