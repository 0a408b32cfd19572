#pragma once

#include <vector>

#include "base/Point3.h"

// The open path a clip's track walks, from its first frame's place to its
// last: a cubic through its control points, each segment blending its two
// points and their tangents (a Hermite segment), parameterised by knots.
// Made from points alone it is the uniform Catmull-Rom curve through them,
// each end continued by reflecting its neighbour, with point k at knot k.
//
// A point's tangent is the three-point slope through it and its neighbours
// (by their knots) plus a correction of its own, which is zero until points
// are inserted or removed: those keep the curve as it was wherever they can,
// so inserting a point at the middle of a segment's knots on the curve
// changes no position on it, and removing one changes only the segment it
// leaves. Knots never move: an inserted point takes the middle knot of its
// segment, a removed one takes its knot with it, so a parameter keeps its
// place between the same points through every edit. Moving a point turns the
// slopes of its neighbours with it, as the Catmull-Rom curve does.
//
// Positions and directions are asked for by knot parameter or by distance
// along the curve on the ground (x and z); beyond either end the path goes
// on straight. Headless; no operation prints.
class TrackCurve {
 public:
  static constexpr int maxPoints = 1000;

  // Where the path is at one place on it, and which way it runs there on
  // the ground (unit vector); hasDirection is false for a single point or a
  // path of no length (the direction is then (1, 0)).
  struct Station {
    Point3 at;
    double dirX = 1.0;
    double dirZ = 0.0;
    bool hasDirection = false;
  };

  // Length of a ground vector: the square root of its squares, or hypot
  // where those would overflow or vanish.
  static double groundLength(double x, double z);

  TrackCurve() = default;
  // Up to maxPoints points at knots 0, 1, 2, ...; any beyond are dropped.
  explicit TrackCurve(std::vector<Point3> points);

  int pointCount() const { return static_cast<int>(points_.size()); }
  const std::vector<Point3>& points() const { return points_; }
  // Point k, or a zero point when there is none.
  Point3 point(int k) const;
  // False, nothing changed, for an index that is no point.
  bool setPoint(int k, const Point3& p);
  // Puts p before index (0..pointCount). Inside the path it takes the
  // middle knot of the segment it splits and the curve's slope there, and
  // its neighbours keep their tangents; before the first point or after the
  // last it takes the knot one beyond. False at maxPoints, for a wrong
  // index, or for a segment too short in knots to hold another point.
  bool insertPoint(int index, const Point3& p);
  // Takes point k out; its neighbours keep their tangents. False for an
  // index that is no point.
  bool removePoint(int k);

  // Knot of point k (0 without such a point), every point's in order, and
  // the knots of the ends.
  double knot(int k) const;
  const std::vector<double>& knots() const { return knots_; }
  double firstKnot() const { return knot(0); }
  double lastKnot() const { return knot(pointCount() - 1); }
  // The middle knot of the segment from point k to point k + 1.
  double middleKnot(int k) const { return (knot(k) + knot(k + 1)) / 2.0; }

  // Curve position at knot parameter t (clamped to the ends; NaN reads as
  // the first knot). Zero without points.
  Point3 positionAt(double t) const;
  // First and second derivatives with respect to t; zero with fewer than
  // two points. At a point the segment after it answers (the last point:
  // the segment before it).
  Point3 derivativeAt(double t) const;
  Point3 secondDerivativeAt(double t) const;
  // All three at once, for the same cost as one.
  void evaluate(double t, Point3& position, Point3& first, Point3& second) const;
  // Position and ground direction at knot t (the direction of the
  // derivative; where that vanishes, of the chord through the neighbouring
  // samples).
  Station stationAtKnot(double t) const;

  // Length on the ground, measured over a fine polyline of the curve: 32
  // samples per knot unit of each segment (at least one).
  double length() const { return lengths_.empty() ? 0.0 : lengths_.back(); }
  // Distance along the path to knot t (clamped as positionAt).
  double distanceAt(double t) const;
  // Knots of that polyline's samples, first to last knot.
  const std::vector<double>& sampleKnots() const { return sampleKnots_; }
  // The station at distance s; s below 0 or beyond length() lies on the
  // straight continuation of the nearer end.
  Station stationAt(double s) const;

  // The largest coordinate magnitude any point of the curve between its
  // ends can have (of its points and of its segments' Bezier handles, whose
  // hull holds the curve); infinite or NaN when any is not a finite number.
  double reach() const;

 private:
  void measure();
  double clampKnot(double t) const;
  // Segment holding t (already clamped) and its local parameter in [0, 1].
  int segmentOf(double t, double& local) const;
  // The slope the neighbours give point k (without its correction).
  Point3 slopeAt(int k) const;
  // Every tangent from the slopes and corrections.
  void updateTangents();
  // Sets point k's correction so that its tangent is tangent.
  void keepTangent(int k, const Point3& tangent);

  std::vector<Point3> points_;
  std::vector<double> knots_;
  std::vector<Point3> corrections_;
  std::vector<Point3> tangents_;
  // Distance along the curve at each sample, and the sample's knot.
  std::vector<double> lengths_;
  std::vector<double> sampleKnots_;
};
