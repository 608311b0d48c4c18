// The refinement: worked cases, a circle at every scale, its progress guard
// and depth, and its tolerance and node placement on random chains.
#include <algorithm>
#include <cmath>
#include <random>

#include "test_support.h"

namespace {

using namespace testing_support;
using zarn::linegen::mesh_line;
using Values = dense1D<double, 8>;

struct mesh {
  dense1D<unsigned int, 8> indices;
  Values params, sizes;
};

// mesh_line on `coords` (modified), along the chain through every column.
mesh refine(dense2D<double>& coords, const Values& params, const Values& sizes, double chordal,
            bool even = false, unsigned nmax = 100000) {
  mesh r;
  dense1D<unsigned int, 8> chain(coords.cols());
  for (std::size_t i = 0; i < chain.size(); ++i) chain[i] = static_cast<unsigned int>(i);
  EXPECT_EQ(
      mesh_line(coords, chain, params, sizes, even, 1, nmax, chordal, 0.0, r.indices, r.params, r.sizes), 0);
  return r;
}

Values arc_length(const dense2D<double>& coords) {
  Values p(coords.cols(), 0.0);
  for (std::size_t i = 1; i < coords.cols(); ++i)
    p[i] = p[i - 1] + std::hypot(coords(0, i) - coords(0, i - 1), coords(1, i) - coords(1, i - 1));
  return p;
}

// Distance from point q to the segment a-b (2D).
double segment_distance(const double* a, const double* b, const double* q) {
  const double dx = b[0] - a[0], dy = b[1] - a[1], len2 = dx * dx + dy * dy;
  const double t =
      len2 > 0 ? std::fmax(0.0, std::fmin(1.0, ((q[0] - a[0]) * dx + (q[1] - a[1]) * dy) / len2)) : 0.0;
  return std::hypot(q[0] - a[0] - t * dx, q[1] - a[1] - t * dy);
}

// Sizes far above the polyline's length, so that only the refinement places
// nodes.
TEST(Refine, CornersAndZigZags) {
  const dense2D<double> ell = points({{0, 0}, {1, 0}, {1, 1}}), straight = points({{0, 0}, {1, 1}, {3, 3}});
  const dense2D<double> zig = points({{0, 0}, {1, 1}, {2, 0}, {3, 1}, {4, 0}});
  const struct {
    const dense2D<double>& c;
    double chordal;
    bool even;
    unsigned nmax;
    dense1D<unsigned int, 8> expected;
  } cases[] = {{ell, 0.1, false, 2, ids({0, 1, 2})},  // the corner keeps its identifier
               {ell, 0.1, false, 1, ids({0, 2})},     // the first mesh already has nmax elements
               {straight, 1e-9, false, 100, ids({0, 2})},
               {zig, 0.1, false, 2, ids({0, 1, 2, 3, 4})},  // a refined mesh may exceed nmax
               // With force_even every piece gets an even count. The middle piece
               // 1-2-3 gets two elements whose middle node falls on corner 2 as a new
               // node, which deviates by nothing: that piece is done.
               {zig, 0.1, true, 3, ids({0, 5, 1, 6, 3, 7, 4})}};
  for (const auto& k : cases) {
    dense2D<double> c;
    c.copy(k.c);
    const Values params = arc_length(c);
    const mesh r = refine(c, params, Values(c.cols(), 10.0), k.chordal, k.even, k.nmax);
    EXPECT_TRUE(same_vector(r.indices, k.expected));
    for (std::size_t i = 0; i < r.indices.size(); ++i)  // polyline nodes keep their parameters
      EXPECT_TRUE(r.indices[i] >= params.size() || r.params[i] == params[r.indices[i]]);
    EXPECT_TRUE(!k.even || same_matrix(c.sub_matrix(0, 5, 2, 3), points({{0.5, 0.5}, {2, 0}, {3.5, 0.5}})));
  }
  // The pieces keep nmin together: split at the corner, each half takes its
  // share of nmin = 3 by parameter length, 2 (one element each would give 2
  // in all).
  dense2D<double> c;
  c.copy(ell);
  mesh r;
  ASSERT_EQ(mesh_line(c, ids({0, 1, 2}), arc_length(c), Values(3, 10.0), false, 3, 100, 0.1, 0.0, r.indices,
                      r.params, r.sizes),
            0);
  EXPECT_TRUE(same_vector(r.indices, ids({0, 3, 1, 4, 2})));
}

// Every polyline node ends within the tolerance of the mesh, at any scale.
TEST(Refine, CircleEndsWithinTheToleranceAtEveryScale) {
  const std::size_t n = 120;
  for (double scale : {1.0, 1e8, 1e-8}) {
    dense2D<double> arc(2, n), c;
    for (std::size_t i = 0; i < n; ++i) {
      arc(0, i) = scale * std::cos(1.5 * M_PI * i / (n - 1));
      arc(1, i) = scale * std::sin(1.5 * M_PI * i / (n - 1));
    }
    c.copy(arc);
    const double tolerance = 0.002 * scale;
    const Values params = arc_length(arc);
    const mesh r = refine(c, params, Values(n, 10.0 * scale), tolerance);
    for (std::size_t i = 0; i < n; ++i) {
      double best = INFINITY;
      for (std::size_t j = 1; j < r.indices.size(); ++j)
        best = std::fmin(best, segment_distance(c.col(r.indices[j - 1]), c.col(r.indices[j]), arc.col(i)));
      EXPECT_LE(best, tolerance * (1 + 1e-9)) << "node " << i << " scale " << scale;
    }
    // The chordal error of a circle of radius 1 is about h^2 / 8: about
    // 1.5 pi / sqrt(8 * 0.002) = 37 elements suffice.
    EXPECT_GE(r.indices.size() - 1, 30u);
    EXPECT_LE(r.indices.size() - 1, 80u);
  }
}

TEST(Refine, StuckDistributionEndsWithoutLooping) {
  // A NaN node makes every distribution of the whole line give no node; with
  // force_even an odd count would ask for a remesh forever.
  dense2D<double> c = points({{0, 0}, {NAN, 1}, {2, 0}});
  EXPECT_GE(refine(c, values({0, 1, 2}), values({1, 1, 1}), 0.1, true).indices.size(), 2u);
}

// A polyline whose worst node is always the one next to the first end: the
// nodes zig-zag on x = 1 with a swing that shrinks along the line, the last
// node is the origin, and the last parameter is far out so that the middle
// weighting does not matter. Every step splits off one segment, as deep as
// the polyline is long.
void deep_case(std::size_t n) {
  dense2D<double> c(2, n, 0.0);
  Values params(n), sizes(n, 1e9);
  for (std::size_t i = 0; i + 1 < n; ++i) {
    c(0, i) = 1.0;
    c(1, i) = (i % 2 == 0 ? 1.0 : -1.0) * (1.0 + double(n - i));
    params[i] = double(i);
  }
  params[n - 1] = 1e12;
  const mesh r = refine(c, params, sizes, 1e-3, false, 4294967295u);
  ASSERT_EQ(r.indices.size(), n);
  for (std::size_t i = 0; i < n; ++i) ASSERT_EQ(r.indices[i], i);
  EXPECT_EQ(c.cols(), n);
}

TEST(Refine, DeepSplittingNeedsNoDeepStack) { deep_case(20000); }

// Random chains in 2D and 3D, in any column order, with or without
// force_even and a low nmax: unless the first mesh already had nmax
// elements, every polyline node ends within the tolerance of the mesh
// element holding its parameter, the count is even when asked, the
// polyline's nodes keep their parameters and every new node lies on the
// polyline at its parameter.
TEST(Refine, RandomChainsEndWithinTheToleranceWithNodesOnThePolyline) {
  std::mt19937 rng(17);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  int refined_cases = 0;
  for (int trial = 0; trial < 200; ++trial) {
    const std::size_t D = 2 + trial % 2, n = 3 + trial % 23;
    dense2D<double> coords(D, n);
    dense1D<unsigned int, 8> chain(n);
    Values params(n), sizes(n);
    const double bend = 0.2 + 2.0 * unit(rng);
    for (std::size_t i = 0; i < n; ++i) {
      const double a = bend * i / n + 0.3 * unit(rng);
      coords(0, n - 1 - i) = std::cos(a) * (1 + 0.2 * unit(rng)) + 0.1 * i;
      coords(1, n - 1 - i) = std::sin(a);
      if (D == 3) coords(2, n - 1 - i) = 0.3 * unit(rng);
      chain[i] = static_cast<unsigned>(n - 1 - i);
      sizes[i] = 0.05 + unit(rng) * (trial % 3 == 0 ? 5.0 : 0.5);
      params[i] = i == 0 ? 0.0 : params[i - 1] + (trial % 4 == 0 ? 1.0 : unit(rng));
    }
    const bool even = trial % 5 == 1;
    const double d = 0.002 + 0.05 * unit(rng);
    const unsigned nmin = 1 + trial % 3, nmax = trial % 7 == 0 ? 4 : 1000;
    dense2D<double> c;
    c.copy(coords);
    mesh first, got;
    ASSERT_EQ(mesh_line(c, chain, params, sizes, even, nmin, nmax, 0.0, 0.0, first.indices, first.params,
                        first.sizes),
              0);
    c.copy(coords);
    ASSERT_EQ(
        mesh_line(c, chain, params, sizes, even, nmin, nmax, d, 0.0, got.indices, got.params, got.sizes), 0);
    const std::size_t m = got.indices.size();
    if (first.indices.size() - 1 >= nmax) continue;
    ++refined_cases;
    EXPECT_TRUE(!even || (m - 1) % 2 == 0) << "trial " << trial;
    for (std::size_t k = 0; k < m; ++k) {
      const unsigned id = got.indices[k];
      if (id < n) {
        EXPECT_EQ(got.params[k], params[n - 1 - id]) << "trial " << trial;
        continue;
      }
      std::size_t seg = 0;  // new node: on the polyline at its parameter
      while (seg + 2 < n && params[seg + 1] < got.params[k]) ++seg;
      const double u = (got.params[k] - params[seg]) / (params[seg + 1] - params[seg]);
      for (std::size_t r = 0; r < D; ++r)
        EXPECT_NEAR(c(r, id), coords(r, chain[seg]) + u * (coords(r, chain[seg + 1]) - coords(r, chain[seg])),
                    1e-12)
            << "trial " << trial;
    }
    for (std::size_t i = 1; i + 1 < n; ++i) {
      std::size_t j = 1;
      while (j + 1 < m && got.params[j] < params[i]) ++j;
      const double *a = c.col(got.indices[j - 1]), *b = c.col(got.indices[j]), *q = coords.col(chain[i]);
      double ab[3] = {0, 0, 0}, aq[3] = {0, 0, 0};
      for (std::size_t r = 0; r < D; ++r) ab[r] = b[r] - a[r], aq[r] = q[r] - a[r];
      const double cross =
          std::sqrt(std::pow(ab[1] * aq[2] - ab[2] * aq[1], 2) + std::pow(ab[2] * aq[0] - ab[0] * aq[2], 2) +
                    std::pow(ab[0] * aq[1] - ab[1] * aq[0], 2));
      const double len = std::sqrt(ab[0] * ab[0] + ab[1] * ab[1] + ab[2] * ab[2]);
      EXPECT_LE(cross / len, d + 1e-9) << "trial " << trial << " node " << i;
    }
  }
  EXPECT_GT(refined_cases, 150);
}

}  // namespace
