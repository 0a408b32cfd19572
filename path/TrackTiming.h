#pragma once

#include <string>

#include "path/TrackCurve.h"

// How frames are timed along an edited track path when each keeps its place
// between the control points (PathPace::points). Headless, no state.

// The knot of the edited path where a frame that stood at knot t of the
// fitted path stands: the same knot, since knots keep their place between the
// same points through moves, insertions and removals. Where end points were
// removed, the fitted run from the old end to the nearest point left is
// spread over the edited run from the new end to it, so the clip still
// starts and ends on the path's ends. slope, when given, receives how fast
// the edited knot runs against t there (1 but in such a spread run).
double editedKnot(const TrackCurve& fitted, const TrackCurve& path, double t,
                  double* slope = nullptr);

// Where a frame at knot t of the fitted path stands with timing by points:
// the fitted path's station there and the edited path's at editedKnot; how
// much longer the edited path is there (the ratio of the speeds along them,
// speeds below a twentieth of the fitted path's mean counting as that much,
// so that where the fitted path barely moves, at a turn on the spot, the
// ratio stays near 1 instead of being noise); and how much of the path's
// turn the frame takes: all of it where the fitted path runs at 40% of its
// mean speed or more, none below 10%, a share growing with the speed in
// between (where the track doubles back the fitted path nearly stops, and
// the direction it runs there, and so the turn an edit gives it, is noise).
struct PointsPlace {
  TrackCurve::Station fitted;
  TrackCurve::Station edited;
  double stretch = 1.0;
  double turnShare = 1.0;
};
PointsPlace placeByPoints(const TrackCurve& fitted, const TrackCurve& path, double t);

// How much the edit stretches strides: the largest and smallest ratio, over
// the fitted path's segments (between knots of its points), of the length
// of the edited path that a segment's frames walk to the segment's own.
struct StrideStretch {
  double longest = 1.0;
  double shortest = 1.0;
};
StrideStretch strideStretch(const TrackCurve& fitted, const TrackCurve& path);

// "Strides up to 18% longer" (or shorter), from the more changed of the two;
// past 25% "Strides 31% longer: the feet cannot stay planted". Empty when
// strides change by under half a percent.
std::string strideNote(const StrideStretch& stretch);
