// GL drawing of the path: the curve strip and the control-point cubes. The
// cubes carry selection names so one drawing serves display and picking.
#include "draw/PathCurveDrawing.h"

#include <GL/gl.h>

#include <algorithm>

#include "path/PathCurve.h"
#include "path/TrackPath.h"

namespace {

constexpr double stripStep = 0.0005;
// Only the part of the loop the clip runs over (and a little more) is drawn.
constexpr double stripEnd = 0.6;
constexpr float stripWidth = 3.0f;

void drawCube(double s) {
  const double corners[8][3] = {
      {-s, -s, s},  {s, -s, s},  {s, s, s},  {-s, s, s},
      {-s, -s, -s}, {s, -s, -s}, {s, s, -s}, {-s, s, -s},
  };
  struct Face {
    double normal[3];
    int corner[4];
  };
  static const Face faces[6] = {
      {{0, 0, 1}, {0, 1, 2, 3}},  {{-1, 0, 0}, {4, 0, 3, 7}}, {{0, -1, 0}, {4, 5, 1, 0}},
      {{0, 0, -1}, {5, 4, 7, 6}}, {{1, 0, 0}, {1, 5, 6, 2}},  {{0, 1, 0}, {3, 2, 6, 7}},
  };
  glBegin(GL_QUADS);
  for (const Face& face : faces) {
    glNormal3d(face.normal[0], face.normal[1], face.normal[2]);
    for (int c : face.corner) glVertex3dv(corners[c]);
  }
  glEnd();
}

// Enters the figure's frame, lifted off the floor, with flat colours: the
// scene leaves lighting and texturing on, which would dim the path into the
// floor. Undone by leaveFloorFrame.
void enterFloorFrame(UpAxis up) {
  glPushAttrib(GL_ENABLE_BIT | GL_LINE_BIT | GL_CURRENT_BIT);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glPushMatrix();
  glTranslated(0.0, figureFloorY + pathLift, 0.0);
  glScaled(figureScale, figureScale, figureScale);
  // Upright as the figure is drawn (figureToWorld).
  if (up == UpAxis::z) glRotated(-90.0, 1.0, 0.0, 0.0);
}

void leaveFloorFrame() {
  glPopMatrix();
  glPopAttrib();
}

// Starts the strip: its colour and width, in the floor frame.
void beginStrip(UpAxis up) {
  enterFloorFrame(up);
  glColor3d(1.0, 0.55, 0.0);
  glLineWidth(stripWidth);
  glBegin(GL_LINE_STRIP);
}

void endStrip() {
  glEnd();
  glFlush();
  leaveFloorFrame();
}

// The cubes of pointCount points, pointAt giving each one.
template <typename PointAt>
void drawCubes(int pointCount, int selected, const PointAt& pointAt, const PathLayout& layout) {
  enterFloorFrame(layout.up);
  // Pushed and never popped: the pick relies on the stack growing by one name
  // per drawing, so only the second drawing of a pick gives three names.
  glPushName(1);
  for (int i = 0; i < pointCount; ++i) {
    if (i == selected) {
      glColor3d(0.0, 1.0, 0.0);
    } else {
      glColor3d(0.0, 0.0, 1.0);
    }
    glLoadName(static_cast<GLuint>(i));
    const Point3 ground = groundMapping(pointAt(i), layout);
    glPushMatrix();
    glTranslated(ground.x, ground.y, ground.z);
    drawCube(layout.cubeHalfSize);
    glPopMatrix();
  }
  glLoadName(0);
  leaveFloorFrame();
}

// Strip vertices per segment of the track path.
constexpr int trackStripSteps = 32;

}  // namespace

void drawPath(const PathCurve& path, const PathLayout& layout, bool withPoints, int selected) {
  beginStrip(layout.up);
  // The parameter is accumulated step by step; with its rounding this gives
  // 1,201 vertices, the last just under stripEnd.
  for (double u = 0.0; u < stripEnd; u += stripStep) {
    const Point3 ground = groundMapping(path.positionAt(u), layout);
    glVertex3d(ground.x, ground.y, ground.z);
  }
  endStrip();
  if (withPoints) drawControlPoints(path, layout, selected);
}

void drawControlPoints(const PathCurve& path, const PathLayout& layout, int selected) {
  drawCubes(
      path.pointCount(), selected, [&path](int i) { return path.point(i); }, layout);
}

void drawPath(const TrackPath& path, const PathLayout& layout, bool withPoints, int selected) {
  beginStrip(layout.up);
  const int steps = std::max(path.pointCount() - 1, 0) * trackStripSteps;
  for (int j = 0; j <= steps; ++j) {
    const Point3 ground =
        groundMapping(path.positionAt(static_cast<double>(j) / trackStripSteps), layout);
    glVertex3d(ground.x, ground.y, ground.z);
  }
  endStrip();
  if (withPoints) drawControlPoints(path, layout, selected);
}

void drawControlPoints(const TrackPath& path, const PathLayout& layout, int selected) {
  drawCubes(
      path.pointCount(), selected, [&path](int i) { return path.point(i); }, layout);
}
