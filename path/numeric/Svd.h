#pragma once

#include "base/Outcome.h"

// Singular value decomposition on 1-based arrays: vectors are addressed
// lo..hi (index 0 unused), matrices are arrays of row pointers with row 0 and
// column 0 unused. Nothing is printed; a failed allocation or a decomposition
// that does not converge is reported to the caller. No shared state: safe
// from any thread.

// Room for doubles addressable lo..hi (lo >= 0), zero-filled; release with
// release_vector. Null for a negative lo or a failed allocation.
double* vector(int lo, int hi);
void release_vector(double* v, int lo, int hi);

// The failure message of a vector that could not be had.
constexpr const char* kNoRoom = "allocation failure in vector()";

// sqrt(a*a + b*b) without destructive overflow or underflow; NaN in, NaN out.
double hypotenuse(double a, double b);

// Decomposes the m x n matrix a in place: a becomes U, w[1..n] the singular
// values (all >= 0, unsorted), v[1..n][1..n] holds V (not its transpose).
// m may be 0 or smaller than n; only rows 1..m of a are touched. Fails with
// kNoConvergence, a, w and v left in an unusable state, after 50 passes
// without convergence for one singular value (for example when a holds NaN or
// inf), and with kNoRoom, nothing touched, when its work vector cannot be had.
constexpr const char* kNoConvergence = "no convergence in 50 svdcmp iterations";
Status svdcmp(double** a, int m, int n, double* w, double** v);

// Solves A x ~= b from the output of svdcmp; singular values exactly 0.0 are
// skipped. b has m entries, x receives n. Fails with kNoRoom, x untouched,
// when its work vector cannot be had.
Status svdsolve(double** u, const double* w, double** v, int m, int n, const double* b, double* x);
