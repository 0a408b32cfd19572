#include "path/CurveChannel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

// A basis whose value is control value seg + c whatever t is: it reads off
// which segment the search chose and which index the wrap produced.
void useSelectionBasis(CurveChannel& channel, int c) {
  for (auto& row : channel.basis) {
    for (double& entry : row) entry = 0.0;
  }
  channel.basis[3][c] = 1.0;
}

// Same for the derivative, whose constant row is row 2.
void useDerivativeSelectionBasis(CurveChannel& channel, int c) {
  for (auto& row : channel.basis) {
    for (double& entry : row) entry = 0.0;
  }
  channel.basis[2][c] = 1.0;
}

CurveChannel channelWithIndexValues(int n) {
  CurveChannel channel;
  for (int i = 0; i < n; ++i) channel.setValue(i, i);
  return channel;
}

TEST(CurveChannelState, NewChannelHasDefaultBasisAndNoValues) {
  CurveChannel channel;
  EXPECT_EQ(channel.lastIndex, -1);
  EXPECT_EQ(channel.basis[0][0], -0.1667);
  EXPECT_EQ(channel.basis[3][1], 0.6667);
  EXPECT_EQ(channel.basis[3][3], 0.0);
  EXPECT_EQ(channel.value(0), 0.0);
  EXPECT_EQ(channel.value(999), 0.0);
}

TEST(CurveChannelState, SetValueRaisesLastIndexOnly) {
  CurveChannel channel;
  channel.setValue(2.5, 4);
  EXPECT_EQ(channel.lastIndex, 4);
  channel.setValue(1.5, 1);
  EXPECT_EQ(channel.lastIndex, 4);
  EXPECT_EQ(channel.value(4), 2.5);
  EXPECT_EQ(channel.value(1), 1.5);
}

TEST(CurveChannelState, IndicesOutsideTheTableAreIgnored) {
  CurveChannel channel;
  channel.setValue(7.0, -1);
  channel.setValue(7.0, 1000);
  EXPECT_EQ(channel.lastIndex, -1);
  EXPECT_EQ(channel.value(-1), 0.0);
  EXPECT_EQ(channel.value(1000), 0.0);
}

TEST(CurveChannelState, BasisSwitchesOverwriteEveryEntry) {
  CurveChannel channel;
  channel.useCatmullRomBasis();
  EXPECT_EQ(channel.basis[1][1], -2.5);
  EXPECT_EQ(channel.basis[3][0], 0.0);
  EXPECT_EQ(channel.basis[3][1], 1.0);
  channel.useBSplineBasis();
  EXPECT_EQ(channel.basis[1][1], -1.0);
  EXPECT_EQ(channel.basis[3][0], 0.1667);
}

TEST(CurveChannelEvaluation, FewerThanThreeValuesGiveZero) {
  CurveChannel channel;
  channel.setValue(3.0, 0);
  channel.setValue(4.0, 1);
  EXPECT_EQ(channel.evaluate(0.3), 0.0);
  EXPECT_EQ(channel.derivative(0.3), 0.0);
  channel.setValue(5.0, 2);
  EXPECT_NE(channel.evaluate(0.3), 0.0);
}

TEST(CurveChannelEvaluation, DefaultWeightsSumToOnePointZeroZeroZeroOne) {
  CurveChannel channel;
  for (int i = 0; i < 4; ++i) channel.setValue(1.0, i);
  for (double u : {0.0, 0.1, 0.25, 0.6, 0.99}) {
    EXPECT_NEAR(channel.evaluate(u), 1.0001, 1e-12) << "u = " << u;
    EXPECT_NEAR(channel.derivative(u), 0.0, 1e-12) << "u = " << u;
  }
}

TEST(CurveChannelEvaluation, CatmullRomPassesThroughTheControlValues) {
  CurveChannel channel;
  channel.useCatmullRomBasis();
  const double values[4] = {10.0, 20.0, 30.0, 40.0};
  for (int i = 0; i < 4; ++i) channel.setValue(values[i], i);
  EXPECT_EQ(channel.evaluate(0.0), 20.0);
  EXPECT_EQ(channel.evaluate(0.25), 30.0);
  EXPECT_EQ(channel.evaluate(0.5), 40.0);
  EXPECT_EQ(channel.evaluate(0.75), 10.0);
  // Tangent at the second value: half the difference of its neighbours,
  // in units of the local parameter (not scaled by n).
  EXPECT_DOUBLE_EQ(channel.derivative(0.0), 0.5 * (30.0 - 10.0));
  EXPECT_DOUBLE_EQ(channel.derivative(0.25), 0.5 * (40.0 - 20.0));
}

