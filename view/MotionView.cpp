#include "view/MotionView.h"

#include <FL/Fl.H>
#include <FL/gl.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "draw/ContactDrawing.h"
#include "draw/GhostDrawing.h"
#include "draw/PathCurveDrawing.h"
#include "draw/SkeletonDrawing.h"
#include "draw/TrailDrawing.h"
#include "motion/FigureFrame.h"
#include "motion/FrameWords.h"
#include "path/GroundMapping.h"
#include "view/CommandTable.h"
#include "view/ContactMarks.h"
#include "view/FloorExtent.h"
#include "view/StatusLine.h"

namespace {

constexpr double statusBandHeight = 26.0;
constexpr double textLineHeight = 16.0;
// Figures of the spread strobe, its first and last included.
constexpr int spreadFigures = 9;

// How far GL's glyphs for word advance. The font GL draws with need not be
// the one gl_width measures (where the toolkit's font has no bitmap twin, GL
// draws a fixed one), and a word measured by the one and drawn in the other
// ran into the blank after it ("fileor"): words are placed by their drawn
// width. Draws nothing; needs a pixel projection loaded.
double drawnWidth(const std::string& word) {
  GLboolean mask[4];
  glGetBooleanv(GL_COLOR_WRITEMASK, mask);
  glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
  glRasterPos2d(0.0, 0.0);
  gl_draw(word.c_str());
  GLfloat at[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  glGetFloatv(GL_CURRENT_RASTER_POSITION, at);
  glColorMask(mask[0], mask[1], mask[2], mask[3]);
  return at[0];
}

// Starts text over the view: no lighting, texture or depth, pixel
// coordinates, the font of the status line. endOverlay undoes it.
void beginOverlay(int width, int height) {
  glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_COLOR_BUFFER_BIT);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0.0, width, 0.0, height, -1.0, 1.0);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  gl_font(FL_HELVETICA, 13);
  // Building the glyph lists fails for glyphs without pixels (the blank)
  // under some GL drivers, which leaves an error behind but draws the rest;
  // the words are therefore placed one by one with the blank's width.
  while (glGetError() != GL_NO_ERROR) {
  }
}

void endOverlay() {
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopAttrib();
}

// text's words from (x, y) on, one line, placed by their drawn widths.
void drawLine(const std::string& text, double x, double y) {
  const double blank = gl_width(" ");
  for (const PlacedWord& word : layoutStatusLine(text, HUGE_VAL, drawnWidth, blank)) {
    gl_draw(word.text.c_str(), static_cast<float>(x + word.x), static_cast<float>(y));
  }
}

// The rows of the key list: every key of the command table, then the mouse.
std::vector<std::pair<std::string, std::string>> keyListRows() {
  std::vector<std::pair<std::string, std::string>> rows;
  for (const CommandRow& row : commandTable()) {
    if (row.keys != nullptr) rows.emplace_back(row.keys, row.does);
  }
  rows.emplace_back("Left button", "Select a point; drag it over the ground");
  rows.emplace_back("Right button", "Drag to turn the camera");
  rows.emplace_back("Wheel", "Zoom");
  return rows;
}

}  // namespace

MotionView::MotionView(int x, int y, int w, int h, const EditSession& session,
                       const ViewState& state, CommandSink& sink)
    : Fl_Gl_Window(x, y, w, h, "Vovar Evuvu"),
      session_(session),
      state_(state),
      sink_(sink),
      clipsSeen_(state.clipsLoaded) {}

MotionView::~MotionView() {
  // Deleted while their context is current rather than left to it: the
  // toolkit shares one context's objects with the other GL windows' ones.
  if (context() != nullptr) {
    make_current();
    textures_.deleteTextures();
  }
}

void MotionView::resize(int x, int y, int w, int h) {
  Fl_Gl_Window::resize(x, y, w, h);
  sink_.viewResized(w, h);
}

