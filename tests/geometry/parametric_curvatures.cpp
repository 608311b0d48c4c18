#include <linegen/linegen.h>

#include <cmath>

#include "test_support.h"

using namespace testing_support;
using zarn::linegen::parametric_curvatures;

namespace {
// A closed circle of radius R sampled at n nodes, parametrised by arc length,
// as a 2D or 3D derivative field and a ring of edges.
struct circle {
  zarn::dense1D<double, 8> params;
  zarn::dense2D<double> derivatives;
  zarn::dense2D<unsigned int> ring;
  circle(double R, int n, int rows) : derivatives(rows, n, 0.0), ring(2, n) {
    const double pi = std::acos(-1.0);
    for (int i = 0; i < n; ++i) {
      const double a = 2 * pi * i / n;
      params.push_back(R * a);
      derivatives(0, i) = -std::sin(a);
      derivatives(1, i) = std::cos(a);
      ring(0, i) = i;
      ring(1, i) = (i + 1) % n;
    }
    params.push_back(0);  // unused node: in no edge
    derivatives.resize(rows, n + 1, 0.0);
    // Close the ring on a copy of node 0 one turn later so steps stay positive.
    params[n] = 2 * pi * R;
    derivatives(1, n) = 1.0;
    ring(1, n - 1) = n;
  }
};
}  // namespace

TEST(ParametricCurvatures, CircleByArcLengthAndStraightLine) {
  for (int rows : {2, 3}) {
    for (double R : {1e-6, 2.0, 1e6}) {
      circle c(R, 256, rows);
      zarn::dense1D<double, 8> k;
      ASSERT_EQ(parametric_curvatures(c.params, c.ring, c.derivatives, k), 0);
      ASSERT_EQ(k.size(), c.params.size());
      for (std::size_t i = 0; i < k.size(); ++i) EXPECT_TRUE(near_rel(k[i] * R, 1.0, 1e-3)) << R << " " << i;
    }
  }
  zarn::dense2D<double> line(2, 3, 1.0);
  zarn::dense2D<unsigned int> e(2, 2);
  e(0, 0) = 0, e(1, 0) = 1, e(0, 1) = 1, e(1, 1) = 2;
  zarn::dense1D<double, 8> k;
  ASSERT_EQ(parametric_curvatures(values({0, 1, 2}), e, line, k), 0);
  EXPECT_TRUE(same_vector(k, values({0, 0, 0})));
}

TEST(ParametricCurvatures, NodeDividedOnceEvenThroughALoopEdge) {
  // Edges (0, 1) and (1, 1): the loop edge must not divide node 1 again.
  zarn::dense2D<double> d = points({{1, 0}, {0, 1}});
  zarn::dense2D<unsigned int> e(2, 2);
  e(0, 0) = 0, e(1, 0) = 1, e(0, 1) = 1, e(1, 1) = 1;
  zarn::dense1D<double, 8> k;
  ASSERT_EQ(parametric_curvatures(values({0, 2}), e, d, k), 0);
  // S = (1, 1), D = (-1, 1): 4 |D x S| / |S|^3 = 4 * 2 / 2^1.5, over a step of 2.
  const double expected = 4 * 2 / std::pow(2.0, 1.5) / 2;
  EXPECT_DOUBLE_EQ(k[0], expected);
  EXPECT_DOUBLE_EQ(k[1], expected);
}

TEST(ParametricCurvatures, ErrorsInOrder) {
  zarn::dense1D<double, 8> k = values({3});
  zarn::dense2D<unsigned int> e(2, 1);
  e(0, 0) = 0, e(1, 0) = 1;
  EXPECT_EQ(
      parametric_curvatures(values({0, 1}), zarn::dense2D<unsigned int>(2, 0), zarn::dense2D<double>(), k),
      0);
  EXPECT_TRUE(k.empty());
  EXPECT_EQ(parametric_curvatures(values({0}), e, zarn::dense2D<double>(4, 1), k), -2);
  EXPECT_EQ(parametric_curvatures(values({0, 1}), e, zarn::dense2D<double>(4, 2), k), -3);
  EXPECT_EQ(parametric_curvatures(values({0, 1}), e, zarn::dense2D<double>(2, 1), k), -3);
  EXPECT_TRUE(k.empty());
}
