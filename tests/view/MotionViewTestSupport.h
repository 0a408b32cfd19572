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
#include "app/StartUp.h"
#include "path/EditSession.h"
#include "view/FileChooser.h"
#include "view/MotionView.h"
#include "view/PlaybackClock.h"
#include "view/QuestionDialog.h"

namespace editortest {

// Frame count of the stand-in default clip written by Workspace.
constexpr int defaultClipFrames = 12;

// A temporary working folder holding "dance01.bvh" (a 12-frame walkClip),
// with the chooser answering from `answers` (null when empty: a cancel), the
// questions answered from `replies` (no when empty) and the clock reading
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
    previousAsker_ = setQuestionAsker([this](const char* question, const char*, const char*) {
      questions.emplace_back(question);
      if (replies.empty()) return false;
      const bool reply = replies.front();
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
  std::vector<bool> replies;
  std::vector<std::string> questions;
  long now = 0;

 private:
  testsupport::TempDir dir_;
  std::string previousFolder_;
  std::optional<std::string> lastAnswer_;
  FileChooserFunction previousChooser_;
  PlaybackClockFunction previousClock_;
  QuestionFunction previousAsker_;
};

// The editor's start-up into session (the chooser answering from the
// workspace), then a top-level view of it at the editor's place and size,
// printing to the console, as the editor builds it but without the controls.
// session must outlive the view.
inline std::unique_ptr<MotionView> startView(EditSession& session) {
  startUp(session);
  Fl_Group::current(nullptr);
  auto view = std::make_unique<MotionView>(0, 100, 900, 600, session);
  view->setConsole(printToConsole);
  return view;
}

}  // namespace editortest
