#include "view/MotionView.h"

#include <FL/Fl.H>
#include <FL/gl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

#include "draw/PathCurveDrawing.h"
#include "draw/SkeletonDrawing.h"
#include "motion/FigureFrame.h"
#include "motion/GroundAxes.h"
#include "motion/TrackJoint.h"
#include "path/GroundMapping.h"
#include "view/FigureFocus.h"
#include "view/FileChooser.h"
#include "view/PlaybackClock.h"
#include "view/QuestionDialog.h"
#include "view/StatusLine.h"

namespace {

std::string fileNameOnly(const std::string& name) {
  const size_t slash = name.find_last_of('/');
  return slash == std::string::npos ? name : name.substr(slash + 1);
}

// Half the floor's edge in world units: the 10 by 10 it always was (about
// 1.3 heights of the default clip's figure), or as many heights of a larger
// figure, so a millimetre clip does not stand on a speck.
double floorHalfSize(const BvhMotion& motion) {
  constexpr double smallest = 5.0;
  constexpr double heightsPerHalf = 0.6;
  const double figure = restPoseBox(motion.skeleton).size();
  const double half = heightsPerHalf * figure * figureScale;
  return std::isfinite(half) ? std::max(smallest, half) : smallest;
}

bool fileExists(const char* name) {
  struct stat info {};
  // A dangling symbolic link is a name in use too: writing replaces it.
  return lstat(name, &info) == 0;
}

constexpr double statusBandHeight = 26.0;

}  // namespace

MotionView::MotionView(int x, int y, int w, int h, EditSession& session)
    : Fl_Gl_Window(x, y, w, h, "Vovar Evuvu"), session_(session) {
  playback_.startClip(session_.motion().frameCount, session_.motion().frameTime, playbackClockMs());
  noteClipPace();
  // A figure too small, too large or out of sight in the fixed view is framed.
  resetCamera();
  schedulePlayback();
}

MotionView::~MotionView() {
  Fl::remove_timeout(playbackTimeout, this);
  // Deleted while their context is current rather than left to it: the
  // toolkit shares one context's objects with the other GL windows' ones.
  if (context() != nullptr) {
    make_current();
    textures_.deleteTextures();
  }
}

void MotionView::setConsole(std::function<void(const std::string&)> console) {
  console_ = std::move(console);
}

void MotionView::setControlsChanged(std::function<void()> changed) {
  controlsChanged_ = std::move(changed);
}

void MotionView::say(const std::string& text) {
  // The session's own console text comes first: it was left before text.
  // The console hears also when there is nothing to say, so that it can pass
  // on what lower layers still print themselves at once.
  const std::string notes = session_.takeConsoleNotes().text();
  if (console_) console_(notes + text);
}

void MotionView::notifyControls() {
  if (controlsChanged_) controlsChanged_();
}

void MotionView::noteClipPace() {
  const std::string note = playback_.clipPaceNote();
  if (note.empty()) return;
  const std::string& message = session_.message();
  session_.setMessage(message.empty() ? note : message + "; " + note);
}

void MotionView::clipLoaded() {
  depthLimitReported_ = false;
  // A texture missing before may have been put in place since.
  textures_.retryMissing();
  // A new clip starts at its first frame, whatever came before.
  playback_.startClip(session_.motion().frameCount, session_.motion().frameTime, playbackClockMs());
  noteClipPace();
  schedulePlayback();
  notifyControls();
  redraw();
}

bool MotionView::loadPath(const char* fileName) {
  if (fileName == nullptr) {
    return false;
  }
  const bool dropsEdits = session_.wouldDropEdits(EditSession::Action::Load);
  if (dropsEdits && !agreesToDropEdits("Load the clip", "Load")) {
    session_.setMessage("Kept the unwritten edits; " + fileNameOnly(fileName) + " not loaded");
    redraw();
    return false;
  }
  const bool loaded = session_.load(fileName).ok();
  say(loaded && session_.upAxis() == UpAxis::z ? "Up axis: Z\n" : "");
  if (loaded) {
    if (dropsEdits) session_.setMessage(session_.message() + "; the unwritten edits were dropped");
    clipLoaded();
    frameFigure();
  } else {
    // The clip, its path, the edits, the frame and the camera stay; only
    // the message tells why.
    redraw();
  }
  return loaded;
}

bool MotionView::writePath(const char* fileName) {
  if (fileName == nullptr) {
    return false;
  }
  if (fileExists(fileName)) {
    const std::string question =
        fileNameOnly(fileName) + " already exists.\nReplace it with the edited clip?";
    if (!askQuestion(question.c_str(), "Replace", "Cancel")) {
      session_.setMessage("Kept " + std::string(fileName) + "; nothing written");
      redraw();
      return false;
    }
  }
  const bool written = session_.write(fileName).ok();
  say("");
  redraw();
  return written;
}

