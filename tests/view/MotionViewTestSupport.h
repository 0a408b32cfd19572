#pragma once

// Shared set-up of the in-process editor tests: a temporary working folder
// with small clips, and the file chooser and playback clock replaced so that
// no dialog opens and time moves only when a test says so.

#include <FL/Fl_Group.H>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "TestSupport.h"
#include "WalkClip.h"
#include "app/EditorActions.h"
#include "app/EditorWindow.h"
#include "app/StartUp.h"
#include "path/EditSession.h"
#include "view/FileChooser.h"
#include "view/MotionView.h"
#include "view/PlaybackClock.h"
#include "view/QuestionDialog.h"
#include "view/ViewState.h"

namespace editortest {

// Frame count of the stand-in default clip written by Workspace.
constexpr int defaultClipFrames = 12;

// One answer to a question: true goes ahead, false keeps, or any Answer.
struct Reply {
  Reply(bool goAhead) : answer(goAhead ? Answer::goAhead : Answer::keep) {}
  Reply(Answer given) : answer(given) {}
  Answer answer;
};

// A temporary working folder holding "dance01.bvh" (a 12-frame walkClip),
// with the chooser answering from `answers` (null when empty: a cancel), the
// questions answered from `replies` (keep when empty) and the clock reading
// `now`. Restores the folder, chooser, questions and clock on exit.
class Workspace {
 public:
  explicit Workspace(bool withDefaultClip = true) {
    char buffer[PATH_MAX];
    if (getcwd(buffer, sizeof buffer) != nullptr) {
      previousFolder_ = buffer;
    }
    if (withDefaultClip) {
      dir_.write("dance01.bvh", walkClip(defaultClipFrames, 3.0, 2.0, 0.05));
    }
    if (chdir(dir_.path().c_str()) != 0) {
      std::perror("chdir");
    }
    previousChooser_ = setFileChooser([this](const char* message, const char* pattern) {
      requests.emplace_back(message, pattern);
      if (answers.empty()) {
        return static_cast<const char*>(nullptr);
      }
      lastAnswer_ = answers.front();
      answers.erase(answers.begin());
      return lastAnswer_ ? lastAnswer_->c_str() : nullptr;
    });
    previousClock_ = setPlaybackClock([this] { return now; });
    previousAsker_ = setQuestionAsker([this](const Question& question) {
      questions.push_back(question.text);
      asked.push_back(question);
      if (replies.empty()) return Answer::keep;
      const Answer reply = replies.front().answer;
      replies.erase(replies.begin());
      return reply;
    });
  }

  ~Workspace() {
    setQuestionAsker(std::move(previousAsker_));
    setPlaybackClock(std::move(previousClock_));
    setFileChooser(std::move(previousChooser_));
    if (!previousFolder_.empty() && chdir(previousFolder_.c_str()) != 0) {
      std::perror("chdir");
    }
  }

  Workspace(const Workspace&) = delete;
  Workspace& operator=(const Workspace&) = delete;

  // Writes a file into the working folder; returns its name relative to it.
  std::string write(const std::string& name, const std::string& contents) const {
    dir_.write(name, contents);
    return name;
  }
  const std::string& path() const { return dir_.path(); }

  // Next answers of the chooser, in order; std::nullopt stands for a cancel.
  std::vector<std::optional<std::string>> answers;
  // Every (message, pattern) the chooser was asked with.
  std::vector<std::pair<std::string, std::string>> requests;
  std::vector<Reply> replies;
  // Every question's text, and the whole questions.
  std::vector<std::string> questions;
  std::vector<Question> asked;
  long now = 0;

 private:
  testsupport::TempDir dir_;
  std::string previousFolder_;
  std::optional<std::string> lastAnswer_;
  FileChooserFunction previousChooser_;
  PlaybackClockFunction previousClock_;
  QuestionFunction previousAsker_;
};

// The editor's start-up (the chooser answering from the workspace).
inline void startUpWithChooser(EditSession& session) {
  startUp(session, [] { return chooseFile("Choose a BVH File: ", "*.bvh"); });
}

// The editor without its window and controls: the actions on a started
// session and a view of it at the editor's place and size, in the group
// current at construction, wired as the editor wires them (every change
// redraws the view). An Editor in a window must go before the window does.
struct Editor {
  explicit Editor(EditSession& session)
      : actions(session, state, toolkitSeams()), view(0, 100, 900, 600, session, state, actions) {
    actions.setChanged([this] { view.redraw(); });
  }
  ViewState state;
  EditorActions actions;
  MotionView view;
};

// The editor's start-up into session, then a top-level Editor on it, at the
// editor's place and size, printing to the console. session must outlive it.
inline std::unique_ptr<Editor> startView(EditSession& session) {
  startUpWithChooser(session);
  Fl_Group::current(nullptr);
  return std::make_unique<Editor>(session);
}

}  // namespace editortest
