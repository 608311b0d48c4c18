#include <linegen/linegen.h>

#include <cmath>

#include "test_support.h"

using namespace testing_support;
using zarn::linegen::parametric_curvatures;

TEST(ParametricCurvatures, ArcOfCircleByArcLengthAndStraightLine) {
  // An open arc of radius R (its ends have one edge only), 2D and 3D.
  const int n = 100;
  for (int rows : {2, 3}) {
    for (double R : {1e-6, 2.0, 1e6}) {
      zarn::dense1D<double, 8> params;
      zarn::dense2D<double> d(rows, n, 0.0);
      zarn::dense2D<unsigned int> e(2, n - 1);
      for (int i = 0; i < n; ++i) {
        const double a = 0.01 * i;
        params.push_back(R * a);
        d(0, i) = -std::sin(a), d(1, i) = std::cos(a);
        if (i + 1 < n) e(0, i) = i, e(1, i) = i + 1;
      }
      zarn::dense1D<double, 8> k;
      ASSERT_EQ(parametric_curvatures(params, e, d, k), 0);
      ASSERT_EQ(k.size(), std::size_t(n));
      for (int i = 0; i < n; ++i) ASSERT_TRUE(near_rel(k[i] * R, 1.0, 1e-4)) << R << " " << i;
    }
  }
  zarn::dense2D<unsigned int> e(2, 2);
  e(0, 0) = 0, e(1, 0) = 1, e(0, 1) = 1, e(1, 1) = 2;
  zarn::dense1D<double, 8> k;
  ASSERT_EQ(parametric_curvatures(values({0, 1, 2, 3}), e, zarn::dense2D<double>(2, 4, 1.0), k), 0);
  EXPECT_TRUE(same_vector(k, values({0, 0, 0, 0})));  // node 3: in no edge
}
