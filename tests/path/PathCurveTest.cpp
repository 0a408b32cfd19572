#include "path/PathCurve.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include "TestSupport.h"

namespace {

using testsupport::captureStdout;

const Point3 kP0{1.0, 0.5, -2.0};
const Point3 kP1{3.0, 0.25, 4.0};
const Point3 kP2{-5.0, 0.75, 6.0};
const Point3 kP3{7.0, 1.5, -8.0};

void setFourPoints(PathCurve& curve) {
  curve.setPoint(kP0, 0);
  curve.setPoint(kP1, 1);
  curve.setPoint(kP2, 2);
  curve.setPoint(kP3, 3);
}

void expectPoint(const Point3& actual, const Point3& expected, const std::string& what) {
  EXPECT_EQ(actual.x, expected.x) << what;
  EXPECT_EQ(actual.y, expected.y) << what;
  EXPECT_EQ(actual.z, expected.z) << what;
}

TEST(PathCurveState, NewCurveIsEmpty) {
  PathCurve curve;
  EXPECT_EQ(curve.pointCount(), 0);
  EXPECT_EQ(curve.selectedPoint(), -1);
  Point3 out{9.0, 9.0, 9.0};
  curve.positionAt(0.3, out);
  expectPoint(out, Point3{}, "position of an empty curve");
}

TEST(PathCurveState, PointsAreStoredInAllThreeChannels) {
  PathCurve curve;
  setFourPoints(curve);
  EXPECT_EQ(curve.pointCount(), 4);
  Point3 out;
  curve.getPoint(2, out);
  expectPoint(out, kP2, "point 2");
  // Index 0 is always accepted and a set index may be overwritten.
  curve.setPoint(kP3, 0);
  curve.getPoint(0, out);
  expectPoint(out, kP3, "overwritten point 0");
  EXPECT_EQ(curve.pointCount(), 4);
}

struct MisuseCase {
  const char* name;
  std::function<void(PathCurve&, Point3&)> action;
  const char* message;
};

TEST(PathCurveMisuse, PrintsItsMessageAndChangesNothing) {
  const MisuseCase cases[] = {
      {"set before predecessor", [](PathCurve& c, Point3&) { c.setPoint(kP0, 5); },
       "You must set point 4 before you can set 5"},
      {"get unset point", [](PathCurve& c, Point3& out) { c.getPoint(7, out); },
       "Error:  The 7 control point was not set"},
      {"forward with two points", [](PathCurve& c, Point3& out) { c.forwardAt(0.3, out); },
       "You must set at least 3 points before you can get the forward vector!\n"},
      {"get below the table", [](PathCurve& c, Point3& out) { c.getPoint(-1, out); },
       "Error:  The -1 control point was not set"},
      {"get beyond the table", [](PathCurve& c, Point3& out) { c.getPoint(1000, out); },
       "Error:  The 1000 control point was not set"},
      {"set below the table", [](PathCurve& c, Point3&) { c.setPoint(kP0, -1); }, ""},
      {"set beyond the table", [](PathCurve& c, Point3&) { c.setPoint(kP0, 1000); }, ""},
  };
  for (const MisuseCase& item : cases) {
    PathCurve curve;
    curve.setPoint(kP1, 0);
    curve.setPoint(kP2, 1);
    Point3 out{9.0, 8.0, 7.0};
    EXPECT_EQ(captureStdout([&] { item.action(curve, out); }), item.message) << item.name;
    expectPoint(out, Point3{9.0, 8.0, 7.0}, item.name);
    EXPECT_EQ(curve.pointCount(), 2) << item.name;
    EXPECT_EQ(curve.controlSet[5], 0) << item.name;
    Point3 first;
    curve.getPoint(0, first);
    expectPoint(first, kP1, item.name);
  }
}

TEST(PathCurveMisuse, ForwardOnANewCurveKeepsTheOutput) {
  PathCurve curve;
  Point3 out{1.0, 2.0, 3.0};
  EXPECT_EQ(captureStdout([&] { curve.forwardAt(0.3, out); }),
            "You must set at least 3 points before you can get the forward vector!\n");
  expectPoint(out, Point3{1.0, 2.0, 3.0}, "forward output");
}

TEST(PathCurveEvaluation, CatmullRomInterpolatesTheControlPoints) {
  PathCurve curve;
  curve.useCatmullRomBasis();
  setFourPoints(curve);
  Point3 out;
  curve.positionAt(0.0, out);
  expectPoint(out, kP1, "u = 0");
  curve.positionAt(0.25, out);
  expectPoint(out, kP2, "u = 0.25");
  curve.positionAt(0.5, out);
  expectPoint(out, kP3, "u = 0.5");
  curve.positionAt(0.75, out);
  expectPoint(out, kP0, "u = 0.75");
}

TEST(PathCurveEvaluation, DefaultBasisBlendsTheFirstThreePoints) {
  PathCurve curve;
  setFourPoints(curve);
  Point3 out;
  curve.positionAt(0.0, out);
  EXPECT_NEAR(out.x, 0.1667 * kP0.x + 0.6667 * kP1.x + 0.1667 * kP2.x, 1e-12);
  EXPECT_NEAR(out.y, 0.1667 * kP0.y + 0.6667 * kP1.y + 0.1667 * kP2.y, 1e-12);
  EXPECT_NEAR(out.z, 0.1667 * kP0.z + 0.6667 * kP1.z + 0.1667 * kP2.z, 1e-12);
}

TEST(PathCurveEvaluation, ForwardIsTheLocalDerivative) {
  PathCurve curve;
  curve.useCatmullRomBasis();
  setFourPoints(curve);
  // At a boundary the forward vector is the end of the earlier segment, the
  // Catmull-Rom tangent (P3 - P1) / 2 at P2.
  Point3 out;
  const std::string printed = captureStdout([&] { curve.forwardAt(0.25, out); });
  EXPECT_EQ(printed, "");
  EXPECT_DOUBLE_EQ(out.x, 0.5 * (kP3.x - kP1.x));
  EXPECT_DOUBLE_EQ(out.y, 0.5 * (kP3.y - kP1.y));
  EXPECT_DOUBLE_EQ(out.z, 0.5 * (kP3.z - kP1.z));
}

TEST(PathCurveSelection, SelectingReadsThePoint) {
  PathCurve curve;
  setFourPoints(curve);
  EXPECT_EQ(captureStdout([&] { curve.selectPoint(2); }), "");
  EXPECT_EQ(curve.selectedPoint(), 2);
  EXPECT_EQ(captureStdout([&] { curve.selectPoint(6); }),
            "Error:  The 6 control point was not set");
  EXPECT_EQ(curve.selectedPoint(), 6);
  EXPECT_EQ(captureStdout([&] { curve.selectPoint(-1); }), "");
  EXPECT_EQ(curve.selectedPoint(), -1);
}

TEST(PathCurveState, ResetEmptiesTheCurveButKeepsTheFitRecord) {
  PathCurve curve;
  curve.useCatmullRomBasis();
  setFourPoints(curve);
  curve.selectPoint(1);
  curve.rootOffsetX = {1.0, 2.0};
  curve.boundsMax = Point3{3.0, 4.0, 5.0};
  curve.reset();
  EXPECT_EQ(curve.pointCount(), 0);
  EXPECT_EQ(curve.selectedPoint(), -1);
  EXPECT_EQ(curve.controlSet[0], 0);
  EXPECT_EQ(curve.controlSet[3], 0);
  EXPECT_EQ(curve.x->basis[3][1], 0.6667);
  EXPECT_EQ(curve.z->basis[0][0], -0.1667);
  EXPECT_EQ(curve.y->lastIndex, -1);
  EXPECT_EQ(curve.rootOffsetX.size(), 2u);
  EXPECT_EQ(curve.boundsMax.y, 4.0);
  // Point 1 needs point 0 again after the reset.
  EXPECT_EQ(captureStdout([&] { curve.setPoint(kP1, 1); }),
            "You must set point 0 before you can set 1");
}

TEST(PathMapping, FrameParameterIsHalfTheFrameFraction) {
  EXPECT_EQ(PathCurve::framePathParameter(50, 100), 0.25);
  EXPECT_DOUBLE_EQ(PathCurve::framePathParameter(99, 100), 0.495);
  EXPECT_EQ(PathCurve::framePathParameter(0, 7), 0.0);
  EXPECT_DOUBLE_EQ(PathCurve::framePathParameter(1, 3), 1.0 / 6.0);
  EXPECT_EQ(PathCurve::framePathParameter(3, 0), 0.0);
  EXPECT_EQ(PathCurve::framePathParameter(3, -4), 0.0);
}

// A curve through known points with a hand-written record of two frames.
PathCurve& recordedCurve(PathCurve& curve) {
  curve.useCatmullRomBasis();
  curve.setPoint(Point3{0.0, 0.0, 0.0}, 0);
  curve.setPoint(Point3{10.0, 0.0, 20.0}, 1);
  curve.setPoint(Point3{0.0, 0.0, 2.0}, 2);
  curve.setPoint(Point3{5.0, 0.0, 5.0}, 3);
  curve.rootOffsetX = {1.5, -1.0};
  curve.rootOffsetZ = {-2.5, 3.0};
  curve.fitForwardX = {1.0, 0.0};
  curve.fitForwardZ = {0.0, -1.0};
  return curve;
}

TEST(PathMapping, GroundPositionIsCurvePlusRecordedOffset) {
  PathCurve curve;
  recordedCurve(curve);
  double x = 0.0;
  double z = 0.0;
  // Frame 0 of 2 lies at u = 0, on point 1; frame 1 at u = 0.25, on point 2.
  ASSERT_TRUE(curve.pathGroundPosition(0, 2, x, z));
  EXPECT_EQ(x, 11.5);
  EXPECT_EQ(z, 17.5);
  ASSERT_TRUE(curve.pathGroundPosition(1, 2, x, z));
  EXPECT_EQ(x, -1.0);
  EXPECT_EQ(z, 5.0);
}

TEST(PathMapping, FramesWithoutARecordEntryAreLeftAlone) {
  PathCurve curve;
  recordedCurve(curve);
  struct Case {
    int i;
    int n;
  };
  for (const Case& item : {Case{2, 2}, Case{-1, 2}, Case{5, 10}, Case{0, 0}, Case{0, -3}}) {
    double x = 42.0;
    double z = -42.0;
    EXPECT_FALSE(curve.pathGroundPosition(item.i, item.n, x, z)) << item.i << " of " << item.n;
    EXPECT_EQ(x, 42.0);
    EXPECT_EQ(z, -42.0);
    EXPECT_EQ(curve.pathHeadingDegrees(item.i, item.n), 0.0) << item.i << " of " << item.n;
  }
  PathCurve fresh;
  double x = 1.0;
  double z = 2.0;
  EXPECT_FALSE(fresh.pathGroundPosition(0, 1, x, z));
}

TEST(PathMapping, HeadingIsTheSignedTurnFromTheFitDirection) {
  PathCurve curve;
  recordedCurve(curve);
  // At u = 0 the forward vector is (P2 - P0) / 2 = (0, 0, 1): from the
  // recorded (1, 0) that is atan2(0*0 - 1*1, 0*1 + 1*0) = -90 degrees.
  EXPECT_DOUBLE_EQ(curve.pathHeadingDegrees(0, 2), -90.0);
  // At u = 0.25 it is (P3 - P1) / 2 = (-2.5, 0, -7.5) against (0, -1).
  const double expected = std::atan2(-2.5 * -1.0 - (-7.5) * 0.0, -7.5 * -1.0) * 180.0 / M_PI;
  EXPECT_NEAR(curve.pathHeadingDegrees(1, 2), expected, 1e-12);
  curve.fitForwardX = {0.0, -2.5};
  curve.fitForwardZ = {1.0, -7.5};
  EXPECT_EQ(curve.pathHeadingDegrees(0, 2), 0.0);
  EXPECT_EQ(curve.pathHeadingDegrees(1, 2), 0.0);
  curve.fitForwardX = {0.0, 0.0};
  curve.fitForwardZ = {-1.0, 0.0};
  // Opposite directions: a half turn (the sign of the zero decides which way).
  EXPECT_DOUBLE_EQ(std::fabs(curve.pathHeadingDegrees(0, 2)), 180.0);
  EXPECT_EQ(curve.pathHeadingDegrees(1, 2), 0.0);
}

}  // namespace
