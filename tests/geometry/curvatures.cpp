#include <linegen/linegen.h>

#include <cmath>

#include "test_support.h"

using namespace testing_support;
using zarn::linegen::curvatures;

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
