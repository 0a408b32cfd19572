// GL drawing of the path: the curve strip and the control-point cubes.
#include "draw/PathCurveDrawing.h"

#include <GL/gl.h>

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

}  // namespace

void drawPath(const ClipPath& path, const PathLayout& layout, bool withPoints, int selected) {
  enterFloorFrame(layout.up);
  glColor3d(1.0, 0.55, 0.0);
  glLineWidth(stripWidth);
  glBegin(GL_LINE_STRIP);
  for (const Point3& sample : path.samples()) {
    const Point3 ground = groundMapping(sample, layout);
    glVertex3d(ground.x, ground.y, ground.z);
  }
  glEnd();
  glFlush();
  leaveFloorFrame();
  if (withPoints) drawControlPoints(path, layout, selected);
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
