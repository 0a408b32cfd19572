#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>

#include "path/PathCurve.h"

namespace {

const Point3 kP0{1.0, 0.5, -2.0};
const Point3 kP1{3.0, 0.25, 4.0};
const Point3 kP2{-5.0, 0.75, 6.0};
const Point3 kP3{7.0, 1.5, -8.0};

void setFourPoints(PathCurve& curve) {
  curve.setPoint(0, kP0);
  curve.setPoint(1, kP1);
  curve.setPoint(2, kP2);
  curve.setPoint(3, kP3);
}

void expectPoint(const Point3& actual, const Point3& expected, const std::string& what) {
  EXPECT_EQ(actual.x, expected.x) << what;
  EXPECT_EQ(actual.y, expected.y) << what;
  EXPECT_EQ(actual.z, expected.z) << what;
}

// A curve whose points carry their index as x (y and z 0).
PathCurve curveWithIndexValues(int n) {
  PathCurve curve;
  for (int i = 0; i < n; ++i) curve.setPoint(i, Point3{static_cast<double>(i), 0.0, 0.0});
  return curve;
}

// A basis whose value is point seg + c whatever t is: it reads off which
// segment the search chose and which index the wrap produced.
void useSelectionBasis(PathCurve& curve, int c) {
  PathCurve::Basis basis{};
  basis[3][static_cast<size_t>(c)] = 1.0;
  curve.setBasis(basis);
}

// Same for the derivative, whose constant row is row 2.
void useDerivativeSelectionBasis(PathCurve& curve, int c) {
  PathCurve::Basis basis{};
  basis[2][static_cast<size_t>(c)] = 1.0;
  curve.setBasis(basis);
}

double forwardX(const PathCurve& curve, double u) {
  Point3 f;
  EXPECT_TRUE(curve.forwardAt(u, f));
  return f.x;
}

TEST(PathCurveState, NewCurveIsEmptyWithTheDefaultBasis) {
  PathCurve curve;
  EXPECT_EQ(curve.pointCount(), 0);
  expectPoint(curve.positionAt(0.3), Point3{}, "position of an empty curve");
  EXPECT_EQ(curve.basis()[0][0], -0.1667);
  EXPECT_EQ(curve.basis()[3][1], 0.6667);
  EXPECT_EQ(curve.basis()[3][3], 0.0);
  expectPoint(curve.point(0), Point3{}, "point 0 of an empty curve");
  expectPoint(curve.point(999), Point3{}, "point 999 of an empty curve");
}

TEST(PathCurveState, PointsAreAppendedOrReplaced) {
  PathCurve curve;
  setFourPoints(curve);
  EXPECT_EQ(curve.pointCount(), 4);
  expectPoint(curve.point(2), kP2, "point 2");
  // A set point may be overwritten; the count stays.
  EXPECT_TRUE(curve.setPoint(0, kP3));
  expectPoint(curve.point(0), kP3, "overwritten point 0");
  EXPECT_EQ(curve.pointCount(), 4);
}

TEST(PathCurveState, BasisSwitchesOverwriteEveryEntry) {
  PathCurve curve;
  curve.setBasis(PathCurve::catmullRomBasis);
  EXPECT_EQ(curve.basis()[1][1], -2.5);
  EXPECT_EQ(curve.basis()[3][0], 0.0);
  EXPECT_EQ(curve.basis()[3][1], 1.0);
  curve.setBasis(PathCurve::bSplineBasis);
  EXPECT_EQ(curve.basis()[1][1], -1.0);
  EXPECT_EQ(curve.basis()[3][0], 0.1667);
}

// A copy is a value of its own: the loop fit keeps the fitted curve beside
// the edited one.
TEST(PathCurveState, CopiesAreIndependent) {
  PathCurve curve;
  curve.setBasis(PathCurve::catmullRomBasis);
  setFourPoints(curve);
  const PathCurve fitted = curve;
  curve.setPoint(1, kP0);
  expectPoint(fitted.point(1), kP1, "the copy's point 1");
  expectPoint(fitted.positionAt(0.0), kP1, "the copy's curve");
}

struct MisuseCase {
  const char* name;
  std::function<bool(PathCurve&, Point3&)> action;
};

TEST(PathCurveMisuse, IsRefusedAndChangesNothing) {
  const MisuseCase cases[] = {
      {"set before predecessor", [](PathCurve& c, Point3&) { return c.setPoint(5, kP0); }},
      {"forward with two points", [](PathCurve& c, Point3& out) { return c.forwardAt(0.3, out); }},
      {"set below the table", [](PathCurve& c, Point3&) { return c.setPoint(-1, kP0); }},
      {"set beyond the table", [](PathCurve& c, Point3&) { return c.setPoint(1000, kP0); }},
  };
  for (const MisuseCase& item : cases) {
    PathCurve curve;
    curve.setPoint(0, kP1);
    curve.setPoint(1, kP2);
    Point3 out{9.0, 8.0, 7.0};
    EXPECT_FALSE(item.action(curve, out)) << item.name;
    expectPoint(out, Point3{9.0, 8.0, 7.0}, item.name);
    EXPECT_EQ(curve.pointCount(), 2) << item.name;
    expectPoint(curve.point(0), kP1, item.name);
  }
  // Points that are not there read as zero.
  PathCurve curve;
  curve.setPoint(0, kP1);
  for (int k : {-1, 7, 1000}) expectPoint(curve.point(k), Point3{}, "point " + std::to_string(k));
  // The table ends at maxPoints.
  PathCurve full = curveWithIndexValues(PathCurve::maxPoints);
  EXPECT_EQ(full.pointCount(), PathCurve::maxPoints);
  EXPECT_FALSE(full.setPoint(PathCurve::maxPoints, kP0));
}

TEST(PathCurveMisuse, ForwardOnANewCurveKeepsTheOutput) {
  PathCurve curve;
  Point3 out{1.0, 2.0, 3.0};
  EXPECT_FALSE(curve.forwardAt(0.3, out));
  expectPoint(out, Point3{1.0, 2.0, 3.0}, "forward output");
}

TEST(PathCurveEvaluation, FewerThanThreePointsGiveZero) {
  PathCurve curve;
  curve.setPoint(0, {3.0, 0.0, 0.0});
  curve.setPoint(1, {4.0, 0.0, 0.0});
  EXPECT_EQ(curve.positionAt(0.3).x, 0.0);
  Point3 f;
  EXPECT_FALSE(curve.forwardAt(0.3, f));
  curve.setPoint(2, {5.0, 0.0, 0.0});
  EXPECT_NE(curve.positionAt(0.3).x, 0.0);
}

TEST(PathCurveEvaluation, DefaultWeightsSumToOnePointZeroZeroZeroOne) {
  PathCurve curve;
  for (int i = 0; i < 4; ++i) curve.setPoint(i, {1.0, 1.0, 1.0});
  for (double u : {0.0, 0.1, 0.25, 0.6, 0.99}) {
    EXPECT_NEAR(curve.positionAt(u).x, 1.0001, 1e-12) << "u = " << u;
    EXPECT_NEAR(forwardX(curve, u), 0.0, 1e-12) << "u = " << u;
  }
}

TEST(PathCurveEvaluation, CatmullRomInterpolatesTheControlPoints) {
  PathCurve curve;
  curve.setBasis(PathCurve::catmullRomBasis);
  setFourPoints(curve);
  expectPoint(curve.positionAt(0.0), kP1, "u = 0");
  expectPoint(curve.positionAt(0.25), kP2, "u = 0.25");
  expectPoint(curve.positionAt(0.5), kP3, "u = 0.5");
  expectPoint(curve.positionAt(0.75), kP0, "u = 0.75");
}

TEST(PathCurveEvaluation, DefaultBasisBlendsTheFirstThreePoints) {
  PathCurve curve;
  setFourPoints(curve);
  const Point3 out = curve.positionAt(0.0);
  EXPECT_NEAR(out.x, 0.1667 * kP0.x + 0.6667 * kP1.x + 0.1667 * kP2.x, 1e-12);
  EXPECT_NEAR(out.y, 0.1667 * kP0.y + 0.6667 * kP1.y + 0.1667 * kP2.y, 1e-12);
  EXPECT_NEAR(out.z, 0.1667 * kP0.z + 0.6667 * kP1.z + 0.1667 * kP2.z, 1e-12);
}

TEST(PathCurveEvaluation, ForwardIsTheLocalDerivative) {
  PathCurve curve;
  curve.setBasis(PathCurve::catmullRomBasis);
  setFourPoints(curve);
  // At a boundary the forward vector is the end of the earlier segment, the
  // Catmull-Rom tangent (P3 - P1) / 2 at P2, in units of the local parameter
  // (not scaled by n).
  Point3 out;
  ASSERT_TRUE(curve.forwardAt(0.25, out));
  EXPECT_DOUBLE_EQ(out.x, 0.5 * (kP3.x - kP1.x));
  EXPECT_DOUBLE_EQ(out.y, 0.5 * (kP3.y - kP1.y));
  EXPECT_DOUBLE_EQ(out.z, 0.5 * (kP3.z - kP1.z));
}

TEST(PathCurveEvaluation, MidSegmentBlendsFourNeighbours) {
  PathCurve curve;
  curve.setBasis(PathCurve::catmullRomBasis);
  const double values[5] = {1.0, -2.0, 4.0, 3.0, 8.0};
  for (int i = 0; i < 5; ++i) curve.setPoint(i, {values[i], 0.0, 0.0});
  // Segment 1 at t = 0.5 blends values 1..4 with weights (-1, 9, 9, -1) / 16.
  const double expected = (-values[1] + 9.0 * values[2] + 9.0 * values[3] - values[4]) / 16.0;
  EXPECT_NEAR(curve.positionAt(0.3).x, expected, 1e-12);
}

TEST(PathCurveSegments, BoundaryBelongsToLaterSegmentForValuesEarlierForDerivatives) {
  PathCurve curve = curveWithIndexValues(4);
  useSelectionBasis(curve, 0);
  EXPECT_EQ(curve.positionAt(0.25).x, 1.0);
  EXPECT_EQ(curve.positionAt(0.2499).x, 0.0);
  useDerivativeSelectionBasis(curve, 0);
  EXPECT_EQ(forwardX(curve, 0.25), 0.0);
  EXPECT_EQ(forwardX(curve, 0.2501), 1.0);
}

TEST(PathCurveSegments, BoundaryIsAccumulatedNotComputed) {
  // 0.1 + 0.1 + 0.1 is just above 0.3, so u = 0.3 still lies in segment 2,
  // where 3 / 10 would have put it into segment 3.
  PathCurve curve = curveWithIndexValues(10);
  useSelectionBasis(curve, 0);
  EXPECT_EQ(curve.positionAt(0.3).x, 2.0);
  EXPECT_EQ(curve.positionAt(0.2).x, 2.0);
  useDerivativeSelectionBasis(curve, 0);
  EXPECT_EQ(forwardX(curve, 0.2), 1.0);
}

TEST(PathCurveSegments, IndicesWrapAroundTheLoop) {
  PathCurve curve = curveWithIndexValues(5);
  struct Case {
    double u;
    int c;
    double expected;
  };
  const Case cases[] = {
      {0.9, 0, 4.0}, {0.9, 1, 0.0}, {0.9, 2, 1.0}, {0.9, 3, 2.0}, {0.7, 3, 1.0}, {0.1, 3, 3.0},
  };
  for (const Case& item : cases) {
    useSelectionBasis(curve, item.c);
    EXPECT_EQ(curve.positionAt(item.u).x, item.expected) << "u " << item.u << " c " << item.c;
  }
}

// The points are held in a vector of their exact count, so a read past them
// would also show in a sanitizer build.
TEST(PathCurveSegments, ParametersOutsideTheLoopStayInsideThePoints) {
  PathCurve curve = curveWithIndexValues(3);
  for (int c = 0; c < 4; ++c) {
    useSelectionBasis(curve, c);
    for (double u : {-3.0, 1.0, 1.5, 7.0}) {
      const double value = curve.positionAt(u).x;
      EXPECT_GE(value, 0.0) << "u " << u << " c " << c;
      EXPECT_LE(value, 2.0) << "u " << u << " c " << c;
    }
  }
  useSelectionBasis(curve, 0);
  EXPECT_TRUE(std::isnan(curve.positionAt(std::numeric_limits<double>::quiet_NaN()).x));
  // With all 1000 points a segment past the end would index up to 1003.
  PathCurve full = curveWithIndexValues(1000);
  useSelectionBasis(full, 3);
  EXPECT_EQ(full.positionAt(1.5).x, 3.0);
  EXPECT_EQ(full.positionAt(-3.0).x, 3.0);
  // A parameter this large must end the segment search instead of adding
  // 1/n forever; the value itself is meaningless (t^3 overflows).
  full.positionAt(1e300);
}

TEST(PathMapping, FrameParameterIsHalfTheFrameFraction) {
  EXPECT_EQ(PathCurve::framePathParameter(50, 100), 0.25);
  EXPECT_DOUBLE_EQ(PathCurve::framePathParameter(99, 100), 0.495);
  EXPECT_EQ(PathCurve::framePathParameter(0, 7), 0.0);
  EXPECT_DOUBLE_EQ(PathCurve::framePathParameter(1, 3), 1.0 / 6.0);
  EXPECT_EQ(PathCurve::framePathParameter(3, 0), 0.0);
  EXPECT_EQ(PathCurve::framePathParameter(3, -4), 0.0);
}

}  // namespace
