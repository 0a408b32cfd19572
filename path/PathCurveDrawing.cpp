// GL drawing of the path: the curve strip and the control-point cubes. The
// cubes carry selection names so one drawing serves display and picking.
#include "path/PathCurveDrawing.h"

#include <GL/gl.h>

#include "path/PathCurve.h"

namespace {

constexpr double stripStep = 0.0005;
// Only the part of the loop the clip runs over (and a little more) is drawn.
constexpr double stripEnd = 0.6;
constexpr float stripWidth = 3.0f;

void drawCube(double s) {
  const double corners[8][3] = {
      {-s, -s, s}, {s, -s, s}, {s, s, s}, {-s, s, s},
      {-s, -s, -s}, {s, -s, -s}, {s, s, -s}, {-s, s, -s},
  };
  struct Face {
    double normal[3];
    int corner[4];
  };
  static const Face faces[6] = {
      {{0, 0, 1}, {0, 1, 2, 3}},  {{-1, 0, 0}, {4, 0, 3, 7}},
      {{0, -1, 0}, {4, 5, 1, 0}}, {{0, 0, -1}, {5, 4, 7, 6}},
      {{1, 0, 0}, {1, 5, 6, 2}},  {{0, 1, 0}, {3, 2, 6, 7}},
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

}  // namespace

void drawPath(const PathCurve& path, const PathLayout& layout, bool withPoints) {
  enterFloorFrame(layout.up);
  glColor3d(1.0, 0.55, 0.0);
  glLineWidth(stripWidth);
  glBegin(GL_LINE_STRIP);
  // The parameter is accumulated step by step; with its rounding this gives
  // 1,201 vertices, the last just under stripEnd.
  for (double u = 0.0; u < stripEnd; u += stripStep) {
    Point3 onCurve;
    path.positionAt(u, onCurve);
    const Point3 ground = groundMapping(onCurve, layout);
    glVertex3d(ground.x, ground.y, ground.z);
  }
  glEnd();
  glFlush();
  leaveFloorFrame();
  if (withPoints) drawControlPoints(path, layout);
}

void drawControlPoints(const PathCurve& path, const PathLayout& layout) {
  enterFloorFrame(layout.up);
  // Pushed and never popped: the pick relies on the stack growing by one name
  // per drawing, so only the second drawing of a pick gives three names.
  glPushName(1);
  for (int i = 0; i < path.pointCount(); ++i) {
    if (i == path.selectedIndex) {
      glColor3d(0.0, 1.0, 0.0);
    } else {
      glColor3d(0.0, 0.0, 1.0);
    }
    glLoadName(static_cast<GLuint>(i));
    Point3 point;
    path.getPoint(i, point);
    const Point3 ground = groundMapping(point, layout);
    glPushMatrix();
    glTranslated(ground.x, ground.y, ground.z);
    drawCube(layout.cubeHalfSize);
    glPopMatrix();
  }
  glLoadName(0);
  leaveFloorFrame();
}
