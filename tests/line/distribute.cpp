#include "line/distribute.h"

#include <cmath>
#include <limits>
#include <random>

#include "test_support.h"

namespace {

using namespace testing_support;
using zarn::linegen::bounded_element_count;
using zarn::linegen::distribute_nodes_aniso;
using zarn::linegen::distribute_nodes_iso;

struct iso_result {
  dense2D<double> coords;
  dense1D<double, 8> sizes, params;
  bool ok;
};

iso_result run_iso(const dense2D<double>& coords, const dense1D<unsigned int, 8>& chain,
                   const dense1D<double, 8>& params, const dense1D<double, 8>& sizes, bool even = false,
                   std::uint64_t nmin = 1, std::uint64_t nmax = 4294967295u) {
  iso_result r;
  r.ok = coords.rows() == 2 ? distribute_nodes_iso<2>(coords, chain, params, sizes, 0.0, even, nmin, nmax,
                                                      r.coords, r.sizes, r.params)
                            : distribute_nodes_iso<3>(coords, chain, params, sizes, 0.0, even, nmin, nmax,
                                                      r.coords, r.sizes, r.params);
  return r;
}

// Elements of a straight chain of length L with equal sizes 1: the total is L.
std::size_t elements_for_total(double total, bool even, std::uint64_t nmin = 1, std::uint64_t nmax = 1000) {
  const iso_result r = run_iso(points({{0, 0}, {total, 0}}), ids({0, 1}), dense1D<double, 8>(),
                               values({1, 1}), even, nmin, nmax);
  EXPECT_TRUE(r.ok);
  return r.sizes.size() + 1;
}

TEST(DistributeIso, EqualSizesGiveEqualSteps) {
  const iso_result r = run_iso(points({{0, 0}, {10, 0}}), ids({0, 1}), values({0, 1}), values({1, 1}));
  ASSERT_TRUE(r.ok);
  ASSERT_EQ(r.coords.cols(), 9u);
  for (std::size_t k = 0; k < 9; ++k) {
    EXPECT_NEAR(r.coords(0, k), k + 1.0, 1e-12);
    EXPECT_EQ(r.coords(1, k), 0.0);
    EXPECT_EQ(r.sizes[k], 1.0);
    EXPECT_NEAR(r.params[k], (k + 1) / 10.0, 1e-15);
  }
}

TEST(DistributeIso, GradedSizesGiveAGeometricProgression) {
  const iso_result r =
      run_iso(points({{0, 0, 0}, {0, 0, 15}}), ids({0, 1}), dense1D<double, 8>(), values({1, 2}));
  ASSERT_TRUE(r.ok);
  const std::size_t k = r.coords.cols();
  ASSERT_GE(k, 5u);
  EXPECT_TRUE(r.params.empty());
  std::vector<double> z{0.0};
  for (std::size_t i = 0; i < k; ++i) z.push_back(r.coords(2, i));
  z.push_back(15.0);
  const double ratio = (z[2] - z[1]) / (z[1] - z[0]);
  EXPECT_GT(ratio, 1.0);  // crowded at the small-size end
  for (std::size_t i = 1; i + 1 < z.size(); ++i) {
    EXPECT_NEAR((z[i + 1] - z[i]) / (z[i] - z[i - 1]), ratio, 1e-10);
    EXPECT_NEAR(r.sizes[i - 1], 1.0 + z[i] / 15.0, 1e-12);  // linear size at the node
  }
}

TEST(DistributeIso, CountRoundsAtTheGeometricMean) {
  EXPECT_EQ(elements_for_total(2.4, false), 2u);
  EXPECT_EQ(elements_for_total(2.449, false), 2u);  // sqrt(6) = 2.44949
  EXPECT_EQ(elements_for_total(2.4495, false), 3u);
  EXPECT_EQ(elements_for_total(2.8, true), 2u);
  EXPECT_EQ(elements_for_total(2.828, true), 2u);  // sqrt(8) = 2.82843
  EXPECT_EQ(elements_for_total(2.8285, true), 4u);
  EXPECT_EQ(elements_for_total(0.3, false), 1u);
}

TEST(DistributeIso, BoundsApplyMinimumThenMaximumThenEvenness) {
  EXPECT_EQ(elements_for_total(10, false, 12, 20), 12u);
  EXPECT_EQ(elements_for_total(10, false, 1, 7), 7u);
  EXPECT_EQ(elements_for_total(10, true, 1, 5), 6u);  // nmax + 1
  EXPECT_EQ(elements_for_total(0.5, true, 1, 1), 2u);
  EXPECT_EQ(elements_for_total(1.5, true, 1, 1), 2u);
  EXPECT_EQ(bounded_element_count(0.0, false, 1, 9), 1u);
  EXPECT_EQ(bounded_element_count(7.0, true, 3, 3), 4u);
  EXPECT_EQ(bounded_element_count(std::nan(""), false, 2, 9), 2u);
  EXPECT_EQ(bounded_element_count(std::numeric_limits<double>::infinity(), false, 1, 100), 100u);
}

TEST(DistributeIso, CoincidentChainWithAMinimumCount) {
  const iso_result r = run_iso(points({{2, 3}, {2, 3}, {2, 3}}), ids({0, 1, 2}), values({0, 0, 0}),
                               values({0.5, 1, 2}), false, 3, 10);
  ASSERT_TRUE(r.ok);
  ASSERT_EQ(r.coords.cols(), 2u);
  for (std::size_t k = 0; k < 2; ++k) {
    EXPECT_TRUE(same_matrix(r.coords.sub_matrix(0, k, 2, 1), points({{2, 3}})));
    EXPECT_EQ(r.sizes[k], 0.5);
  }
}

TEST(DistributeIso, NotANumberInsertsNothingAndOutputsAreEmptied) {
  iso_result r;
  r.coords = points({{9, 9}});
  r.sizes = values({1});
  r.params = values({1});
  const double nan = std::nan("");
  ASSERT_TRUE(distribute_nodes_iso<2>(points({{0, 0}, {nan, 0}}), ids({0, 1}), values({0, 1}), values({1, 1}),
                                      0.0, false, 1, 100, r.coords, r.sizes, r.params));
  EXPECT_EQ(r.coords.cols(), 0u);
  EXPECT_TRUE(r.sizes.empty());
  EXPECT_TRUE(r.params.empty());
  // A NaN size only makes its segments count 0: the other segment is meshed.
  const iso_result s =
      run_iso(points({{0, 0}, {4, 0}, {8, 0}}), ids({0, 1, 2}), values({0, 1, 2}), values({1, 1, nan}));
  ASSERT_TRUE(s.ok);
  EXPECT_EQ(s.coords.cols(), 3u);
  EXPECT_NEAR(s.coords(0, 2), 3.0, 1e-12);
}

TEST(DistributeIso, NodeOnACumulativeValueEndsTheEarlierSegment) {
  // T = 2 on two unit segments: the single new node falls exactly at c[1].
  const iso_result r =
      run_iso(points({{0, 0}, {1, 0}, {1, 1}}), ids({0, 1, 2}), values({0, 5, 7}), values({1, 1, 1}));
  ASSERT_TRUE(r.ok);
  ASSERT_EQ(r.coords.cols(), 1u);
  EXPECT_TRUE(same_matrix(r.coords, points({{1, 0}})));
  EXPECT_EQ(r.params[0], 5.0);
}

TEST(DistributeIso, TooManyNodesToNumberIsAFailure) {
  iso_result r;
  EXPECT_FALSE(distribute_nodes_iso<2>(points({{0, 0}, {1, 0}}), ids({0, 1}), values({0, 1}),
                                       values({1e-300, 1e-300}), 0.0, false, 1, 4294967295u, r.coords,
                                       r.sizes, r.params));
  EXPECT_EQ(r.coords.cols(), 0u);
  EXPECT_TRUE(r.sizes.empty());
}

// The integral of 1/h along a segment of length L where h goes linearly from
// h0 to h1 up to the fraction u of the segment, by composite Simpson.
double integral(double L, double h0, double h1, double u) {
  const int m = 2000;
  const double len = L * u, dx = len / m;
  double sum = 0.0;
  for (int i = 0; i <= m; ++i) {
    const double w = (i == 0 || i == m) ? 1.0 : (i % 2 == 1 ? 4.0 : 2.0);
    sum += w / (h0 + (h1 - h0) * (i * dx) / L);
  }
  return sum * dx / 3.0;
}

TEST(DistributeIso, NodesSitWhereTheIntegralOfInverseSizeReachesItsShare) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> coord(-1.0, 1.0), size(0.02, 0.4);
  for (int trial = 0; trial < 20; ++trial) {
    const std::size_t N = 2 + trial % 6;
    dense2D<double> coords(3, N);
    dense1D<double, 8> arc(N), sizes(N);
    dense1D<unsigned int, 8> chain(N);
    for (std::size_t i = 0; i < N; ++i) {
      for (int r = 0; r < 3; ++r) coords(r, i) = coord(rng);
      sizes[i] = size(rng);
      chain[i] = static_cast<unsigned int>(N - 1 - i);  // chain order differs from column order
    }
    std::vector<double> lengths;
    arc[0] = 0.0;
    for (std::size_t i = 1; i < N; ++i) {
      double sq = 0.0;
      for (int r = 0; r < 3; ++r) sq += std::pow(coords(r, chain[i]) - coords(r, chain[i - 1]), 2);
      lengths.push_back(std::sqrt(sq));
      arc[i] = arc[i - 1] + lengths.back();
    }
    double total = 0.0;
    for (std::size_t i = 0; i + 1 < N; ++i) total += integral(lengths[i], sizes[i], sizes[i + 1], 1.0);
    const iso_result r = run_iso(coords, chain, arc, sizes);
    ASSERT_TRUE(r.ok);
    const std::size_t n = r.coords.cols() + 1;
    EXPECT_LT(std::fabs(double(n) - total), 1.0);
    for (std::size_t k = 0; k + 1 < n; ++k) {
      // Locate the node by its parameter (the arc length), integrate up to it.
      const double s = r.params[k];
      std::size_t seg = 0;
      while (seg + 2 < N && arc[seg + 1] < s) ++seg;
      double reached = 0.0;
      for (std::size_t i = 0; i < seg; ++i) reached += integral(lengths[i], sizes[i], sizes[i + 1], 1.0);
      const double u = (s - arc[seg]) / lengths[seg];
      reached += integral(lengths[seg], sizes[seg], sizes[seg + 1], u);
      EXPECT_NEAR(reached, (k + 1) * total / n, 1e-8 * total) << "trial " << trial << " node " << k;
      EXPECT_NEAR(r.sizes[k], sizes[seg] + u * (sizes[seg + 1] - sizes[seg]), 1e-12);
      for (int c = 0; c < 3; ++c) {
        const double a = coords(c, chain[seg]), b = coords(c, chain[seg + 1]);
        EXPECT_NEAR(r.coords(c, k), a + u * (b - a), 1e-12);
      }
    }
  }
}

