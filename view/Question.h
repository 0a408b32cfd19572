#pragma once

#include <functional>
#include <string>

// A question put to the user before an action that would lose something, and
// the answers it can get. Headless: the editor's actions ask through a
// QuestionFunction, which the window answers with a dialog and tests answer
// by hand.

enum class Answer {
  goAhead,     // do what was asked (the default button, Return)
  writeFirst,  // write the edits, then go ahead
  keep,        // leave things as they are (Escape)
};

struct Question {
  std::string text;
  std::string goAhead;
  std::string keep;
  // The label of the write-first answer; empty when it is not offered.
  std::string writeFirst;
};

using QuestionFunction = std::function<Answer(const Question& question)>;
