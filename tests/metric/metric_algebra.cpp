#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <random>

#include "metric/metric_algebra.h"
#include "test_support.h"

using namespace zarn::linegen;
using testing_support::near_rel;

namespace {

// A random symmetric positive-definite metric: R R^T + eps I scaled.
metric2 random_spd2(std::mt19937& rng, double scale = 1.0) {
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  const double r[4] = {u(rng), u(rng), u(rng), u(rng)};
  return metric2(scale * (r[0] * r[0] + r[1] * r[1] + 0.05), scale * (r[0] * r[2] + r[1] * r[3]),
                 scale * (r[2] * r[2] + r[3] * r[3] + 0.05));
}

metric3 random_spd3(std::mt19937& rng, double scale = 1.0) {
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  double r[3][3];
  for (auto& row : r)
    for (double& v : row) v = u(rng);
  metric3 m;
  for (int j = 0; j < 3; ++j)
    for (int i = 0; i <= j; ++i) {
      double s = i == j ? 0.05 : 0.0;
      for (int k = 0; k < 3; ++k) s += r[i][k] * r[j][k];
      m(i, j) = scale * s;
    }
  return m;
}

template <int N>
void mat_vec(const zarn::symmetric_fixed<double, N>& m, const double* x, double* y) {
  for (int i = 0; i < N; ++i) {
    y[i] = 0.0;
    for (int j = 0; j < N; ++j) y[i] += m(i, j) * x[j];
  }
}

template <int N>
double max_abs(const zarn::symmetric_fixed<double, N>& m) {
  double s = 0.0;
  for (std::size_t k = 0; k < zarn::symmetric_fixed<double, N>::packed; ++k)
    s = std::fmax(s, std::fabs(m[k]));
  return s;
}

template <int N>
::testing::AssertionResult same_metric(const zarn::symmetric_fixed<double, N>& a,
                                       const zarn::symmetric_fixed<double, N>& b, double tol) {
  const double scale = std::fmax(max_abs(a), max_abs(b));
  for (std::size_t k = 0; k < zarn::symmetric_fixed<double, N>::packed; ++k)
    if (std::fabs(a[k] - b[k]) > tol * scale)
      return ::testing::AssertionFailure() << "packed entry " << k << ": " << a[k] << " vs " << b[k];
  return ::testing::AssertionSuccess();
}

// Checks B x_k = mu_k A x_k for every pair, relative to the scale of B x_k.
template <int N>
void expect_generalised_eigenpairs(const zarn::symmetric_fixed<double, N>& a,
                                   const zarn::symmetric_fixed<double, N>& b) {
  double mu[N], x[N * N];
  ASSERT_TRUE(gen_eigen_sym(a, b, mu, x, true));
  for (int k = 0; k + 1 < N; ++k) EXPECT_LE(mu[k], mu[k + 1]);
  for (int k = 0; k < N; ++k) {
    double bx[N], ax[N], len = 0.0;
    mat_vec<N>(b, x + k * N, bx);
    mat_vec<N>(a, x + k * N, ax);
    double scale = 0.0;
    for (int i = 0; i < N; ++i) {
      len += x[k * N + i] * x[k * N + i];
      scale = std::fmax(scale, std::fmax(std::fabs(bx[i]), std::fabs(mu[k] * ax[i])));
    }
    EXPECT_NEAR(len, 1.0, 1e-14);
    for (int i = 0; i < N; ++i) EXPECT_NEAR(bx[i], mu[k] * ax[i], 1e-11 * scale) << "pair " << k;
  }
}

}  // namespace