// ---------------------------------------------------------------------------
// Anisotropic engine

dense2D<double> iso_metrics(const dense1D<double, 8>& sizes, int dim) {
  dense2D<double> m(dim == 2 ? 3 : 6, sizes.size(), 0.0);
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    const double e = 1.0 / (sizes[i] * sizes[i]);
    m(0, i) = e;
    m(2, i) = e;
    if (dim == 3) m(5, i) = e;
  }
  return m;
}

TEST(DistributeAniso, IsotropicMetricsReproduceSizes) {
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> coord(-1.0, 1.0), size(0.03, 0.3);
  for (int dim = 2; dim <= 3; ++dim) {
    for (int trial = 0; trial < 10; ++trial) {
      const std::size_t N = 2 + trial;
      dense2D<double> coords(dim, N);
      dense1D<double, 8> params(N), sizes(N);
      dense1D<unsigned int, 8> chain(N);
      for (std::size_t i = 0; i < N; ++i) {
        for (int r = 0; r < dim; ++r) coords(r, i) = coord(rng);
        sizes[i] = size(rng);
        params[i] = double(i);
        chain[i] = static_cast<unsigned int>(i);
      }
      const iso_result iso = run_iso(coords, chain, params, sizes, trial % 3 == 0);
      dense2D<double> nc, nm;
      dense1D<double, 8> np;
      const dense2D<double> metrics = iso_metrics(sizes, dim);
      ASSERT_TRUE(dim == 2 ? distribute_nodes_aniso<2>(coords, chain, params, metrics, 0.0, trial % 3 == 0, 1,
                                                       4294967295u, nc, nm, np)
                           : distribute_nodes_aniso<3>(coords, chain, params, metrics, 0.0, trial % 3 == 0, 1,
                                                       4294967295u, nc, nm, np));
      ASSERT_EQ(nc.cols(), iso.coords.cols());
      ASSERT_EQ(nm.cols(), iso.coords.cols());
      for (std::size_t k = 0; k < nc.cols(); ++k) {
        for (int r = 0; r < dim; ++r) EXPECT_NEAR(nc(r, k), iso.coords(r, k), 1e-12);
        EXPECT_NEAR(np[k], iso.params[k], 1e-11);
        const double e = 1.0 / (iso.sizes[k] * iso.sizes[k]);
        EXPECT_TRUE(near_rel(nm(0, k), e, 1e-10));
        EXPECT_TRUE(near_rel(nm(2, k), e, 1e-10));
        EXPECT_NEAR(nm(1, k), 0.0, 1e-9 * e);
      }
    }
  }
}

