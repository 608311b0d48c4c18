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

inline dense1D<unsigned int, 8> ids(std::initializer_list<unsigned int> v) { return dense1D<unsigned int, 8>(v); }
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
    return ::testing::AssertionFailure() << "shape " << a.rows() << "x" << a.cols() << " vs " << b.rows()
                                         << "x" << b.cols();
  for (std::size_t j = 0; j < a.cols(); ++j)
    for (std::size_t i = 0; i < a.rows(); ++i)
      if (!(a(i, j) == b(i, j)) && !(std::isnan(double(a(i, j))) && std::isnan(double(b(i, j)))))
        return ::testing::AssertionFailure() << "entry (" << i << ", " << j << "): " << a(i, j) << " vs " << b(i, j);
  return ::testing::AssertionSuccess();
}

template <class T>
::testing::AssertionResult same_vector(const dense1D<T, 8>& a, const dense1D<T, 8>& b) {
  if (a.size() != b.size()) return ::testing::AssertionFailure() << "length " << a.size() << " vs " << b.size();
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
