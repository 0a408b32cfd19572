// GL drawing of the path: the curve strip and the control-point cubes.
#include "draw/PathCurveDrawing.h"

#include <GL/gl.h>

#include <cmath>

#include "path/ClipPath.h"

namespace {

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

// One line strip through points on the floor, in the floor frame.
void drawStrip(const std::vector<Point3>& points, const PathLayout& layout) {
  glBegin(GL_LINE_STRIP);
  for (const Point3& sample : points) {
    const Point3 ground = groundMapping(sample, layout);
    glVertex3d(ground.x, ground.y, ground.z);
  }
  glEnd();
}

}  // namespace

void drawPath(const ClipPath& path, const PathLayout& layout, bool withPoints, int selected) {
  enterFloorFrame(layout.up);
  glColor3d(1.0, 0.55, 0.0);
  glLineWidth(stripWidth);
  drawStrip(path.samples(), layout);
  glFlush();
  leaveFloorFrame();
  if (withPoints) drawControlPoints(path, layout, selected);
}

void drawPathRuns(const ClipPath& path, const PathLayout& layout) {
  const PathRuns runs = path.runs();
  enterFloorFrame(layout.up);
  glLineWidth(stripWidth);
  glColor3d(1.0, 0.55, 0.0);
  drawStrip(runs.walked, layout);
  // Dashes: what the clip does not walk, and the run it walks off the path.
  glEnable(GL_LINE_STIPPLE);
  glLineStipple(3, 0x3333);
  drawStrip(runs.pastEnd, layout);
  glColor3d(0.55, 0.45, 0.35);
  drawStrip(runs.unreached, layout);
  glFlush();
  leaveFloorFrame();
}

void drawFramePlace(const Point3& place, const PathLayout& layout) {
  constexpr double pi = 3.14159265358979323846;
  constexpr int ringSteps = 24;
  const Point3 at = groundMapping(place, layout);
  const double r = 1.5 * layout.cubeHalfSize;
  // The floor frame holds the ground as x and z, or with Z up as x and y.
  const bool zUp = layout.up == UpAxis::z;
  const auto vertex = [&](double x, double ground, double height) {
    glVertex3d(at.x + x, at.y + (zUp ? ground : height), at.z + (zUp ? height : ground));
  };
  enterFloorFrame(layout.up);
  glLineWidth(stripWidth);
  glColor3d(1.0, 1.0, 0.2);
  glBegin(GL_LINE_LOOP);
  for (int k = 0; k < ringSteps; ++k) {
    const double a = 2.0 * pi * k / ringSteps;
    vertex(r * std::cos(a), r * std::sin(a), 0.0);
  }
  glEnd();
  glBegin(GL_LINES);
  vertex(0.0, 0.0, 0.0);
  vertex(0.0, 0.0, 2.0 * r);
  glEnd();
  glFlush();
  leaveFloorFrame();
}

void drawControlPoints(const ClipPath& path, const PathLayout& layout, int selected) {
  enterFloorFrame(layout.up);
  for (int i = 0; i < path.pointCount(); ++i) {
    if (i == selected) {
      glColor3d(0.0, 1.0, 0.0);
    } else {
      glColor3d(0.0, 0.0, 1.0);
    }
    const Point3 ground = groundMapping(path.point(i), layout);
    glPushMatrix();
    glTranslated(ground.x, ground.y, ground.z);
    drawCube(layout.cubeHalfSize);
    glPopMatrix();
  }
  leaveFloorFrame();
}