TEST(DistributeAniso, OnlyTheSizeAlongTheSegmentCounts) {
  dense2D<double> nc, nm;
  dense1D<double, 8> np;
  const dense2D<double> metrics = points({{1, 0, 100}, {1, 0, 100}});
  ASSERT_TRUE(distribute_nodes_aniso<2>(points({{0, 0}, {10, 0}}), ids({0, 1}), dense1D<double, 8>(), metrics,
                                        0.0, false, 1, 100, nc, nm, np));
  ASSERT_EQ(nc.cols(), 9u);
  EXPECT_TRUE(np.empty());
  for (std::size_t k = 0; k < 9; ++k) {
    EXPECT_NEAR(nc(0, k), k + 1.0, 1e-12);
    EXPECT_NEAR(nm(0, k), 1.0, 1e-12);
    EXPECT_NEAR(nm(1, k), 0.0, 1e-12);
    EXPECT_NEAR(nm(2, k), 100.0, 1e-10);
  }
}

TEST(DistributeAniso, ZeroLengthInAMetricGivesNoNodeInside) {
  // The middle metric gives the second segment zero length along x.
  dense2D<double> nc, nm;
  dense1D<double, 8> np;
  const dense2D<double> metrics = points({{1, 0, 1}, {1, 0, 1}, {0, 0, 1}});
  ASSERT_TRUE(distribute_nodes_aniso<2>(points({{0, 0}, {4, 0}, {8, 0}}), ids({0, 1, 2}), values({0, 1, 2}),
                                        metrics, 0.0, false, 1, 100, nc, nm, np));
  ASSERT_EQ(nc.cols(), 3u);
  for (std::size_t k = 0; k < 3; ++k) EXPECT_LE(nc(0, k), 4.0);
}

TEST(DistributeAniso, AnIrreduciblePairEmptiesEveryOutput) {
  // The second metric is not positive definite; the first segment gets nodes
  // before the second one is reached.
  dense2D<double> nc, nm;
  dense1D<double, 8> np;
  const dense2D<double> metrics = points({{1, 0, 1}, {1, 0, 1}, {1, 0, -1}});
  ASSERT_TRUE(distribute_nodes_aniso<2>(points({{0, 0}, {4, 0}, {8, 0}}), ids({0, 1, 2}), values({0, 1, 2}),
                                        metrics, 0.0, false, 1, 100, nc, nm, np));
  EXPECT_EQ(nc.cols(), 0u);
  EXPECT_EQ(nm.cols(), 0u);
  EXPECT_TRUE(np.empty());
}

}  // namespace
