#include "path/TrackNearest.h"

#include <algorithm>
#include <cmath>

double squaredGroundDistance(const TrackCurve& curve, double t, double x, double z) {
  const Point3 c = curve.positionAt(t);
  return (c.x - x) * (c.x - x) + (c.z - z) * (c.z - z);
}

namespace {

// The best of a scan of the half-knot window about guess, and the bracket
// one scan step either side of it.
double scanWindow(const TrackCurve& curve, double x, double z, double guess, double& low,
                  double& high, double& bestDistance) {
  // A guess from a track too long to measure stays on the curve.
  const double at = std::isfinite(guess) ? std::clamp(guess, curve.firstKnot(), curve.lastKnot())
                                         : curve.firstKnot();
  low = std::max(curve.firstKnot(), at - 0.5);
  high = std::min(curve.lastKnot(), at + 0.5);
  constexpr int coarse = 16;
  double best = at;
  bestDistance = squaredGroundDistance(curve, at, x, z);
  const double step = (high - low) / coarse;
  for (int k = 0; k <= coarse; ++k) {
    const double t = low + step * k;
    const double d = squaredGroundDistance(curve, t, x, z);
    if (d < bestDistance) {
      bestDistance = d;
      best = t;
    }
  }
  low = std::max(low, best - step);
  high = std::min(high, best + step);
  return best;
}

}  // namespace

double nearestKnotQuick(const TrackCurve& curve, double x, double z, double guess) {
  double low = 0.0;
  double high = 0.0;
  double bestDistance = 0.0;
  const double best = scanWindow(curve, x, z, guess, low, high, bestDistance);
  return refinedKnot(curve, x, z, best, low, high);
}

double nearestKnotNear(const TrackCurve& curve, double x, double z, double guess) {
  double low = 0.0;
  double high = 0.0;
  double bestDistance = 0.0;
  const double best = scanWindow(curve, x, z, guess, low, high, bestDistance);
  for (int k = 0; k < 40; ++k) {
    const double a = low + (high - low) / 3.0;
    const double b = high - (high - low) / 3.0;
    if (squaredGroundDistance(curve, a, x, z) < squaredGroundDistance(curve, b, x, z)) {
      high = b;
    } else {
      low = a;
    }
  }
  const double refined = (low + high) / 2.0;
  return squaredGroundDistance(curve, refined, x, z) <= bestDistance ? refined : best;
}

double refinedKnot(const TrackCurve& curve, double x, double z, double guess, double low,
                   double high) {
  double t = std::clamp(guess, low, high);
  double distance = squaredGroundDistance(curve, t, x, z);
  constexpr int mostSteps = 12;
  for (int k = 0; k < mostSteps; ++k) {
    Point3 c;
    Point3 d1;
    Point3 d2;
    curve.evaluate(t, c, d1, d2);
    const double ex = c.x - x;
    const double ez = c.z - z;
    // Half the first and second derivatives of the squared distance.
    const double slope = ex * d1.x + ez * d1.z;
    const double bend = d1.x * d1.x + d1.z * d1.z + ex * d2.x + ez * d2.z;
    if (slope == 0.0) break;
    double step = bend > 0.0 ? -slope / bend : (slope > 0.0 ? low - t : high - t);
    // Backtrack until the step brings the curve nearer; none does at the
    // least distance, which ends the search.
    bool moved = false;
    for (int halving = 0; halving < 30; ++halving) {
      const double next = std::clamp(t + step, low, high);
      const double nextDistance = squaredGroundDistance(curve, next, x, z);
      if (next != t && nextDistance < distance) {
        const bool settled = std::fabs(next - t) <= 1e-13 * (1.0 + std::fabs(t));
        t = next;
        distance = nextDistance;
        moved = !settled;
        break;
      }
      step /= 2.0;
    }
    if (!moved) break;
  }
  return t;
}
