#include <gtest/gtest.h>

#include "TestSupport.h"
#include "motion/FigureFrame.h"
#include "view/FigureFocus.h"
#include "view/WalkClip.h"

namespace {

// walkClip: the root of frame i at (10 i, 0, 5 i), the figure 20 units tall
// straight up from it.
TEST(FigureFocusTest, FindsTheFigureOfAFrameAndFollowsItAlongAMovedPath) {
  const testsupport::TempDir dir;
  EditSession session;
  ASSERT_TRUE(session.load(dir.write("walk.bvh", editortest::walkClip(20))));
  const Point3 root = carriedJointWorld(session, 6, false);
  EXPECT_NEAR(root.x, 60.0 * figureScale, 1e-9);
  EXPECT_NEAR(root.y, figureFloorY, 1e-9);
  EXPECT_NEAR(root.z, 30.0 * figureScale, 1e-9);

  double size = 0.0;
  const Point3 middle = figureMiddle(session, 6, false, size);
  EXPECT_NEAR(size, 20.0 * figureScale, 1e-9);
  EXPECT_NEAR(middle.x, root.x, 1e-9);
  EXPECT_NEAR(middle.y, figureFloorY + 10.0 * figureScale, 1e-9);
  EXPECT_NEAR(middle.z, root.z, 1e-9);

  // Carried along a path moved 40 units along x, the figure is 40 further.
  for (int i = 0; i < session.pointCount(); ++i) ASSERT_TRUE(session.movePoint(i, 40.0, 0.0));
  EXPECT_NEAR(carriedJointWorld(session, 6, true).x, root.x + 40.0 * figureScale, 1e-6);
  EXPECT_NEAR(carriedJointWorld(session, 6, false).x, root.x, 1e-9);
}

TEST(FigureFocusTest, AnEmptyClipHasNoSizeAndStandsAtTheOrigin) {
  const EditSession session;
  double size = 1.0;
  const Point3 middle = figureMiddle(session, 0, true, size);
  EXPECT_EQ(size, 0.0);
  EXPECT_EQ(middle.x, 0.0);
  EXPECT_EQ(middle.y, figureFloorY);
}

}  // namespace
