#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <random>

#include "append/append.h"
#include "metric/metric_algebra.h"
#include "test_support.h"

using namespace zarn::linegen;
using testing_support::metric_form;
using testing_support::near_rel;
using testing_support::random_metric;
using testing_support::same_metric;
using zarn::densekit::eigen_sym2;

namespace {

// B x_k = mu_k A x_k for every pair, with unit x_k and ascending mu; the
// residual is measured against the size of the two matrices.
template <int N>
void expect_generalised_eigenpairs(const zarn::symmetric_fixed<double, N>& a,
                                   const zarn::symmetric_fixed<double, N>& b) {
  double mu[N], x[N * N], norm_a = 0.0, norm_b = 0.0;
  ASSERT_TRUE(gen_eigen_sym(a, b, mu, x, true));
  for (std::size_t k = 0; k < zarn::symmetric_fixed<double, N>::packed; ++k)
    norm_a = std::fmax(norm_a, std::fabs(a[k])), norm_b = std::fmax(norm_b, std::fabs(b[k]));
  for (int k = 0; k < N; ++k) {
    if (k > 0) {
      EXPECT_LE(mu[k - 1], mu[k]);
    }
    const double scale = std::fmax(norm_b, std::fabs(mu[k]) * norm_a);
    double len = 0.0;
    for (int i = 0; i < N; ++i) {
      double bx = 0.0, ax = 0.0;
      for (int j = 0; j < N; ++j) bx += b(i, j) * x[k * N + j], ax += a(i, j) * x[k * N + j];
      EXPECT_NEAR(bx, mu[k] * ax, 1e-12 * scale) << "pair " << k;
      len += x[k * N + i] * x[k * N + i];
    }
    EXPECT_NEAR(len, 1.0, 1e-14);
  }
}

}  // namespace

TEST(EigenSym2, MultipleOfIdentityGivesCoordinateAxes) {
  for (double s : {1.0, 1e-200, 1e200, 0.0}) {
    double l0, l1, e0[2], e1[2];
    ASSERT_TRUE(eigen_sym2(s, 0.0, s, true, l0, l1, e0, e1)) << s;
    EXPECT_EQ(l0, s);
    EXPECT_EQ(l1, s);
    EXPECT_TRUE(e0[0] == 1.0 && e0[1] == 0.0 && e1[0] == 0.0 && e1[1] == 1.0) << s;
  }
}

// Diagonal 3 x 3 metrics take a shortcut past the general solver inside its
// working range (the 1e200 row stays with the solver): both must give the
// ascending diagonal with coordinate vectors.
TEST(EigenSym3, DiagonalGivesSortedDiagonalAndCoordinateAxes) {
  const double rows[][3] = {{3.0, 1.0, 2.0}, {2.0, 2.0, 1.0}, {0.0, -1.0, 5.0}, {1e200, 1.0, 1e-3}};
  for (const auto& d : rows) {
    double lambda[3], v[9];
    ASSERT_TRUE(zarn::densekit::eigen_sym(metric3(d[0], -0.0, d[1], 0.0, 0.0, d[2]), lambda, v));
    bool used[3] = {false, false, false};
    for (int c = 0; c < 3; ++c) {
      int axis = 0;
      while (axis < 3 && (used[axis] || std::fabs(v[c * 3 + axis]) != 1.0)) ++axis;
      ASSERT_LT(axis, 3) << d[0] << " column " << c;
      used[axis] = true;
      EXPECT_EQ(lambda[c], d[axis]);
      if (c > 0) {
        EXPECT_LE(lambda[c - 1], lambda[c]);
      }
    }
  }
}

