#include "view/QuestionDialog.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Return_Button.H>

#include <utility>

namespace {

QuestionFunction& installedAsker() {
  static QuestionFunction asker;
  return asker;
}

QuestionDialog& dialogOf(Fl_Widget* widget) {
  Fl_Widget* top = widget->as_window() != nullptr ? widget : widget->window();
  return *static_cast<QuestionDialog*>(top);
}

}  // namespace

QuestionDialog::QuestionDialog(const char* question, const char* goAhead, const char* keep)
    : Fl_Window(420, 130, "Confirm") {
  // Toolkit children: the window deletes them.
  auto* text = new Fl_Box(15, 10, 390, 65, question);
  text->align(FL_ALIGN_INSIDE | FL_ALIGN_WRAP | FL_ALIGN_LEFT);
  auto* keepButton = new Fl_Button(190, 90, 110, 28, keep);
  keepButton->callback(keepPressed);
  auto* goAheadButton = new Fl_Return_Button(310, 90, 95, 28, goAhead);
  goAheadButton->callback(goAheadPressed);
  end();
  set_modal();
  // Escape and the window's close box come here.
  callback(keepPressed);
}

void QuestionDialog::goAheadPressed(Fl_Widget* widget, void*) {
  QuestionDialog& dialog = dialogOf(widget);
  dialog.answer_ = true;
  dialog.hide();
}

void QuestionDialog::keepPressed(Fl_Widget* widget, void*) {
  QuestionDialog& dialog = dialogOf(widget);
  dialog.answer_ = false;
  dialog.hide();
}

bool askQuestion(const char* question, const char* goAhead, const char* keep) {
  const QuestionFunction& asker = installedAsker();
  if (asker) return asker(question, goAhead, keep);
  QuestionDialog dialog(question, goAhead, keep);
  dialog.show();
  while (dialog.shown()) Fl::wait();
  return dialog.answer();
}

QuestionFunction setQuestionAsker(QuestionFunction asker) {
  return std::exchange(installedAsker(), std::move(asker));
}
