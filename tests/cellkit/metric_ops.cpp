#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>
#include <vector>

#include <cellkit/cellkit.h>

#include "metric/metric_algebra.h"
#include "test_support.h"

using zarn::dense1D;
using zarn::dense2D;
using zarn::symmetric_fixed;
using namespace zarn::cellkit;

namespace {

template <int N>
using metric = symmetric_fixed<double, N>;

template <int N>
double form(const metric<N>& m, const double* u) {
  double s = 0.0;
  for (int i = 0; i < N; ++i)
    for (int j = 0; j < N; ++j) s += u[i] * m(i, j) * u[j];
  return s;
}

template <int N>
metric<N> random_spd(std::mt19937& rng, double aniso) {
  // Random rotation (from a random basis) and random sizes between 1 and aniso.
  std::uniform_real_distribution<double> u(-1.0, 1.0), lg(0.0, std::log(aniso));
  double lambda[N], v[N * N];
  metric<N> seed;
  for (std::size_t k = 0; k < metric<N>::packed; ++k) seed[k] = u(rng);
  for (int k = 0; k < N; ++k) seed(k, k) += 3.0;
  zarn::linegen::eigen_sym(seed, lambda, v);
  for (int k = 0; k < N; ++k) {
    const double h = std::exp(lg(rng));
    lambda[k] = 1.0 / (h * h);
  }
  metric<N> m;
  zarn::linegen::compose_metric(lambda, v, m);
  return m;
}

// Unit directions: a fine sweep of the circle, or a Fibonacci sphere.
template <int N>
std::vector<std::vector<double>> directions();
template <>
std::vector<std::vector<double>> directions<2>() {
  std::vector<std::vector<double>> d;
  for (int i = 0; i < 20000; ++i) {
    const double a = M_PI * i / 20000.0;
    d.push_back({std::cos(a), std::sin(a)});
  }
  return d;
}
template <>
std::vector<std::vector<double>> directions<3>() {
  std::vector<std::vector<double>> d;
  const int n = 40000;
  for (int i = 0; i < n; ++i) {
    const double z = 1.0 - 2.0 * (i + 0.5) / n, r = std::sqrt(1.0 - z * z);
    const double a = i * M_PI * (3.0 - std::sqrt(5.0));
    d.push_back({r * std::cos(a), r * std::sin(a), z});
  }
  return d;
}

// In every sampled direction the intersection's size is at most the smaller
// of the two sizes, and it is tight: somewhere it equals the smaller size.
template <int N>
void expect_intersection(const metric<N>& a, const metric<N>& b, const metric<N>& m, double tight_tol) {
  double worst = 1e300, least_slack = 1e300;
  for (const auto& u : directions<N>()) {
    const double need = std::max(form<N>(a, u.data()), form<N>(b, u.data()));
    const double ratio = form<N>(m, u.data()) / need;
    worst = std::min(worst, ratio);
    least_slack = std::min(least_slack, ratio - 1.0);
  }
  EXPECT_GE(worst, 1.0 - 1e-10);
  EXPECT_LE(least_slack, tight_tol);
}

}  // namespace

TEST(MinimumMetric, MatchesBruteForceSamplingOfDirections) {
  std::mt19937 rng(3);
  for (int trial = 0; trial < 20; ++trial) {
    const metric<2> a = random_spd<2>(rng, 100.0), b = random_spd<2>(rng, 100.0);
    metric<2> m;
    ASSERT_TRUE(minimum_metric(a, b, m));
    expect_intersection<2>(a, b, m, 1e-6);
    // The intersection is the same whichever metric comes first.
    metric<2> m2;
    ASSERT_TRUE(minimum_metric(b, a, m2));
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(m[k], m2[k], 1e-10 * (std::fabs(m[k]) + std::fabs(m(0, 0))));
  }
  for (int trial = 0; trial < 10; ++trial) {
    const metric<3> a = random_spd<3>(rng, 100.0), b = random_spd<3>(rng, 100.0);
    metric<3> m;
    ASSERT_TRUE(minimum_metric(a, b, m));
    expect_intersection<3>(a, b, m, 1e-3);
  }
}