void MotionView::noteNewClip() {
  if (clipsSeen_ == state_.clipsLoaded) return;
  clipsSeen_ = state_.clipsLoaded;
  depthLimitReported_ = false;
  // A texture missing before may have been put in place since.
  textures_.retryMissing();
}

void MotionView::draw() {
  // A window hidden and shown again draws in a new context: the textures of
  // the old one went with it.
  if (!context_valid()) textures_.forgetTextures();
  noteNewClip();
  sink_.aboutToDraw();
  clearView();
  drawScene();
  snapshotCamera();
  drawFigure();
  if (state_.trail) drawTrails();
  drawStatusLine();
  if (state_.keyList) drawKeyList();
}

void MotionView::drawTrails() {
  const float asRead[3] = {0.35f, 0.6f, 1.0f};
  const float carried[3] = {1.0f, 0.85f, 0.2f};
  drawTrail(state_.scene.trailAsRead(), asRead, 2.0f);
  drawTrail(state_.scene.trailCarried(), carried, 2.0f);
}

void MotionView::snapshotCamera() {
  glGetDoublev(GL_MODELVIEW_MATRIX, snapshot_.modelView);
  glGetDoublev(GL_PROJECTION_MATRIX, snapshot_.projection);
  glGetIntegerv(GL_VIEWPORT, snapshot_.viewport);
  snapshotTaken_ = true;
}

void MotionView::drawFigure() {
  const BvhMotion& motion = session_.motion();
  SkeletonDrawOptions options;
  options.currentFrame = state_.playback.frame();
  options.strobing = state_.playback.strobing();
  options.up = session_.upAxis();
  if (state_.usesPath) options.edits = &session_.editedFrames();
  Notes notes;
  drawSkeleton(motion, options, depthLimitReported_, notes);
  if (state_.spreadStrobe) {
    SkeletonDrawOptions spread = options;
    spread.strobing = false;
    for (const int f : state_.playback.spreadFrames(spreadFigures)) {
      spread.currentFrame = f;
      drawSkeleton(motion, spread, depthLimitReported_, notes);
    }
  }
  // Last, since it hides nothing behind it.
  if (state_.ghost) drawGhost(motion, options, depthLimitReported_, notes);
  sink_.console(notes.text());
}

void MotionView::drawStatusLine() {
  beginOverlay(w(), h());
  const double blank = gl_width(" ");
  const std::string text = statusText(session_, state_.playback);
  const std::vector<PlacedWord> words = layoutStatusLine(text, w() - 16.0, drawnWidth, blank);
  const int lines = words.empty() ? 1 : words.back().line + 1;
  // A dark band under the text keeps it readable over the floor; it grows
  // with a message that takes more lines.
  glColor3f(0.08f, 0.08f, 0.1f);
  glRectd(0.0, 0.0, w(), statusBandHeight + textLineHeight * (lines - 1));
  glColor3f(1.0f, 1.0f, 0.6f);
  for (const PlacedWord& word : words) {
    const double y = 8.0 + textLineHeight * (lines - 1 - word.line);
    gl_draw(word.text.c_str(), static_cast<float>(8.0 + word.x), static_cast<float>(y));
  }
  endOverlay();
}