TEST(EigenSym2, CancellationRepairAndFailures) {
  double l0, l1, e0[2], e1[2];
  ASSERT_TRUE(eigen_sym2(1.0, 0.0, 1e-20, true, l0, l1, e0, e1));
  EXPECT_EQ(l0, 1e-20);  // through det / lambda1, not 0
  EXPECT_EQ(l1, 1.0);
  EXPECT_EQ(std::fabs(e0[1]), 1.0);
  // With coupling the naive root is 0; the repaired one keeps its digits.
  ASSERT_TRUE(eigen_sym2(1.0, 1e-11, 1e-20, l0, l1));
  EXPECT_TRUE(near_rel(l0 / 1e-20, 0.99, 1e-12));
  // The larger root is repaired when it is the tiny one in magnitude.
  ASSERT_TRUE(eigen_sym2(-1.0, 0.0, 1e-20, l0, l1));
  EXPECT_EQ(l1, 1e-20);
  // Natural length without normalisation: (s01, a) = (1, -1) here.
  ASSERT_TRUE(eigen_sym2(2.0, 1.0, 2.0, false, l0, l1, e0, e1));
  EXPECT_EQ(l0, 1.0);
  EXPECT_EQ(l1, 3.0);
  EXPECT_NEAR(std::hypot(e0[0], e0[1]), std::sqrt(2.0), 1e-15);
  EXPECT_FALSE(eigen_sym2(INFINITY, 0.0, 1.0, l0, l1));
  EXPECT_FALSE(eigen_sym2(1.0, NAN, 1.0, true, l0, l1, e0, e1));
}

TEST(GenEigenSym, DefiningEquationOnRandomPairs) {
  std::mt19937 rng(11);
  for (int trial = 0; trial < 300; ++trial) {
    const double scale = std::pow(10.0, (trial % 7) - 3);
    expect_generalised_eigenpairs<2>(random_metric<2>(rng, 100.0, scale),
                                     random_metric<2>(rng, 100.0, 1 / scale));
    expect_generalised_eigenpairs<3>(random_metric<3>(rng, 100.0, scale),
                                     random_metric<3>(rng, 100.0, 1 / scale));
  }
  double mu2[2], x2[4], mu3[3], x3[9];
  EXPECT_FALSE(gen_eigen_sym(metric2(0, 0, 1), metric2(1, 0, 1), mu2, x2, true));
  EXPECT_FALSE(gen_eigen_sym(metric2(1, 2, 1), metric2(1, 0, 1), mu2, x2, true));
  EXPECT_FALSE(gen_eigen_sym(metric3(1, 2, 1, 0, 0, 1), metric3(1, 0, 1, 0, 0, 1), mu3, x3, true));
  EXPECT_FALSE(gen_eigen_sym(metric3(1, 0, 1, 0, 0, -1), metric3(1, 0, 1, 0, 0, 1), mu3, x3, true));
  EXPECT_FALSE(gen_eigen_sym(metric3(1, 0, 0, 2, 0, 1), metric3(1, 0, 1, 0, 0, 1), mu3, x3, true));
}

// t = 0 and 1 give the end metrics; along each common direction the size
// 1 / sqrt(p^T M p) is linear in t.
template <int N, class Pair>
void expect_pair_ends_and_linear_sizes(const zarn::symmetric_fixed<double, N>& a,
                                       const zarn::symmetric_fixed<double, N>& b, double tol) {
  Pair pair;
  zarn::symmetric_fixed<double, N> m;
  ASSERT_TRUE(reduce_metric_pair(pair, a, b));
  ASSERT_TRUE(interpolate_metric_pair(pair, 0.0, m));
  EXPECT_TRUE(same_metric(m, a, tol));
  ASSERT_TRUE(interpolate_metric_pair(pair, 1.0, m));
  EXPECT_TRUE(same_metric(m, b, tol));
  ASSERT_TRUE(interpolate_metric_pair(pair, 0.3, m));
  for (int k = 0; k < N; ++k) {
    const double ha = 1 / std::sqrt(metric_form(a, pair.basis + N * k));
    const double hb = 1 / std::sqrt(metric_form(b, pair.basis + N * k));
    EXPECT_TRUE(near_rel(1 / std::sqrt(metric_form(m, pair.basis + N * k)), ha + 0.3 * (hb - ha), tol));
  }
}

