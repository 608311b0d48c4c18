// Helpers of the extrusion tests.
#pragma once

#include <test_support.h>

#include <cmath>
#include <limits>

namespace extrude_checks {

using zarn::dense1D;
using zarn::dense2D;
using zarn::vector_fixed;

constexpr unsigned int max_u32 = 4294967295u;
const double inf = std::numeric_limits<double>::infinity();
const double not_a_number = std::numeric_limits<double>::quiet_NaN();

// A point of D components from the first D of (x, y, z).
template <int D>
vector_fixed<double, D> vec(double x, double y, double z = 0.0) {
  vector_fixed<double, D> v;
  const double c[3] = {x, y, z};
  for (int i = 0; i < D; ++i) v[i] = c[i];
  return v;
}

// EXPECT_CODE(matrix, chain, code, call using c and i): `call` on (c, i)
// returns `code`.
#define EXPECT_CODE(m, chain, code, ...) \
  EXPECT_EQ(([&](auto& c, auto& i) { return __VA_ARGS__; })(m, chain), code)

// A D-row matrix holding the given nodes.
template <int D>
dense2D<double> nodes(std::initializer_list<vector_fixed<double, D>> pts) {
  dense2D<double> m(D, pts.size());
  std::size_t j = 0;
  for (const auto& p : pts) {
    for (int i = 0; i < D; ++i) m(i, j) = p[i];
    ++j;
  }
  return m;
}

// |column j of coords - p| relative to the scale of p.
template <int D>
::testing::AssertionResult node_at(const dense2D<double>& coords, std::size_t j,
                                   const vector_fixed<double, D>& p, double tol) {
  if (coords.rows() != D || j >= coords.cols()) return ::testing::AssertionFailure() << "no node " << j;
  double scale = 0.0, err = 0.0;
  for (int i = 0; i < D; ++i) {
    scale = std::fmax(scale, std::fabs(p[i]));
    err = std::fmax(err, std::fabs(coords(i, j) - p[i]));
  }
  if (err <= tol * std::fmax(scale, 1e-300)) return ::testing::AssertionSuccess();
  ::testing::AssertionResult r = ::testing::AssertionFailure();
  r << "node " << j << " at (";
  for (int i = 0; i < D; ++i) r << coords(i, j) << (i + 1 < D ? ", " : ")");
  r << ", expected (";
  for (int i = 0; i < D; ++i) r << p[i] << (i + 1 < D ? ", " : ")");
  return r;
}

}  // namespace extrude_checks
