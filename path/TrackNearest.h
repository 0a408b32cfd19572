#pragma once

#include "path/TrackCurve.h"

// Finding the place on a track path nearest a ground position (x, z), by
// knot. Headless, no state.

// The knot nearest (x, z) within half a knot unit of guess: a scan of the
// window, then a narrowing search about its best sample. The track can cross
// itself; a guess from the smoothed track keeps the search on the right pass.
double nearestKnotNear(const TrackCurve& curve, double x, double z, double guess);

// The same found faster and as exactly: the scan, then refinedKnot about
// its best sample.
double nearestKnotQuick(const TrackCurve& curve, double x, double z, double guess);

// The knot where the ground distance to (x, z) is least near guess, within
// [low, high] (both inside the curve's knots): Newton's method on the
// squared distance, each step kept only when it brings the curve nearer.
// Exact to rounding in a few steps from a guess in the right valley, and
// deterministic: the same guess gives the same knot.
double refinedKnot(const TrackCurve& curve, double x, double z, double guess, double low,
                   double high);

// Squared ground distance from the curve at knot t to (x, z).
double squaredGroundDistance(const TrackCurve& curve, double t, double x, double z);
