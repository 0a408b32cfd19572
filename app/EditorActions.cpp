#include "app/EditorActions.h"

#include <sys/stat.h>

#include <cstdio>
#include <utility>

#include "motion/GroundAxes.h"
#include "path/GroundMapping.h"
#include "path/PathKinds.h"
#include "view/FigureFocus.h"
#include "view/PlaybackClock.h"
#include "view/StatusLine.h"

namespace {

std::string fileNameOnly(const std::string& name) {
  const size_t slash = name.find_last_of('/');
  return slash == std::string::npos ? name : name.substr(slash + 1);
}

bool fileExists(const char* name) {
  struct stat info {};
  // A dangling symbolic link is a name in use too: writing replaces it.
  return lstat(name, &info) == 0;
}

// Typed frame times outside this range are refused.
constexpr double shortestTypedFrameTime = 0.001;
constexpr double longestTypedFrameTime = 10.0;

}  // namespace

EditorActions::EditorActions(EditSession& session, ViewState& state, Seams seams)
    : session_(session), state_(state), seams_(std::move(seams)) {
  state_.playback.startClip(session_.motion().frameCount, session_.motion().frameTime,
                            playbackClockMs());
  noteClipPace();
  // A figure too small, too large or out of sight in the fixed view is framed.
  resetCamera();
}

void EditorActions::setChanged(std::function<void()> changed) { changed_ = std::move(changed); }

void EditorActions::notify() {
  if (changed_) changed_();
}

void EditorActions::say(const std::string& text) {
  // The session's own console text comes first: it was left before text.
  // The console hears also when there is nothing to say, so that it can pass
  // on what lower layers still print themselves at once.
  const std::string notes = session_.takeConsoleNotes().text();
  if (seams_.console) seams_.console(notes + text);
}

void EditorActions::console(const std::string& text) { say(text); }

void EditorActions::noteClipPace() {
  const std::string note = state_.playback.clipPaceNote();
  if (note.empty()) return;
  const std::string& message = session_.message();
  session_.setMessage(message.empty() ? note : message + "; " + note);
}

// --- Commands ---------------------------------------------------------------

bool EditorActions::run(Command command, int times) {
  if (command == Command::nudgeLeft || command == Command::nudgeRight ||
      command == Command::nudgeAway || command == Command::nudgeNear) {
    return nudge(command, times);
  }
  for (int i = 0; i < times; ++i) {
    if (!runPlayback(command) && !runCamera(command) && !runEdit(command)) return false;
  }
  notify();
  return true;
}

bool EditorActions::runPlayback(Command command) {
  Playback& playback = state_.playback;
  switch (command) {
    case Command::playPause:
      playback.toggleAnimated(playbackClockMs());
      return true;
    case Command::frameForward:
      playback.forward();
      return true;
    case Command::frameBackward:
      playback.backward();
      return true;
    case Command::toggleStrobing:
      playback.toggleStrobing();
      return true;
    default:
      return false;
  }
}

bool EditorActions::runCamera(Command command) {
  switch (command) {
    case Command::toggleUsesPath:
      state_.usesPath = !state_.usesPath;
      return true;
    case Command::toggleFollowMotion:
      state_.camera.toggleFollowing();
      return true;
    case Command::resetCamera:
      resetCamera();
      return true;
    case Command::frameFigure:
      frameFigure();
      return true;
    default:
      return false;
  }
}

bool EditorActions::runEdit(Command command) {
  switch (command) {
    case Command::undo:
      session_.undo();
      return true;
    case Command::redo:
      session_.redo();
      return true;
    case Command::loadPath:
      chooseAndLoadPath();
      return true;
    case Command::writePath:
      chooseAndWritePath();
      return true;
    case Command::deselect:
      session_.select(-1);
      return true;
    case Command::switchPathKind:
      switchPathKind();
      return true;
    case Command::insertPoint:
      session_.insertPoint();
      return true;
    case Command::deletePoint:
      session_.removePoint();
      return true;
    case Command::switchUpAxis:
      switchUpAxis();
      return true;
    default:
      return false;
  }
}

