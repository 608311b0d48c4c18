#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include <linegen/linegen.h>

#include "metric/orthonormal_frame.h"
#include "test_support.h"

using namespace zarn::linegen;
using testing_support::edges;
using testing_support::ids;
using testing_support::points;
using zarn::dense2D;

namespace {

::testing::AssertionResult column_near(const dense2D<double>& m, std::size_t j,
                                       std::initializer_list<double> want, double tol) {
  std::size_t i = 0;
  for (double w : want) {
    const double scale = std::fmax(1.0, std::fabs(w));
    if (!(std::fabs(m(i, j) - w) <= tol * scale))
      return ::testing::AssertionFailure() << "entry (" << i << ", " << j << "): " << m(i, j) << " vs " << w;
    ++i;
  }
  return ::testing::AssertionSuccess();
}

// Size of a 3D metric column along a direction.
double size_along(const dense2D<double>& m, std::size_t j, double x, double y, double z) {
  const double n = std::sqrt(x * x + y * y + z * z);
  x /= n, y /= n, z /= n;
  const double q = m(0, j) * x * x + m(2, j) * y * y + m(5, j) * z * z +
                   2.0 * (m(1, j) * x * y + m(3, j) * x * z + m(4, j) * y * z);
  return 1.0 / std::sqrt(q);
}

}  // namespace

TEST(OrthonormalFrame, HintFallbackAndZeroDirection) {
  double t[3], p[3], q[3], p2[3], q2[3];
  const double y[3] = {0, 5, 0}, z[3] = {0, 0, 1}, parallel[3] = {0, 0, -3};
  orthonormal_frame({2, 0, 0}, y, t, p, q);  // p in the plane of t and the hint
  EXPECT_TRUE(t[0] == 1 && p[1] == 1 && q[2] == 1);
  // No hint: the axis along which t is smallest (z here), as if it were the hint.
  orthonormal_frame({1, 1, 0.5}, nullptr, t, p, q);
  orthonormal_frame({1, 1, 0.5}, z, t, p2, q2);
  EXPECT_TRUE(std::equal(p, p + 3, p2) && std::equal(q, q + 3, q2));
  // A parallel hint falls back too (ties: the first axis, x); a zero direction is x.
  orthonormal_frame({0, 0, 1}, parallel, t, p, q);
  EXPECT_TRUE(p[0] == 1 && q[1] == 1);
  orthonormal_frame({0, 0, 0}, nullptr, t, p, q);
  EXPECT_TRUE(t[0] == 1 && t[1] == 0 && t[2] == 0);
}

TEST(MetricsGenAniso2d, NodeVectorsWorkedExample) {
  dense2D<double> m;
  ASSERT_EQ(metrics_gen_aniso2d(points({{1, 0}, {0, 1}}), ids({0}), 2.0, 0.5, m), 0);
  ASSERT_EQ(m.rows(), 3u);
  ASSERT_EQ(m.cols(), 1u);
  EXPECT_TRUE(column_near(m, 0, {0.25, 0.0, 4.0}, 1e-15));
  // A second, coarser call leaves it alone; a finer one tightens it.
  ASSERT_EQ(metrics_gen_aniso2d(points({{1, 0}, {0, 1}}), ids({0}), 4.0, 1.0, m), 0);
  EXPECT_TRUE(column_near(m, 0, {0.25, 0.0, 4.0}, 1e-14));
  ASSERT_EQ(metrics_gen_aniso2d(points({{1, 0}, {0, 1}}), ids({0}), 1.0, 1.0, m), 0);
  EXPECT_TRUE(column_near(m, 0, {1.0, 0.0, 4.0}, 1e-14));
  // Node 1 only: the matrix grows to two columns, column 0 kept.
  ASSERT_EQ(metrics_gen_aniso2d(points({{1, 0}, {0, 1}}), ids({1}), 2.0, 0.5, m), 0);
  ASSERT_EQ(m.cols(), 2u);
  EXPECT_TRUE(column_near(m, 0, {1.0, 0.0, 4.0}, 1e-14));
  EXPECT_TRUE(column_near(m, 1, {4.0, 0.0, 0.25}, 1e-15));
}

