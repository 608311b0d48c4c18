// Helpers shared by the test programs: building containers from literals and
// comparing them with explicit tolerances.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <vector>

#include <linegen/linegen.h>

namespace testing_support {

using zarn::dense1D;
using zarn::dense2D;

// A coordinate matrix with one column per listed point.
inline dense2D<double> points(std::initializer_list<std::initializer_list<double>> pts) {
  const std::size_t rows = pts.size() == 0 ? 0 : pts.begin()->size();
  dense2D<double> m(rows, pts.size());
  std::size_t j = 0;
  for (const auto& p : pts) {
    std::size_t i = 0;
    for (double v : p) m(i++, j) = v;
    ++j;
  }
  return m;
}

inline dense1D<unsigned int, 8> ids(std::initializer_list<unsigned int> v) {
  return dense1D<unsigned int, 8>(v);
}
inline dense1D<double, 8> values(std::initializer_list<double> v) { return dense1D<double, 8>(v); }

template <class T>
std::vector<T> to_vector(const dense1D<T, 8>& v) {
  return std::vector<T>(v.begin(), v.end());
}

// Column j of a matrix as a vector.
template <class T>
std::vector<T> column(const dense2D<T>& m, std::size_t j) {
  std::vector<T> c;
  for (std::size_t i = 0; i < m.rows(); ++i) c.push_back(m(i, j));
  return c;
}

// Exact equality of two matrices (shape and every entry), reporting the first
// entry that differs.
template <class T>
::testing::AssertionResult same_matrix(const dense2D<T>& a, const dense2D<T>& b) {
  if (a.rows() != b.rows() || a.cols() != b.cols())
    return ::testing::AssertionFailure()
           << "shape " << a.rows() << "x" << a.cols() << " vs " << b.rows() << "x" << b.cols();
  for (std::size_t j = 0; j < a.cols(); ++j)
    for (std::size_t i = 0; i < a.rows(); ++i)
      if (!(a(i, j) == b(i, j)) && !(std::isnan(double(a(i, j))) && std::isnan(double(b(i, j)))))
        return ::testing::AssertionFailure()
               << "entry (" << i << ", " << j << "): " << a(i, j) << " vs " << b(i, j);
  return ::testing::AssertionSuccess();
}

template <class T>
::testing::AssertionResult same_vector(const dense1D<T, 8>& a, const dense1D<T, 8>& b) {
  if (a.size() != b.size())
    return ::testing::AssertionFailure() << "length " << a.size() << " vs " << b.size();
  for (std::size_t i = 0; i < a.size(); ++i)
    if (!(a[i] == b[i]) && !(std::isnan(double(a[i])) && std::isnan(double(b[i]))))
      return ::testing::AssertionFailure() << "entry " << i << ": " << a[i] << " vs " << b[i];
  return ::testing::AssertionSuccess();
}

// |a - b| <= tol * max(1, |a|, |b|).
inline ::testing::AssertionResult near_rel(double a, double b, double tol) {
  const double scale = std::fmax(1.0, std::fmax(std::fabs(a), std::fabs(b)));
  if (std::fabs(a - b) <= tol * scale) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << a << " vs " << b << " (tolerance " << tol << " relative)";
}

}  // namespace testing_support

// Metric helpers: random symmetric positive-definite metrics, the quadratic
// form u^T M u, and comparison relative to the largest entry.
#include <random>

namespace testing_support {

// Sizes between 1 and `max_ratio` along a random orthonormal basis, times
// `scale` (the sizes are divided by sqrt(scale)).
template <int N>
zarn::symmetric_fixed<double, N> random_metric(std::mt19937& rng, double max_ratio, double scale = 1.0) {
  std::normal_distribution<double> gauss;
  std::uniform_real_distribution<double> log_size(0.0, std::log(max_ratio));
  double v[N][N];
  for (int k = 0; k < N; ++k) {  // Gram-Schmidt on random vectors
    for (int i = 0; i < N; ++i) v[k][i] = gauss(rng);
    for (int l = 0; l < k; ++l) {
      double d = 0.0;
      for (int i = 0; i < N; ++i) d += v[k][i] * v[l][i];
      for (int i = 0; i < N; ++i) v[k][i] -= d * v[l][i];
    }
    double n = 0.0;
    for (int i = 0; i < N; ++i) n += v[k][i] * v[k][i];
    for (int i = 0; i < N; ++i) v[k][i] /= std::sqrt(n);
  }
  zarn::symmetric_fixed<double, N> m;
  for (int k = 0; k < N; ++k) {
    const double lambda = scale * std::exp(-2.0 * log_size(rng));
    for (int j = 0; j < N; ++j)
      for (int i = 0; i <= j; ++i) m(i, j) += lambda * v[k][i] * v[k][j];
  }
  return m;
}

template <int N>
double metric_form(const zarn::symmetric_fixed<double, N>& m, const double* u) {
  double s = 0.0;
  for (int i = 0; i < N; ++i)
    for (int j = 0; j < N; ++j) s += u[i] * m(i, j) * u[j];
  return s;
}

// Every packed entry within tol times the largest entry of either metric.
template <int N>
::testing::AssertionResult same_metric(const zarn::symmetric_fixed<double, N>& a,
                                       const zarn::symmetric_fixed<double, N>& b, double tol) {
  constexpr std::size_t n = zarn::symmetric_fixed<double, N>::packed;
  double scale = 0.0;
  for (std::size_t k = 0; k < n; ++k) scale = std::fmax(scale, std::fmax(std::fabs(a[k]), std::fabs(b[k])));
  for (std::size_t k = 0; k < n; ++k)
    if (!(std::fabs(a[k] - b[k]) <= tol * scale))
      return ::testing::AssertionFailure() << "packed entry " << k << ": " << a[k] << " vs " << b[k];
  return ::testing::AssertionSuccess();
}

}  // namespace testing_support

// Curves through nodes: n nodes on a circle of radius R in the plane, and the
// closed index list (n-1, 0, 1, ..., n-1, 0, 1) of the spline functions.
namespace testing_support {

inline dense2D<double> circle(unsigned n, double R) {
  dense2D<double> c(2, n);
  for (unsigned i = 0; i < n; ++i) {
    c(0, i) = R * std::cos(2 * M_PI * i / n);
    c(1, i) = R * std::sin(2 * M_PI * i / n);
  }
  return c;
}

inline dense1D<unsigned int, 8> closed_list(unsigned n) {
  dense1D<unsigned int, 8> l;
  l.push_back(n - 1);
  for (unsigned i = 0; i < n; ++i) l.push_back(i);
  l.push_back(0);
  l.push_back(1);
  return l;
}

}  // namespace testing_support

namespace testing_support {

// A connectivity matrix with one column per listed edge (2 rows when empty).
inline dense2D<unsigned int> edges(std::initializer_list<std::initializer_list<unsigned int>> cols) {
  dense2D<unsigned int> m(cols.size() == 0 ? 2 : cols.begin()->size(), cols.size());
  std::size_t j = 0;
  for (const auto& c : cols) {
    std::size_t i = 0;
    for (unsigned int v : c) m(i++, j) = v;
    ++j;
  }
  return m;
}

}  // namespace testing_support
