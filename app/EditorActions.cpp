#include "app/EditorActions.h"

#include <sys/stat.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <utility>

#include "motion/FigureFrame.h"
#include "motion/GroundAxes.h"
#include "path/GroundMapping.h"
#include "path/PathKinds.h"
#include "view/CameraGuard.h"
#include "view/FigureFocus.h"
#include "view/FloorExtent.h"
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

std::string onOff(bool on) { return on ? " on" : " off"; }

std::string contactsText(const EditSession& session) {
  const size_t count = session.contacts().contacts.size();
  if (count == 0) return "No foot contacts found";
  return "Foot contacts shown: " + std::to_string(count) + (count == 1 ? " contact" : " contacts") +
         " where the feet are planted";
}

std::string frameText(int frame) { return "Frame " + std::to_string(frame); }

std::string paceText(double seconds) {
  char text[64];
  std::snprintf(text, sizeof text, "Playing at %g s a frame", seconds);
  return text;
}

// "Showing the track path, 6 points" from "Track path, 6 points".
std::string shownPathText(std::string kind) {
  if (!kind.empty()) kind[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(kind[0])));
  return "Showing the " + kind;
}

bool isNudge(Command command) {
  return command == Command::nudgeLeft || command == Command::nudgeRight ||
         command == Command::nudgeAway || command == Command::nudgeNear;
}

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
  state_.scene.update(session_);
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
  if (isNudge(command)) return nudge(command, times);
  for (int i = 0; i < times; ++i) {
    if (!runPlayback(command) && !runTimeline(command) && !runCamera(command) &&
        !runDisplay(command) && !runEdit(command) && !runPoints(command)) {
      return false;
    }
  }
  notify();
  return true;
}

bool EditorActions::runPlayback(Command command) {
  Playback& playback = state_.playback;
  switch (command) {
    case Command::playPause:
      playback.toggleAnimated(playbackClockMs());
      session_.setMessage(
          playback.animated() ? "Playing" : "Paused at frame " + std::to_string(playback.frame()));
      return true;
    case Command::frameForward:
      playback.forward();
      session_.setMessage(frameText(playback.frame()));
      return true;
    case Command::frameBackward:
      playback.backward();
      session_.setMessage(frameText(playback.frame()));
      return true;
    case Command::toggleStrobing:
      playback.toggleStrobing();
      session_.setMessage("Strobing" + onOff(playback.strobing()));
      return true;
    default:
      return false;
  }
}

bool EditorActions::runTimeline(Command command) {
  Playback& playback = state_.playback;
  switch (command) {
    case Command::firstFrame:
      playback.seek(0.0);
      session_.setMessage(frameText(playback.frame()) + ", the first");
      return true;
    case Command::lastFrame:
      playback.seek(static_cast<double>(playback.frameCount()));
      session_.setMessage(frameText(playback.frame()) + ", the last");
      return true;
    case Command::rangeStart:
    case Command::rangeEnd:
      if (command == Command::rangeStart) {
        playback.startRangeHere();
      } else {
        playback.endRangeHere();
      }
      session_.setMessage(playback.hasRange()
                              ? "Play range " + std::to_string(playback.rangeFirst()) + " to " +
                                    std::to_string(playback.rangeLast())
                              : "A clip without frames has no play range");
      return true;
    case Command::clearRange:
      playback.clearRange();
      session_.setMessage("Play range cleared: the whole clip plays");
      return true;
    default:
      return false;
  }
}

bool EditorActions::runCamera(Command command) {
  switch (command) {
    case Command::toggleFollowMotion:
      state_.camera.toggleFollowing();
      session_.setMessage("Follow Motion" + onOff(state_.camera.following()));
      return true;
    case Command::resetCamera:
      resetCamera();
      session_.setMessage("Camera back to the start-up view");
      return true;
    case Command::frameFigure:
      frameFigure();
      session_.setMessage("Framed the figure at frame " + std::to_string(state_.playback.frame()));
      return true;
    case Command::frameAll:
      frameEverything();
      session_.setMessage("Framed the whole clip and its paths");
      return true;
    case Command::topView:
      switchTopView();
      session_.setMessage(state_.camera.topView() ? "Top view (7 again goes back)"
                                                  : "Back from the top view");
      return true;
    case Command::toggleLevelOrbit:
      state_.camera.setLevelOrbit(!state_.camera.levelOrbit());
      session_.setMessage(state_.camera.levelOrbit() ? "Level orbit on: turning never rolls"
                                                     : "Level orbit off: turning is free");
      return true;
    default:
      return false;
  }
}

