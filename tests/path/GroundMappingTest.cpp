#include <gtest/gtest.h>

#include <memory>

#include "motion/BvhMotion.h"
#include "path/GroundMapping.h"

namespace {

// A root with an offset and one bone of the given length straight up; the
// track spans `track` in x.
struct Figure {
  BvhMotion motion;
  double extent;
  Figure(double units, double track) {
    BvhJoint root;
    root.offset = {2.0 * units, 90.0 * units, -3.0 * units};
    motion.skeleton.add(std::move(root));
    BvhJoint chest;
    chest.offset = {0.0, 80.0 * units, 0.0};
    chest.parent = 0;
    motion.skeleton.add(std::move(chest));
    extent = track * units;
  }
};

TEST(GroundMapping, LaysTheCurveUnderTheCarriedJointsTrack) {
  Figure figure(1.0, 300.0);
  const PathLayout root = pathLayout(figure.motion, -1, figure.extent);
  const Point3 g = groundMapping({10.0, 55.0, 20.0}, root);
  EXPECT_DOUBLE_EQ(g.x, 12.0);
  EXPECT_EQ(g.y, 0.0) << "on the floor whatever the curve's height";
  EXPECT_DOUBLE_EQ(g.z, 17.0);
  // A joint below the root adds the offsets of both.
  const PathLayout chest = pathLayout(figure.motion, 1, figure.extent);
  EXPECT_DOUBLE_EQ(groundMapping({10.0, 0.0, 20.0}, chest).x, 12.0);
  EXPECT_DOUBLE_EQ(chest.trackOffset.y, 170.0);
  // An index the clip does not have falls back to the root.
  EXPECT_DOUBLE_EQ(pathLayout(figure.motion, 5, figure.extent).trackOffset.y, 90.0);
}

TEST(GroundMapping, CubesKeepTheirSizeAgainstTheFigureWhateverTheUnits) {
  // Centimetres and metres, a long track and one shorter than the figure.
  for (double track : {300.0, 20.0}) {
    Figure centimetres(1.0, track);
    Figure metres(0.01, track);
    const double inCentimetres =
        pathLayout(centimetres.motion, -1, centimetres.extent).cubeHalfSize;
    const double inMetres = pathLayout(metres.motion, -1, metres.extent).cubeHalfSize;
    EXPECT_NEAR(inMetres / inCentimetres, 0.01, 1e-12) << track;
    // An arrow press moves 1% of the figure: its rest pose spans 80 units.
    EXPECT_NEAR(pointStep(centimetres.motion), 0.8, 1e-9) << track;
    EXPECT_NEAR(pointStep(metres.motion), 0.008, 1e-12) << track;
    // Readable beside a figure 170 tall: neither a speck nor a wall.
    EXPECT_GT(inCentimetres, 1.0) << track;
    EXPECT_LT(inCentimetres, 20.0) << track;
  }
  // No extent at all still gives a cube one can click.
  Figure point(0.0, 0.0);
  EXPECT_GT(pathLayout(point.motion, -1, point.extent).cubeHalfSize, 0.0);
}

}  // namespace
