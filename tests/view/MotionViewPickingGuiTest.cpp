// The view's event handler and the path drawing, run in-process on the real
// view under Xvfb. Events are simulated by setting the toolkit's event state
// and calling handle() directly.
#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Window.H>
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <vector>

#include "MotionViewTestSupport.h"
#include "TestSupport.h"
#include "draw/PathCurveDrawing.h"
#include "motion/FigureFrame.h"
#include "path/GroundMapping.h"
#include "view/MotionView.h"

namespace {

// World position of a point of the figure's frame, lifted as the path is.
Point3 floorWorld(const Point3& clipPoint) {
  Point3 world = figureToWorld(clipPoint);
  world.y += pathLift;
  return world;
}

constexpr int viewWidth = 900;
constexpr int viewHeight = 600;

// Window position in toolkit coordinates (y down, relative to the view).
struct Pixel {
  double x = 0.0;
  double y = 0.0;
};

class MotionViewPicking : public ::testing::Test {
 protected:
  void SetUp() override {
    testsupport::captureStdout([this] {
      window = std::make_unique<Fl_Window>(viewWidth, 100 + viewHeight, "picking test");
      // Owned by the window, as in the editor.
      button = new Fl_Button(10, 10, 120, 30, "Uses Path");
      editortest::startUpWithChooser(session);
      window->begin();
      editor = std::make_unique<editortest::Editor>(session);
      view = &editor->view;
      window->end();
      window->show();
      waitUntilDrawn();
    });
    ASSERT_TRUE(view->valid()) << "the view was never drawn";
    ASSERT_EQ(testsupport::loopRecord(session).path.pointCount(), 4);
  }

  // The view goes before the window that holds it.
  void TearDown() override {
    editor.reset();
    window.reset();
  }

  // Lets the toolkit draw what is damaged, with the console output kept out of
  // the test log.
  static void flush() {
    testsupport::captureStdout([] { Fl::flush(); });
  }

  void waitUntilDrawn() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!view->valid() && std::chrono::steady_clock::now() < deadline) Fl::wait(0.05);
    Fl::flush();
  }

  // Where the view's own camera puts a ground point, read from the matrices
  // its scene drawing leaves behind.
  Pixel project(const Point3& ground) {
    view->make_current();
    view->clearView();
    // The scene's texture lookups talk on the console.
    testsupport::captureStdout([this] { view->drawScene(); });
    GLdouble modelView[16];
    GLdouble projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    GLdouble wx = 0.0, wy = 0.0, wz = 0.0;
    EXPECT_EQ(
        gluProject(ground.x, ground.y, ground.z, modelView, projection, viewport, &wx, &wy, &wz),
        GL_TRUE);
    return Pixel{wx, viewport[3] - wy};
  }

  Point3 controlPoint(int i) const {
    Point3 p;
    p = testsupport::loopRecord(session).path.point(i);
    return p;
  }

  // World point on the floor under a curve point, where the path is drawn.
  Point3 onFloor(const Point3& curvePoint) const {
    return floorWorld(groundMapping(curvePoint, session.layout()));
  }

  Pixel controlPointPixel(int i) { return project(onFloor(controlPoint(i))); }

  int mouse(int event, int buttonNumber, Pixel at) {
    Fl::e_x = static_cast<int>(std::lround(at.x));
    Fl::e_y = static_cast<int>(std::lround(at.y));
    Fl::e_keysym = FL_Button + buttonNumber;
    Fl::e_state = event == FL_RELEASE ? 0 : FL_BUTTON(buttonNumber);
    return view->handle(event);
  }

  int key(int keysym) {
    Fl::e_keysym = keysym;
    Fl::e_state = 0;
    return view->handle(FL_KEYBOARD);
  }

  void usePath(bool on) {
    if (editor->state.usesPath != on) editor->actions.run(Command::toggleUsesPath);
  }

  // The pick starts by clearing the selection, so a previous pick's result
  // cannot leak into the next check.
  void select(int i) {
    usePath(true);
    mouse(FL_PUSH, 1, controlPointPixel(i));
    mouse(FL_RELEASE, 1, controlPointPixel(i));
    ASSERT_EQ(session.selected(), i);
  }

  editortest::Workspace workspace;
  EditSession session;
  std::unique_ptr<Fl_Window> window;
  Fl_Button* button = nullptr;
  std::unique_ptr<editortest::Editor> editor;
  MotionView* view = nullptr;
};

