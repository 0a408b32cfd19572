#pragma once

// Singular value decomposition on 1-based arrays: vectors are addressed
// lo..hi (index 0 unused), matrices are arrays of row pointers with row 0 and
// column 0 unused. A failed allocation prints a three-line report to standard
// error and ends the program with status 1; a decomposition that does not
// converge is reported to the caller. No shared state: safe from any thread.

// Room for doubles addressable lo..hi (lo >= 0), zero-filled; release with
// release_vector. A negative lo or a failed allocation ends the program with
// "allocation failure in vector()".
double* vector(int lo, int hi);
void release_vector(double* v, int lo, int hi);

[[noreturn]] void numeric_error(const char* message);

// sqrt(a*a + b*b) without destructive overflow or underflow; NaN in, NaN out.
double hypotenuse(double a, double b);

// Decomposes the m x n matrix a in place: a becomes U, w[1..n] the singular
// values (all >= 0, unsorted), v[1..n][1..n] holds V (not its transpose).
// m may be 0 or smaller than n; only rows 1..m of a are touched. Returns
// false, with a, w and v left in an unusable state, after 50 passes without
// convergence for one singular value (for example when a holds NaN or inf);
// kNoConvergence is the text to report then.
constexpr const char* kNoConvergence = "no convergence in 50 svdcmp iterations";
bool svdcmp(double** a, int m, int n, double* w, double** v);

// Solves A x ~= b from the output of svdcmp; singular values exactly 0.0 are
// skipped. b has m entries, x receives n.
void svdsolve(double** u, const double* w, double** v, int m, int n, const double* b, double* x);