bool EditorActions::runDisplay(Command command) {
  switch (command) {
    case Command::toggleUsesPath:
      state_.usesPath = !state_.usesPath;
      session_.setMessage(state_.usesPath ? "Uses Path on: the figure follows the path"
                                          : "Uses Path off: the figure as captured");
      return true;
    case Command::toggleGhost:
      state_.ghost = !state_.ghost;
      session_.setMessage("Ghost of the figure as captured" + onOff(state_.ghost));
      return true;
    case Command::toggleTrail:
      state_.trail = !state_.trail;
      session_.setMessage(state_.trail ? "Trails on: the carried joint as captured (blue) and "
                                         "as edited (yellow)"
                                       : "Trails off");
      return true;
    case Command::toggleSpreadStrobe:
      state_.spreadStrobe = !state_.spreadStrobe;
      session_.setMessage(state_.spreadStrobe
                              ? "Spread strobe on: frames " +
                                    std::to_string(state_.playback.rangeFirst()) + " to " +
                                    std::to_string(state_.playback.rangeLast()) + " at a glance"
                              : "Spread strobe off");
      return true;
    case Command::toggleContacts:
      state_.contacts = !state_.contacts;
      session_.setMessage(state_.contacts ? contactsText(session_) : "Foot contacts hidden");
      return true;
    case Command::toggleKeyList:
      state_.keyList = !state_.keyList;
      session_.setMessage(state_.keyList ? "Keys shown (F1 or ? hides them)" : "Keys hidden");
      return true;
    default:
      return false;
  }
}

bool EditorActions::runEdit(Command command) {
  // The session's operations leave their own messages.
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
    case Command::switchUpAxis:
      switchUpAxis();
      return true;
    case Command::togglePace:
      session_.setPace(session_.pace() == PathPace::keep ? PathPace::points : PathPace::keep);
      return true;
    case Command::toggleFeet:
      session_.setKeepsFeet(!session_.keepsFeet());
      return true;
    default:
      return false;
  }
}

