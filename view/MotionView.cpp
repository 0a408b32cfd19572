#include "view/MotionView.h"

#include <FL/Fl.H>
#include <FL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <string>

#include <sys/stat.h>

#include "base/DataFile.h"
#include "motion/FigureFrame.h"
#include "draw/SkeletonDrawing.h"
#include "motion/TrackJoint.h"
#include "path/GroundMapping.h"
#include "draw/PathCurveDrawing.h"
#include "view/FileChooser.h"
#include "view/QuestionDialog.h"
#include "draw/TextureCache.h"

namespace {

// The clip loaded when none is chosen or the chosen one cannot be read.
// The working folder first, then beside the program and its data folder.
std::string defaultClipPath() { return findDataFile("dance01.bvh"); }

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

// Console text as the library left it, where it used to print it.
void printText(const std::string& text) { std::fwrite(text.data(), 1, text.size(), stdout); }

bool fileExists(const char* name) {
  struct stat info {};
  // A dangling symbolic link is a name in use too: writing replaces it.
  return lstat(name, &info) == 0;
}

// Bytes that are not printable text (control bytes, broken UTF-8) as \xNN,
// so that a binary file's first word cannot garble the status line.
std::string printable(const std::string& text) {
  std::string shown;
  size_t i = 0;
  while (i < text.size()) {
    const auto byte = static_cast<unsigned char>(text[i]);
    size_t length = 0;
    if (byte >= 0x20 && byte < 0x7f) {
      length = 1;
    } else if (byte >= 0xc2 && byte <= 0xf4) {
      const size_t expected = byte < 0xe0 ? 2 : byte < 0xf0 ? 3 : 4;
      size_t n = 1;
      while (n < expected && i + n < text.size() &&
             (static_cast<unsigned char>(text[i + n]) & 0xc0) == 0x80) {
        ++n;
      }
      if (n == expected) length = expected;
    }
    if (length > 0) {
      shown.append(text, i, length);
      i += length;
    } else {
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
      shown += escaped;
      ++i;
    }
  }
  return shown;
}

constexpr double statusBandHeight = 26.0;

// The console text the session's operations left (the reader's, the fit's
// and the writer's lines), printed as it stands, in the order they came.
void printConsoleNotes(EditSession& session) {
  std::fputs(session.takeConsoleNotes().text().c_str(), stdout);
}

}  // namespace

std::string fitToWidth(std::string text, double width,
                       const std::function<double(const std::string&)>& measure) {
  constexpr size_t shortest = 12;
  const std::string dots = "...";
  while (measure(text) > width) {
    // The longest word (a path, as a rule) loses a quarter of its middle.
    size_t longestStart = 0;
    size_t longestLength = 0;
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find(' ', start);
      if (end == std::string::npos) end = text.size();
      if (end - start > longestLength) {
        longestStart = start;
        longestLength = end - start;
      }
      start = end + 1;
    }
    if (longestLength <= shortest) {
      // Nothing left to shorten inside: cut the end.
      while (text.size() > dots.size() && measure(text + dots) > width) text.pop_back();
      return text + dots;
    }
    // Both ends stay; a shortened word keeps its "..." in the middle, since
    // its new ends are parts of its old ones.
    const std::string word = text.substr(longestStart, longestLength);
    const size_t target = longestLength - std::max<size_t>(1, longestLength / 4);
    const size_t head = (target - dots.size()) / 2;
    const size_t tail = target - dots.size() - head;
    text.replace(longestStart, longestLength,
                 word.substr(0, head) + dots + word.substr(word.size() - tail));
  }
  return text;
}

