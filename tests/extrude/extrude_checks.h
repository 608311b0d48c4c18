// Helpers of the extrusion tests.
#pragma once

#include <test_support.h>

#include <cmath>

namespace extrude_checks {

using zarn::dense1D;
using zarn::dense2D;
using zarn::vector_fixed;

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
