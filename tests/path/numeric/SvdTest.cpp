#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "path/numeric/Svd.h"

namespace {

// 1-based dense matrix in the layout the kernel expects.
class Matrix {
 public:
  Matrix(int rows, int columns)
      : rows_(rows),
        columns_(columns),
        storage_(static_cast<size_t>(rows + 1) * static_cast<size_t>(columns + 1), 0.0),
        rowPointers_(static_cast<size_t>(rows + 1)) {
    for (int r = 0; r <= rows; ++r)
      rowPointers_[r] = &storage_[static_cast<size_t>(r) * (columns + 1)];
  }
  Matrix(const Matrix& other) : Matrix(other.rows_, other.columns_) {
    std::copy(other.storage_.begin(), other.storage_.end(), storage_.begin());
  }
  Matrix& operator=(const Matrix&) = delete;

  double** rows() { return rowPointers_.data(); }
  double& operator()(int r, int c) { return rowPointers_[r][c]; }
  double operator()(int r, int c) const { return rowPointers_[r][c]; }
  int rowCount() const { return rows_; }
  int columnCount() const { return columns_; }

 private:
  int rows_;
  int columns_;
  std::vector<double> storage_;
  std::vector<double*> rowPointers_;
};

struct Decomposition {
  Matrix u;
  std::vector<double> w;
  Matrix v;
};

Decomposition decompose(const Matrix& a) {
  Decomposition d{a, std::vector<double>(static_cast<size_t>(a.columnCount()) + 1, -1.0),
                  Matrix(a.columnCount(), a.columnCount())};
  EXPECT_TRUE(svdcmp(d.u.rows(), a.rowCount(), a.columnCount(), d.w.data(), d.v.rows()));
  return d;
}

double largestMagnitude(const Matrix& a) {
  double largest = 0.0;
  for (int r = 1; r <= a.rowCount(); ++r) {
    for (int c = 1; c <= a.columnCount(); ++c) largest = std::max(largest, std::fabs(a(r, c)));
  }
  return largest;
}

// U diag(w) V^T = A, V orthonormal, U's columns orthonormal where w != 0,
// every singular value >= 0. Tolerances are relative to the matrix's size.
void expectValidDecomposition(const Matrix& a, const Decomposition& d, double tolerance = 1e-12) {
  const int m = a.rowCount();
  const int n = a.columnCount();
  const double size = std::max(largestMagnitude(a), std::numeric_limits<double>::min());
  for (int j = 1; j <= n; ++j) EXPECT_GE(d.w[j], 0.0) << "w[" << j << "]";
  for (int r = 1; r <= m; ++r) {
    for (int c = 1; c <= n; ++c) {
      double sum = 0.0;
      for (int k = 1; k <= n; ++k) sum += d.u(r, k) * d.w[k] * d.v(c, k);
      EXPECT_NEAR(sum / size, a(r, c) / size, tolerance) << "A(" << r << "," << c << ")";
    }
  }
  for (int p = 1; p <= n; ++p) {
    for (int q = 1; q <= n; ++q) {
      double vv = 0.0;
      for (int k = 1; k <= n; ++k) vv += d.v(k, p) * d.v(k, q);
      EXPECT_NEAR(vv, p == q ? 1.0 : 0.0, tolerance) << "V columns " << p << "," << q;
      if (d.w[p] > 1e-9 * size && d.w[q] > 1e-9 * size) {
        double uu = 0.0;
        for (int k = 1; k <= m; ++k) uu += d.u(k, p) * d.u(k, q);
        EXPECT_NEAR(uu, p == q ? 1.0 : 0.0, tolerance) << "U columns " << p << "," << q;
      }
    }
  }
}

Matrix randomMatrix(int rows, int columns, std::mt19937& random, double scale = 1.0) {
  std::uniform_real_distribution<double> value(-1.0, 1.0);
  Matrix a(rows, columns);
  for (int r = 1; r <= rows; ++r) {
    for (int c = 1; c <= columns; ++c) a(r, c) = scale * value(random);
  }
  return a;
}

// Independent solve: Gaussian elimination with partial pivoting on a small
// dense system (0-based), used on the normal equations.
std::vector<double> gaussianSolve(std::vector<std::vector<double>> m, std::vector<double> rhs) {
  const size_t n = rhs.size();
  for (size_t col = 0; col < n; ++col) {
    size_t pivot = col;
    for (size_t r = col + 1; r < n; ++r) {
      if (std::fabs(m[r][col]) > std::fabs(m[pivot][col])) pivot = r;
    }
    std::swap(m[col], m[pivot]);
    std::swap(rhs[col], rhs[pivot]);
    for (size_t r = col + 1; r < n; ++r) {
      const double factor = m[r][col] / m[col][col];
      for (size_t c = col; c < n; ++c) m[r][c] -= factor * m[col][c];
      rhs[r] -= factor * rhs[col];
    }
  }
  std::vector<double> x(n, 0.0);
  for (size_t r = n; r-- > 0;) {
    double sum = rhs[r];
    for (size_t c = r + 1; c < n; ++c) sum -= m[r][c] * x[c];
    x[r] = sum / m[r][r];
  }
  return x;
}

// Least-squares solution of A x = b through A^T A x = A^T b.
std::vector<double> normalEquationsSolve(const Matrix& a, const std::vector<double>& b) {
  const int m = a.rowCount();
  const int n = a.columnCount();
  std::vector<std::vector<double>> ata(n, std::vector<double>(n, 0.0));
  std::vector<double> atb(n, 0.0);
  for (int p = 0; p < n; ++p) {
    for (int q = 0; q < n; ++q) {
      for (int r = 1; r <= m; ++r) ata[p][q] += a(r, p + 1) * a(r, q + 1);
    }
    for (int r = 1; r <= m; ++r) atb[p] += a(r, p + 1) * b[r];
  }
  return gaussianSolve(ata, atb);
}

std::vector<double> solveWithSvd(const Matrix& a, const std::vector<double>& b) {
  Decomposition d = decompose(a);
  std::vector<double> x(static_cast<size_t>(a.columnCount()) + 1, 123.0);
  svdsolve(d.u.rows(), d.w.data(), d.v.rows(), a.rowCount(), a.columnCount(), b.data(), x.data());
  return x;
}

TEST(Hypotenuse, MatchesTheEuclideanLength) {
  struct Case {
    double a;
    double b;
    double expected;
  };
  const Case cases[] = {
      {3.0, 4.0, 5.0},        {0.0, 0.0, 0.0},
      {-3.0, 4.0, 5.0},       {4.0, -3.0, 5.0},
      {0.0, -7.0, 7.0},       {7.0, 0.0, 7.0},
      {5.0, 12.0, 13.0},      {1.0, 1.0, std::sqrt(2.0)},
      {3e300, 4e300, 5e300},  {3e-300, 4e-300, 5e-300},
      {1e300, 1e-300, 1e300},
  };
  for (const Case& item : cases) {
    EXPECT_DOUBLE_EQ(hypotenuse(item.a, item.b), item.expected) << item.a << ", " << item.b;
  }
  EXPECT_TRUE(std::isnan(hypotenuse(std::nan(""), 0.0)));
  EXPECT_EQ(hypotenuse(-HUGE_VAL, HUGE_VAL), HUGE_VAL);
}

TEST(NumericVector, EveryIndexFromLoToHiIsUsable) {
  double* v = vector(1, 5);
  ASSERT_NE(v, nullptr);
  for (int i = 1; i <= 5; ++i) v[i] = i * 2.0;
  double sum = 0.0;
  for (int i = 1; i <= 5; ++i) sum += v[i];
  EXPECT_EQ(sum, 30.0);
  release_vector(v, 1, 5);
  double* single = vector(0, 0);
  single[0] = 1.0;
  EXPECT_EQ(single[0], 1.0);
  release_vector(single, 0, 0);
}

// No room is a null vector and a failed result, never an exit: the editor
// keeps the user's unsaved work.
TEST(NumericVector, NoRoomIsNullNotAnExit) {
  EXPECT_EQ(vector(-1, 4), nullptr);
  release_vector(nullptr, -1, 4);
  EXPECT_STREQ(kNoRoom, "allocation failure in vector()");
}

// A matrix the iteration cannot settle: the caller is told, the program goes on.
TEST(Svdcmp, ReportsNonConvergenceToTheCaller) {
  for (const double bad : {std::nan(""), HUGE_VAL}) {
    SCOPED_TRACE(bad);
    Matrix a(4, 4);
    for (int r = 1; r <= 4; ++r) {
      for (int c = 1; c <= 4; ++c) a(r, c) = r == c ? 2.0 : 1.0 / (r + c);
    }
    a(2, 3) = bad;
    Matrix v(4, 4);
    std::vector<double> w(5, 0.0);
    const Status status = svdcmp(a.rows(), 4, 4, w.data(), v.rows());
    ASSERT_FALSE(status);
    EXPECT_EQ(status.failure().message, "no convergence in 50 svdcmp iterations");
  }
}

TEST(Svdcmp, DecomposesRandomSquareAndTallMatrices) {
  std::mt19937 random(17);
  const int shapes[][2] = {{1, 1}, {2, 2}, {4, 4}, {6, 6}, {20, 4}, {50, 4}, {7, 3}, {9, 9}};
  for (const auto& shape : shapes) {
    for (int trial = 0; trial < 5; ++trial) {
      const Matrix a = randomMatrix(shape[0], shape[1], random);
      SCOPED_TRACE(testing::Message() << shape[0] << "x" << shape[1] << " trial " << trial);
      expectValidDecomposition(a, decompose(a));
    }
  }
}

TEST(Svdcmp, FindsTheKnownSingularValues) {
  // A scaled, permuted diagonal: singular values are the magnitudes.
  Matrix a(4, 4);
  a(1, 2) = -3.0;
  a(2, 1) = 2.0;
  a(3, 4) = 0.5;
  a(4, 3) = -7.0;
  const Decomposition d = decompose(a);
  std::vector<double> w(d.w.begin() + 1, d.w.end());
  std::sort(w.begin(), w.end());
  EXPECT_NEAR(w[0], 0.5, 1e-14);
  EXPECT_NEAR(w[1], 2.0, 1e-14);
  EXPECT_NEAR(w[2], 3.0, 1e-14);
  EXPECT_NEAR(w[3], 7.0, 1e-14);
  expectValidDecomposition(a, d);
}

TEST(Svdcmp, NoRowsGiveZeroValuesAndIdentity) {
  Matrix a(0, 4);
  const Decomposition d = decompose(a);
  for (int j = 1; j <= 4; ++j) {
    EXPECT_EQ(d.w[j], 0.0);
    for (int k = 1; k <= 4; ++k) EXPECT_EQ(d.v(j, k), j == k ? 1.0 : 0.0);
  }
  const std::vector<double> b(1, 0.0);
  const std::vector<double> x = solveWithSvd(a, b);
  for (int j = 1; j <= 4; ++j) EXPECT_EQ(x[j], 0.0);
}

TEST(Svdcmp, FewerRowsThanColumns) {
  std::mt19937 random(5);
  const int shapes[][2] = {{1, 4}, {2, 4}, {3, 4}, {2, 7}, {3, 5}};
  for (const auto& shape : shapes) {
    for (int trial = 0; trial < 5; ++trial) {
      const Matrix a = randomMatrix(shape[0], shape[1], random);
      SCOPED_TRACE(testing::Message() << shape[0] << "x" << shape[1] << " trial " << trial);
      const Decomposition d = decompose(a);
      expectValidDecomposition(a, d);
      // At least n - m singular values are exactly zero: those rows of the
      // bidiagonal form never existed.
      const int zeros = static_cast<int>(std::count(d.w.begin() + 1, d.w.end(), 0.0));
      EXPECT_GE(zeros, shape[1] - shape[0]);
    }
  }
}

TEST(Svdcmp, RankDeficientInput) {
  std::mt19937 random(11);
  Matrix dependent = randomMatrix(5, 4, random);
  for (int r = 1; r <= 5; ++r) dependent(r, 4) = dependent(r, 1) - 2.0 * dependent(r, 2);
  Matrix zeroColumn = randomMatrix(4, 4, random);
  for (int r = 1; r <= 4; ++r) zeroColumn(r, 3) = 0.0;
  Matrix rankOne(6, 4);
  for (int r = 1; r <= 6; ++r) {
    for (int c = 1; c <= 4; ++c) rankOne(r, c) = r * 0.5 * (c - 2.5);
  }
  Matrix zero(3, 4);
  for (const Matrix* a : {&dependent, &zeroColumn, &rankOne, &zero}) {
    const Decomposition d = decompose(*a);
    expectValidDecomposition(*a, d);
    const double largest = *std::max_element(d.w.begin() + 1, d.w.end());
    const double smallest = *std::min_element(d.w.begin() + 1, d.w.end());
    EXPECT_LE(smallest, 1e-12 * std::max(largest, 1.0));
  }
  const Decomposition d = decompose(zero);
  for (int j = 1; j <= 4; ++j) EXPECT_EQ(d.w[j], 0.0);
}

TEST(Svdcmp, ExtremeScalesNeitherOverflowNorUnderflow) {
  std::mt19937 random(23);
  for (double scale : {1e150, 1e-150, 1e300, 1e-300}) {
    const Matrix a = randomMatrix(6, 4, random, scale);
    SCOPED_TRACE(testing::Message() << "scale " << scale);
    const Decomposition d = decompose(a);
    for (int j = 1; j <= 4; ++j) {
      EXPECT_TRUE(std::isfinite(d.w[j]));
      EXPECT_GT(d.w[j], 0.0);
    }
    expectValidDecomposition(a, d, 1e-11);
  }
}

TEST(Svdcmp, ManyRandomShapesIncludingRepeatedColumns) {
  std::mt19937 random(99);
  std::uniform_int_distribution<int> size(1, 8);
  for (int trial = 0; trial < 300; ++trial) {
    const int m = size(random) - 1;
    const int n = size(random);
    Matrix a = randomMatrix(m, n, random);
    if (trial % 3 == 0 && n > 1) {
      for (int r = 1; r <= m; ++r) a(r, n) = a(r, 1);
    }
    if (trial % 5 == 0) {
      for (int c = 1; c <= n; ++c) {
        if (m >= 1) a(1, c) = 0.0;
      }
    }
    SCOPED_TRACE(testing::Message() << m << "x" << n << " trial " << trial);
    expectValidDecomposition(a, decompose(a), 1e-11);
  }
}

TEST(Svdsolve, SolvesSquareSystemsExactly) {
  std::mt19937 random(3);
  for (int trial = 0; trial < 10; ++trial) {
    Matrix a = randomMatrix(4, 4, random);
    // Diagonal dominance keeps the system well conditioned.
    for (int i = 1; i <= 4; ++i) a(i, i) += 4.0;
    const std::vector<double> known = {0.0, 1.5, -2.0, 0.25, 3.0};
    std::vector<double> b(5, 0.0);
    for (int r = 1; r <= 4; ++r) {
      for (int c = 1; c <= 4; ++c) b[r] += a(r, c) * known[c];
    }
    const std::vector<double> x = solveWithSvd(a, b);
    for (int j = 1; j <= 4; ++j) EXPECT_NEAR(x[j], known[j], 1e-12) << "trial " << trial;
  }
}

TEST(Svdsolve, MatchesTheNormalEquationsOnOverdeterminedSystems) {
  std::mt19937 random(8);
  std::uniform_real_distribution<double> value(-1.0, 1.0);
  for (int rows : {4, 5, 12, 40}) {
    const Matrix a = randomMatrix(rows, 4, random);
    std::vector<double> b(static_cast<size_t>(rows) + 1, 0.0);
    for (int r = 1; r <= rows; ++r) b[r] = value(random);
    const std::vector<double> x = solveWithSvd(a, b);
    const std::vector<double> expected = normalEquationsSolve(a, b);
    for (int j = 1; j <= 4; ++j) EXPECT_NEAR(x[j], expected[j - 1], 1e-9) << rows << " rows";
  }
}

TEST(Svdsolve, ConsistentOverdeterminedSystemIsSolvedExactly) {
  // The fit's own shape: a cubic sampled at p = (i + 1) / N.
  const int rows = 20;
  Matrix a(rows, 4);
  std::vector<double> b(rows + 1, 0.0);
  for (int r = 1; r <= rows; ++r) {
    const double p = r / 100.0;
    a(r, 1) = 1.0;
    a(r, 2) = p;
    a(r, 3) = p * p;
    a(r, 4) = p * p * p;
    b[r] = 2.0 - 3.0 * p + 0.5 * p * p + 4.0 * p * p * p;
  }
  const std::vector<double> x = solveWithSvd(a, b);
  EXPECT_NEAR(x[1], 2.0, 1e-9);
  EXPECT_NEAR(x[2], -3.0, 1e-7);
  EXPECT_NEAR(x[3], 0.5, 1e-5);
  EXPECT_NEAR(x[4], 4.0, 1e-4);
}

TEST(Svdsolve, UnderdeterminedSystemGivesTheMinimumNormSolution) {
  std::mt19937 random(31);
  std::uniform_real_distribution<double> value(-1.0, 1.0);
  for (int rows : {1, 2, 3}) {
    const Matrix a = randomMatrix(rows, 4, random);
    std::vector<double> b(static_cast<size_t>(rows) + 1, 0.0);
    for (int r = 1; r <= rows; ++r) b[r] = value(random);
    const std::vector<double> x = solveWithSvd(a, b);
    // Independent: x = A^T y with (A A^T) y = b.
    std::vector<std::vector<double>> aat(rows, std::vector<double>(rows, 0.0));
    for (int p = 0; p < rows; ++p) {
      for (int q = 0; q < rows; ++q) {
        for (int c = 1; c <= 4; ++c) aat[p][q] += a(p + 1, c) * a(q + 1, c);
      }
    }
    const std::vector<double> y = gaussianSolve(aat, std::vector<double>(b.begin() + 1, b.end()));
    for (int c = 1; c <= 4; ++c) {
      double expected = 0.0;
      for (int r = 1; r <= rows; ++r) expected += a(r, c) * y[r - 1];
      EXPECT_NEAR(x[c], expected, 1e-10) << rows << " rows, x[" << c << "]";
    }
  }
}

TEST(Svdsolve, SkipsExactlyZeroSingularValuesOnly) {
  // Hand-made decomposition: U and V identity, one zero and one tiny value.
  Matrix u(3, 3);
  Matrix v(3, 3);
  for (int i = 1; i <= 3; ++i) {
    u(i, i) = 1.0;
    v(i, i) = 1.0;
  }
  const std::vector<double> w = {0.0, 2.0, 0.0, 1e-20};
  const std::vector<double> b = {0.0, 4.0, 5.0, 1e-20};
  std::vector<double> x(4, 99.0);
  svdsolve(u.rows(), w.data(), v.rows(), 3, 3, b.data(), x.data());
  EXPECT_EQ(x[1], 2.0);
  EXPECT_EQ(x[2], 0.0);
  EXPECT_EQ(x[3], 1.0);
}

}  // namespace
