#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>
#include <vector>

#include <cellkit/cellkit.h>

#include "metric/metric_algebra.h"
#include "test_support.h"

using namespace zarn::cellkit;
using testing_support::metric_form;
using testing_support::random_metric;
using testing_support::same_metric;
using zarn::dense1D;
using zarn::dense2D;
template <int N>
using metric = zarn::symmetric_fixed<double, N>;

namespace {

// Unit directions: a fine sweep of the half circle, or a Fibonacci sphere.
template <int N>
std::vector<std::vector<double>> directions(int n) {
  std::vector<std::vector<double>> d;
  for (int i = 0; i < n; ++i) {
    if (N == 2) {
      d.push_back({std::cos(M_PI * i / n), std::sin(M_PI * i / n)});
    } else {
      const double z = 1.0 - 2.0 * (i + 0.5) / n, r = std::sqrt(1.0 - z * z),
                   a = i * M_PI * (3 - std::sqrt(5.0));
      d.push_back({r * std::cos(a), r * std::sin(a), z});
    }
  }
  return d;
}

// A random planar polyline with steps between 0.1 and 2.
dense2D<double> random_chain(std::mt19937& rng, std::size_t n) {
  std::uniform_real_distribution<double> step(0.1, 2.0), turn(-1.0, 1.0);
  dense2D<double> x(2, n, 0.0);
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
  for (unsigned int j = 0; j + 1 < n; ++j) e(0, j) = j, e(1, j) = j + 1;
  return e;
}

double dist(const dense2D<double>& x, std::size_t a, std::size_t b) {
  return std::hypot(x(0, b) - x(0, a), x(1, b) - x(1, a));
}

}  // namespace

TEST(MinimumMetric, MatchesBruteForceSamplingOfDirections) {
  // In every direction the intersection's size is at most the smaller of the
  // two sizes, and it is tight: somewhere it equals the smaller one.
  std::mt19937 rng(3);
  auto check = [](auto a, auto b, auto m, const auto& dirs, double tight) {
    double least = 1e300;
    for (const auto& u : dirs) {
      const double ratio =
          metric_form(m, u.data()) / std::max(metric_form(a, u.data()), metric_form(b, u.data()));
      EXPECT_GE(ratio, 1.0 - 1e-10);
      least = std::min(least, ratio);
    }
    EXPECT_LE(least, 1.0 + tight);
  };
  const auto d2 = directions<2>(20000), d3 = directions<3>(40000);
  for (int trial = 0; trial < 20; ++trial) {
    const metric<2> a = random_metric<2>(rng, 100.0), b = random_metric<2>(rng, 100.0);
    metric<2> m, swapped;
    ASSERT_TRUE(minimum_metric(a, b, m));
    ASSERT_TRUE(minimum_metric(b, a, swapped));
    check(a, b, m, d2, 1e-6);
    EXPECT_TRUE(same_metric(m, swapped, 1e-10));
    if (trial % 2) continue;
    const metric<3> a3 = random_metric<3>(rng, 100.0), b3 = random_metric<3>(rng, 100.0);
    metric<3> m3;
    ASSERT_TRUE(minimum_metric(a3, b3, m3));
    check(a3, b3, m3, d3, 1e-3);
  }
}

TEST(MinimumMetric, ZeroIsNeutralAndSemiDefiniteMetricsCombine) {
  const metric<2> a(4, 1, 2), zero;
  metric<2> m;
  ASSERT_TRUE(minimum_metric(zero, a, m));
  EXPECT_TRUE(same_metric(m, a, 0.0));
  ASSERT_TRUE(minimum_metric(a, zero, m));
  EXPECT_TRUE(same_metric(m, a, 0.0));
  // Infinite size along y meets infinite size along x: sizes 1 and 0.5.
  ASSERT_TRUE(minimum_metric(metric<2>(1, 0, 0), metric<2>(0, 0, 4), m));
  EXPECT_TRUE(same_metric(m, metric<2>(1, 0, 4), 1e-15));
  metric<3> m3;
  ASSERT_TRUE(minimum_metric(metric<3>(1, 0, 1, 0, 0, 1), metric<3>(4, 0, 4, 0, 0, 4), m3));
  EXPECT_TRUE(same_metric(m3, metric<3>(4, 0, 4, 0, 0, 4), 1e-15));
}

