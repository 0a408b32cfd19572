// GL drawing of the path: the curve strip and the control-point cubes. The
// cubes carry selection names so one drawing serves display and picking.
#include <GL/gl.h>

#include "path/GroundMapping.h"
#include "path/PathCurve.h"

namespace {

constexpr double stripStep = 0.0005;
// Only the part of the loop the clip runs over (and a little more) is drawn.
constexpr double stripEnd = 0.6;
constexpr double cubeHalfSize = 0.08;

void drawCube() {
  const double s = cubeHalfSize;
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

}  // namespace

void PathCurve::draw(bool withPoints) const {
  glPushMatrix();
  glColor3d(1.0, 1.0, 1.0);
  glBegin(GL_LINE_STRIP);
  // The parameter is accumulated step by step; with its rounding this gives
  // 1,201 vertices, the last just under stripEnd.
  for (double u = 0.0; u < stripEnd; u += stripStep) {
    Point3 onCurve;
    positionAt(u, onCurve);
    const Point3 ground = groundMapping(onCurve, boundsMin, boundsMax);
    glVertex3d(ground.x, ground.y, ground.z);
  }
  glEnd();
  glFlush();
  glPopMatrix();
  if (withPoints) drawControlPoints();
}

void PathCurve::drawControlPoints() const {
  // Pushed and never popped: the pick relies on the stack growing by one name
  // per drawing, so only the second drawing of a pick gives three names.
  glPushName(1);
  for (int i = 0; i < pointCount(); ++i) {
    if (i == selectedIndex) {
      glColor3d(0.0, 1.0, 0.0);
    } else {
      glColor3d(0.0, 0.0, 1.0);
    }
    glLoadName(static_cast<GLuint>(i));
    Point3 point;
    getPoint(i, point);
    const Point3 ground = groundMapping(point, boundsMin, boundsMax);
    glPushMatrix();
    glTranslated(ground.x, 0.0, ground.z);
    drawCube();
    glPopMatrix();
  }
  glLoadName(0);
}
