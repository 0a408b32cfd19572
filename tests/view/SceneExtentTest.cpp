#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "motion/FigureFrame.h"
#include "path/EditSession.h"
#include "view/FloorExtent.h"
#include "view/SceneExtent.h"
#include "view/WalkClip.h"

namespace {

bool floorCovers(const FloorExtent& floor, const Point3& p) {
  return p.x >= floor.minX && p.x <= floor.maxX && p.z >= floor.minZ && p.z <= floor.maxZ;
}

// walkClip(20): the root of frame i at (10 i, 0, 5 i), a figure 20 tall.
TEST(SceneExtentTest, TrailsFollowTheClipAndThePathAndTheFloorLiesUnderThem) {
  const testsupport::TempDir dir;
  EditSession session;
  ASSERT_TRUE(session.load(dir.write("walk.bvh", editortest::walkClip(20))));
  SceneExtent scene;
  scene.update(session);
  ASSERT_EQ(scene.trailAsRead().size(), 20u);
  EXPECT_NEAR(scene.trailAsRead()[19].x, 190.0 * figureScale, 1e-9);
  EXPECT_NEAR(scene.trailCarried()[19].x, scene.trailAsRead()[19].x, 1e-6) << "unedited";
  EXPECT_NEAR(scene.figureSize(), 20.0 * figureScale, 1e-12);

  // The whole path carried 4000 units along x, far off the old square: the
  // carried trail follows, the floor grows under it and under the points.
  for (int i = 0; i < session.pointCount(); ++i) ASSERT_TRUE(session.movePoint(i, 4000.0, 0.0));
  scene.update(session);
  EXPECT_NEAR(scene.trailCarried()[19].x, (190.0 + 4000.0) * figureScale, 1e-6);
  EXPECT_NEAR(scene.trailAsRead()[19].x, 190.0 * figureScale, 1e-9);
  const FloorExtent floor = floorUnder(scene);
  for (const Point3& p : scene.trailCarried()) EXPECT_TRUE(floorCovers(floor, p));
  for (const Point3& p : scene.trailAsRead()) EXPECT_TRUE(floorCovers(floor, p));
  EXPECT_TRUE(floorCovers(floor, {4000.0 * figureScale, 0.0, 0.0}));
  // The square the floor always had stays inside it, and the checker's
  // squares keep to the figure's size.
  EXPECT_LE(floor.minX, -5.0);
  EXPECT_GE(floor.maxZ, 5.0);
  EXPECT_NEAR(floor.period, 1.2 * scene.figureSize(), 1e-12);
}

TEST(SceneExtentTest, ALongClipsTrailIsSampledAndEndsAtItsLastFrame) {
  const testsupport::TempDir dir;
  EditSession session;
  const int frames = 3 * SceneExtent::maxTrailPoints + 5;
  ASSERT_TRUE(session.load(dir.write("long.bvh", editortest::walkClip(frames, 0.1, 0.0))));
  SceneExtent scene;
  scene.update(session);
  EXPECT_LE(scene.trailAsRead().size(), static_cast<size_t>(SceneExtent::maxTrailPoints + 1));
  EXPECT_NEAR(scene.trailAsRead().back().x, (frames - 1) * 0.1 * figureScale, 1e-9);
  // An empty session: nothing to reach, the old floor.
  const EditSession empty;
  scene.update(empty);
  EXPECT_TRUE(scene.trailAsRead().empty());
  const FloorExtent floor = floorUnder(scene);
  EXPECT_EQ(floor.minX, -5.0);
  EXPECT_EQ(floor.maxX, 5.0);
  EXPECT_EQ(floor.period, 10.0);
}

}  // namespace