TEST(EigenvaluesToSizes, ValidAndSpecialValues) {
  double h2[2];
  eigenvalues_to_sizes({4.0, 0.25}, h2);
  EXPECT_EQ(h2[0], 0.5);
  EXPECT_EQ(h2[1], 2.0);
  double h3[3];
  eigenvalues_to_sizes({0.0, 4.0, DBL_MAX}, h3);
  EXPECT_EQ(h3[0], DBL_MAX);
  EXPECT_EQ(h3[1], 0.5);
  EXPECT_EQ(h3[2], 0.0);
  eigenvalues_to_sizes({NAN, 1.0}, h2);
  EXPECT_EQ(h2[0], DBL_MAX);

  EXPECT_TRUE(valid_eigenvalues({1e-300, 1e300}));
  EXPECT_FALSE(valid_eigenvalues({0.0, 1.0}));
  EXPECT_FALSE(valid_eigenvalues({1.0, 2.0, DBL_MAX}));
  EXPECT_FALSE(valid_eigenvalues({1.0, NAN, 2.0}));
  EXPECT_FALSE(valid_eigenvalues({NAN, 1.0}));
}

TEST(EigenSym2, MultipleOfIdentityGivesCoordinateAxes) {
  for (double s : {1.0, 3.5, 1e-200, 1e200, 0.0}) {
    double l0, l1, e0[2], e1[2];
    ASSERT_TRUE(eigen_sym2(s, 0.0, s, true, l0, l1, e0, e1)) << s;
    EXPECT_EQ(l0, s);
    EXPECT_EQ(l1, s);
    EXPECT_EQ(e0[0], 1.0);
    EXPECT_EQ(e0[1], 0.0);
    EXPECT_EQ(e1[0], 0.0);
    EXPECT_EQ(e1[1], 1.0);
  }
}

TEST(EigenSym2, CancellationRepairKeepsTinyEigenvalue) {
  double l0, l1, e0[2], e1[2];
  ASSERT_TRUE(eigen_sym2(1.0, 0.0, 1e-20, true, l0, l1, e0, e1));
  EXPECT_EQ(l0, 1e-20);
  EXPECT_EQ(l1, 1.0);
  EXPECT_EQ(std::fabs(e0[1]), 1.0);
  EXPECT_EQ(e0[0], 0.0);
  // Off-diagonal coupling: the naive root is 0, the repaired one det / lambda1.
  ASSERT_TRUE(eigen_sym2(1.0, 1e-11, 1e-20, l0, l1));
  EXPECT_TRUE(near_rel(l0 / 1e-20, (1e-20 - 1e-22) / 1e-20, 1e-12));
  // The large eigenvalue is repaired when it is the tiny one in magnitude.
  ASSERT_TRUE(eigen_sym2(-1.0, 0.0, 1e-20, l0, l1));
  EXPECT_EQ(l0, -1.0);
  EXPECT_EQ(l1, 1e-20);
}

TEST(EigenSym2, VectorsSatisfyDefinitionAndFailOnNonFinite) {
  std::mt19937 rng(7);
  for (int trial = 0; trial < 200; ++trial) {
    const metric2 m = random_spd2(rng);
    double l0, l1, e0[2], e1[2];
    ASSERT_TRUE(eigen_sym2(m[0], m[1], m[2], true, l0, l1, e0, e1));
    EXPECT_LE(l0, l1);
    for (auto [l, e] : {std::make_pair(l0, e0), std::make_pair(l1, e1)}) {
      double y[2];
      mat_vec<2>(m, e, y);
      EXPECT_NEAR(std::hypot(e[0], e[1]), 1.0, 1e-15);
      EXPECT_NEAR(y[0], l * e[0], 1e-13);
      EXPECT_NEAR(y[1], l * e[1], 1e-13);
    }
  }
  // Without normalisation the vector keeps its natural length.
  double l0, l1, e0[2], e1[2];
  ASSERT_TRUE(eigen_sym2(2.0, 1.0, 2.0, false, l0, l1, e0, e1));
  EXPECT_EQ(l0, 1.0);
  EXPECT_EQ(l1, 3.0);
  EXPECT_NEAR(std::hypot(e0[0], e0[1]), std::sqrt(2.0), 1e-15);
  EXPECT_FALSE(eigen_sym2(INFINITY, 0.0, 1.0, l0, l1));
  EXPECT_FALSE(eigen_sym2(1.0, NAN, 1.0, true, l0, l1, e0, e1));
}