void MotionView::switchUpAxis() {
  const UpAxis other = session_.upAxis() == UpAxis::z ? UpAxis::y : UpAxis::z;
  // The paths are fitted again for the other axis, which drops their edits.
  const bool dropsEdits = session_.wouldDropEdits(EditSession::Action::SetUpAxis);
  if (dropsEdits && !agreesToDropEdits("Fit the paths again for the other up axis", "Switch")) {
    session_.setMessage(std::string("Kept the unwritten edits; the up axis stays ") +
                        upAxisName(session_.upAxis()));
    redraw();
    return;
  }
  if (session_.setUpAxis(other)) {
    if (dropsEdits) session_.setMessage(session_.message() + "; the unwritten edits were dropped");
    say(std::string("Up axis: ") + upAxisName(other) + "\n");
    frameFigure();
  } else {
    say("");
  }
  redraw();
}

bool MotionView::agreesToDropEdits(const std::string& action, const char* goAhead) {
  const std::string question =
      "The path has edits that are not written yet.\n" + action + " and lose them?";
  return askQuestion(question.c_str(), goAhead, "Keep editing");
}

void MotionView::chooseAndLoadPath() { loadPath(chooseFile("Choose a BVH File: ", "*.bvh")); }

void MotionView::chooseAndWritePath() {
  const std::string suggestion = EditSession::suggestedWriteName(session_.clipName());
  writePath(chooseFile("Enter a BVH File name: ", "*.bvh", suggestion.c_str()));
}

std::string MotionView::statusText() const { return ::statusText(session_, playback_); }

void MotionView::toggleUsesPath() {
  usesPath_ = !usesPath_;
  redraw();
}

void MotionView::toggleFollowMotion() {
  camera_.toggleFollowing();
  redraw();
}

void MotionView::panX(double step) {
  camera_.pan(step, 0.0);
  redraw();
}

void MotionView::panZ(double step) {
  camera_.pan(0.0, step);
  redraw();
}

void MotionView::resetCamera() {
  double size = 0.0;
  const Point3 middle = figureMiddle(session_, 0, usesPath_, size);
  const double aspect = h() > 0 ? static_cast<double>(w()) / h() : 1.0;
  camera_.resetToShow(middle, size, aspect);
  redraw();
}

void MotionView::setCamera(const OrbitCamera& pose) {
  camera_ = pose;
  redraw();
}

void MotionView::frameFigure() { frameFigureAt(playback_.frame()); }

void MotionView::frameFigureAt(int f) {
  double size = 0.0;
  const Point3 middle = figureMiddle(session_, f, usesPath_, size);
  camera_.frame(middle, size);
  redraw();
}

// --- Playback ---------------------------------------------------------------

void MotionView::stepAnimation() {
  if (playback_.advance(playbackClockMs())) redraw();
}

void MotionView::schedulePlayback() {
  Fl::remove_timeout(playbackTimeout, this);
  if (!playback_.animated()) return;
  Fl::add_timeout(playback_.secondsToNextFrame(playbackClockMs()), playbackTimeout, this);
}

bool MotionView::playbackScheduled() const {
  return Fl::has_timeout(playbackTimeout, const_cast<MotionView*>(this)) != 0;
}

void MotionView::playbackTimeout(void* data) {
  auto* view = static_cast<MotionView*>(data);
  view->stepAnimation();
  view->notifyControls();
  view->schedulePlayback();
}

void MotionView::setCurrentFrame(double value) {
  playback_.seek(value);
  redraw();
}

void MotionView::frameForward() {
  playback_.forward();
  redraw();
}

void MotionView::frameBackward() {
  playback_.backward();
  redraw();
}

void MotionView::setFrameTime(double value) {
  playback_.setFrameTime(value, playbackClockMs());
  schedulePlayback();
}

void MotionView::toggleAnimated() {
  playback_.toggleAnimated(playbackClockMs());
  if (playback_.animated()) redraw();
  schedulePlayback();
}

void MotionView::toggleStrobing() {
  playback_.toggleStrobing();
  redraw();
}

// --- Drawing ----------------------------------------------------------------

void MotionView::draw() {
  // A window hidden and shown again draws in a new context: the textures of
  // the old one went with it.
  if (!context_valid()) textures_.forgetTextures();
  clearView();
  if (camera_.following())
    camera_.follow(carriedJointWorld(session_, playback_.frame(), usesPath_));
  drawScene();
  glGetDoublev(GL_MODELVIEW_MATRIX, snapshot_.modelView);
  glGetDoublev(GL_PROJECTION_MATRIX, snapshot_.projection);
  glGetIntegerv(GL_VIEWPORT, snapshot_.viewport);
  snapshotTaken_ = true;
  const BvhMotion& motion = session_.motion();
  SkeletonDrawOptions options;
  options.currentFrame = playback_.frame();
  options.strobing = playback_.strobing();
  options.up = session_.upAxis();
  if (usesPath_) options.edits = &session_.editedFrames();
  Notes notes;
  drawSkeleton(motion, options, depthLimitReported_, notes);
  say(notes.text());

  drawStatusLine();
}

