#include "draw/GhostDrawing.h"

#include <GL/gl.h>

void drawGhost(const BvhMotion& motion, SkeletonDrawOptions options, bool& depthLimitReported,
               Notes& notes) {
  options.edits = nullptr;
  options.strobing = false;
  glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT |
               GL_LIGHTING_BIT | GL_POLYGON_BIT | GL_LINE_BIT);
  // Without colour material the joints' colours do not reach the lit
  // surface, and a material that only glows gives the whole ghost one pale
  // colour whatever the light (the light alone would wash it out to white).
  glDisable(GL_COLOR_MATERIAL);
  glEnable(GL_LIGHTING);
  const GLfloat unlit[] = {0.0f, 0.0f, 0.0f, 0.5f};
  const GLfloat glow[] = {0.45f, 0.75f, 1.0f, 1.0f};
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, unlit);
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, unlit);
  glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, glow);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDepthMask(GL_FALSE);
  glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
  glLineWidth(1.0f);
  drawSkeleton(motion, options, depthLimitReported, notes);
  glPopAttrib();
}