TEST(GenEigenSym, DefiningEquationOnRandomPairs2D) {
  std::mt19937 rng(11);
  for (int trial = 0; trial < 300; ++trial) {
    const double scale = std::pow(10.0, (trial % 7) - 3);
    expect_generalised_eigenpairs<2>(random_spd2(rng, scale), random_spd2(rng, 1.0 / scale));
  }
}

TEST(GenEigenSym, DefiningEquationOnRandomPairs3D) {
  std::mt19937 rng(13);
  for (int trial = 0; trial < 300; ++trial) {
    const double scale = std::pow(10.0, (trial % 7) - 3);
    expect_generalised_eigenpairs<3>(random_spd3(rng, scale), random_spd3(rng, 1.0 / scale));
  }
}

TEST(GenEigenSym, RejectsFirstMetricThatIsNotPositiveDefinite) {
  double mu2[2], x2[4];
  EXPECT_FALSE(gen_eigen_sym(metric2(0.0, 0.0, 1.0), metric2(1.0, 0.0, 1.0), mu2, x2, true));
  EXPECT_FALSE(gen_eigen_sym(metric2(1.0, 2.0, 1.0), metric2(1.0, 0.0, 1.0), mu2, x2, true));
  double mu3[3], x3[9];
  EXPECT_FALSE(
      gen_eigen_sym(metric3(1.0, 2.0, 1.0, 0.0, 0.0, 1.0), metric3(1, 0, 1, 0, 0, 1), mu3, x3, true));
  EXPECT_FALSE(
      gen_eigen_sym(metric3(1.0, 0.0, 1.0, 0.0, 0.0, -1.0), metric3(1, 0, 1, 0, 0, 1), mu3, x3, true));
}

TEST(MetricPair, DiagonalMetricsGiveAxesAndInterpolateSizes) {
  metric_pair2 pair;
  ASSERT_TRUE(reduce_metric_pair(pair, metric2(1.0, 0.0, 1.0), metric2(0.25, 0.0, 1.0 / 16.0)));
  // The basis is made of the coordinate axes (up to sign and order).
  for (int k = 0; k < 2; ++k) EXPECT_EQ(std::fabs(pair.basis[2 * k]) + std::fabs(pair.basis[2 * k + 1]), 1.0);
  metric2 m;
  ASSERT_TRUE(interpolate_metric_pair(pair, 0.5, m));
  EXPECT_TRUE(same_metric(m, metric2(1.0 / 2.25, 0.0, 1.0 / 6.25), 1e-15));
}

TEST(MetricPair, EndsReturnEndMetricsAndSizesAreLinear) {
  std::mt19937 rng(17);
  for (int trial = 0; trial < 100; ++trial) {
    const metric2 a = random_spd2(rng), b = random_spd2(rng);
    metric_pair2 p2;
    ASSERT_TRUE(reduce_metric_pair(p2, a, b));
    metric2 m2;
    ASSERT_TRUE(interpolate_metric_pair(p2, 0.0, m2));
    EXPECT_TRUE(same_metric(m2, a, 1e-11));
    ASSERT_TRUE(interpolate_metric_pair(p2, 1.0, m2));
    EXPECT_TRUE(same_metric(m2, b, 1e-11));

    const metric3 a3 = random_spd3(rng), b3 = random_spd3(rng);
    metric_pair3 p3;
    ASSERT_TRUE(reduce_metric_pair(p3, a3, b3));
    metric3 m3;
    ASSERT_TRUE(interpolate_metric_pair(p3, 0.0, m3));
    EXPECT_TRUE(same_metric(m3, a3, 1e-10));
    ASSERT_TRUE(interpolate_metric_pair(p3, 1.0, m3));
    EXPECT_TRUE(same_metric(m3, b3, 1e-10));

    // Along each common direction p_k the size 1 / sqrt(p_k^T M p_k) is linear in t.
    for (double t : {0.25, 0.6}) {
      ASSERT_TRUE(interpolate_metric_pair(p3, t, m3));
      for (int k = 0; k < 3; ++k) {
        const double* p = p3.basis + 3 * k;
        double mp[3];
        mat_vec<3>(m3, p, mp);
        const double h = 1.0 / std::sqrt(p[0] * mp[0] + p[1] * mp[1] + p[2] * mp[2]);
        const double ha = 1.0 / std::sqrt(p3.lambda_a[k]), hb = 1.0 / std::sqrt(p3.lambda_b[k]);
        EXPECT_TRUE(near_rel(h, ha + t * (hb - ha), 1e-10));
      }
    }
  }
}

