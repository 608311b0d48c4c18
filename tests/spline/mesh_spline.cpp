#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

#include <linegen/linegen.h>

#include "test_support.h"

using namespace zarn;
using testing_support::circle;
using testing_support::closed_list;
using testing_support::ids;
using testing_support::points;
using testing_support::same_vector;
using testing_support::values;
using zarn::linegen::mesh_spline;

namespace {

constexpr double no_tolerance = 0.0;

// Open list with free ends: 0, 0, 1, ..., n-1, n-1.
dense1D<unsigned int, 8> open_list(unsigned n) {
  dense1D<unsigned int, 8> l;
  l.push_back(0);
  for (unsigned i = 0; i < n; ++i) l.push_back(i);
  l.push_back(n - 1);
  return l;
}

struct result {
  int code = 1;
  dense1D<unsigned int, 8> indices;
  dense1D<double, 8> params, sizes;
  dense2D<double> metrics;
  double deviation = -1;
};

struct options {
  bool force_even = false;
  unsigned nmin = 1, nmax = 4294967295u;
  double chordal_error = no_tolerance, min_size = 0, default_size = 0, gradation = 0;
};

// The sizes or the metrics overload, by the field's type.
dense1D<double, 8>& output(result& r, const dense1D<double, 8>&) { return r.sizes; }
dense2D<double>& output(result& r, const dense2D<double>&) { return r.metrics; }

template <class Field>
result mesh(dense2D<double>& c, const dense1D<unsigned int, 8>& l, const Field& f,
            const options& o = options()) {
  result r;
  r.code = mesh_spline(c, l, f, o.force_even, o.nmin, o.nmax, o.chordal_error, o.min_size, o.default_size,
                       o.gradation, r.indices, r.params, output(r, f), r.deviation);
  return r;
}

// Isotropic metrics (1/h^2) I of the sizes, 3 or 6 rows.
dense2D<double> iso_metrics(const dense1D<double, 8>& h, unsigned dim) {
  dense2D<double> m(dim == 2 ? 3 : 6, h.size(), 0.0);
  for (std::size_t j = 0; j < h.size(); ++j) {
    const double e = 1.0 / (h[j] * h[j]);
    m(0, j) = e;
    m(2, j) = e;
    if (dim == 3) m(5, j) = e;
  }
  return m;
}

double distance(const dense2D<double>& c, unsigned a, unsigned b) {
  double s = 0;
  for (std::size_t r = 0; r < c.rows(); ++r) s += (c(r, a) - c(r, b)) * (c(r, a) - c(r, b));
  return std::sqrt(s);
}

}  // namespace

TEST(MeshSpline, StraightRunHasNoDeviationAndSizesCappedAtItsLength) {
  auto c = points({{0, 0}, {1, 0}, {2, 0}, {4, 0}});
  const auto l = ids({0, 0, 1, 2, 3, 3});
  options o;
  o.chordal_error = 0.01;
  // Sizes far above the length: capped at L = 4, one element.
  auto r = mesh(c, l, dense1D<double, 8>(6, 100.0), o);
  ASSERT_EQ(r.code, 0);
  EXPECT_EQ(r.deviation, 0.0);
  EXPECT_EQ(c.cols(), 4u);
  EXPECT_EQ(testing_support::to_vector(r.indices), (std::vector<unsigned>{0, 3}));
  EXPECT_EQ(testing_support::to_vector(r.params), (std::vector<double>{0, 1}));
  EXPECT_EQ(testing_support::to_vector(r.sizes), (std::vector<double>{4, 4}));
  // A min_size above the length wins.
  o.min_size = 10;
  r = mesh(c, l, dense1D<double, 8>(6, 100.0), o);
  EXPECT_EQ(testing_support::to_vector(r.sizes), (std::vector<double>{10, 10}));

  // Size 0.5: eight equal elements on the line.
  o.min_size = 0;
  r = mesh(c, l, dense1D<double, 8>(6, 0.5), o);
  ASSERT_EQ(r.code, 0);
  ASSERT_EQ(r.indices.size(), 9u);
  ASSERT_EQ(c.cols(), 11u);
  EXPECT_EQ(r.indices[0], 0u);
  EXPECT_EQ(r.indices[8], 3u);
  for (unsigned k = 1; k < 8; ++k) {
    EXPECT_EQ(r.indices[k], 3 + k);
    EXPECT_NEAR(c(0, 3 + k), 0.5 * k, 1e-12);
    EXPECT_EQ(c(1, 3 + k), 0.0);
    EXPECT_DOUBLE_EQ(r.sizes[k], 0.5);
  }
}