TEST_F(MotionViewPicking, LeftPressOnEachCubeSelectsIt) {
  usePath(true);
  for (int i = 0; i < 4; ++i) {
    const Pixel at = controlPointPixel(i);
    ASSERT_GT(at.x, 0.0);
    ASSERT_LT(at.x, viewWidth);
    ASSERT_GT(at.y, 0.0);
    ASSERT_LT(at.y, viewHeight);
    EXPECT_EQ(mouse(FL_PUSH, 1, at), 1);
    EXPECT_EQ(session.selected(), i);
  }
}

TEST_F(MotionViewPicking, LeftPressBesideACubeSelectsNothing) {
  select(2);
  // Empty ground, far from the diagonal the control points lie on.
  EXPECT_EQ(mouse(FL_PUSH, 1, project({4.5, 0.0, -4.5})), 1);
  EXPECT_EQ(session.selected(), -1);

  // On the curve strip halfway between two cubes: the strip never selects.
  select(2);
  const Point3 a = onFloor(controlPoint(1));
  const Point3 b = onFloor(controlPoint(2));
  mouse(FL_PUSH, 1, project({(a.x + b.x) / 2, a.y, (a.z + b.z) / 2}));
  EXPECT_EQ(session.selected(), -1);

  // On the axis cross at the origin.
  select(2);
  mouse(FL_PUSH, 1, project({0.0, 0.5, 0.0}));
  EXPECT_EQ(session.selected(), -1);
}

TEST_F(MotionViewPicking, WithoutUsesPathNothingIsSelectedAndTheSelectionIsCleared) {
  select(1);
  usePath(false);
  EXPECT_EQ(session.selected(), 1) << "hiding the path keeps the selection";
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(mouse(FL_PUSH, 1, controlPointPixel(i)), 1);
    EXPECT_EQ(session.selected(), -1) << "point " << i;
  }
}

TEST_F(MotionViewPicking, OverlappingCubesSelectTheHigherIndex) {
  const Point3 first = controlPoint(1);
  const Point3 second = controlPoint(2);
  ASSERT_TRUE(session.movePoint(2, first.x - second.x, first.z - second.z));
  usePath(true);
  mouse(FL_PUSH, 1, controlPointPixel(1));
  EXPECT_EQ(session.selected(), 2);
}

TEST_F(MotionViewPicking, LeftPressTakesTheKeyboardFocusFromAButton) {
  usePath(true);
  Fl::focus(button);
  ASSERT_EQ(Fl::focus(), button);
  mouse(FL_PUSH, 1, controlPointPixel(0));
  EXPECT_EQ(Fl::focus(), view);
}