TEST(MetricPair, ExtrapolationToZeroSizeFails) {
  metric_pair2 pair;
  // Sizes 2 and 1 along x (and 1, 1 along y): at t = 2 the x size is 0.
  ASSERT_TRUE(reduce_metric_pair(pair, metric2(0.25, 0.0, 1.0), metric2(1.0, 0.0, 1.0)));
  metric2 m(7.0, 7.0, 7.0);
  EXPECT_FALSE(interpolate_metric_pair(pair, 2.0, m));
  EXPECT_TRUE(same_metric(m, metric2(0.0, 0.0, 0.0), 0.0));
  // Sizes 1 and 2: at t = -1 the size is 0.
  ASSERT_TRUE(reduce_metric_pair(pair, metric2(1.0, 0.0, 1.0), metric2(0.25, 0.0, 1.0)));
  m = metric2(7.0, 7.0, 7.0);
  EXPECT_FALSE(interpolate_metric_pair(pair, -1.0, m));
  EXPECT_EQ(m[0], 0.0);
  // Mild extrapolation is fine: t = -0.5 gives size 0.5 along x.
  ASSERT_TRUE(interpolate_metric_pair(pair, -0.5, m));
  EXPECT_TRUE(same_metric(m, metric2(4.0, 0.0, 1.0), 1e-15));
}

TEST(MetricPair, FailedReductionZeroesThePair) {
  metric_pair2 pair;
  std::fill(pair.basis, pair.basis + 4, 5.0);
  EXPECT_FALSE(reduce_metric_pair(pair, metric2(0.0, 0.0, 1.0), metric2(1.0, 0.0, 1.0)));
  for (double v : pair.basis) EXPECT_EQ(v, 0.0);
  for (double v : pair.dual) EXPECT_EQ(v, 0.0);
  for (double v : pair.lambda_a) EXPECT_EQ(v, 0.0);
  EXPECT_FALSE(reduce_metric_pair(pair, metric2(1.0, 1.0, 0.5), metric2(1.0, 0.0, 1.0)));
  // A second metric that is not positive definite: the pair is filled but invalid.
  EXPECT_FALSE(reduce_metric_pair(pair, metric2(1.0, 0.0, 1.0), metric2(1.0, 0.0, -1.0)));
  EXPECT_NE(pair.basis[0] + pair.basis[1], 0.0);
}

TEST(MetricPair, SingularBasisOfDegenerateFactorFails) {
  // A first metric with a zero first row has a factor but no regular basis.
  metric_pair3 pair;
  EXPECT_FALSE(reduce_metric_pair(pair, metric3(0, 0, 1, 0, 0, 1), metric3(1, 0, 1, 0, 0, 1)));
  for (double v : pair.dual) EXPECT_EQ(v, 0.0);
  EXPECT_FALSE(reduce_metric_pair(pair, metric3(1, 0, 0, 0, 0, 1), metric3(1, 0, 1, 0, 0, 1)));
  for (double v : pair.basis) EXPECT_EQ(v, 0.0);
}

