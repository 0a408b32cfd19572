#pragma once

#include <FL/Fl_Window.H>

#include "view/Question.h"

// Asks the installed question function; by default opens a QuestionDialog and
// waits for its answer.
Answer askQuestion(const Question& question);

// Installs another way to answer (tests answer without a dialog) and returns
// the one it replaces; an empty function puts the dialog back.
QuestionFunction setQuestionAsker(QuestionFunction asker);

// The small modal dialog behind askQuestion: the question above its buttons
// (go ahead, keep, and "write first" when the question offers it). Return
// presses the go-ahead button; Escape, the keep button or closing the dialog
// keep; each hides the dialog and sets answer().
class QuestionDialog : public Fl_Window {
 public:
  explicit QuestionDialog(const Question& question);
  Answer answer() const { return answer_; }

 private:
  static void answered(Fl_Widget* widget, void* answer);

  Question question_;  // the labels the buttons point into
  Answer answer_ = Answer::keep;
};