TEST_F(MotionViewPicking, ArrowKeysMoveTheSelectedPointByOneStep) {
  select(1);
  const Point3 start = controlPoint(1);
  const Point3 others[] = {controlPoint(0), controlPoint(2), controlPoint(3)};
  // 1% of the figure's size a press.
  const double s = pointStep(session.motion());
  struct Step {
    int keysym;
    double dx, dz;
  } steps[] = {
      {FL_Right, s, 0.0},
      {FL_Left, -s, 0.0},
      {FL_Up, 0.0, -s},
      {FL_Down, 0.0, s},
  };
  for (const Step& step : steps) {
    const Point3 before = controlPoint(1);
    flush();
    EXPECT_EQ(key(step.keysym), 1);
    const Point3 after = controlPoint(1);
    EXPECT_DOUBLE_EQ(after.x, before.x + step.dx) << step.keysym;
    EXPECT_DOUBLE_EQ(after.z, before.z + step.dz) << step.keysym;
    EXPECT_EQ(after.y, before.y) << step.keysym;
    EXPECT_NE(view->damage(), 0) << "a key redraws";
    EXPECT_EQ(session.selected(), 1) << "the selection stays";
  }

  // Ten presses of Right add the step ten times, one step per event.
  double expectedX = controlPoint(1).x;
  for (int i = 0; i < 10; ++i) {
    key(FL_Right);
    expectedX += s;
  }
  EXPECT_DOUBLE_EQ(controlPoint(1).x, expectedX);
  EXPECT_NEAR(controlPoint(1).x, start.x + 10 * s, 1e-9);

  // The other points stay.
  EXPECT_EQ(testsupport::loopRecord(session).path.pointCount(), 4);
  const int otherIndices[] = {0, 2, 3};
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(controlPoint(otherIndices[k]).x, others[k].x) << otherIndices[k];
    EXPECT_EQ(controlPoint(otherIndices[k]).z, others[k].z) << otherIndices[k];
  }
}

TEST_F(MotionViewPicking, OtherKeysAreUsedButMoveNothing) {
  select(3);
  const Point3 before = controlPoint(3);
  for (int keysym : {int{'a'}, int{'q'}, FL_Enter, FL_Home, FL_Page_Up, FL_KP + '4'}) {
    flush();
    EXPECT_EQ(key(keysym), 1) << keysym;
    EXPECT_NE(view->damage(), 0) << keysym;
    const Point3 after = controlPoint(3);
    EXPECT_EQ(after.x, before.x) << keysym;
    EXPECT_EQ(after.y, before.y) << keysym;
    EXPECT_EQ(after.z, before.z) << keysym;
  }
}

TEST_F(MotionViewPicking, EscapeDeselectsAndIsAlwaysUsed) {
  select(3);
  EXPECT_EQ(key(FL_Escape), 1);
  EXPECT_EQ(session.selected(), -1);
  EXPECT_EQ(key(FL_Escape), 1);
}

TEST_F(MotionViewPicking, KeysWithoutSelectionAreNotUsed) {
  std::vector<Point3> before;
  for (int i = 0; i < 4; ++i) before.push_back(controlPoint(i));
  ASSERT_EQ(session.selected(), -1);
  // 'q' stands for any key without a command ('a' once did; it frames
  // everything now).
  for (int keysym : {FL_Right, FL_Left, FL_Up, FL_Down, int{'q'}})
    EXPECT_EQ(key(keysym), 0) << keysym;
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(controlPoint(i).x, before[i].x);
    EXPECT_EQ(controlPoint(i).z, before[i].z);
  }
}

TEST_F(MotionViewPicking, FocusEventsAreTaken) {
  EXPECT_EQ(view->handle(FL_FOCUS), 1);
  EXPECT_EQ(view->handle(FL_UNFOCUS), 1);
}

TEST_F(MotionViewPicking, RightPressAloneChangesNothingVisible) {
  float before[16];
  editor->state.camera.arcBall().matrix(before);
  flush();
  ASSERT_EQ(view->damage(), 0);
  EXPECT_EQ(mouse(FL_PUSH, 3, Pixel{600, 150}), 1);
  EXPECT_EQ(view->damage(), 0) << "a right press does not redraw";
  // 600 of 900 pixels across, 150 of 600 down: (1/3, 1/2) in the unit square.
  EXPECT_NEAR(editor->state.camera.arcBall().startX, 1.0f / 3.0f, 1e-6f);
  EXPECT_NEAR(editor->state.camera.arcBall().startY, 0.5f, 1e-6f);
  float after[16];
  editor->state.camera.arcBall().matrix(after);
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(after[i], before[i], 1e-6f) << "entry " << i;
}

