#include <gtest/gtest.h>

#include "view/CameraGuard.h"

namespace {

// The start-up viewer stands at (0, 1, 13); the floor is the old square at
// -2, a figure 4 tall stands at the origin.
TEST(CameraGuardTest, AViewerUnderTheFloorInsideTheFigureOrOutOfReachIsRefused) {
  FloorExtent floor;
  floor.minX = floor.minZ = -5.0;
  floor.maxX = floor.maxZ = 5.0;
  const struct {
    const char* name;
    Point3 figure;
    double turnY;  // a right drag straight up from the middle, in the unit square
    double panX;
    bool sound;
  } rows[] = {
      {"start-up", {0.0, 0.0, 0.0}, 0.0, 0.0, true},
      {"under the floor", {0.0, 0.0, 0.0}, 0.6, 0.0, false},
      {"inside the figure", {0.0, 1.0, 13.0}, 0.0, 0.0, false},
      {"beyond the floor's reach", {0.0, 0.0, 0.0}, 0.0, 60.0, false},
  };
  for (const auto& row : rows) {
    OrbitCamera camera;
    camera.pan(row.panX, 0.0);
    camera.beginTurn(0.0f, 0.0f);
    camera.turnTo(0.0f, static_cast<float>(row.turnY));
    EXPECT_EQ(cameraStandsSound(camera, floor, row.figure, 4.0), row.sound) << row.name;
  }
}

}  // namespace