bool EditorActions::nudge(Command command, int times) {
  if (session_.selected() == -1) return false;
  // A step is a share of the figure's size, whatever the clip's units; a
  // run of presses on one point is one undo step. Away from the camera is
  // the world's -z, whichever the clip's up axis.
  const double step = pointStep(session_.motion());
  const double worldX = command == Command::nudgeLeft    ? -step
                        : command == Command::nudgeRight ? step
                                                         : 0.0;
  const double worldZ = command == Command::nudgeAway   ? -step
                        : command == Command::nudgeNear ? step
                                                        : 0.0;
  double groundX = 0.0;
  double groundZ = 0.0;
  groundStepFromWorld(worldX, worldZ, session_.upAxis(), groundX, groundZ);
  for (int i = 0; i < times && session_.moveSelected(groundX, groundZ); ++i) {
  }
  notify();
  return true;
}

void EditorActions::switchPathKind() { session_.setKind((session_.kind() + 1) % pathKindCount()); }

// --- Pointer ----------------------------------------------------------------

void EditorActions::selectPoint(int index) {
  session_.select(index);
  notify();
}

void EditorActions::dragSelected(double dx, double dz) {
  session_.moveSelected(dx, dz);
  notify();
}

void EditorActions::endDrag() { session_.endMove(); }

void EditorActions::zoom(int notches) {
  state_.camera.zoomByNotches(notches);
  notify();
}

void EditorActions::beginTurn(float unitX, float unitY) {
  // Nothing shown changes until the pointer moves.
  state_.camera.beginTurn(unitX, unitY);
}

void EditorActions::turnTo(float unitX, float unitY) {
  state_.camera.turnTo(unitX, unitY);
  notify();
}

void EditorActions::aboutToDraw() {
  if (state_.camera.following()) {
    state_.camera.follow(carriedJointWorld(session_, state_.playback.frame(), state_.usesPath));
  }
}

void EditorActions::viewResized(int width, int height) {
  state_.width = width;
  state_.height = height;
}

// --- Camera -----------------------------------------------------------------

void EditorActions::resetCamera() {
  double size = 0.0;
  const Point3 middle = figureMiddle(session_, 0, state_.usesPath, size);
  state_.camera.resetToShow(middle, size, state_.aspect());
}

void EditorActions::frameFigure() {
  double size = 0.0;
  const Point3 middle = figureMiddle(session_, state_.playback.frame(), state_.usesPath, size);
  state_.camera.frame(middle, size);
}

void EditorActions::panX(double step) {
  state_.camera.pan(step, 0.0);
  notify();
}

void EditorActions::panZ(double step) {
  state_.camera.pan(0.0, step);
  notify();
}

// --- Playback ---------------------------------------------------------------

void EditorActions::setCurrentFrame(double value) {
  state_.playback.seek(value);
  notify();
}

void EditorActions::setFrameTime(double seconds) {
  state_.playback.setFrameTime(seconds, playbackClockMs());
  notify();
}

void EditorActions::typeFrameTime(double seconds) {
  if (seconds >= shortestTypedFrameTime && seconds <= longestTypedFrameTime) {
    state_.playback.setFrameTime(seconds, playbackClockMs());
  } else {
    char text[128];
    std::snprintf(text, sizeof text, "A frame time is %g to %g seconds; kept %g",
                  shortestTypedFrameTime, longestTypedFrameTime, state_.playback.frameTime());
    session_.setMessage(text);
  }
  notify();
}

void EditorActions::useClipRate() {
  Playback& playback = state_.playback;
  playback.setFrameTime(playback.clipPace(), playbackClockMs());
  char text[128];
  std::snprintf(text, sizeof text, "Playing at the clip's own rate, %g s a frame",
                playback.frameTime());
  session_.setMessage(text);
  notify();
}