TEST(MinimumMetric, ZeroIsNeutralAndNestedMetricsKeepTheTighter) {
  const metric<2> a(4.0, 1.0, 2.0), zero;
  metric<2> m;
  ASSERT_TRUE(minimum_metric(a, zero, m));
  EXPECT_EQ(m[0], 4.0);
  EXPECT_EQ(m[1], 1.0);
  EXPECT_EQ(m[2], 2.0);
  ASSERT_TRUE(minimum_metric(zero, a, m));
  EXPECT_EQ(m[0], 4.0);
  // Isotropic metrics: the smaller size wins everywhere.
  const metric<3> fine(4, 0, 4, 0, 0, 4), coarse(1, 0, 1, 0, 0, 1);
  metric<3> m3;
  ASSERT_TRUE(minimum_metric(coarse, fine, m3));
  for (int k = 0; k < 6; ++k) EXPECT_NEAR(m3[k], fine[k], 1e-14);
  // A metric with an infinite size along y meets one along x: sizes 1 and 0.5.
  ASSERT_TRUE(minimum_metric(metric<2>(1.0, 0.0, 0.0), metric<2>(0.0, 0.0, 4.0), m));
  EXPECT_NEAR(m[0], 1.0, 1e-15);
  EXPECT_NEAR(m[1], 0.0, 1e-15);
  EXPECT_NEAR(m[2], 4.0, 1e-15);
}

TEST(BoundMetric, ClampsSizesAlongEigenvectorsAndKeepsDirections) {
  const double c = std::cos(0.4), s = std::sin(0.4);
  const double v[4] = {c, s, -s, c};
  metric<2> m, expected;
  zarn::linegen::compose_metric({100.0, 0.01}, v, m);  // sizes 0.1 and 10
  EXPECT_EQ(bound_metric(m, 0.5, 2.0), 0);
  zarn::linegen::compose_metric({4.0, 0.25}, v, expected);
  for (int k = 0; k < 3; ++k) EXPECT_NEAR(m[k], expected[k], 1e-14);

  // In range: untouched to the bit. No smallest size: only the cap applies.
  const metric<3> in_range(2.0, 0.5, 1.0, 0.1, 0.2, 1.5);
  metric<3> m3 = in_range;
  EXPECT_EQ(bound_metric(m3, 0.1, 10.0), 0);
  for (int k = 0; k < 6; ++k) EXPECT_EQ(m3[k], in_range[k]);
  m3 = metric<3>(1e6, 0, 1e-6, 0, 0, 1.0);  // sizes 1e-3, 1e3, 1
  EXPECT_EQ(bound_metric(m3, 0.0, 2.0), 0);
  EXPECT_NEAR(m3[0], 1e6, 1e-6);
  EXPECT_NEAR(m3[2], 0.25, 1e-15);
  EXPECT_NEAR(m3[5], 1.0, 1e-15);
  // An infinite size (zero eigenvalue) comes down to the largest size.
  metric<2> zero;
  EXPECT_EQ(bound_metric(zero, 0.0, 2.0), 0);
  EXPECT_NEAR(zero[0], 0.25, 1e-15);
  EXPECT_NEAR(zero[2], 0.25, 1e-15);
  // Non-finite metric: reported, left alone.
  metric<2> bad(NAN, 0.0, 1.0);
  EXPECT_NE(bound_metric(bad, 0.5, 2.0), 0);
  EXPECT_EQ(bad[2], 1.0);
}

TEST(BoundMetrics, ClampsEverySize) {
  dense1D<double, 8> h{0.1, 1.0, 5.0, NAN};
  EXPECT_EQ(bound_metrics(h, 0.5, 2.0), 0);
  EXPECT_EQ(h[0], 0.5);
  EXPECT_EQ(h[1], 1.0);
  EXPECT_EQ(h[2], 2.0);
  EXPECT_EQ(h[3], 2.0);
}

namespace {

// A random polyline in the plane and its chain connectivity.
dense2D<double> random_chain(std::mt19937& rng, std::size_t n) {
  std::uniform_real_distribution<double> step(0.1, 2.0), turn(-1.0, 1.0);
  dense2D<double> x(2, n);
  double angle = 0.0;
  for (std::size_t j = 1; j < n; ++j) {
    angle += turn(rng);
    const double l = step(rng);
    x(0, j) = x(0, j - 1) + l * std::cos(angle);
    x(1, j) = x(1, j - 1) + l * std::sin(angle);
  }
  return x;
}

dense2D<unsigned int> chain_edges(std::size_t n) {
  dense2D<unsigned int> e(2, n - 1);
  for (std::size_t j = 0; j + 1 < n; ++j) {
    e(0, j) = static_cast<unsigned int>(j);
    e(1, j) = static_cast<unsigned int>(j + 1);
  }
  return e;
}

double dist(const dense2D<double>& x, std::size_t a, std::size_t b) {
  return std::hypot(x(0, b) - x(0, a), x(1, b) - x(1, a));
}

}  // namespace