TEST_F(MotionViewPicking, RightDragTurnsTheCameraAndRedraws) {
  const Pixel centre{viewWidth / 2.0, viewHeight / 2.0};
  mouse(FL_PUSH, 3, centre);
  flush();
  EXPECT_EQ(mouse(FL_DRAG, 3, Pixel{viewWidth, viewHeight / 2.0}), 1);
  // From the centre to the middle of the right edge: a half turn about y.
  const Quaternion& drag = editor->state.camera.arcBall().dragRotation;
  EXPECT_NEAR(drag.x, 0.0f, 1e-6f);
  EXPECT_NEAR(drag.y, 1.0f, 1e-6f);
  EXPECT_NEAR(drag.z, 0.0f, 1e-6f);
  EXPECT_NEAR(drag.w, 0.0f, 1e-6f);
  EXPECT_NE(view->damage(), 0);

  // The camera really turned: a control point lands elsewhere on screen.
  usePath(true);
  const Pixel turned = controlPointPixel(0);
  mouse(FL_DRAG, 3, centre);
  EXPECT_NEAR(editor->state.camera.arcBall().dragRotation.w, 1.0f, 1e-6f)
      << "back at the start: identity";
  const Pixel straight = controlPointPixel(0);
  EXPECT_GT(std::hypot(turned.x - straight.x, turned.y - straight.y), 20.0);

  // The release of the right button goes to the toolkit; the turn stays.
  mouse(FL_DRAG, 3, Pixel{viewWidth * 0.75, viewHeight / 2.0});
  const Quaternion kept = editor->state.camera.arcBall().dragRotation;
  mouse(FL_RELEASE, 3, Pixel{viewWidth * 0.75, viewHeight / 2.0});
  EXPECT_EQ(editor->state.camera.arcBall().dragRotation.y, kept.y);
}

TEST_F(MotionViewPicking, PickingFollowsATurnedCamera) {
  const Pixel centre{viewWidth / 2.0, viewHeight / 2.0};
  mouse(FL_PUSH, 3, centre);
  mouse(FL_DRAG, 3, Pixel{centre.x + 150, centre.y - 60});
  usePath(true);
  for (int i = 0; i < 4; ++i) {
    mouse(FL_PUSH, 1, controlPointPixel(i));
    EXPECT_EQ(session.selected(), i);
  }
}

TEST_F(MotionViewPicking, OtherButtonsAndLeftReleaseChangeNothing) {
  select(0);
  const Pixel elsewhere = project({4.5, 0.0, -4.5});
  EXPECT_EQ(mouse(FL_PUSH, 2, elsewhere), 1);
  EXPECT_EQ(mouse(FL_DRAG, 1, elsewhere), 1);
  EXPECT_EQ(mouse(FL_DRAG, 2, elsewhere), 1);
  EXPECT_EQ(mouse(FL_RELEASE, 1, elsewhere), 1);
  EXPECT_EQ(session.selected(), 0);
  const Point3 p = controlPoint(0);
  select(0);
  EXPECT_EQ(controlPoint(0).x, p.x) << "the mouse never moves a point";
  EXPECT_EQ(controlPoint(0).z, p.z);
}

// --- Drawing of the path, read back through GL feedback and selection. ---

struct FeedbackPrimitive {
  GLenum token;
  std::vector<std::vector<float>> vertices;  // x, y, z, r, g, b, a each
};

