#include "path/numeric/Svd.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr int maxPasses = 50;

// Work vector that goes back through release_vector on every way out;
// check ok() before use.
class WorkVector {
 public:
  WorkVector(int lo, int hi) : lo_(lo), hi_(hi), data_(vector(lo, hi)) {}
  ~WorkVector() { release_vector(data_, lo_, hi_); }
  WorkVector(const WorkVector&) = delete;
  WorkVector& operator=(const WorkVector&) = delete;
  bool ok() const { return data_ != nullptr; }
  double& operator[](int i) { return data_[i]; }

 private:
  int lo_;
  int hi_;
  double* data_;
};

// Applies the plane rotation (c, s) to columns p and q of rows 1..rows:
// column p becomes c*p + s*q and column q becomes -s*p + c*q.
void rotateColumns(double** matrix, int rows, int p, int q, double c, double s) {
  for (int r = 1; r <= rows; ++r) {
    const double xp = matrix[r][p];
    const double xq = matrix[r][q];
    matrix[r][p] = c * xp + s * xq;
    matrix[r][q] = -s * xp + c * xq;
  }
}

// Cosine and sine that turn (y, z) into (r, 0); the identity for (0, 0).
struct Rotation {
  double c = 1.0;
  double s = 0.0;
  double r = 0.0;
};

Rotation rotationFor(double y, double z) {
  Rotation rotation;
  rotation.r = hypotenuse(y, z);
  if (rotation.r != 0.0) {
    rotation.c = y / rotation.r;
    rotation.s = z / rotation.r;
  }
  return rotation;
}

// Left Householder step on column i (rows i..m), applied to the columns to its
// right. The reflection vector stays in column i (unscaled) for building U;
// the new diagonal element is returned. The entries are scaled by their sum of
// magnitudes first so that squaring can neither overflow nor underflow.
double reflectColumn(double** a, int m, int n, int i) {
  double scale = 0.0;
  for (int k = i; k <= m; ++k) scale += std::fabs(a[k][i]);
  if (scale == 0.0) return 0.0;
  double sumSquares = 0.0;
  for (int k = i; k <= m; ++k) {
    a[k][i] /= scale;
    sumSquares += a[k][i] * a[k][i];
  }
  const double f = a[i][i];
  // The sign opposite to f keeps f - g free of cancellation.
  const double g = -std::copysign(std::sqrt(sumSquares), f);
  const double h = f * g - sumSquares;
  a[i][i] = f - g;
  for (int j = i + 1; j <= n; ++j) {
    double dot = 0.0;
    for (int k = i; k <= m; ++k) dot += a[k][i] * a[k][j];
    const double factor = dot / h;
    for (int k = i; k <= m; ++k) a[k][j] += factor * a[k][i];
  }
  for (int k = i; k <= m; ++k) a[k][i] *= scale;
  return scale * g;
}

// Right Householder step on row i (columns i+1..n), applied to the rows below
// it; the mirror image of reflectColumn. Returns the new superdiagonal element.
double reflectRow(double** a, int m, int n, int i) {
  double scale = 0.0;
  for (int k = i + 1; k <= n; ++k) scale += std::fabs(a[i][k]);
  if (scale == 0.0) return 0.0;
  double sumSquares = 0.0;
  for (int k = i + 1; k <= n; ++k) {
    a[i][k] /= scale;
    sumSquares += a[i][k] * a[i][k];
  }
  const double f = a[i][i + 1];
  const double g = -std::copysign(std::sqrt(sumSquares), f);
  const double h = f * g - sumSquares;
  a[i][i + 1] = f - g;
  for (int j = i + 1; j <= m; ++j) {
    double dot = 0.0;
    for (int k = i + 1; k <= n; ++k) dot += a[i][k] * a[j][k];
    const double factor = dot / h;
    for (int k = i + 1; k <= n; ++k) a[j][k] += factor * a[i][k];
  }
  for (int k = i + 1; k <= n; ++k) a[i][k] *= scale;
  return scale * g;
}

}  // namespace

double* vector(int lo, int hi) {
  // Indices below the base cannot be served without pointing before the
  // allocation, so a negative lo counts as a failed allocation.
  if (lo < 0) return nullptr;
  const int top = std::max(hi, lo);
  return static_cast<double*>(std::calloc(static_cast<size_t>(top) + 1, sizeof(double)));
}

void release_vector(double* v, int /*lo*/, int /*hi*/) { std::free(v); }