TEST(MetricsGenAniso2d, EdgesWorkedExampleAndSizeRule) {
  const dense2D<double> x = points({{0, 0}, {4, 0}, {4, 0}});
  dense2D<double> m;
  ASSERT_EQ(metrics_gen_aniso2d(x, edges({{0, 1}}), -0.5, m), 0);
  EXPECT_TRUE(column_near(m, 0, {1.0 / 16, 0.0, 0.25}, 1e-15));
  EXPECT_TRUE(column_near(m, 1, {1.0 / 16, 0.0, 0.25}, 1e-15));
  dense2D<double> iso;
  ASSERT_EQ(metrics_gen_aniso2d(x, edges({{0, 1}}), 0.0, iso), 0);
  EXPECT_TRUE(column_near(iso, 0, {1.0 / 16, 0.0, 1.0 / 16}, 1e-15));
  dense2D<double> abs;
  ASSERT_EQ(metrics_gen_aniso2d(x, edges({{0, 1}}), 0.1, abs), 0);
  EXPECT_TRUE(column_near(abs, 1, {1.0 / 16, 0.0, 100.0}, 1e-12));
  // A zero-length edge changes nothing (column 2 stays zero).
  ASSERT_EQ(metrics_gen_aniso2d(x, edges({{1, 2}}), 0.1, abs), 0);
  ASSERT_EQ(abs.cols(), 3u);
  EXPECT_TRUE(column_near(abs, 2, {0.0, 0.0, 0.0}, 0.0));
  EXPECT_TRUE(column_near(abs, 1, {1.0 / 16, 0.0, 100.0}, 1e-12));
  // A diagonal edge of length 2: size 2 along it, 1 across.
  dense2D<double> d;
  const double r = std::sqrt(2.0);
  ASSERT_EQ(metrics_gen_aniso2d(points({{0, 0}, {r, r}}), edges({{0, 1}}), 1.0, d), 0);
  EXPECT_TRUE(column_near(d, 0, {0.625, -0.375, 0.625}, 1e-14));
}

TEST(MetricsGenAniso3d, BendRulesOfTheBinormalForm) {
  // Straight chain of equal edges: h_normal in every direction across.
  {
    const dense2D<double> x = points({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}});
    dense2D<double> m;
    ASSERT_EQ(metrics_gen_aniso3d(x, edges({{0, 1}, {1, 2}}), 0.5, 0.1, m), 0);
    for (std::size_t j = 0; j < 3; ++j) {
      EXPECT_NEAR(size_along(m, j, 1, 0, 0), 1.0, 1e-14);
      EXPECT_NEAR(size_along(m, j, 0, 1, 0), 0.5, 1e-14);
      EXPECT_NEAR(size_along(m, j, 0, 0.6, 0.8), 0.5, 1e-14);
    }
  }
  // Unequal collinear edges: bent by the rule, no hint, the fallback axis
  // frame carries h_binormal at the middle node; the free ends stay isotropic.
  {
    const dense2D<double> x = points({{0, 0, 0}, {1, 0, 0}, {3, 0, 0}});
    dense2D<double> m;
    ASSERT_EQ(metrics_gen_aniso3d(x, edges({{0, 1}, {1, 2}}), 0.5, 0.1, m), 0);
    double t[3], p[3], q[3];
    orthonormal_frame({1.0, 0.0, 0.0}, nullptr, t, p, q);
    EXPECT_NEAR(size_along(m, 1, q[0], q[1], q[2]), 0.1, 1e-14);
    EXPECT_NEAR(size_along(m, 1, p[0], p[1], p[2]), 0.5, 1e-14);
    EXPECT_NEAR(size_along(m, 0, q[0], q[1], q[2]), 0.5, 1e-14);
    EXPECT_NEAR(size_along(m, 2, q[0], q[1], q[2]), 0.5, 1e-14);
  }
  // A turn in the xy-plane: h_binormal along z at the turning node, h_normal
  // in the plane across each edge; the whole result does not depend on scale.
  for (double scale : {1.0, 1e8, 1e-8, 1e13}) {
    const dense2D<double> x = points({{0, 0, 0}, {scale, 0, 0}, {scale, scale, 0}});
    dense2D<double> m;
    ASSERT_EQ(metrics_gen_aniso3d(x, edges({{0, 1}, {1, 2}}), -0.5, -0.1, m), 0);
    EXPECT_NEAR(size_along(m, 1, 0, 0, 1) / scale, 0.1, 1e-13) << scale;
    EXPECT_NEAR(size_along(m, 1, 1, 0, 0) / scale, 0.5, 1e-13) << scale;  // across edge 2, along edge 1 = 1
    EXPECT_NEAR(size_along(m, 1, 0, 1, 0) / scale, 0.5, 1e-13) << scale;
    // The free ends: isotropic across their edge.
    EXPECT_NEAR(size_along(m, 0, 0, 0, 1) / scale, 0.5, 1e-13) << scale;
    EXPECT_NEAR(size_along(m, 2, 0, 0, 1) / scale, 0.5, 1e-13) << scale;
  }
  dense2D<double> m3(3, 1, 1.0);
  EXPECT_EQ(metrics_gen_aniso3d(points({{0, 0, 0}, {1, 0, 0}}), edges({{0, 1}}), 1.0, 1.0, m3), -5);
  EXPECT_EQ(m3.cols(), 1u);
}