void EditorActions::tick() {
  if (state_.playback.advance(playbackClockMs())) notify();
}

double EditorActions::secondsToNextFrame() const {
  return state_.playback.secondsToNextFrame(playbackClockMs());
}

std::string EditorActions::statusText() const { return ::statusText(session_, state_.playback); }

// --- Files ------------------------------------------------------------------

void EditorActions::clipLoaded() {
  ++state_.clipsLoaded;
  // A new clip starts at its first frame, whatever came before.
  state_.playback.startClip(session_.motion().frameCount, session_.motion().frameTime,
                            playbackClockMs());
  noteClipPace();
}

bool EditorActions::loadPath(const char* fileName) {
  if (fileName == nullptr) return false;
  const bool dropsEdits = session_.wouldDropEdits(EditSession::Action::Load);
  if (dropsEdits && !agreesToDropEdits("Load the clip", "Load")) {
    session_.setMessage("Kept the unwritten edits; " + fileNameOnly(fileName) + " not loaded");
    notify();
    return false;
  }
  const bool loaded = session_.load(fileName).ok();
  say(loaded && session_.upAxis() == UpAxis::z ? "Up axis: Z\n" : "");
  if (loaded) {
    if (dropsEdits) session_.setMessage(session_.message() + "; the unwritten edits were dropped");
    clipLoaded();
    frameFigure();
  }
  // A failed load keeps the clip, its path, the edits, the frame and the
  // camera; only the message tells why.
  notify();
  return loaded;
}

bool EditorActions::writePath(const char* fileName) {
  if (fileName == nullptr) return false;
  if (fileExists(fileName)) {
    const Question question{
        fileNameOnly(fileName) + " already exists.\nReplace it with the edited clip?", "Replace",
        "Cancel", ""};
    if (seams_.ask(question) != Answer::goAhead) {
      session_.setMessage("Kept " + std::string(fileName) + "; nothing written");
      notify();
      return false;
    }
  }
  const bool written = session_.write(fileName).ok();
  say("");
  notify();
  return written;
}

void EditorActions::switchUpAxis() {
  const UpAxis other = session_.upAxis() == UpAxis::z ? UpAxis::y : UpAxis::z;
  // The paths are fitted again for the other axis, which drops their edits.
  const bool dropsEdits = session_.wouldDropEdits(EditSession::Action::SetUpAxis);
  if (dropsEdits && !agreesToDropEdits("Fit the paths again for the other up axis", "Switch")) {
    session_.setMessage(std::string("Kept the unwritten edits; the up axis stays ") +
                        upAxisName(session_.upAxis()));
    notify();
    return;
  }
  if (session_.setUpAxis(other)) {
    if (dropsEdits) session_.setMessage(session_.message() + "; the unwritten edits were dropped");
    say(std::string("Up axis: ") + upAxisName(other) + "\n");
    frameFigure();
  } else {
    say("");
  }
  notify();
}

bool EditorActions::mayClose() {
  if (!session_.wouldDropEdits(EditSession::Action::Close)) return true;
  if (agreesToDropEdits("Close", "Close")) return true;
  session_.setMessage("Kept editing; the edits are not written yet");
  notify();
  return false;
}

bool EditorActions::agreesToDropEdits(const std::string& action, const char* goAhead) {
  const Question question{
      "The path has edits that are not written yet.\n" + action + " and lose them?", goAhead,
      "Keep editing", ""};
  return seams_.ask(question) == Answer::goAhead;
}

void EditorActions::chooseAndLoadPath() {
  loadPath(seams_.choose("Choose a BVH File: ", "*.bvh", nullptr));
}

void EditorActions::chooseAndWritePath() {
  const std::string suggestion = EditSession::suggestedWriteName(session_.clipName());
  writePath(seams_.choose("Enter a BVH File name: ", "*.bvh", suggestion.c_str()));
}
