#include "path/TrackPlacement.h"

#include <algorithm>
#include <cmath>

#include "path/TrackFit.h"
#include "path/TrackNearest.h"
#include "path/TrackTiming.h"

namespace {

constexpr double degreesPerRadian = 180.0 / 3.14159265358979323846;
// How far past the samples on either side a frame's knot may lie.
constexpr double margin = 0.25;

// The sampled knot nearest entry j that is a number, looking outwards; NaN
// when there is none.
double nearestSample(const std::vector<float>& knots, size_t j) {
  for (size_t d = 0; d < knots.size(); ++d) {
    if (j >= d && !std::isnan(knots[j - d])) return knots[j - d];
    if (j + d < knots.size() && !std::isnan(knots[j + d])) return knots[j + d];
  }
  return std::nan("");
}

// A guess for frame f's knot and the range to look in: between the samples
// on either side, or about the nearest one.
bool guessKnot(const TrackRecord& record, int f, double& guess, double& low, double& high) {
  const size_t j = static_cast<size_t>(f / TrackRecord::step);
  const double a = j < record.knots.size() ? record.knots[j] : std::nan("");
  const double b = j + 1 < record.knots.size() ? record.knots[j + 1] : std::nan("");
  if (!std::isnan(a) && !std::isnan(b)) {
    const double share = static_cast<double>(f % TrackRecord::step) / TrackRecord::step;
    guess = a + (b - a) * share;
    low = std::min(a, b) - margin;
    high = std::max(a, b) + margin;
    return true;
  }
  guess = !std::isnan(a) ? a : !std::isnan(b) ? b : nearestSample(record.knots, j);
  low = guess - 2.0 * margin;
  high = guess + 2.0 * margin;
  return !std::isnan(guess);
}

}  // namespace

bool trackFrameKnot(const TrackFit& fit, int f, double x, double z, double& knot) {
  const TrackRecord& record = *fit.record;
  if (f < 0 || f >= record.frames || !std::isfinite(x) || !std::isfinite(z)) return false;
  const TrackCurve& fitted = fit.fitted;
  if (fitted.pointCount() < 2) {
    knot = fitted.firstKnot();
    return true;
  }
  double guess = 0.0;
  double low = 0.0;
  double high = 0.0;
  if (!guessKnot(record, f, guess, low, high)) return false;
  low = std::max(low, fitted.firstKnot());
  high = std::min(high, fitted.lastKnot());
  if (!(low <= high)) {
    low = fitted.firstKnot();
    high = fitted.lastKnot();
  }
  knot = refinedKnot(fitted, x, z, std::clamp(guess, low, high), low, high);
  return true;
}

bool trackPlacement(const TrackFit& fit, int f, double x, double z, PathPace pace,
                    FramePlacement& placement, Point3* at) {
  double knot = 0.0;
  if (!trackFrameKnot(fit, f, x, z, knot)) return false;
  TrackCurve::Station was;
  TrackCurve::Station now;
  // The frame's offset from the path grows and shrinks with the path there,
  // so that a path scaled about a point carries the clip scaled: its sway
  // keeps its share of the stride and the travel its direction. With Keep
  // Pace strides keep their length, and so does the offset.
  double stretch = 1.0;
  double turnShare = 1.0;
  if (pace == PathPace::keep) {
    const double along = fit.fitted.distanceAt(knot);
    was = fit.fitted.stationAt(along);
    now = fit.path.stationAt(along);
  } else {
    const PointsPlace place = placeByPoints(fit.fitted, fit.path, knot);
    was = place.fitted;
    now = place.edited;
    stretch = place.stretch;
    turnShare = place.turnShare;
  }
  // The offset from the fitted path, along its direction and sideways.
  const double dx = x - was.at.x;
  const double dz = z - was.at.z;
  const double along = (dx * was.dirX + dz * was.dirZ) * stretch;
  const double side = (dx * was.dirZ - dz * was.dirX) * stretch;
  // Without a direction (a single point, a path of no length) the frame
  // keeps its own and is not turned.
  double dirX = now.hasDirection ? now.dirX : was.dirX;
  double dirZ = now.hasDirection ? now.dirZ : was.dirZ;
  // Signed turn from the fit-time direction to the present one, as the loop
  // path measures it.
  const double cross = dirX * was.dirZ - dirZ * was.dirX;
  const double dot = dirX * was.dirX + dirZ * was.dirZ;
  double turn = cross == 0.0 && dot >= 0.0 ? 0.0 : std::atan2(cross, dot);
  if (turnShare < 1.0) {
    // Only part of the turn: the direction turned from the fit-time one by
    // that much.
    turn *= turnShare;
    const double c = std::cos(turn);
    const double s = std::sin(turn);
    dirX = was.dirX * c + was.dirZ * s;
    dirZ = was.dirZ * c - was.dirX * s;
  }
  placement.x = now.at.x + along * dirX + side * dirZ;
  placement.z = now.at.z + along * dirZ - side * dirX;
  placement.headingDegrees = turn * degreesPerRadian;
  if (at != nullptr) *at = now.at;
  return true;
}