TEST(MetricPair, EndsReturnEndMetricsAndSizesAreLinear) {
  std::mt19937 rng(17);
  for (int trial = 0; trial < 100; ++trial) {
    const auto a2 = random_metric<2>(rng, 50.0), b2 = random_metric<2>(rng, 50.0);
    expect_pair_ends_and_linear_sizes<2, metric_pair2>(a2, b2, 1e-12);
    const auto a3 = random_metric<3>(rng, 50.0), b3 = random_metric<3>(rng, 50.0);
    expect_pair_ends_and_linear_sizes<3, metric_pair3>(a3, b3, 1e-11);
  }
  // Diagonal 3D pairs (off-diagonal zeros of either sign), with equal
  // entries and in every order, at ordinary scales and beyond 2^150; and
  // pairs with one off-diagonal entry, which are not diagonal.
  const double entries[] = {1.0, 4.0, 0.25, 4.0, 1e-50, 1e50};
  for (int trial = 0; trial < 216; ++trial) {
    const double x = entries[trial % 4], y = entries[trial / 4 % 4], z = entries[trial / 16 % 4];
    const double s = trial >= 180 ? entries[4 + trial % 2] : 1.0;
    const double zero = trial % 2 ? -0.0 : 0.0;
    metric3 a(x * s, zero, y * s, 0.0, zero, z * s), b(z * s, 0.0, x * s, zero, zero, y * s * 3.0);
    expect_pair_ends_and_linear_sizes<3, metric_pair3>(a, b, 1e-14);
    if (trial < 27) {
      // Entry 1 couples diagonal entries 0 and 2, entry 3 entries 0 and 5,
      // entry 4 entries 2 and 5 (packed upper storage).
      const int entry[3] = {1, 3, 4}, i[3] = {0, 0, 2}, j[3] = {2, 5, 5}, e = trial % 3;
      a[entry[e]] = 0.4 * std::sqrt(a[i[e]] * a[j[e]]);
      b[entry[e]] = -0.3 * std::sqrt(b[i[e]] * b[j[e]]);
      expect_pair_ends_and_linear_sizes<3, metric_pair3>(a, b, 1e-12);
    }
  }
  // Diagonal metrics: the coordinate axes, sizes (1, 1) to (2, 4).
  metric_pair2 pair;
  ASSERT_TRUE(reduce_metric_pair(pair, metric2(1, 0, 1), metric2(0.25, 0, 1.0 / 16)));
  for (int k = 0; k < 2; ++k) EXPECT_EQ(std::fabs(pair.basis[2 * k]) + std::fabs(pair.basis[2 * k + 1]), 1.0);
}

TEST(MetricPair, ExtrapolationToZeroSizeFails) {
  metric_pair2 pair;
  metric2 m(7, 7, 7);
  ASSERT_TRUE(reduce_metric_pair(pair, metric2(0.25, 0, 1), metric2(1, 0, 1)));  // x sizes 2, 1
  EXPECT_FALSE(interpolate_metric_pair(pair, 2.0, m));
  EXPECT_TRUE(m[0] == 0.0 && m[1] == 0.0 && m[2] == 0.0);
  ASSERT_TRUE(reduce_metric_pair(pair, metric2(1, 0, 1), metric2(0.25, 0, 1)));  // x sizes 1, 2
  EXPECT_FALSE(interpolate_metric_pair(pair, -1.0, m));
  ASSERT_TRUE(interpolate_metric_pair(pair, -0.5, m));  // size 0.5: still fine
  EXPECT_TRUE(same_metric(m, metric2(4, 0, 1), 1e-15));
}

TEST(CapMetricSizes, InRangeUntouchedLargeSizesCappedAlongEigenvectors) {
  const metric3 b(2.0, 0.5, 1.0, 0.1, 0.2, 1.5);
  for (double hmax : {10.0, 0.0}) {
    metric3 m = b;
    EXPECT_FALSE(cap_metric_sizes(m, hmax));
    EXPECT_TRUE(same_metric(m, b, 0.0));
  }
  const double c = std::cos(M_PI / 6), s = std::sin(M_PI / 6);
  const double v2[4] = {c, s, -s, c}, v3[9] = {1, 0, 0, 0, c, s, 0, -s, c};
  metric2 m2, want2;
  compose_metric({100.0, 0.01}, v2, m2);  // sizes 0.1 and 10
  ASSERT_TRUE(cap_metric_sizes(m2, 2.0));
  compose_metric({100.0, 0.25}, v2, want2);
  EXPECT_TRUE(same_metric(m2, want2, 1e-14));
  metric3 m3, want3;
  compose_metric({100.0, 1.0, 0.01}, v3, m3);
  ASSERT_TRUE(cap_metric_sizes(m3, 2.0));  // no smallest size: 0.1 stays
  compose_metric({100.0, 1.0, 0.25}, v3, want3);
  EXPECT_TRUE(same_metric(m3, want3, 1e-13));
}