TEST(MeshSpline, CircleStaysWithinTheChordalTolerance) {
  for (double R : {1.0, 1e-8, 1e8}) {
    std::size_t counts[2] = {0, 0};
    int run = 0;
    for (double tol : {1e-3, 1e-5}) {
      auto c = circle(64, R);
      options o;
      o.chordal_error = tol * R;
      const auto r = mesh(c, closed_list(64), dense1D<double, 8>(67, 10 * R), o);
      ASSERT_EQ(r.code, 0);
      // Closed: the chain starts and ends at node 0.
      ASSERT_GE(r.indices.size(), 3u);
      EXPECT_EQ(r.indices[0], 0u);
      EXPECT_EQ(r.indices[r.indices.size() - 1], 0u);
      EXPECT_EQ(c.cols(), 64 + r.indices.size() - 2);
      for (std::size_t k = 0; k + 1 < r.indices.size(); ++k) {
        const unsigned a = r.indices[k], b = r.indices[k + 1];
        EXPECT_NEAR(std::hypot(c(0, a), c(1, a)), R, 0.25 * tol * R);
        // Sagitta of each element within the tolerance, give or take the
        // rounding of the element count (elements up to ~5% longer here).
        const double mid = std::hypot(0.5 * (c(0, a) + c(0, b)), 0.5 * (c(1, a) + c(1, b)));
        EXPECT_LE(R - mid, 1.2 * tol * R) << "element " << k << " R " << R;
        EXPECT_LT(r.params[k], r.params[k + 1]);
      }
      // Node chords of 64 on a circle miss it by R (1 - cos(pi/64)).
      EXPECT_NEAR(r.deviation, R * (1 - std::cos(M_PI / 64)), 0.01 * R * (1 - std::cos(M_PI / 64)));
      counts[run++] = r.indices.size() - 1;
    }
    // The chordal size goes like sqrt(tolerance): 100 times smaller, 10 times more.
    const double ratio = double(counts[1]) / counts[0];
    EXPECT_GT(ratio, 9.0) << R;
    EXPECT_LT(ratio, 11.0) << R;
    EXPECT_NEAR(counts[0], 2 * M_PI / std::sqrt(8e-3), 0.1 * counts[0]);
  }
}

TEST(MeshSpline, ClosedListMeetsItselfSmoothly) {
  // An irregular closed curve of 5 nodes.
  auto c = points({{0, 0}, {3, 0}, {4, 2}, {2, 4}, {-1, 2}});
  const auto l = ids({4, 0, 1, 2, 3, 4, 0, 1});
  options o;
  o.chordal_error = 0.01;
  const auto r = mesh(c, l, dense1D<double, 8>(8, 0.5), o);
  ASSERT_EQ(r.code, 0);
  EXPECT_EQ(r.indices[0], 0u);
  EXPECT_EQ(r.indices[r.indices.size() - 1], 0u);
  EXPECT_EQ(r.params[0], 0.0);
  EXPECT_EQ(r.params[r.params.size() - 1], 1.0);
  // The elements on both sides of node 0 leave it in nearly opposite directions.
  const unsigned first = r.indices[1], last = r.indices[r.indices.size() - 2];
  const double fx = c(0, first), fy = c(1, first), lx = c(0, last), ly = c(1, last);
  const double cosine = (fx * lx + fy * ly) / (std::hypot(fx, fy) * std::hypot(lx, ly));
  EXPECT_LT(cosine, -0.95);
}

TEST(MeshSpline, WithoutToleranceNodesLieOnTheCoarseSampling) {
  // N = 4: one segment, from entry 1 to entry 2, sampled at t = 0, 1/2, 1.
  auto c = circle(8, 1.0);
  const auto l = ids({0, 1, 2, 3});
  vector_fixed<double, 2> p0, pm, p1;
  zarn::linegen::spline_point(c, 0, 1, 2, 3, 0.0, p0);
  zarn::linegen::spline_point(c, 0, 1, 2, 3, 0.5, pm);
  zarn::linegen::spline_point(c, 0, 1, 2, 3, 1.0, p1);
  const auto r = mesh(c, l, dense1D<double, 8>(4, 0.05));
  ASSERT_EQ(r.code, 0);
  EXPECT_EQ(r.indices[0], 1u);
  EXPECT_EQ(r.indices[r.indices.size() - 1], 2u);
  EXPECT_GT(r.indices.size(), 10u);
  EXPECT_NEAR(r.deviation,
              std::fabs((pm[0] - p0[0]) * (p1[1] - p0[1]) - (pm[1] - p0[1]) * (p1[0] - p0[0])) /
                  std::hypot(p1[0] - p0[0], p1[1] - p0[1]),
              1e-15);
  for (std::size_t k = 1; k + 1 < r.indices.size(); ++k) {
    const unsigned j = r.indices[k];
    const bool first_half = r.params[k] <= 0.5;
    const auto& a = first_half ? p0 : pm;
    const auto& b = first_half ? pm : p1;
    EXPECT_NEAR((c(0, j) - a[0]) * (b[1] - a[1]) - (c(1, j) - a[1]) * (b[0] - a[0]), 0.0, 1e-14);
  }
}

