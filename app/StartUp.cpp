#include "app/StartUp.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "base/DataFile.h"

namespace {

// The clip loaded when none is chosen or the chosen one cannot be read.
// The working folder first, then beside the program and its data folder.
std::string defaultClipPath() { return findDataFile("dance01.bvh"); }

void printNotes(EditSession& session) { printToConsole(session.takeConsoleNotes().text()); }

}  // namespace

void printToConsole(const std::string& text) {
  std::fputs(text.c_str(), stdout);
  std::fflush(stdout);
}

void startUp(EditSession& session, const StartChoice& choose) {
  std::srand(static_cast<unsigned>(std::time(nullptr)));
  // Cancelling loads the default clip silently; a file the reader rejects says so first.
  const char* chosen = choose();
  // The hierarchy is printed before the fit reports.
  const auto dump = [&session](const BvhMotion& clip) {
    printNotes(session);
    printToConsole(clip.dump());
  };
  bool loaded = false;
  std::string refusal;
  if (chosen != nullptr) {
    loaded = session.load(chosen, dump).ok();
    printNotes(session);
    if (!loaded) {
      refusal = session.message();
      printToConsole("Failed to load, loading dance instead\n");
    }
  }
  // With no clip at all the editor goes on with the empty one and its fit.
  if (!loaded && !session.load(defaultClipPath(), dump)) {
    printNotes(session);
    printToConsole(session.motion().dump());
    session.fit();
  }
  printNotes(session);
  if (!refusal.empty()) session.setMessage(refusal + "; showing " + defaultClipPath());
  if (session.upAxis() == UpAxis::z) printToConsole("Up axis: Z\n");
  std::fflush(stdout);
}
