#include "draw/ContactDrawing.h"

#include <GL/gl.h>

#include <cmath>

#include "motion/FigureFrame.h"

namespace {

constexpr int discSides = 24;
// Just above the path, which lies just above the floor.
constexpr double markLift = 0.02;

}  // namespace

void drawContactMarks(const std::vector<Point3>& marks, double radius) {
  if (marks.empty()) return;
  glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glColor3d(0.85, 0.15, 0.55);
  const double y = figureFloorY + markLift;
  for (const Point3& mark : marks) {
    glBegin(GL_TRIANGLE_FAN);
    glVertex3d(mark.x, y, mark.z);
    for (int k = 0; k <= discSides; ++k) {
      const double a = 2.0 * M_PI * k / discSides;
      glVertex3d(mark.x + radius * std::cos(a), y, mark.z + radius * std::sin(a));
    }
    glEnd();
  }
  glPopAttrib();
}