TEST(MeshSpline, GradationBoundsTheGrowthOfTheSizes) {
  auto c = points({{0, 0}, {5, 0}, {10, 0}});
  const auto l = ids({0, 0, 1, 2, 2});
  const auto h = values({0.05, 0.05, 5, 5, 5});
  const double g = 0.1;
  auto slope_ok = [&](const result& r) {
    for (std::size_t k = 0; k + 1 < r.indices.size(); ++k)
      if (r.sizes[k + 1] - r.sizes[k] > g * distance(c, r.indices[k], r.indices[k + 1]) * (1 + 1e-9) + 1e-12)
        return false;
    return true;
  };
  // Without the bound the sizes grow ten times faster than g allows.
  auto r = mesh(c, l, h);
  ASSERT_EQ(r.code, 0);
  EXPECT_FALSE(slope_ok(r));
  const std::size_t free_count = r.indices.size();

  options o;
  o.gradation = g;
  r = mesh(c, l, h, o);
  ASSERT_EQ(r.code, 0);
  EXPECT_TRUE(slope_ok(r));
  EXPECT_GT(r.indices.size(), free_count);
  EXPECT_DOUBLE_EQ(r.sizes[0], 0.05);
  // Never above the interpolated sizes: the bound only lowers.
  for (std::size_t k = 0; k < r.sizes.size(); ++k)
    EXPECT_LE(r.sizes[k], 0.05 + c(0, r.indices[k]) * 0.99 + 1e-12);

  // A default size between the nodes, related to them by the bound only.
  o.default_size = 0.5;
  r = mesh(c, l, h, o);
  ASSERT_EQ(r.code, 0);
  EXPECT_TRUE(slope_ok(r));
  // Samples at x = 0, 2.5, 5, 7.5, 10 start at (0.05, 0.5, 5, 0.5, 5); the
  // bound brings them to (0.05, 0.3, 0.55, 0.5, 0.75).
  EXPECT_DOUBLE_EQ(r.sizes[r.sizes.size() - 1], 0.75);
  for (double s : r.sizes) EXPECT_LE(s, 0.75);
}

TEST(MeshSpline, IsotropicMetricsReproduceTheSizes) {
  dense2D<double> helix(3, 20);
  for (unsigned i = 0; i < 20; ++i) {
    helix(0, i) = std::cos(0.6 * i);
    helix(1, i) = std::sin(0.6 * i);
    helix(2, i) = 0.15 * i;
  }
  dense1D<double, 8> h(22);
  for (unsigned i = 0; i < 22; ++i) h[i] = 0.05 + 0.01 * (i % 5);
  for (int variant = 0; variant < 3; ++variant) {
    options o;
    o.chordal_error = variant == 2 ? -0.01 : 1e-3;
    o.gradation = variant >= 1 ? 0.3 : 0.0;
    o.default_size = variant == 1 ? 0.2 : 0.0;
    o.force_even = variant == 2;
    for (unsigned dim : {2u, 3u}) {
      dense2D<double> base(dim, 20);
      for (unsigned j = 0; j < 20; ++j)
        for (unsigned r = 0; r < dim; ++r) base(r, j) = helix(r, j);
      dense2D<double> cs, cm;
      cs.copy(base);
      cm.copy(base);
      const auto rs = mesh(cs, open_list(20), h, o);
      const auto rm = mesh(cm, open_list(20), iso_metrics(h, dim), o);
      ASSERT_EQ(rs.code, 0);
      ASSERT_EQ(rm.code, 0);
      ASSERT_TRUE(same_vector(rs.indices, rm.indices)) << variant << " " << dim;
      EXPECT_EQ(rs.deviation, rm.deviation);
      ASSERT_EQ(rm.metrics.rows(), dim == 2 ? 3u : 6u);
      // The metric gradation decomposes every metric: agreement to rounding of
      // those decompositions only.
      const double tol = variant == 0 ? 1e-12 : 1e-7;
      ASSERT_EQ(rm.metrics.cols(), rs.sizes.size());
      for (std::size_t k = 0; k < rs.sizes.size(); ++k) {
        const double e = 1.0 / (rs.sizes[k] * rs.sizes[k]);
        EXPECT_TRUE(testing_support::near_rel(rm.metrics(0, k), e, tol)) << variant << " " << k;
        EXPECT_NEAR(rm.metrics(1, k), 0.0, tol * e);
        EXPECT_TRUE(testing_support::near_rel(rm.metrics(2, k), e, tol)) << variant << " " << k;
        EXPECT_NEAR(rm.params[k], rs.params[k], tol) << variant;
      }
      for (std::size_t j = 20; j < cs.cols(); ++j)
        for (unsigned r = 0; r < dim; ++r) EXPECT_NEAR(cs(r, j), cm(r, j), tol) << variant;
    }
  }
}