std::vector<FeedbackPrimitive> parseFeedback(const std::vector<GLfloat>& buffer, GLint size) {
  std::vector<FeedbackPrimitive> primitives;
  constexpr int vertexFloats = 7;
  auto vertexAt = [&](GLint at) {
    return std::vector<float>(buffer.begin() + at, buffer.begin() + at + vertexFloats);
  };
  GLint at = 0;
  while (at < size) {
    const GLenum token = static_cast<GLenum>(buffer[at++]);
    FeedbackPrimitive primitive{token, {}};
    int count = 0;
    if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) {
      count = 2;
    } else if (token == GL_POLYGON_TOKEN) {
      count = static_cast<int>(buffer[at++]);
    } else if (token == GL_POINT_TOKEN || token == GL_BITMAP_TOKEN ||
               token == GL_DRAW_PIXEL_TOKEN || token == GL_COPY_PIXEL_TOKEN) {
      count = 1;
    } else if (token == GL_PASS_THROUGH_TOKEN) {
      ++at;
      continue;
    } else {
      ADD_FAILURE() << "unknown feedback token " << token;
      break;
    }
    for (int v = 0; v < count; ++v, at += vertexFloats) primitive.vertices.push_back(vertexAt(at));
    primitives.push_back(primitive);
  }
  return primitives;
}

struct FeedbackCapture {
  std::vector<FeedbackPrimitive> primitives;
  GLdouble modelView[16];
  GLdouble projection[16];
  GLint viewport[4];

  // Where the capture's transform puts an object-space point.
  std::vector<double> project(double x, double y, double z) const {
    GLdouble wx = 0.0, wy = 0.0, wz = 0.0;
    gluProject(x, y, z, modelView, projection, viewport, &wx, &wy, &wz);
    return {wx, wy, wz};
  }
};

// Draws the path in feedback mode under an orthographic box wide enough that
// nothing is clipped. Untilted, window x and y are ground X and Z at 10 pixels
// per unit.
FeedbackCapture feedback(MotionView& view, bool withPoints, bool tilted) {
  view.make_current();
  glViewport(0, 0, 400, 400);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-20, 20, -20, 20, -20, 20);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  if (tilted) {
    // Keeps every cube face off edge-on so none degenerates.
    glRotated(30, 1, 0, 0);
    glRotated(30, 0, 1, 0);
  } else {
    glRotated(-90, 1, 0, 0);  // ground Z onto window y
  }
  FeedbackCapture capture;
  glGetDoublev(GL_MODELVIEW_MATRIX, capture.modelView);
  glGetDoublev(GL_PROJECTION_MATRIX, capture.projection);
  glGetIntegerv(GL_VIEWPORT, capture.viewport);
  std::vector<GLfloat> buffer(40000);
  glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR, buffer.data());
  glRenderMode(GL_FEEDBACK);
  drawPath(view.session().path(), view.session().layout(), withPoints, view.session().selected());
  const GLint size = glRenderMode(GL_RENDER);
  EXPECT_GT(size, 0) << "feedback buffer overflow";
  capture.primitives = parseFeedback(buffer, size);
  return capture;
}

TEST_F(MotionViewPicking, StripHas1201VerticesOfOneColourOnTheFloor) {
  const FeedbackCapture capture = feedback(*view, false, false);
  const std::vector<FeedbackPrimitive>& strip = capture.primitives;
  ASSERT_EQ(strip.size(), 1200u) << "1,201 vertices make 1,200 segments";
  const std::vector<float> colour(strip[0].vertices[0].begin() + 3,
                                  strip[0].vertices[0].begin() + 6);
  // Not white or grey, so it stands out from the floor's checkers.
  EXPECT_GT(std::fabs(colour[0] - colour[2]), 0.5f);
  for (const FeedbackPrimitive& segment : strip) {
    ASSERT_EQ(segment.token == GL_LINE_TOKEN || segment.token == GL_LINE_RESET_TOKEN, true);
    for (const auto& v : segment.vertices) {
      ASSERT_EQ(std::vector<float>(v.begin() + 3, v.begin() + 6), colour);
    }
  }
  const PathCurve& path = testsupport::loopRecord(session).path;
  auto expectAt = [&](const std::vector<float>& vertex, double u) {
    const Point3 onCurve = path.positionAt(u);
    const std::vector<double> at =
        capture.project(onFloor(onCurve).x, onFloor(onCurve).y, onFloor(onCurve).z);
    EXPECT_NEAR(vertex[0], at[0], 1e-3) << u;
    EXPECT_NEAR(vertex[1], at[1], 1e-3) << u;
  };
  expectAt(strip.front().vertices[0], 0.0);
  // The last vertex sits at the last accumulated u below 0.6.
  double u = 0.0;
  double lastU = 0.0;
  for (; u < 0.6; u += 0.0005) lastU = u;
  expectAt(strip.back().vertices[1], lastU);
}

