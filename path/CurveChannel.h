#pragma once

// One coordinate of the closed cubic path: up to 1000 control values blended
// four at a time by a 4x4 basis matrix (row by row, basis[r][c]).
class CurveChannel {
 public:
  static constexpr int maxValues = 1000;

  // Default (B-spline) basis, lastIndex -1, all values 0.0.
  CurveChannel();

  // Coefficients written to four decimals (0.1667, 0.6667): weights sum to 1.0001.
  void useBSplineBasis();
  void useCatmullRomBasis();

  // Stores value at index (0..999); raises lastIndex when index exceeds it.
  // An index outside 0..999 is ignored.
  void setValue(double value, int index);
  // The value at index, written or not; 0.0 outside 0..999.
  double value(int index) const;

  // Value and derivative (with respect to the local segment parameter) at the
  // global parameter u in [0, 1); 0.0 with fewer than three values. Segment
  // boundaries are accumulated sums of 1/n: a boundary parameter belongs to
  // the later segment (t = 0) for values, to the earlier one (t = 1) for
  // derivatives. Any other u (beyond 1, negative, NaN) still reads only
  // values 0..lastIndex: the segment stops one past the last.
  double evaluate(double u) const;
  double derivative(double u) const;

  double basis[4][4];
  int lastIndex = -1;
  double values[maxValues];
};
