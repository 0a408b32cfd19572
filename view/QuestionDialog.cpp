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

// The answers the buttons give, as callback data.
Answer goAheadAnswer = Answer::goAhead;
Answer writeFirstAnswer = Answer::writeFirst;
Answer keepAnswer = Answer::keep;

}  // namespace

QuestionDialog::QuestionDialog(const Question& question)
    : Fl_Window(420, 130, "Confirm"), question_(question) {
  // Toolkit children: the window deletes them.
  auto* text = new Fl_Box(15, 10, 390, 65, question_.text.c_str());
  text->align(FL_ALIGN_INSIDE | FL_ALIGN_WRAP | FL_ALIGN_LEFT);
  if (!question_.writeFirst.empty()) {
    auto* writeFirst = new Fl_Button(70, 90, 110, 28, question_.writeFirst.c_str());
    writeFirst->callback(answered, &writeFirstAnswer);
  }
  auto* keepButton = new Fl_Button(190, 90, 110, 28, question_.keep.c_str());
  keepButton->callback(answered, &keepAnswer);
  auto* goAheadButton = new Fl_Return_Button(310, 90, 95, 28, question_.goAhead.c_str());
  goAheadButton->callback(answered, &goAheadAnswer);
  end();
  set_modal();
  // Escape and the window's close box come here.
  callback(answered, &keepAnswer);
}

void QuestionDialog::answered(Fl_Widget* widget, void* answer) {
  QuestionDialog& dialog = dialogOf(widget);
  dialog.answer_ = *static_cast<const Answer*>(answer);
  dialog.hide();
}

Answer askQuestion(const Question& question) {
  const QuestionFunction& asker = installedAsker();
  if (asker) return asker(question);
  QuestionDialog dialog(question);
  dialog.show();
  while (dialog.shown()) Fl::wait();
  return dialog.answer();
}

QuestionFunction setQuestionAsker(QuestionFunction asker) {
  return std::exchange(installedAsker(), std::move(asker));
}