TEST(CurveChannelEvaluation, MidSegmentBlendsFourNeighbours) {
  CurveChannel channel;
  channel.useCatmullRomBasis();
  const double values[5] = {1.0, -2.0, 4.0, 3.0, 8.0};
  for (int i = 0; i < 5; ++i) channel.setValue(values[i], i);
  // Segment 1 at t = 0.5 blends values 1..4 with weights (-1, 9, 9, -1) / 16.
  const double expected = (-values[1] + 9.0 * values[2] + 9.0 * values[3] - values[4]) / 16.0;
  EXPECT_NEAR(channel.evaluate(0.3), expected, 1e-12);
}

TEST(CurveChannelSegments, BoundaryBelongsToLaterSegmentForValuesEarlierForDerivatives) {
  CurveChannel channel = channelWithIndexValues(4);
  useSelectionBasis(channel, 0);
  EXPECT_EQ(channel.evaluate(0.25), 1.0);
  EXPECT_EQ(channel.evaluate(0.2499), 0.0);
  useDerivativeSelectionBasis(channel, 0);
  EXPECT_EQ(channel.derivative(0.25), 0.0);
  EXPECT_EQ(channel.derivative(0.2501), 1.0);
}

TEST(CurveChannelSegments, BoundaryIsAccumulatedNotComputed) {
  // 0.1 + 0.1 + 0.1 is just above 0.3, so u = 0.3 still lies in segment 2,
  // where 3 / 10 would have put it into segment 3.
  CurveChannel channel = channelWithIndexValues(10);
  useSelectionBasis(channel, 0);
  EXPECT_EQ(channel.evaluate(0.3), 2.0);
  EXPECT_EQ(channel.evaluate(0.2), 2.0);
  useDerivativeSelectionBasis(channel, 0);
  EXPECT_EQ(channel.derivative(0.2), 1.0);
}

TEST(CurveChannelSegments, IndicesWrapAroundTheLoop) {
  CurveChannel channel = channelWithIndexValues(5);
  struct Case {
    double u;
    int c;
    double expected;
  };
  const Case cases[] = {
      {0.9, 0, 4.0}, {0.9, 1, 0.0}, {0.9, 2, 1.0}, {0.9, 3, 2.0}, {0.7, 3, 1.0}, {0.1, 3, 3.0},
  };
  for (const Case& item : cases) {
    useSelectionBasis(channel, item.c);
    EXPECT_EQ(channel.evaluate(item.u), item.expected) << "u " << item.u << " c " << item.c;
  }
}

TEST(CurveChannelSegments, ParametersOutsideTheLoopStayInsideTheValues) {
  CurveChannel channel = channelWithIndexValues(3);
  // Beyond the last set value: a read there would show this sentinel.
  channel.values[3] = 999.0;
  channel.values[4] = 999.0;
  for (int c = 0; c < 4; ++c) {
    useSelectionBasis(channel, c);
    for (double u : {-3.0, 1.0, 1.5, 7.0}) {
      const double value = channel.evaluate(u);
      EXPECT_GE(value, 0.0) << "u " << u << " c " << c;
      EXPECT_LE(value, 2.0) << "u " << u << " c " << c;
    }
  }
  useSelectionBasis(channel, 0);
  EXPECT_TRUE(std::isnan(channel.evaluate(std::numeric_limits<double>::quiet_NaN())));
  // With all 1000 values a segment past the end would index up to 1003.
  CurveChannel full = channelWithIndexValues(1000);
  useSelectionBasis(full, 3);
  EXPECT_EQ(full.evaluate(1.5), 3.0);
  EXPECT_EQ(full.evaluate(-3.0), 3.0);
  // A parameter this large must end the segment search instead of adding
  // 1/n forever; the value itself is meaningless (t^3 overflows).
  full.evaluate(1e300);
}

}  // namespace