TEST(ClampMetricSizes, InRangeMetricIsLeftAlone) {
  const metric2 a(2.0, 0.5, 1.0);  // sizes about 0.64 and 1.1
  metric2 m = a;
  EXPECT_FALSE(clamp_metric_sizes(m, 0.5, 2.0));
  EXPECT_TRUE(same_metric(m, a, 0.0));
  const metric3 b(2.0, 0.5, 1.0, 0.1, 0.2, 1.5);
  metric3 m3 = b;
  EXPECT_FALSE(clamp_metric_sizes(m3, 0.1, 10.0));
  EXPECT_TRUE(same_metric(m3, b, 0.0));
  // hmin = 0: no cap on the eigenvalues; hmax = 0: no floor above 0.
  m3 = b;
  EXPECT_FALSE(clamp_metric_sizes(m3, 0.0, 0.0));
  EXPECT_TRUE(same_metric(m3, b, 0.0));
}

TEST(ClampMetricSizes, ClampsAlongEigenvectors) {
  // Sizes 0.1 along x and 10 along y, rotated by 30 degrees.
  const double c = std::cos(M_PI / 6), s = std::sin(M_PI / 6);
  const double v[4] = {c, s, -s, c};
  metric2 m;
  compose_metric({100.0, 0.01}, v, m);
  ASSERT_TRUE(clamp_metric_sizes(m, 0.5, 2.0));
  metric2 expected;
  compose_metric({4.0, 0.25}, v, expected);
  EXPECT_TRUE(same_metric(m, expected, 1e-14));

  metric3 m3;
  const double v3[9] = {1, 0, 0, 0, c, s, 0, -s, c};
  compose_metric({100.0, 1.0, 0.01}, v3, m3);
  ASSERT_TRUE(clamp_metric_sizes(m3, 0.0, 2.0));
  metric3 expected3;
  compose_metric({100.0, 1.0, 0.25}, v3, expected3);
  EXPECT_TRUE(same_metric(m3, expected3, 1e-13));
}

TEST(ClampMetricSizes, UndecomposableMetricBecomesIsotropicMinimum) {
  metric2 m(NAN, 0.0, 1.0);
  EXPECT_TRUE(clamp_metric_sizes(m, 0.5, 2.0));
  EXPECT_TRUE(same_metric(m, metric2(4.0, 0.0, 4.0), 0.0));
  metric3 m3(INFINITY, 0, 1, 0, 0, 1);
  EXPECT_TRUE(clamp_metric_sizes(m3, 0.5, 2.0));
  EXPECT_TRUE(same_metric(m3, metric3(4, 0, 4, 0, 0, 4), 0.0));
  // Without a smallest size there is no isotropic fallback.
  m3 = metric3(INFINITY, 0, 1, 0, 0, 1);
  EXPECT_FALSE(clamp_metric_sizes(m3, 0.0, 2.0));
  EXPECT_EQ(m3[0], INFINITY);
}

TEST(AppendMetric, ShapesAndRowCountCheck) {
  zarn::dense2D<double> m2;
  ASSERT_TRUE(append_metric(m2, metric2(1.0, 2.0, 3.0)));
  ASSERT_TRUE(append_metric(m2, metric2(4.0, 5.0, 6.0)));
  EXPECT_EQ(m2.rows(), 3u);
  EXPECT_EQ(m2.cols(), 2u);
  EXPECT_EQ(m2(2, 1), 6.0);
  EXPECT_EQ(m2(0, 0), 1.0);
  EXPECT_FALSE(append_metric(m2, metric3(1, 2, 3, 4, 5, 6)));
  EXPECT_EQ(m2.cols(), 2u);

  zarn::dense2D<double> m3;
  for (int j = 0; j < 10; ++j) ASSERT_TRUE(append_metric(m3, metric3(j, 0, 0, 0, 0, 1)));
  EXPECT_EQ(m3.rows(), 6u);
  EXPECT_EQ(m3.cols(), 10u);
  for (int j = 0; j < 10; ++j) EXPECT_EQ(m3(0, j), j);
}
