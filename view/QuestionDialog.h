#pragma once

#include <FL/Fl_Window.H>

#include <functional>

// A yes/no question asked of the user: the question, the label of the button
// that goes ahead (the default, taken by Return) and of the one that keeps
// things as they are (also taken by Escape). True means go ahead.
using QuestionFunction =
    std::function<bool(const char* question, const char* goAhead, const char* keep)>;

// Asks the installed question function; by default opens a QuestionDialog and
// waits for its answer.
bool askQuestion(const char* question, const char* goAhead, const char* keep);

// Installs another way to answer (tests answer without a dialog) and returns
// the one it replaces; an empty function puts the dialog back.
QuestionFunction setQuestionAsker(QuestionFunction asker);

// The small modal dialog behind askQuestion: the question above two buttons.
// Return presses the go-ahead button, Escape, the other button or closing
// the dialog keep; each hides the dialog and sets answer().
class QuestionDialog : public Fl_Window {
 public:
  QuestionDialog(const char* question, const char* goAhead, const char* keep);
  bool answer() const { return answer_; }

 private:
  static void goAheadPressed(Fl_Widget* widget, void*);
  static void keepPressed(Fl_Widget* widget, void*);

  bool answer_ = false;
};