MotionView::MotionView(int x, int y, int w, int h)
    : Fl_Gl_Window(x, y, w, h, "Vovar Evuvu"),
      motion(session.motionSlot()),
      path(session.pathSlot()) {
  srand(static_cast<unsigned>(time(nullptr)));
  arcBall = std::make_unique<ArcBall>();
  lastX = -1.0;
  lastY = -1.0;
  pickDepth = -1.0;
  rotateX = -1.0;
  rotateY = -1.0;

  // Cancelling loads the default clip silently; a file the reader rejects says so first.
  const char* chosen = chooseFile("Choose a BVH File: ", "*.bvh");
  // The hierarchy is printed before the fit reports.
  const auto dump = [this](const BvhMotion& clip) {
    printConsoleNotes(session);
    printText(clip.dump());
  };
  bool loaded = false;
  std::string refusal;
  if (chosen != nullptr) {
    loaded = session.load(chosen, dump);
    printConsoleNotes(session);
    if (!loaded) {
      refusal = session.message();
      std::printf("Failed to load, loading dance instead\n");
    }
  }
  // With no clip at all the view goes on with the empty one and its fit.
  if (!loaded) {
    loaded = session.load(defaultClipPath(), dump);
    printConsoleNotes(session);
  }
  if (!loaded) {
    printText(motion->dump());
    session.fit();
    printConsoleNotes(session);
  }
  if (!refusal.empty()) session.setMessage(refusal + "; showing " + defaultClipPath());
  if (session.upAxis() == UpAxis::z) std::printf("Up axis: Z\n");
  // A texture reported missing before (by an earlier view) is looked for
  // again with each clip loaded.
  retryMissingTextures();

  currentFrame = 0;
  animated = true;
  strobing = false;
  frameTime = clipPace();
  noteClipPace();
  followMotion = false;
  usesPath = false;
  // A figure too small, too large or out of sight in the fixed view is framed.
  resetCamera();
  // Someone watching the console (or a script reading it) sees the start-up
  // report before the window appears, also when standard output is a file.
  std::fflush(stdout);
  // Time spent in the chooser is not playback time.
  restartPlaybackClock();
  schedulePlayback();
}

void MotionView::noteClipPace() {
  const std::string note = clipPaceNote();
  if (note.empty()) return;
  const std::string& message = session.message();
  session.setMessage(message.empty() ? note : message + "; " + note);
}

MotionView::~MotionView() {
  Fl::remove_timeout(playbackTimeout, this);
  arcBall.reset();
}

void MotionView::clampCurrentFrame() {
  const int count = motion->frameCount;
  currentFrame = count > 0 ? std::clamp(currentFrame, 0, count - 1) : 0;
}

void MotionView::fitPath() {
  session.fit();
  printConsoleNotes(session);
}

void MotionView::clipLoaded() {
  depthLimitReported = false;
  // A texture missing before may have been put in place since.
  retryMissingTextures();
  frameTime = clipPace();
  noteClipPace();
  restartPlaybackClock();
  clampCurrentFrame();
  schedulePlayback();
  notifyControls();
  redraw();
}

void MotionView::notifyControls() {
  if (controlsChanged) controlsChanged();
}

bool MotionView::loadPath(const char* fileName) {
  if (fileName == nullptr) {
    return false;
  }
  const bool dropsEdits = session.wouldDropEdits(EditSession::Action::Load);
  if (dropsEdits && !agreesToDropEdits("Load the clip", "Load")) {
    session.setMessage("Kept the unwritten edits; " + fileNameOnly(fileName) + " not loaded");
    redraw();
    return false;
  }
  const bool loaded = session.load(fileName);
  printConsoleNotes(session);
  if (loaded && session.upAxis() == UpAxis::z) std::printf("Up axis: Z\n");
  std::fflush(stdout);
  if (loaded) {
    // A new clip starts at its first frame, framed, whatever came before.
    currentFrame = 0;
    if (dropsEdits) session.setMessage(session.message() + "; the unwritten edits were dropped");
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
      session.setMessage("Kept " + std::string(fileName) + "; nothing written");
      redraw();
      return false;
    }
  }
  const bool written = session.write(fileName);
  printConsoleNotes(session);
  std::fflush(stdout);
  redraw();
  return written;
}

