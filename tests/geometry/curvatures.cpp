#include <linegen/linegen.h>

#include <cmath>

#include "test_support.h"

using namespace testing_support;
using zarn::linegen::curvatures;

TEST(Curvatures, WorkedValues) {
  zarn::dense1D<double, 8> c;
  ASSERT_EQ(curvatures(points({{0, 0}, {1, 0}, {1, 1}}), ids({0, 1, 2}), c), 0);
  EXPECT_TRUE(same_vector(c, values({std::sqrt(2.0), std::sqrt(2.0), std::sqrt(2.0)})));
  ASSERT_EQ(curvatures(points({{0, 0, 0}, {1, 1, 1}, {3, 3, 3}}), ids({0, 1, 2}), c), 0);
  EXPECT_TRUE(same_vector(c, values({0, 0, 0})));
  // A reversal: 4 / (l0 + l1) with edges of lengths 1 and 3.
  ASSERT_EQ(curvatures(points({{0, 0}, {1, 0}, {-2, 0}}), ids({0, 1, 2}), c), 0);
  EXPECT_DOUBLE_EQ(c[1], 1.0);
  // A repeated node: 0 at both ends of the zero-length edge.
  ASSERT_EQ(curvatures(points({{0, 0}, {1, 0}, {1, 1}, {2, 1}}), ids({0, 1, 1, 2, 3}), c), 0);
  EXPECT_TRUE(same_vector(c, values({0, 0, 0, std::sqrt(2.0), std::sqrt(2.0)})));
}

TEST(Curvatures, CircleGivesInverseRadiusAtAnyScale) {
  const double pi = std::acos(-1.0);
  const int n = 400;
  for (double R : {1e-8, 1.0, 1e8}) {
    zarn::dense2D<double> coords(3, n);
    zarn::dense1D<unsigned int, 8> chain;
    for (int i = 0; i < n; ++i) {  // in a tilted plane: every component in use
      const double a = 2 * pi * i / n, y = R * std::sin(a);
      coords(0, i) = R * std::cos(a), coords(1, i) = y * 0.6, coords(2, i) = y * 0.8;
      chain.push_back(i);
    }
    zarn::dense1D<double, 8> c;
    ASSERT_EQ(curvatures(coords, chain, c), 0);
    for (int i = 0; i < n; ++i) ASSERT_TRUE(near_rel(c[i] * R, 1.0, 1e-4)) << R << " at " << i;
  }
}