TEST(BoundMetric, ClampsSizesAlongEigenvectorsAndKeepsDirections) {
  const double c = std::cos(0.4), s = std::sin(0.4), v[4] = {c, s, -s, c};
  metric<2> m, want;
  zarn::linegen::compose_metric({100.0, 0.01}, v, m);  // sizes 0.1 and 10
  EXPECT_TRUE(bound_metric(m, 0.5, 2.0));
  zarn::linegen::compose_metric({4.0, 0.25}, v, want);
  EXPECT_TRUE(same_metric(m, want, 1e-14));
  // In range: untouched to the bit. No smallest size: only the cap applies.
  const metric<3> in_range(2.0, 0.5, 1.0, 0.1, 0.2, 1.5);
  metric<3> m3 = in_range;
  EXPECT_TRUE(bound_metric(m3, 0.1, 10.0));
  EXPECT_TRUE(same_metric(m3, in_range, 0.0));
  m3 = metric<3>(1e6, 0, 1e-6, 0, 0, 1.0);  // sizes 1e-3, 1e3, 1
  EXPECT_TRUE(bound_metric(m3, 0.0, 2.0));
  EXPECT_TRUE(same_metric(m3, metric<3>(1e6, 0, 0.25, 0, 0, 1.0), 1e-15));
  // A zero eigenvalue (infinite size) comes down to the largest size; a
  // metric that cannot be decomposed is reported and left alone.
  metric<2> zero, bad(NAN, 0, 1);
  EXPECT_TRUE(bound_metric(zero, 0.0, 2.0));
  EXPECT_TRUE(same_metric(zero, metric<2>(0.25, 0, 0.25), 1e-15));
  EXPECT_FALSE(bound_metric(bad, 0.5, 2.0));
  EXPECT_EQ(bad[2], 1.0);  // Sizes: clamped, a NaN size taking the largest.
  dense1D<double, 8> sizes{0.1, 1.0, 5.0, NAN};
  bound_metrics(sizes, 0.5, 2.0);
  EXPECT_EQ(testing_support::to_vector(sizes), (std::vector<double>{0.5, 1.0, 2.0, 2.0}));
}

TEST(BoundMetricGradations, MetricsOnRandomChains) {
  // Sizes only shrink, and across every edge, along each eigenvector of one
  // end, the other end's size is at most that end's size plus g L.
  std::mt19937 rng(9);
  const double g = 0.2;
  const std::size_t n = 12;
  const auto dirs = directions<3>(3000);
  for (int trial = 0; trial < 6; ++trial) {
    const dense2D<double> x2 = random_chain(rng, n);
    dense2D<double> x(3, n), m(6, n);
    for (std::size_t j = 0; j < n; ++j) {
      x(0, j) = x2(0, j), x(1, j) = x2(1, j), x(2, j) = 0.1 * j;
      zarn::linegen::store_metric(random_metric<3>(rng, 30.0), m.col(j));
    }
    dense2D<double> before;
    before.copy(m);
    ASSERT_EQ(bound_metric_gradations(x, chain_edges(n), edge, {}, g, m), 0);
    for (std::size_t j = 0; j < n; ++j) {
      const metric<3> mb = zarn::densekit::load_metric<3>(before.col(j)),
                      mn = zarn::densekit::load_metric<3>(m.col(j));
      for (const auto& u : dirs) EXPECT_GE(metric_form(mn, u.data()), metric_form(mb, u.data()) * (1 - 1e-9));
      if (j + 1 == n) continue;
      const double growth = g * std::sqrt(dist(x, j, j + 1) * dist(x, j, j + 1) + 0.01);
      for (auto [a, b] : {std::make_pair(j, j + 1), std::make_pair(j + 1, j)}) {
        const metric<3> ma = zarn::densekit::load_metric<3>(m.col(a)),
                        mo = zarn::densekit::load_metric<3>(m.col(b));
        double lambda[3], v[9];
        ASSERT_TRUE(zarn::linegen::eigen_sym(ma, lambda, v));
        for (int k = 0; k < 3; ++k)
          EXPECT_LE(1 / std::sqrt(metric_form(mo, v + 3 * k)),
                    (1 / std::sqrt(lambda[k]) + growth) * (1 + 1e-8));
      }
    }
  }
}