void MotionView::switchUpAxis() {
  const UpAxis other = session.upAxis() == UpAxis::z ? UpAxis::y : UpAxis::z;
  // The paths are fitted again for the other axis, which drops their edits.
  const bool dropsEdits = session.wouldDropEdits(EditSession::Action::SetUpAxis);
  if (dropsEdits && !agreesToDropEdits("Fit the paths again for the other up axis", "Switch")) {
    session.setMessage(std::string("Kept the unwritten edits; the up axis stays ") +
                       upAxisName(session.upAxis()));
    redraw();
    return;
  }
  const bool switched = session.setUpAxis(other);
  printConsoleNotes(session);
  if (switched) {
    if (dropsEdits) session.setMessage(session.message() + "; the unwritten edits were dropped");
    std::printf("Up axis: %s\n", upAxisName(other));
    std::fflush(stdout);
    frameFigure();
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
  const std::string suggestion = EditSession::suggestedWriteName(session.clipName());
  writePath(chooseFile("Enter a BVH File name: ", "*.bvh", suggestion.c_str()));
}

std::string MotionView::statusText() const {
  // Frames counted from 0, as the frame slider shows them.
  const int count = motion->frameCount;
  char line[512];
  int used = std::snprintf(line, sizeof line, "%s   frame %d / %d   %.2f s",
                           fileNameOnly(session.clipName()).c_str(), currentFrame, count,
                           currentFrame * clipPace());
  const int selected = session.selected();
  if (selected >= 0 && used > 0 && static_cast<size_t>(used) < sizeof line) {
    const Point3 p = session.point(selected);
    used += std::snprintf(line + used, sizeof line - static_cast<size_t>(used),
                          "   point %d: x %.2f %s %.2f", selected, p.x,
                          session.upAxis() == UpAxis::z ? "y" : "z", p.z);
  }
  std::string text = line;
  text += "   " + session.kindText();
  if (!session.message().empty()) text += "   " + printable(session.message());
  return text;
}

void MotionView::toggleUsesPath() {
  usesPath = !usesPath;
  redraw();
}

void MotionView::toggleFollowMotion() {
  followMotion = !followMotion;
  redraw();
}

void MotionView::panX(double step) {
  eyeX += step;
  centerX += step;
  redraw();
}

void MotionView::panZ(double step) {
  eyeZ += step;
  centerZ += step;
  redraw();
}

void MotionView::draw() {
  clearView();
  if (followMotion) followFigure();
  drawScene();
  glGetDoublev(GL_MODELVIEW_MATRIX, camera.modelView);
  glGetDoublev(GL_PROJECTION_MATRIX, camera.projection);
  glGetIntegerv(GL_VIEWPORT, camera.viewport);
  cameraKnown = true;
  SkeletonDrawOptions options;
  options.currentFrame = currentFrame;
  options.strobing = strobing;
  options.carriedJoint = jointOfClip(*motion, path->trackJoint);
  options.up = session.upAxis();
  if (usesPath) {
    options.placement = [this](int f, FramePlacement& placement) {
      FramePlacement ground;
      if (!session.placeFrame(f, ground)) return false;
      placement = placementInClipAxes(ground, session.upAxis());
      return true;
    };
  }
  Notes notes;
  drawSkeleton(*motion, options, depthLimitReported, notes);
  printText(notes.text());

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
  // The projection is multiplied onto the current one (the caller loads
  // the identity first).
  const double aspect = h() > 0 ? static_cast<double>(w()) / static_cast<double>(h()) : 1.0;
  // The depth range grows as the zoom shrinks, so a framed large figure
  // stays inside it.
  gluPerspective(45.0, aspect, 0.01 / zoom, 30.0 / zoom);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glTranslated(0.0, -1.0 / zoom, -12.0 / zoom);
  float rotation[16];
  arcBall->matrix(rotation);
  glMultMatrixf(rotation);
  gluLookAt(eyeX, eyeY, eyeZ, centerX, eyeY, centerZ, 0.0, 1.0, 0.0);
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
  if (usesPath) drawShownPath();

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
  fetchTexture("checker", false, false);
  glPushMatrix();
  const double half = floorHalfSize(*motion);
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

void MotionView::pointerToUnit(double& ux, double& uy) const {
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  const double width = viewport[2];
  const double height = viewport[3];
  ux = rotateX / width * 2.0 - 1.0;
  uy = (height - rotateY) / height * 2.0 - 1.0;
}

void MotionView::drawShownPath() {
  const PathLayout layout = pathLayout(*motion, *path, -1, session.upAxis());
  if (session.kind() == EditSession::PathKind::track) {
    drawPath(session.track().path, layout, true, session.selected());
  } else {
    drawPath(path->path, layout, true, session.selected());
  }
}