TEST_F(MotionViewPicking, CubesHaveSixQuadsGreenWhenSelectedElseBlue) {
  ASSERT_TRUE(session.select(2));
  const FeedbackCapture capture = feedback(*view, true, true);
  std::vector<FeedbackPrimitive> faces;
  for (const FeedbackPrimitive& p : capture.primitives) {
    if (p.token == GL_POLYGON_TOKEN) faces.push_back(p);
  }
  // The GL may hand each quad back whole or as two triangles.
  ASSERT_TRUE(faces.size() == 4u * 6u || faces.size() == 4u * 6u * 2u) << faces.size();
  const size_t piecesPerFace = faces.size() / 24u;

  const PathLayout layout = session.layout();
  const double s = layout.cubeHalfSize;
  const double corners[8][3] = {{-s, -s, s},  {s, -s, s},  {s, s, s},  {-s, s, s},
                                {-s, -s, -s}, {s, -s, -s}, {s, s, -s}, {-s, s, -s}};
  const int faceCorners[6][4] = {{0, 1, 2, 3}, {4, 0, 3, 7}, {4, 5, 1, 0},
                                 {5, 4, 7, 6}, {1, 5, 6, 2}, {3, 2, 6, 7}};
  for (int f = 0; f < 24; ++f) {
    const int point = f / 6;
    // Centred on the control point's place on the floor, in the figure's frame.
    const Point3 ground = groundMapping(controlPoint(point), layout);
    std::vector<std::vector<double>> expected;
    for (int c : faceCorners[f % 6]) {
      const double* corner = corners[c];
      const Point3 world =
          floorWorld({ground.x + corner[0], ground.y + corner[1], ground.z + corner[2]});
      expected.push_back(capture.project(world.x, world.y, world.z));
    }
    // Every vertex drawn for this face is one of its four corners, and every
    // corner is drawn.
    std::vector<bool> seen(4, false);
    for (size_t piece = 0; piece < piecesPerFace; ++piece) {
      for (const auto& vertex : faces[f * piecesPerFace + piece].vertices) {
        EXPECT_EQ(vertex[3], 0.0f) << "face " << f;
        EXPECT_EQ(vertex[4], point == 2 ? 1.0f : 0.0f) << "face " << f;
        EXPECT_EQ(vertex[5], point == 2 ? 0.0f : 1.0f) << "face " << f;
        bool matched = false;
        for (int c = 0; c < 4; ++c) {
          if (std::fabs(vertex[0] - expected[c][0]) < 1e-3 &&
              std::fabs(vertex[1] - expected[c][1]) < 1e-3) {
            seen[c] = true;
            matched = true;
          }
        }
        EXPECT_TRUE(matched) << "face " << f << ": a vertex off its corners";
      }
    }
    for (int c = 0; c < 4; ++c) EXPECT_TRUE(seen[c]) << "face " << f << " corner " << c;
  }
}

TEST_F(MotionViewPicking, DrawingWithoutPointsDrawsNoCubes) {
  for (const FeedbackPrimitive& p : feedback(*view, false, true).primitives) {
    EXPECT_NE(p.token, static_cast<GLenum>(GL_POLYGON_TOKEN));
  }
}

