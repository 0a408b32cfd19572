#include "path/TrackTiming.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// Strides stretched beyond this share can no longer be walked with the feet
// planted.
constexpr double plantedLimit = 0.25;
// Speeds below this share of the fitted path's mean count as that much.
constexpr double slowShare = 0.05;
// Shares of the fitted path's mean speed below which a frame takes none of
// the path's turn, and above which all of it.
constexpr double turnNone = 0.1;
constexpr double turnFull = 0.4;

}  // namespace

double editedKnot(const TrackCurve& fitted, const TrackCurve& path, double t, double* slope) {
  if (slope != nullptr) *slope = 1.0;
  if (path.pointCount() < 2 || fitted.pointCount() < 2) return t;
  // The fitted ends go to the edited ends; every edited knot inside both
  // ranges stays where it is, and knots between are spread linearly.
  const double fromStart = fitted.firstKnot();
  const double fromEnd = fitted.lastKnot();
  const double toStart = std::max(path.firstKnot(), fromStart);
  const double toEnd = std::min(path.lastKnot(), fromEnd);
  if (!(t > fromStart)) return toStart + (t - fromStart);
  if (!(t < fromEnd)) return toEnd + (t - fromEnd);
  double lowFrom = fromStart, lowTo = toStart;
  double highFrom = fromEnd, highTo = toEnd;
  const std::vector<double>& knots = path.knots();
  const auto above = std::upper_bound(knots.begin(), knots.end(), std::max(t, toStart));
  if (above != knots.end() && *above < toEnd) highFrom = highTo = *above;
  if (above != knots.begin()) {
    const double below = *(above - 1);
    if (below > toStart && below <= t) lowFrom = lowTo = below;
  }
  if (!(highFrom > lowFrom)) return lowTo;
  const double rate = (highTo - lowTo) / (highFrom - lowFrom);
  if (slope != nullptr) *slope = rate;
  return lowTo + (t - lowFrom) * rate;
}

PointsPlace placeByPoints(const TrackCurve& fitted, const TrackCurve& path, double t) {
  PointsPlace place;
  double slope = 1.0;
  const double now = editedKnot(fitted, path, t, &slope);
  place.fitted = fitted.stationAtKnot(t);
  place.edited = path.stationAtKnot(now);
  if (fitted.pointCount() < 2 || path.pointCount() < 2) return place;
  const Point3 a = fitted.derivativeAt(t);
  const Point3 b = path.derivativeAt(now);
  const double mean = fitted.length() / (fitted.lastKnot() - fitted.firstKnot());
  const double speed = TrackCurve::groundLength(a.x, a.z);
  const double floor = slowShare * mean;
  const double ratio = (TrackCurve::groundLength(b.x, b.z) * slope + floor) / (speed + floor);
  place.stretch = std::isfinite(ratio) ? ratio : 1.0;
  const double share = (speed / mean - turnNone) / (turnFull - turnNone);
  place.turnShare = std::isfinite(share) ? std::clamp(share, 0.0, 1.0) : 1.0;
  return place;
}

StrideStretch strideStretch(const TrackCurve& fitted, const TrackCurve& path) {
  StrideStretch stretch;
  if (fitted.pointCount() < 2 || path.pointCount() < 2) return stretch;
  // Segments shorter than this share of the whole carry too few frames for
  // their ratio to mean anything.
  const double shortest = 1e-6 * fitted.length();
  bool any = false;
  for (int k = 0; k + 1 < fitted.pointCount(); ++k) {
    const double a = fitted.knot(k);
    const double b = fitted.knot(k + 1);
    const double before = fitted.distanceAt(b) - fitted.distanceAt(a);
    if (!(before > shortest)) continue;
    const double after =
        path.distanceAt(editedKnot(fitted, path, b)) - path.distanceAt(editedKnot(fitted, path, a));
    const double ratio = after / before;
    if (!std::isfinite(ratio)) continue;
    stretch.longest = any ? std::max(stretch.longest, ratio) : ratio;
    stretch.shortest = any ? std::min(stretch.shortest, ratio) : ratio;
    any = true;
  }
  if (!any) return StrideStretch{};
  return stretch;
}

std::string strideNote(const StrideStretch& stretch) {
  const double longer = stretch.longest - 1.0;
  const double shorter = 1.0 - stretch.shortest;
  const bool lengthens = longer >= shorter;
  const double change = lengthens ? longer : shorter;
  if (!(change >= 0.005)) return "";
  // A move far beyond any walk still reads as a number.
  const long percent = std::lround(std::min(change, 9999.0) * 100.0);
  const char* way = lengthens ? "longer" : "shorter";
  char text[96];
  if (change > plantedLimit) {
    std::snprintf(text, sizeof text, "Strides %ld%% %s: the feet cannot stay planted", percent,
                  way);
  } else {
    std::snprintf(text, sizeof text, "Strides up to %ld%% %s", percent, way);
  }
  return text;
}
