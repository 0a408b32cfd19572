#pragma once

#include <vector>

#include "base/Point3.h"

// The open path a clip's track walks, from its first frame's place to its
// last: a uniform Catmull-Rom curve through its control points, each end
// continued by reflecting its neighbour, so it starts at the first point and
// ends at the last. Positions and directions are asked for by distance along
// the curve on the ground (x and z); beyond either end the path goes on
// straight. Headless; no operation prints.
class TrackCurve {
 public:
  static constexpr int maxPoints = 1000;

  // Where the path is at one distance along it, and which way it runs there
  // on the ground (unit vector); hasDirection is false for a single point or
  // a path of no length (the direction is then (1, 0)).
  struct Station {
    Point3 at;
    double dirX = 1.0;
    double dirZ = 0.0;
    bool hasDirection = false;
  };

  TrackCurve() = default;
  // Up to maxPoints points; any beyond are dropped.
  explicit TrackCurve(std::vector<Point3> points);

  int pointCount() const { return static_cast<int>(points_.size()); }
  const std::vector<Point3>& points() const { return points_; }
  // Point k, or a zero point when there is none.
  Point3 point(int k) const;
  // False, nothing changed, for an index that is no point.
  bool setPoint(int k, const Point3& p);
  // Puts p before index (0..pointCount); false at maxPoints or a wrong index.
  bool insertPoint(int index, const Point3& p);
  // False for an index that is no point.
  bool removePoint(int k);

  // Curve position at the parameter t in [0, pointCount - 1] (point k at
  // t = k; t is clamped to that range). Zero without points.
  Point3 positionAt(double t) const;
  // Derivative with respect to t; zero with fewer than two points.
  Point3 derivativeAt(double t) const;

  // Length on the ground, measured over a fine polyline of the curve.
  double length() const { return lengths_.empty() ? 0.0 : lengths_.back(); }
  // Distance along the path to parameter t (clamped as positionAt).
  double distanceAt(double t) const;
  // The station at distance s; s below 0 or beyond length() lies on the
  // straight continuation of the nearer end.
  Station stationAt(double s) const;

 private:
  void measure();
  double clampParameter(double t) const;

  std::vector<Point3> points_;
  // Distance along the curve at t = j / samplesPerSegment.
  std::vector<double> lengths_;
};