double hypotenuse(double a, double b) {
  const double absA = std::fabs(a);
  const double absB = std::fabs(b);
  // Without these two the ratio form would turn NaN into 0 and inf/inf into NaN.
  if (std::isnan(absA) || std::isnan(absB)) return absA + absB;
  if (std::isinf(absA) || std::isinf(absB)) return HUGE_VAL;
  if (absA > absB) {
    const double ratio = absB / absA;
    const double square = ratio == 0.0 ? 0.0 : ratio * ratio;
    return absA * std::sqrt(1.0 + square);
  }
  if (absB == 0.0) return 0.0;
  const double ratio = absA / absB;
  const double square = ratio == 0.0 ? 0.0 : ratio * ratio;
  return absB * std::sqrt(1.0 + square);
}

namespace {

// Reduces a to upper bidiagonal form, A = Q B P^T: the diagonal into w, the
// superdiagonal into e (e[i] couples w[i - 1] and w[i]; e[1] is 0), the
// reflections left in a. Returns the largest |w[i]| + |e[i]|, the scale that
// decides what counts as negligible.
double bidiagonalize(double** a, int m, int n, double* w, WorkVector& e) {
  double anorm = 0.0;
  e[1] = 0.0;
  for (int i = 1; i <= n; ++i) {
    w[i] = i <= m ? reflectColumn(a, m, n, i) : 0.0;
    if (i < n) e[i + 1] = (i <= m) ? reflectRow(a, m, n, i) : 0.0;
    anorm = std::max(anorm, std::fabs(w[i]) + std::fabs(e[i]));
  }
  return anorm;
}

// V = P_1 P_2 ..., built from the last reflection backwards so that each
// step touches only the trailing block it acts on. A reflection vector u
// with first entry u1 and result e satisfies I - u u^T / K with K = -e u1.
// Rows below m made no reflection (and a has no such rows to read).
void accumulateRight(double** a, int m, int n, WorkVector& e, double** v) {
  for (int i = n; i >= 1; --i) {
    if (i < n && i <= m) {
      const double u1 = a[i][i + 1];
      const double result = e[i + 1];
      if (result != 0.0 && u1 != 0.0) {
        for (int j = i + 1; j <= n; ++j) {
          double dot = 0.0;
          for (int k = i + 1; k <= n; ++k) dot += a[i][k] * v[k][j];
          const double factor = dot / u1 / result;
          for (int k = i + 1; k <= n; ++k) v[k][j] += factor * a[i][k];
        }
      }
    }
    for (int j = i + 1; j <= n; ++j) {
      v[i][j] = 0.0;
      v[j][i] = 0.0;
    }
    v[i][i] = 1.0;
  }
}

// U = Q restricted to its first n columns, built in place over a the same
// way. Row i still holds the right reflection, which is consumed by now.
// With m < n the columns beyond m have no rows of their own and end up 0.
void accumulateLeft(double** a, int m, int n, const double* w) {
  for (int i = std::min(m, n); i >= 1; --i) {
    for (int j = i + 1; j <= n; ++j) a[i][j] = 0.0;
    const double u1 = a[i][i];
    const double result = w[i];
    if (result != 0.0 && u1 != 0.0) {
      for (int j = i + 1; j <= n; ++j) {
        double dot = 0.0;
        for (int k = i + 1; k <= m; ++k) dot += a[k][i] * a[k][j];
        const double factor = dot / u1 / result;
        for (int k = i; k <= m; ++k) a[k][j] += factor * a[k][i];
      }
      for (int k = i; k <= m; ++k) a[k][i] /= result;
    } else {
      for (int k = i; k <= m; ++k) a[k][i] = 0.0;
    }
    a[i][i] += 1.0;
  }
}

// The bidiagonal B being diagonalised, with U and V kept so that
// A = U B V^T holds through every rotation.
struct Bidiagonal {
  double** u;
  int m;
  int n;
  double* w;
  WorkVector& e;
  double** v;
  double anorm;

  bool negligible(double value) const { return std::fabs(value) + anorm == anorm; }

  // The start l of the block that ends at k: e[l] is negligible (or l is 1).
  // Sets cancel when w[l - 1] is negligible instead.
  int splitAbove(int k, bool& cancel) const {
    cancel = false;
    int l = k;
    for (; l >= 1; --l) {
      if (l == 1 || negligible(e[l])) break;
      if (negligible(w[l - 1])) {
        cancel = true;
        break;
      }
    }
    return l;
  }

  // w[l - 1] counts as zero, so row l - 1 can be emptied by rotating it
  // against rows l..k; each rotation pushes its entry one column right.
  void cancelRow(int l, int k) {
    double g = e[l];
    e[l] = 0.0;
    for (int i = l; i <= k; ++i) {
      if (negligible(g)) break;
      const Rotation rot = rotationFor(w[i], g);
      w[i] = rot.r;
      w[l - 1] *= rot.c;
      rotateColumns(u, m, i, l - 1, rot.c, rot.s);
      if (i < k) {
        g = -rot.s * e[i + 1];
        e[i + 1] *= rot.c;
      }
    }
  }

