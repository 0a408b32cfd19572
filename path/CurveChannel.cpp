#include "path/CurveChannel.h"

#include <algorithm>

namespace {

// Written to four decimals on purpose: the curve's shape (and its weights
// summing to 1.0001) is part of what users see and what the fit was tuned on.
constexpr double bSplineBasis[4][4] = {
    {-0.1667, 0.5, -0.5, 0.1667},
    {0.5, -1.0, 0.5, 0.0},
    {-0.5, 0.0, 0.5, 0.0},
    {0.1667, 0.6667, 0.1667, 0.0},
};

constexpr double catmullRomBasis[4][4] = {
    {-0.5, 1.5, -1.5, 0.5},
    {1.0, -2.5, 2.0, -0.5},
    {-0.5, 0.0, 0.5, 0.0},
    {0.0, 1.0, 0.0, 0.0},
};

void copyBasis(const double (&from)[4][4], double (&to)[4][4]) {
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) to[r][c] = from[r][c];
  }
}

bool inRange(int index) { return index >= 0 && index < CurveChannel::maxValues; }

// The wrap of the closed loop as a fixed table; for n >= 4 it is the index
// modulo n over every index a segment in 0..n can ask for. The final modulo
// only catches what the table leaves outside 0..n-1 (n = 3 at u >= 1), so no
// index ever leaves the values that were written.
int wrapIndex(int i, int n) {
  if (i == -1) {
    i = n - 1;
  } else if (i == -2) {
    i = n - 2;
  } else if (i == n) {
    i = 0;
  } else if (i == n + 1) {
    i = 1;
  } else if (i == n + 2) {
    i = 2;
  } else if (i == n + 3) {
    i = 3;
  }
  if (i < 0 || i >= n) i = ((i % n) + n) % n;
  return i;
}

struct Segment {
  int seg;
  double t;
};

// The boundary is accumulated by repeated addition, not computed as k/n: the
// rounding of that sum decides which segment a boundary parameter falls in.
// Positions take a boundary into the later segment, derivatives into the
// earlier one. The counter stops one past the last segment so that u >= 1,
// huge u or NaN can neither loop forever nor index beyond the values.
Segment findSegment(double u, int n, bool boundaryToLater) {
  const double step = 1.0 / n;
  double s = step;
  int k = 1;
  if (boundaryToLater) {
    while (k <= n && s <= u) {
      ++k;
      s += step;
    }
  } else {
    while (k <= n && s < u) {
      ++k;
      s += step;
    }
  }
  const int seg = k - 1;
  const double u0 = static_cast<double>(seg) / n;
  const double u1 = static_cast<double>(seg + 1) / n;
  const double t = u / (u1 - u0) - u0 / (u1 - u0);
  return {seg, t};
}

}  // namespace

CurveChannel::CurveChannel() {
  copyBasis(bSplineBasis, basis);
  std::fill(values, values + maxValues, 0.0);
}

void CurveChannel::useBSplineBasis() { copyBasis(bSplineBasis, basis); }

void CurveChannel::useCatmullRomBasis() { copyBasis(catmullRomBasis, basis); }

void CurveChannel::setValue(double value, int index) {
  if (!inRange(index)) return;
  values[index] = value;
  if (index > lastIndex) lastIndex = index;
}

double CurveChannel::value(int index) const { return inRange(index) ? values[index] : 0.0; }

double CurveChannel::evaluate(double u) const {
  if (lastIndex < 2) return 0.0;
  const int n = std::min(lastIndex + 1, maxValues);
  const Segment segment = findSegment(u, n, true);
  const double t = segment.t;
  double sum = 0.0;
  for (int c = 0; c < 4; ++c) {
    const double b = t * t * t * basis[0][c] + t * t * basis[1][c] + t * basis[2][c] + basis[3][c];
    sum += b * values[wrapIndex(segment.seg + c, n)];
  }
  return sum;
}

double CurveChannel::derivative(double u) const {
  if (lastIndex < 2) return 0.0;
  const int n = std::min(lastIndex + 1, maxValues);
  const Segment segment = findSegment(u, n, false);
  const double t = segment.t;
  double sum = 0.0;
  for (int c = 0; c < 4; ++c) {
    const double b = 3.0 * t * t * basis[0][c] + 2.0 * t * basis[1][c] + basis[2][c];
    sum += b * values[wrapIndex(segment.seg + c, n)];
  }
  return sum;
}