TEST(BoundMetricGradations, SizesOnRandomChainsMeetTheBoundMinimally) {
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> size(0.01, 3.0);
  for (int trial = 0; trial < 30; ++trial) {
    const std::size_t n = 2 + trial * 3;
    const dense2D<double> x = random_chain(rng, n);
    dense1D<double, 8> h(n);
    for (double& v : h) v = size(rng);
    const dense1D<double, 8> h0 = [&] {
      dense1D<double, 8> c;
      c.copy(h);
      return c;
    }();
    const double g = 0.3;
    // Shuffled edge order and reversed edges: a general edge set.
    dense2D<unsigned int> edges = chain_edges(n), shuffled;
    shuffled.copy(edges);
    std::vector<std::size_t> order(n - 1);
    std::iota(order.begin(), order.end(), 0);
    std::shuffle(order.begin(), order.end(), rng);
    for (std::size_t e = 0; e + 1 < n; ++e) {
      shuffled(0, e) = edges(e % 2, order[e]);
      shuffled(1, e) = edges(1 - e % 2, order[e]);
    }
    dense1D<double, 8> hs;
    hs.copy(h);
    ASSERT_EQ(bound_metric_gradations(x, edges, edge, {}, true, -1, g, h), 0);
    ASSERT_EQ(bound_metric_gradations(x, shuffled, edge, {}, true, -1, g, hs), 0);
    // The largest field under the bound: min over j of h0_j + g * (arc length from i to j).
    for (std::size_t i = 0; i < n; ++i) {
      double best = h0[i], arc = 0.0;
      for (std::size_t j = i + 1; j < n; ++j) best = std::min(best, h0[j] + g * (arc += dist(x, j - 1, j)));
      arc = 0.0;
      for (std::size_t j = i; j-- > 0;) best = std::min(best, h0[j] + g * (arc += dist(x, j, j + 1)));
      EXPECT_NEAR(h[i], best, 1e-12) << "node " << i;
      EXPECT_NEAR(hs[i], best, 1e-12) << "node " << i;
      EXPECT_LE(h[i], h0[i]);
    }
    for (std::size_t j = 0; j + 1 < n; ++j) {
      EXPECT_LE(h[j + 1], h[j] + g * dist(x, j, j + 1) + 1e-14);
      EXPECT_LE(h[j], h[j + 1] + g * dist(x, j, j + 1) + 1e-14);
    }
  }
}

TEST(BoundMetricGradations, FixedNodesAndUnusableArguments) {
  const dense2D<double> x = testing_support::points({{0, 0}, {1, 0}, {2, 0}});
  const dense2D<unsigned int> edges = chain_edges(3);
  dense1D<double, 8> h{0.1, 5.0, 5.0};
  EXPECT_EQ(bound_metric_gradations(x, edges, edge, dense1D<unsigned int, 8>{1u}, true, -1, 0.5, h), 0);
  EXPECT_EQ(h[1], 5.0);  // fixed
  EXPECT_NEAR(h[2], 5.0, 0.0);
  dense1D<double, 8> h2{0.1, 5.0, 5.0};
  EXPECT_EQ(bound_metric_gradations(x, edges, edge, {}, true, -1, 0.5, h2), 0);
  EXPECT_NEAR(h2[1], 0.6, 1e-15);
  EXPECT_NEAR(h2[2], 1.1, 1e-15);
  // A negative or NaN bound is refused; the sizes stay.
  dense1D<double, 8> h3{0.1, 5.0, 5.0};
  EXPECT_NE(bound_metric_gradations(x, edges, edge, {}, true, -1, -1.0, h3), 0);
  EXPECT_NE(bound_metric_gradations(x, edges, edge, {}, true, -1, NAN, h3), 0);
  EXPECT_EQ(h3[1], 5.0);
  // Identifiers out of range are skipped.
  dense2D<unsigned int> bad(2, 1, 7u);
  EXPECT_EQ(bound_metric_gradations(x, bad, edge, {}, true, -1, 0.5, h3), 0);
  EXPECT_EQ(h3[1], 5.0);
}