bool EditorActions::runPoints(Command command) {
  switch (command) {
    case Command::deselect:
      session_.select(-1);
      session_.setMessage("No point selected");
      return true;
    case Command::switchPathKind:
      switchPathKind();
      session_.setMessage(shownPathText(session_.kindText()));
      return true;
    case Command::insertPoint:
      session_.insertPoint();
      return true;
    case Command::deletePoint:
      session_.removePoint();
      return true;
    case Command::nextPoint:
    case Command::previousPoint:
      stepPoint(command == Command::nextPoint);
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
  bool moved = false;
  for (int i = 0; i < times && session_.moveSelected(groundX, groundZ); ++i) moved = true;
  // A refused move leaves the session's reason.
  if (moved) notePoint("Moved");
  notify();
  return true;
}

void EditorActions::switchPathKind() { session_.setKind((session_.kind() + 1) % pathKindCount()); }

void EditorActions::stepPoint(bool forward) {
  const int count = session_.pointCount();
  if (count <= 0) {
    session_.setMessage("The path has no points");
    return;
  }
  const int selected = session_.selected();
  const int next =
      selected < 0 ? (forward ? 0 : count - 1) : (selected + (forward ? 1 : count - 1)) % count;
  session_.select(next);
  notePoint("Selected");
}

void EditorActions::notePoint(const char* verb) {
  const int index = session_.selected();
  if (index < 0) {
    session_.setMessage("No point selected");
    return;
  }
  const Point3 p = session_.point(index);
  char text[160];
  std::snprintf(text, sizeof text, "%s point %d to x %.2f, %s %.2f", verb, index, p.x,
                secondGroundAxisName(session_.upAxis()), p.z);
  // "Selected point 2 at ...", "Moved point 2 to ...".
  std::string message = text;
  if (std::string(verb) == "Selected") message.replace(message.find(" to "), 4, " at ");
  // A move says what it does to the strides too.
  const std::string strides = session_.path().timingNote();
  if (std::string(verb) != "Selected" && !strides.empty()) message += ". " + strides;
  session_.setMessage(message);
}

// --- Pointer ----------------------------------------------------------------

void EditorActions::selectPoint(int index) {
  session_.select(index);
  notePoint("Selected");
  notify();
}

void EditorActions::dragSelected(double dx, double dz) {
  if (session_.moveSelected(dx, dz)) notePoint("Moved");
  notify();
}

void EditorActions::endDrag() { session_.endMove(); }

void EditorActions::zoom(int notches) {
  state_.camera.zoomByNotches(notches);
  session_.setMessage(notches < 0 ? "Zoomed in" : "Zoomed out");
  notify();
}

void EditorActions::beginTurn(float unitX, float unitY) {
  // Nothing shown changes until the pointer moves.
  state_.camera.beginTurn(unitX, unitY);
}

void EditorActions::turnTo(float unitX, float unitY) {
  const OrbitCamera before = state_.camera;
  const bool wasSound = cameraSound();
  state_.camera.turnTo(unitX, unitY);
  // A turn may not take a sound camera under the floor, into the figure or
  // out of the floor's reach; one that is not sound may turn its way out.
  if (wasSound && !cameraSound()) {
    state_.camera = before;
    session_.setMessage("The camera stays above the floor, outside the figure, within reach");
  } else {
    session_.setMessage(state_.camera.topView() ? "The top view does not turn"
                                                : "Turned the camera");
  }
  notify();
}

void EditorActions::aboutToDraw() {
  state_.scene.update(session_);
  if (state_.camera.following()) {
    state_.camera.follow(carriedJointWorld(session_, state_.playback.frame(), state_.usesPath));
  }
}

void EditorActions::viewResized(int width, int height) {
  state_.width = width;
  state_.height = height;
}

// --- Camera -----------------------------------------------------------------

bool EditorActions::cameraSound() const {
  double size = 0.0;
  const Point3 middle = figureMiddle(session_, state_.playback.frame(), state_.usesPath, size);
  return cameraStandsSound(state_.camera, floorUnder(state_.scene), middle, size);
}

void EditorActions::resetCamera() {
  double size = 0.0;
  const Point3 middle = figureMiddle(session_, 0, state_.usesPath, size);
  state_.camera.resetToShow(middle, size, state_.aspect());
}

void EditorActions::frameFigure() {
  double size = 0.0;
  const Point3 middle = figureMiddle(session_, state_.playback.frame(), state_.usesPath, size);
  state_.camera.frame(middle, size);
  // A turn that left the camera under the floor or in the figure is
  // dropped, so F always gives a view one can work in.
  if (!cameraSound()) {
    state_.camera.clearTurn();
    state_.camera.frame(middle, size);
  }
}

void EditorActions::frameEverything() {
  state_.scene.update(session_);
  state_.camera.frameBox(state_.scene.reach(), state_.aspect());
}

void EditorActions::switchTopView() {
  if (state_.camera.topView()) {
    state_.camera.leaveTopView();
    return;
  }
  state_.scene.update(session_);
  WorldBox box = state_.scene.reach();
  if (box.empty()) {
    // Nothing to frame: the floor's square.
    box.add({-5.0, figureFloorY, -5.0});
    box.add({5.0, figureFloorY, 5.0});
  }
  state_.camera.viewFromAbove(box, state_.aspect());
}

void EditorActions::panX(double step) {
  state_.camera.pan(step, 0.0);
  session_.setMessage("Camera moved");
  notify();
}

void EditorActions::panZ(double step) {
  state_.camera.pan(0.0, step);
  session_.setMessage("Camera moved");
  notify();
}

// --- Playback ---------------------------------------------------------------

void EditorActions::setCurrentFrame(double value) {
  state_.playback.seek(value);
  session_.setMessage(frameText(state_.playback.frame()));
  notify();
}

void EditorActions::goToFrame(double typed) {
  Playback& playback = state_.playback;
  if (!std::isfinite(typed)) {
    session_.setMessage("Type a frame number");
  } else {
    playback.seek(typed);
    std::string message = frameText(playback.frame());
    if (typed < 0.0 || typed >= playback.frameCount()) {
      message += ": the clip has frames 0 to " + std::to_string(playback.rangeLast());
    }
    session_.setMessage(message);
  }
  notify();
}

void EditorActions::movePointTo(double x, double z) {
  const int index = session_.selected();
  if (index < 0) {
    session_.setMessage("Select a control point first");
  } else if (!std::isfinite(x) || !std::isfinite(z)) {
    session_.setMessage("Type a number for each coordinate");
  } else {
    const Point3 p = session_.point(index);
    // Its own undo step, apart from any run of arrow presses before it.
    session_.endMove();
    if (session_.movePoint(index, x - p.x, z - p.z)) notePoint("Moved");
    session_.endMove();
  }
  notify();
}

void EditorActions::setFrameTime(double seconds) {
  state_.playback.setFrameTime(seconds, playbackClockMs());
  session_.setMessage(paceText(seconds));
  notify();
}

void EditorActions::typeFrameTime(double seconds) {
  if (seconds >= shortestTypedFrameTime && seconds <= longestTypedFrameTime) {
    state_.playback.setFrameTime(seconds, playbackClockMs());
    session_.setMessage(paceText(seconds));
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
  const std::string name = fileName;
  const bool dropsEdits = session_.wouldDropEdits(EditSession::Action::Load);
  const GoOn goOn = dropsEdits ? mayDropEdits("Load the clip", "Load", true) : GoOn::dropping;
  if (goOn == GoOn::kept || goOn == GoOn::notWritten) {
    // A write asked for first that did not happen has said why.
    const std::string why =
        goOn == GoOn::kept ? std::string("Kept the unwritten edits") : session_.message();
    session_.setMessage(why + "; " + fileNameOnly(name) + " not loaded");
    notify();
    return false;
  }
  const std::string written = goOn == GoOn::written ? session_.message() + "; " : "";
  const bool loaded = session_.load(name).ok();
  say(loaded && session_.upAxis() == UpAxis::z ? "Up axis: Z\n" : "");
  if (loaded) {
    if (dropsEdits && goOn == GoOn::dropping) {
      session_.setMessage(session_.message() + "; the unwritten edits were dropped");
    }
    session_.setMessage(written + session_.message());
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
  if (dropsEdits && mayDropEdits("Fit the paths again for the other up axis", "Switch", false) !=
                        GoOn::dropping) {
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
  switch (mayDropEdits("Close", "Close", true)) {
    case GoOn::dropping:
    case GoOn::written:
      return true;
    case GoOn::kept:
      session_.setMessage("Kept editing; the edits are not written yet");
      break;
    case GoOn::notWritten:
      session_.setMessage(session_.message() + "; the editor stays open");
      break;
  }
  notify();
  return false;
}

EditorActions::GoOn EditorActions::mayDropEdits(const std::string& action, const char* goAhead,
                                                bool offerWriteFirst) {
  const Question question{
      "The path has edits that are not written yet.\n" + action + " and lose them?", goAhead,
      "Keep editing", offerWriteFirst ? "Write First" : ""};
  switch (seams_.ask(question)) {
    case Answer::goAhead:
      return GoOn::dropping;
    case Answer::writeFirst:
      // Written as Write Path writes, with its own questions.
      return chooseAndWritePath() ? GoOn::written : GoOn::notWritten;
    case Answer::keep:
      break;
  }
  return GoOn::kept;
}

bool EditorActions::chooseAndLoadPath() {
  const char* name = seams_.choose("Choose a BVH File: ", "*.bvh", nullptr);
  if (name == nullptr) {
    session_.setMessage("Load Path cancelled; the clip stays");
    return false;
  }
  return loadPath(name);
}

bool EditorActions::chooseAndWritePath() {
  const std::string suggestion = EditSession::suggestedWriteName(session_.clipName());
  const char* name = seams_.choose("Enter a BVH File name: ", "*.bvh", suggestion.c_str());
  if (name == nullptr) {
    session_.setMessage("Write Path cancelled; nothing written");
    return false;
  }
  return writePath(name);
}