void MotionView::drawStatusLine() {
  // Text over the scene: no lighting, texture or depth, pixel coordinates.
  glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0.0, w(), 0.0, h(), -1.0, 1.0);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  // A dark band under the text keeps it readable over the floor.
  glColor3f(0.08f, 0.08f, 0.1f);
  glRectd(0.0, 0.0, w(), statusBandHeight);
  glColor3f(1.0f, 1.0f, 0.6f);
  gl_font(FL_HELVETICA, 13);
  // Building the glyph lists fails for glyphs without pixels (the blank)
  // under some GL drivers, which leaves an error behind but draws the rest;
  // the words are therefore placed one by one with the blank's width.
  while (glGetError() != GL_NO_ERROR) {
  }
  const double blank = gl_width(" ");
  const auto measure = [blank](const std::string& line) {
    double width = 0.0;
    size_t start = 0;
    while (start <= line.size()) {
      size_t end = line.find(' ', start);
      if (end == std::string::npos) end = line.size();
      if (end > start) width += gl_width(line.substr(start, end - start).c_str());
      if (end < line.size()) width += blank;
      start = end + 1;
    }
    return width;
  };
  const std::string text = fitToWidth(statusText(), w() - 16.0, measure);
  double x = 8.0;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(' ', start);
    if (end == std::string::npos) end = text.size();
    if (end > start) {
      const std::string word = text.substr(start, end - start);
      gl_draw(word.c_str(), static_cast<float>(x), 8.0f);
      x += gl_width(word.c_str());
    }
    x += blank;
    start = end + 1;
  }
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopAttrib();
}

void MotionView::clearView() {
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
}

void MotionView::applyCamera() {
  glViewport(0, 0, w(), h());
  const double aspect = h() > 0 ? static_cast<double>(w()) / static_cast<double>(h()) : 1.0;
  glMatrixMode(GL_PROJECTION);
  glLoadMatrixd(camera_.projection(aspect).data());
  glMatrixMode(GL_MODELVIEW);
  glLoadMatrixd(camera_.modelView().data());
}

void MotionView::cameraMatrices(double modelView[16], double projection[16], int viewport[4]) {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  applyCamera();
  glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
  glGetDoublev(GL_PROJECTION_MATRIX, projection);
  glGetIntegerv(GL_VIEWPORT, viewport);
}

void MotionView::drawScene() {
  applyCamera();
  glEnable(GL_DEPTH_TEST);

  glColor3f(0.5f, 0.5f, 0.5f);
  glBegin(GL_LINES);
  glVertex3d(-1.0, 0.0, 0.0);
  glVertex3d(1.0, 0.0, 0.0);
  glVertex3d(0.0, -1.0, 0.0);
  glVertex3d(0.0, 1.0, 0.0);
  glVertex3d(0.0, 0.0, -1.0);
  glVertex3d(0.0, 0.0, 1.0);
  glEnd();
  glFlush();

  drawFloor();
  if (usesPath_) drawShownPath();

  // Lighting, colour material and light 0 stay enabled on purpose: the next
  // frame's floor and path are drawn lit with these values.
  glEnable(GL_LIGHTING);
  glEnable(GL_COLOR_MATERIAL);
  const GLfloat ambient[] = {0.5f, 0.5f, 0.5f, 1.0f};
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
  glEnable(GL_LIGHT0);
  // Set after the camera, so the light stays fixed in the world.
  const GLfloat position[] = {0.0f, 1000.0f, 0.0f, 0.0f};
  const GLfloat white[] = {1.0f, 1.0f, 1.0f, 1.0f};
  const GLfloat down[] = {0.0f, -1.0f, 0.0f};
  glLightfv(GL_LIGHT0, GL_POSITION, position);
  glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
  glLightfv(GL_LIGHT0, GL_SPECULAR, white);
  glLightf(GL_LIGHT0, GL_SPOT_CUTOFF, 15.0f);
  glLightfv(GL_LIGHT0, GL_SPOT_DIRECTION, down);
  glLightf(GL_LIGHT0, GL_SPOT_EXPONENT, 3.0f);
}

void MotionView::drawFloor() {
  glColor3d(1.0, 1.0, 1.0);
  // Texturing stays enabled after the floor, with texture 0 bound.
  glEnable(GL_TEXTURE_2D);
  Notes notes;
  textures_.fetch("checker", false, false, notes);
  say(notes.text());
  glPushMatrix();
  const double half = floorHalfSize(session_.motion());
  glTranslated(-half, -2.0, -half);
  glScaled(half / 5.0, 1.0, half / 5.0);
  glBegin(GL_QUADS);
  glNormal3d(0.0, 1.0, 0.0);
  glTexCoord2d(0.0, 1.0);
  glVertex3d(0.0, 0.0, 0.0);
  glTexCoord2d(1.0, 1.0);
  glVertex3d(10.0, 0.0, 0.0);
  glTexCoord2d(1.0, 0.0);
  glVertex3d(10.0, 0.0, 10.0);
  glTexCoord2d(0.0, 0.0);
  glVertex3d(0.0, 0.0, 10.0);
  glEnd();
  glPopMatrix();
  glBindTexture(GL_TEXTURE_2D, 0);
}

void MotionView::drawShownPath() {
  drawPath(session_.path(), session_.layout(), true, session_.selected());
}