void MotionView::drawKeyList() {
  beginOverlay(w(), h());
  const std::vector<std::pair<std::string, std::string>> rows = keyListRows();
  double keysWidth = 0.0;
  double doesWidth = 0.0;
  for (const auto& [keys, does] : rows) {
    keysWidth = std::max(keysWidth, lineWidth(keys, drawnWidth, gl_width(" ")));
    doesWidth = std::max(doesWidth, lineWidth(does, drawnWidth, gl_width(" ")));
  }
  // As many columns as the view's height needs, above the status band.
  const double top = h() - 16.0;
  const int perColumn =
      std::max(1, static_cast<int>((top - statusBandHeight - 24.0) / textLineHeight));
  const int columns = (static_cast<int>(rows.size()) + perColumn - 1) / perColumn;
  const double columnWidth = keysWidth + 16.0 + doesWidth + 24.0;
  const int shownRows = std::min(perColumn, static_cast<int>(rows.size()));
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glColor4f(0.05f, 0.05f, 0.08f, 0.85f);
  glRectd(8.0, top + 12.0, 8.0 + 8.0 + columns * columnWidth,
          top - textLineHeight * shownRows - 4.0);
  for (size_t i = 0; i < rows.size(); ++i) {
    const double x = 16.0 + static_cast<double>(i / perColumn) * columnWidth;
    const double y = top - textLineHeight * static_cast<double>(i % perColumn + 1) + 4.0;
    glColor3f(0.6f, 0.9f, 1.0f);
    drawLine(rows[i].first, x, y);
    glColor3f(1.0f, 1.0f, 1.0f);
    drawLine(rows[i].second, x + keysWidth + 16.0, y);
  }
  endOverlay();
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
  glLoadMatrixd(state_.camera.projection(aspect).data());
  glMatrixMode(GL_MODELVIEW);
  glLoadMatrixd(state_.camera.modelView().data());
}

void MotionView::drawScene() {
  applyCamera();
  glEnable(GL_DEPTH_TEST);
  // The floor and the path are lit by the light the last picture left on;
  // its direction is placed again under this picture's camera, or a camera
  // that turned far since (the top view) would light them from the side.
  const GLfloat position[] = {0.0f, 1000.0f, 0.0f, 0.0f};
  if (glIsEnabled(GL_LIGHTING)) glLightfv(GL_LIGHT0, GL_POSITION, position);

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
  if (state_.usesPath) drawShownPath();
  if (state_.contacts) drawContacts();

  // Lighting, colour material and light 0 stay enabled on purpose: the next
  // frame's floor and path are drawn lit with these values.
  glEnable(GL_LIGHTING);
  glEnable(GL_COLOR_MATERIAL);
  const GLfloat ambient[] = {0.5f, 0.5f, 0.5f, 1.0f};
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
  glEnable(GL_LIGHT0);
  // Set after the camera, so the light stays fixed in the world.
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
  // Repeated: the floor spans as many squares as the clip needs.
  textures_.fetch("checker", true, true, notes);
  sink_.console(notes.text());
  const FloorExtent floor = floorUnder(state_.scene);
  const auto corner = [&floor](double x, double z) {
    glTexCoord2d((x - floor.originX) / floor.period, 1.0 - (z - floor.originZ) / floor.period);
    glVertex3d(x, figureFloorY, z);
  };
  glBegin(GL_QUADS);
  glNormal3d(0.0, 1.0, 0.0);
  corner(floor.minX, floor.minZ);
  corner(floor.maxX, floor.minZ);
  corner(floor.maxX, floor.maxZ);
  corner(floor.minX, floor.maxZ);
  glEnd();
  glBindTexture(GL_TEXTURE_2D, 0);
}

void MotionView::drawShownPath() {
  const PathLayout layout = session_.layout();
  const ClipPath& path = session_.path();
  drawPathRuns(path, layout);
  drawControlPoints(path, layout, session_.selected());
  // Where the current frame stands on the path.
  const int f = state_.playback.frame();
  const BvhMotion& motion = session_.motion();
  if (f < 0 || static_cast<size_t>(f) >= motion.frameLines.size()) return;
  std::vector<double> values;
  readFrameValues(motion.frameLine(f), values, motion.skeleton.layout().wordsUsed());
  Point3 place;
  if (path.framePlace(f, values, place)) drawFramePlace(place, layout);
}

void MotionView::drawContacts() {
  // Discs the size of a foot: a share of the figure's rest size.
  constexpr double footShare = 0.05;
  drawContactMarks(contactMarks(session_, state_.usesPath), footShare * state_.scene.figureSize());
}
