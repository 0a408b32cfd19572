#include "app/WideValueSlider.h"

#include <FL/Fl.H>
#include <FL/fl_draw.H>

WideValueSlider::WideValueSlider(int x, int y, int w, int h, const char* label, double high,
                                 double value)
    : Fl_Value_Slider(x, y, w, h, label) {
  type(FL_HOR_NICE_SLIDER);
  bounds(0.0, high);
  Fl_Value_Slider::value(value);
  clear_visible_focus();
}

void WideValueSlider::draw() {
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

int WideValueSlider::handle(int event) {
  const Fl_Boxtype frame = box();
  return Fl_Slider::handle(event, x() + valueWidth + Fl::box_dx(frame), y() + Fl::box_dy(frame),
                           w() - valueWidth - Fl::box_dw(frame), h() - Fl::box_dh(frame));
}