TEST_F(MotionViewPicking, TShowsTheTrackPathWhoseCubesPickAndInsertAndDeleteEdit) {
  usePath(true);
  EXPECT_EQ(key('t'), 1);
  ASSERT_EQ(session.kind(), testsupport::trackKind());
  const int n = session.pointCount();
  ASSERT_GE(n, 3);
  EXPECT_NE(editor->actions.statusText().find("Track path, " + std::to_string(n) + " points"),
            std::string::npos)
      << editor->actions.statusText();

  // The track path's cubes lie on the floor under its points and pick.
  const PathLayout layout = session.layout();
  const Pixel at = project(floorWorld(groundMapping(session.point(1), layout)));
  mouse(FL_PUSH, 1, at);
  mouse(FL_RELEASE, 1, at);
  ASSERT_EQ(session.selected(), 1);
  EXPECT_EQ(key(FL_Insert), 1);
  EXPECT_EQ(session.pointCount(), n + 1);
  EXPECT_EQ(session.selected(), 2);
  EXPECT_EQ(key(FL_Delete), 1);
  EXPECT_EQ(session.pointCount(), n);

  // Back to the loop path, as it was.
  EXPECT_EQ(key('t'), 1);
  EXPECT_EQ(session.kind(), testsupport::loopKind());
  EXPECT_NE(editor->actions.statusText().find("Loop path, 4 points"), std::string::npos);
}

// A Z-up clip's cubes are drawn turned upright with the figure; a press
// where each one is drawn picks it, on the loop path and the track path, and
// the scene shows the selected cube there in green.
TEST_F(MotionViewPicking, AZUpClipsCubesPickWhereTheyAreDrawnOnBothPaths) {
  // The walk clip stood up along z, walking over x and y.
  std::string clip = editortest::walkClip(0);
  for (size_t at = clip.find("OFFSET 0 10 0"); at != std::string::npos;
       at = clip.find("OFFSET 0 10 0", at)) {
    clip.replace(at, 13, "OFFSET 0 0 10");
  }
  clip.replace(clip.find("Frames: 0"), 9, "Frames: 40");
  for (int i = 0; i < 40; ++i) {
    clip += std::to_string(3 * i) + " " + std::to_string(2 * i) + " 0 0 0 0 0 0 0\n";
  }
  const std::string name = workspace.write("standing-on-z.bvh", clip);
  testsupport::captureStdout([&] { ASSERT_TRUE(editor->actions.loadPath(name.c_str())); });
  ASSERT_EQ(session.upAxis(), UpAxis::z);
  usePath(true);
  editor->actions.run(Command::resetCamera);
  for (const bool track : {false, true}) {
    if (track) {
      EXPECT_EQ(key('t'), 1);
    }
    const PathLayout layout = session.layout();
    int picked = 0;
    for (int i = 0; i < session.pointCount(); ++i) {
      Point3 world = figureToWorld(groundMapping(session.point(i), layout), UpAxis::z);
      world.y += pathLift;
      const Pixel at = project(world);
      if (at.x < 0.0 || at.x >= viewWidth || at.y < 0.0 || at.y >= viewHeight) continue;
      mouse(FL_PUSH, 1, at);
      mouse(FL_RELEASE, 1, at);
      EXPECT_EQ(session.selected(), i) << (track ? "track" : "loop") << " point " << i;
      project(world);  // draws the scene with the selection
      unsigned char rgb[3] = {0, 0, 0};
      glPixelStorei(GL_PACK_ALIGNMENT, 1);
      glReadPixels(static_cast<int>(at.x), static_cast<int>(viewHeight - at.y), 1, 1, GL_RGB,
                   GL_UNSIGNED_BYTE, rgb);
      EXPECT_GT(rgb[1], 2 * rgb[0] + 40) << (track ? "track" : "loop") << " point " << i;
      ++picked;
    }
    EXPECT_GE(picked, 2) << (track ? "track" : "loop") << ": too few cubes in view";
  }
}

}  // namespace