namespace {

template <int N>
void expect_metric_gradation(const dense2D<double>& x, const dense2D<double>& before,
                             const dense2D<double>& after, double g) {
  const auto dirs = directions<N>();
  for (std::size_t j = 0; j < after.cols(); ++j) {
    metric<N> mb, mn;
    for (std::size_t k = 0; k < metric<N>::packed; ++k) {
      mb[k] = before(k, j);
      mn[k] = after(k, j);
    }
    // Sizes only shrink.
    for (std::size_t d = 0; d < dirs.size(); d += 7)
      EXPECT_GE(form<N>(mn, dirs[d].data()), form<N>(mb, dirs[d].data()) * (1.0 - 1e-9));
  }
  // Across every edge: along each eigenvector of one end, the other end's
  // size is at most that end's size plus g L.
  for (std::size_t j = 0; j + 1 < after.cols(); ++j) {
    double l2 = 0.0;
    for (std::size_t i = 0; i < x.rows(); ++i) l2 += (x(i, j + 1) - x(i, j)) * (x(i, j + 1) - x(i, j));
    const double growth = g * std::sqrt(l2);
    for (auto [a, b] : {std::make_pair(j, j + 1), std::make_pair(j + 1, j)}) {
      metric<N> ma, mb;
      for (std::size_t k = 0; k < metric<N>::packed; ++k) {
        ma[k] = after(k, a);
        mb[k] = after(k, b);
      }
      double lambda[N], v[N * N];
      ASSERT_TRUE(zarn::linegen::eigen_sym(ma, lambda, v));
      for (int k = 0; k < N; ++k) {
        const double hb = 1.0 / std::sqrt(form<N>(mb, v + k * N));
        EXPECT_LE(hb, (1.0 / std::sqrt(lambda[k]) + growth) * (1.0 + 1e-8)) << "edge " << j;
      }
    }
  }
}

}  // namespace

TEST(BoundMetricGradations, MetricsOnRandomChains) {
  std::mt19937 rng(9);
  for (int trial = 0; trial < 6; ++trial) {
    const std::size_t n = 12;
    const dense2D<double> x2 = random_chain(rng, n);
    dense2D<double> m2(3, n), m3(6, n), x3(3, n, 0.0);
    for (std::size_t j = 0; j < n; ++j) {
      zarn::linegen::store_metric(random_spd<2>(rng, 30.0), m2.col(j));
      zarn::linegen::store_metric(random_spd<3>(rng, 30.0), m3.col(j));
      x3(0, j) = x2(0, j);
      x3(1, j) = x2(1, j);
      x3(2, j) = 0.1 * j;
    }
    dense2D<double> b2, b3;
    b2.copy(m2);
    b3.copy(m3);
    ASSERT_EQ(bound_metric_gradations(x2, chain_edges(n), edge, {}, true, 0, 0.2, m2), 0);
    ASSERT_EQ(bound_metric_gradations(x3, chain_edges(n), edge, {}, true, 0, 0.2, m3), 0);
    expect_metric_gradation<2>(x2, b2, m2, 0.2);
    expect_metric_gradation<3>(x3, b3, m3, 0.2);
  }
}

TEST(BoundMetricGradations, IsotropicMetricsFollowTheSizes) {
  std::mt19937 rng(21);
  std::uniform_real_distribution<double> size(0.01, 2.0);
  // A long chain: small tightenings must not be dropped and add up.
  const std::size_t n = 400;
  const dense2D<double> x = random_chain(rng, n);
  dense1D<double, 8> h(n);
  dense2D<double> m(3, n);
  for (std::size_t j = 0; j < n; ++j) {
    h[j] = size(rng);
    m(0, j) = m(2, j) = 1.0 / (h[j] * h[j]);
    m(1, j) = 0.0;
  }
  ASSERT_EQ(bound_metric_gradations(x, chain_edges(n), edge, {}, true, -1, 0.1, h), 0);
  ASSERT_EQ(bound_metric_gradations(x, chain_edges(n), edge, {}, true, 0, 0.1, m), 0);
  for (std::size_t j = 0; j < n; ++j) {
    EXPECT_TRUE(testing_support::near_rel(m(0, j) * h[j] * h[j], 1.0, 1e-12)) << j;
    EXPECT_NEAR(m(1, j), 0.0, 1e-12 * m(0, j));
  }  // Sizes that exceed the bound by a hair are still brought down to it.
  const dense2D<double> line = testing_support::points({{0, 0}, {1, 0}, {2, 0}, {3, 0}});
  dense2D<double> hair(3, 4);
  for (std::size_t j = 0; j < 4; ++j) {
    const double h = (1.0 + 0.5 * j) * (j == 0 ? 1.0 : 1.0 + 1e-11);
    hair(0, j) = hair(2, j) = 1.0 / (h * h);
    hair(1, j) = 0.0;
  }
  ASSERT_EQ(bound_metric_gradations(line, chain_edges(4), edge, {}, true, 0, 0.5, hair), 0);
  for (std::size_t j = 0; j < 4; ++j)
    EXPECT_TRUE(testing_support::near_rel(hair(0, j) * (1.0 + 0.5 * j) * (1.0 + 0.5 * j), 1.0, 1e-14)) << j;
}
