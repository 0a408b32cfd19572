// The path's runs and the current frame's mark, checked on what GL is given
// (feedback mode): where Keep Pace leaves part of a longer path unreached it
// is drawn dimmed, where a shorter path is walked past its end the run is
// drawn on, and the mark is a ring with a tick at the frame's place.

#include <FL/Fl.H>
#include <FL/Fl_Gl_Window.H>
#include <FL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "TestSupport.h"
#include "draw/PathCurveDrawing.h"
#include "motion/BvhMotion.h"
#include "motion/TrackJoint.h"
#include "path/TrackPath.h"

namespace {

class ContextWindow : public Fl_Gl_Window {
 public:
  ContextWindow() : Fl_Gl_Window(0, 0, 64, 64) {}
  void draw() override {}
};

struct Vertex {
  float x, y;
  float rgb[3];
};

// The line vertices (window x and y, colour) that draw hands to GL, seen
// from above with the ground's x along window x.
std::vector<Vertex> linesDrawnBy(const std::function<void()>& draw) {
  glViewport(0, 0, 400, 400);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-20, 20, -20, 20, -20, 20);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glRotated(-90, 1, 0, 0);
  std::vector<GLfloat> buffer(200000);
  glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR, buffer.data());
  glRenderMode(GL_FEEDBACK);
  draw();
  const GLint size = glRenderMode(GL_RENDER);
  EXPECT_GT(size, 0) << "nothing drawn, or the buffer overflowed";
  std::vector<Vertex> vertices;
  constexpr int floats = 7;  // x, y, z, r, g, b, a
  for (GLint at = 0; at < size;) {
    const GLint token = static_cast<GLint>(buffer[static_cast<size_t>(at++)]);
    EXPECT_TRUE(token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) << token;
    if (token != GL_LINE_TOKEN && token != GL_LINE_RESET_TOKEN) break;
    for (int v = 0; v < 2; ++v, at += floats) {
      const float* f = &buffer[static_cast<size_t>(at)];
      vertices.push_back({f[0], f[1], {f[3], f[4], f[5]}});
    }
  }
  return vertices;
}

// Vertices by colour, rounded to hundredths.
std::map<std::vector<int>, int> byColour(const std::vector<Vertex>& vertices) {
  std::map<std::vector<int>, int> counts;
  for (const Vertex& v : vertices) {
    ++counts[{static_cast<int>(std::lround(v.rgb[0] * 100)),
              static_cast<int>(std::lround(v.rgb[1] * 100)),
              static_cast<int>(std::lround(v.rgb[2] * 100))}];
  }
  return counts;
}

const std::vector<int> kWalked{100, 55, 0};
const std::vector<int> kUnreached{55, 45, 35};
const std::vector<int> kMark{100, 100, 20};

TEST(PathCurveDrawingGuiTest, RunsShowWhereAKeepPaceClipEndsAndTheMarkItsPlace) {
  ContextWindow window;
  window.show();
  Fl::check();
  window.make_current();
  BvhMotion clip;
  Notes notes;
  ASSERT_TRUE(clip.read(MPE_SOURCE_DIR "/dance01.bvh", notes));
  const PathLayout layout;
  for (const double scale : {1.3, 0.7}) {
    SCOPED_TRACE(scale);
    TrackPath path;
    ASSERT_TRUE(path.fit(PathClip{clip, UpAxis::y, findTrackJoint(clip)}, 0, notes));
    path.setPace(PathPace::keep);
    const Point3 origin = path.point(0);
    for (int k = 1; k < path.pointCount(); ++k) {
      const Point3 p = path.point(k);
      path.setPoint(
          k, {origin.x + (p.x - origin.x) * scale, p.y, origin.z + (p.z - origin.z) * scale});
    }
    const PathRuns runs = path.runs();
    std::map<std::vector<int>, int> colours =
        byColour(linesDrawnBy([&] { drawPathRuns(path, layout); }));
    // Every walked sample starts a segment of the walked colour, and so does
    // the run past the end.
    EXPECT_EQ(colours[kWalked] / 2,
              static_cast<int>(runs.walked.size() - 1 + (runs.pastEnd.empty() ? 0 : 1)));
    EXPECT_EQ(colours[kUnreached] / 2,
              runs.unreached.empty() ? 0 : static_cast<int>(runs.unreached.size() - 1));
    EXPECT_EQ(colours[kUnreached] > 0, scale > 1.0);
    EXPECT_FALSE(glIsEnabled(GL_LINE_STIPPLE));
  }

  // The mark: a ring about the place and a tick standing on it.
  const Point3 place{40.0, 0.0, -30.0};
  const std::vector<Vertex> mark = linesDrawnBy([&] { drawFramePlace(place, layout); });
  ASSERT_EQ(byColour(mark)[kMark], static_cast<int>(mark.size()));
  ASSERT_EQ(mark.size(), 2u * 24 + 2);
  double cx = 0.0, cy = 0.0;
  for (size_t v = 0; v < 48; ++v) {
    cx += mark[v].x / 48.0;
    cy += mark[v].y / 48.0;
  }
  EXPECT_NEAR(cx, mark[48].x, 1e-3);
  EXPECT_NEAR(cy, mark[48].y, 1e-3);
  // Seen from above the tick is a dot: it stands upright.
  EXPECT_NEAR(mark[49].x, mark[48].x, 1e-3);
  EXPECT_NEAR(mark[49].y, mark[48].y, 1e-3);
  // 10 window pixels per world unit, the figure's frame at 0.05 world units
  // per clip unit: the place's x is 40 clip units right of the centre.
  EXPECT_NEAR(cx, 200.0 + 40.0 * 0.05 * 10.0, 1e-2);
  window.hide();
  Fl::check();
}

}  // namespace
