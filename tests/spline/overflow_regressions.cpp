// Splines whose lengths or element counts overflow, and metric pairs that
// cannot be reduced to a common basis: mesh_spline either meshes with finite
// parameters within its bounds or fails.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

#include <linegen/linegen.h>

#include "spline/spline_sampling.h"
#include "test_support.h"

namespace {

using namespace testing_support;
using zarn::linegen::mesh_spline;

using Values = dense1D<double, 8>;

// Fails with -199.
template <class Field>
void expect_failure(dense2D<double> coords, const dense1D<unsigned int, 8>& list, const Field& field,
                    double chordal_error, double min_size) {
  dense1D<unsigned int, 8> out;
  Values op;
  Field out_field;
  double deviation = 7;
  EXPECT_EQ(mesh_spline(coords, list, field, false, 1, 10, chordal_error, min_size, 0, 0, out, op, out_field,
                        deviation),
            -199);
}

TEST(SplineOverflowRegressions, LengthsThatOverflowFail) {
  // Finite nodes whose difference is near the largest double: the spline's
  // length and its parameters cannot be represented.
  const dense2D<double> far = points({{-5.7, -7.8, -5.6}, {-5.7, -7.8, 1.797e308}});
  expect_failure(far, ids({0, 0, 1, 1}), Values(4, 0.6), -1.55, 0.0124);
  expect_failure(points({{-1e308, 0}, {1e308, 0}}), ids({0, 0, 1, 1}), Values(4, 1.0), 0.0, 0.0);
  // Sizes so small that the element count is infinite.
  expect_failure(points({{0, 0}, {10, 0}}), ids({0, 0, 1, 1}), Values(4, 5e-324), 0.0, 0.0);
}

TEST(SplineOverflowRegressions, MetricsCappedBelowTheRepresentableSizesFail) {
  // A point-like spline with a tiny min_size: the curvature cap brings the
  // sizes below 1e-154, whose metric eigenvalues overflow.
  const dense2D<double> unit =
      points({{1, 0, 1, 0, 0, 1}, {1, 0, 1, 0, 0, 1}, {1, 0, 1, 0, 0, 1}, {1, 0, 1, 0, 0, 1}});
  expect_failure(points({{10, 1.9, 1.9}, {10, 1.9, 1.9}}), ids({0, 0, 1, 1}), unit, 0.0, 1e-300);
}

TEST(SplineOverflowRegressions, IrreducibleMetricPairKeepsTheBounds) {
  // Positive definite metrics whose pair has no common basis: along x they
  // prescribe the sizes 1 and 0.5.
  const dense2D<double> metrics = points({{1, 0, 1}, {1, 0, 1}, {4, 0, 1e300}, {4, 0, 1e300}});
  for (unsigned nmin : {1u, 31u}) {
    dense2D<double> coords = points({{0, 0}, {10, 0}});
    dense1D<unsigned int, 8> out;
    Values op;
    dense2D<double> om;
    double deviation = -1;
    ASSERT_EQ(mesh_spline(coords, ids({0, 0, 1, 1}), metrics, true, nmin, 254, 0.0, 0.0, 0, 0, out, op, om,
                          deviation),
              0);
    const std::size_t elements = out.size() - 1;
    EXPECT_EQ(elements % 2, 0u);
    EXPECT_GE(elements, nmin);
    EXPECT_GE(elements, 12u);
    ASSERT_EQ(op.size(), out.size());
    for (std::size_t k = 1; k < op.size(); ++k) EXPECT_GT(op[k], op[k - 1]);
    EXPECT_EQ(op[op.size() - 1], 1.0);
  }
}

}  // namespace
