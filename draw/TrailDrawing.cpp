#include "draw/TrailDrawing.h"

#include <GL/gl.h>

void drawTrail(const std::vector<Point3>& points, const float colour[3], float width) {
  if (points.size() < 2) return;
  glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_LINE_BIT | GL_DEPTH_BUFFER_BIT);
  // A trail drawn over another where they coincide is the one seen.
  glDepthFunc(GL_LEQUAL);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glColor3fv(colour);
  glLineWidth(width);
  glBegin(GL_LINE_STRIP);
  for (const Point3& p : points) glVertex3d(p.x, p.y, p.z);
  glEnd();
  glPopAttrib();
}