  // Wilkinson shift: the eigenvalue of the trailing 2 x 2 of B^T B nearer
  // its last entry, on values scaled to at most 1 so squares stay finite.
  // scale receives the scale used.
  double shift(int l, int k, double& scale) const {
    scale = std::max({std::fabs(w[l]), std::fabs(e[l + 1]), std::fabs(w[k - 1]), std::fabs(w[k]),
                      std::fabs(e[k])});
    if (k - 1 > l) scale = std::max(scale, std::fabs(e[k - 1]));
    const double dPrev = w[k - 1] / scale;
    const double ePrev = k - 1 > l ? e[k - 1] / scale : 0.0;
    const double dLast = w[k] / scale;
    const double eLast = e[k] / scale;
    const double t11 = dPrev * dPrev + ePrev * ePrev;
    const double t12 = dPrev * eLast;
    const double t22 = dLast * dLast + eLast * eLast;
    if (t12 == 0.0) return t22;
    const double delta = 0.5 * (t11 - t22);
    const double denominator = delta + std::copysign(hypotenuse(delta, t12), delta);
    return t22 - t12 * (t12 / denominator);
  }

  // One shifted QR step on the block l..k. The first right rotation is the
  // one that would start a QR step on B^T B - shift; every later rotation
  // removes the bulge the previous one made.
  void chase(int l, int k) {
    double scale = 1.0;
    const double mu = shift(l, k, scale);
    const double top = w[l] / scale;
    const double topCoupling = e[l + 1] / scale;
    double y = top * top - mu;
    double z = top * topCoupling;
    for (int i = l; i < k; ++i) {
      Rotation rot = rotationFor(y, z);
      if (i > l) e[i] = rot.r;
      const double di = w[i];
      const double fNext = e[i + 1];
      const double dNext = w[i + 1];
      const double newDi = rot.c * di + rot.s * fNext;
      const double newF = -rot.s * di + rot.c * fNext;
      const double below = rot.s * dNext;
      const double newDNext = rot.c * dNext;
      rotateColumns(v, n, i, i + 1, rot.c, rot.s);

      rot = rotationFor(newDi, below);
      w[i] = rot.r;
      e[i + 1] = rot.c * newF + rot.s * newDNext;
      w[i + 1] = -rot.s * newF + rot.c * newDNext;
      rotateColumns(u, m, i, i + 1, rot.c, rot.s);
      if (i + 1 < k) {
        y = e[i + 1];
        z = rot.s * e[i + 2];
        e[i + 2] *= rot.c;
      }
    }
    e[l] = 0.0;
  }

  // Settles singular value k (made non-negative); false when it would not
  // within maxPasses steps.
  bool settle(int k) {
    for (int pass = 1;; ++pass) {
      bool cancel = false;
      const int l = splitAbove(k, cancel);
      if (cancel) cancelRow(l, k);
      if (l == k) {
        if (w[k] < 0.0) {
          w[k] = -w[k];
          for (int j = 1; j <= n; ++j) v[j][k] = -v[j][k];
        }
        return true;
      }
      if (pass >= maxPasses) return false;
      chase(l, k);
    }
  }
};

}  // namespace

Status svdcmp(double** a, int m, int n, double* w, double** v) {
  if (n <= 0) return Status();
  if (m < 0) m = 0;
  WorkVector e(1, n);
  if (!e.ok()) return Status::failed(kNoRoom);
  const double anorm = bidiagonalize(a, m, n, w, e);
  accumulateRight(a, m, n, e, v);
  accumulateLeft(a, m, n, w);
  // Diagonalise B one singular value at a time from the bottom up.
  Bidiagonal b{a, m, n, w, e, v, anorm};
  for (int k = n; k >= 1; --k) {
    // The caller decides what a failed decomposition means; ending the
    // program here would throw away the user's unsaved work.
    if (!b.settle(k)) return Status::failed(kNoConvergence);
  }
  return Status();
}

Status svdsolve(double** u, const double* w, double** v, int m, int n, const double* b, double* x) {
  if (n <= 0) return Status();
  WorkVector t(1, n);
  if (!t.ok()) return Status::failed(kNoRoom);
  for (int j = 1; j <= n; ++j) {
    double sum = 0.0;
    // Only an exact zero is skipped; callers that want a threshold zero the
    // small values themselves.
    if (w[j] != 0.0) {
      for (int i = 1; i <= m; ++i) sum += u[i][j] * b[i];
      sum /= w[j];
    }
    t[j] = sum;
  }
  for (int j = 1; j <= n; ++j) {
    double sum = 0.0;
    for (int k = 1; k <= n; ++k) sum += v[j][k] * t[k];
    x[j] = sum;
  }
  return Status();
}
