#include "line/distribute.h"

#include <cmath>
#include <random>

#include "test_support.h"

namespace {

using namespace testing_support;
using zarn::linegen::bounded_element_count;
using zarn::linegen::distribute_nodes_aniso;
using zarn::linegen::distribute_nodes_iso;

struct result {
  bool ok;
  dense2D<double> coords, metrics;
  dense1D<double, 8> sizes = values({9}), params = values({9});  // the engines empty them first
};

result run_iso(const dense2D<double>& coords, const dense1D<unsigned int, 8>& chain,
               const dense1D<double, 8>& params, const dense1D<double, 8>& sizes, bool even = false,
               std::uint64_t nmin = 1, std::uint64_t nmax = 4294967295u) {
  result r;
  r.coords = points({{9, 9}});
  r.ok = coords.rows() == 2 ? distribute_nodes_iso<2>(coords, chain, params, sizes, 0.0, even, nmin, nmax,
                                                      r.coords, r.sizes, r.params)
                            : distribute_nodes_iso<3>(coords, chain, params, sizes, 0.0, even, nmin, nmax,
                                                      r.coords, r.sizes, r.params);
  return r;
}

::testing::AssertionResult near_matrix(const dense2D<double>& a, const dense2D<double>& b) {
  if (a.cols() != b.cols())
    return ::testing::AssertionFailure() << a.cols() << " vs " << b.cols() << " columns";
  for (std::size_t j = 0; j < a.cols(); ++j)
    for (std::size_t i = 0; i < a.rows(); ++i)
      if (!(std::fabs(a(i, j) - b(i, j)) <= 1e-12))
        return ::testing::AssertionFailure()
               << "(" << i << ", " << j << "): " << a(i, j) << " vs " << b(i, j);
  return ::testing::AssertionSuccess();
}

// The element count of a straight chain of length `total` with unit sizes:
// rounded at the geometric mean of the two nearest admissible counts, then
// raised to 1 and nmin, lowered to nmax, and made even last.
TEST(DistributeIso, CountRuleAtItsThresholdsAndBoundingOrder) {
  const struct {
    double total;
    bool even;
    std::uint64_t nmin, nmax, elements;
  } cases[] = {{2.449, false, 1, 99, 2}, {2.4495, false, 1, 99, 3},  // sqrt(6) = 2.44949
               {2.828, true, 1, 99, 2},  {2.8285, true, 1, 99, 4},   // sqrt(8) = 2.82843
               {0.3, false, 1, 99, 1},   {10, false, 12, 20, 12},
               {10, false, 1, 7, 7},     {10, true, 1, 5, 6},  // an odd nmax gives nmax + 1
               {0.5, true, 1, 1, 2}};
  for (const auto& c : cases) {
    const result r = run_iso(points({{0, 0}, {c.total, 0}}), ids({0, 1}), dense1D<double, 8>(),
                             values({1, 1}), c.even, c.nmin, c.nmax);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.coords.cols() + 1, c.elements)
        << "total " << c.total << " nmin " << c.nmin << " nmax " << c.nmax;
    EXPECT_TRUE(r.params.empty());
  }
  EXPECT_EQ(bounded_element_count(std::nan(""), false, 2, 9), 2u);
  EXPECT_EQ(bounded_element_count(INFINITY, false, 1, 100), 100u);
}

// The integral of 1/h along a segment of length L where h goes linearly from
// h0 to h1, up to the fraction u of the segment, by composite Simpson.
double integral(double L, double h0, double h1, double u) {
  const int m = 2000;
  const double dx = L * u / m;
  double sum = 0.0;
  for (int i = 0; i <= m; ++i)
    sum += ((i == 0 || i == m) ? 1.0 : (i % 2 == 1 ? 4.0 : 2.0)) / (h0 + (h1 - h0) * (i * dx) / L);
  return sum * dx / 3.0;
}

// Node k sits where the integral of 1/size reaches k/n of its total, with
// the size, coordinates and parameter of that point.
TEST(DistributeIso, NodesSitWhereTheIntegralOfInverseSizeReachesItsShare) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> coord(-1.0, 1.0), size(0.02, 0.4);
  for (int trial = 0; trial < 20; ++trial) {
    const std::size_t N = 2 + trial % 6, dim = 2 + trial % 2;
    dense2D<double> coords(dim, N);
    dense1D<double, 8> arc(N), sizes(N);
    dense1D<unsigned int, 8> chain(N);
    for (std::size_t i = 0; i < N; ++i) {
      for (std::size_t r = 0; r < dim; ++r) coords(r, i) = coord(rng);
      sizes[i] = size(rng);
      chain[i] = static_cast<unsigned int>(N - 1 - i);  // chain order differs from column order
    }
    std::vector<double> lengths, whole;  // per segment: length, integral over it
    arc[0] = 0.0;
    double total = 0.0;
    for (std::size_t i = 1; i < N; ++i) {
      double sq = 0.0;
      for (std::size_t r = 0; r < dim; ++r) sq += std::pow(coords(r, chain[i]) - coords(r, chain[i - 1]), 2);
      lengths.push_back(std::sqrt(sq));
      whole.push_back(integral(lengths.back(), sizes[i - 1], sizes[i], 1.0));
      arc[i] = arc[i - 1] + lengths.back();
      total += whole.back();
    }
    const result r = run_iso(coords, chain, arc, sizes);
    ASSERT_TRUE(r.ok);
    const std::size_t n = r.coords.cols() + 1;
    EXPECT_LT(std::fabs(double(n) - total), 1.0);
    for (std::size_t k = 0; k + 1 < n; ++k) {
      std::size_t seg = 0;
      double reached = 0.0;
      for (; seg + 2 < N && arc[seg + 1] < r.params[k]; ++seg) reached += whole[seg];
      const double u = (r.params[k] - arc[seg]) / lengths[seg];
      reached += integral(lengths[seg], sizes[seg], sizes[seg + 1], u);
      // The count rule's series for nearly equal sizes is good to about 1e-7.
      EXPECT_NEAR(reached, (k + 1) * total / n, 1e-6 * total) << "trial " << trial << " node " << k;
      EXPECT_NEAR(r.sizes[k], sizes[seg] + u * (sizes[seg + 1] - sizes[seg]), 1e-12);
      for (std::size_t c = 0; c < dim; ++c) {
        const double a = coords(c, chain[seg]), b = coords(c, chain[seg + 1]);
        EXPECT_NEAR(r.coords(c, k), a + u * (b - a), 1e-12);
      }
    }
  }
}

// Zero-length segments, NaN coordinates and sizes, and a node that falls
// exactly on a chain node: new coordinates and parameters.
TEST(DistributeIso, DegenerateChains) {
  const double nan = std::nan("");
  const struct {
    dense2D<double> coords;
    dense1D<double, 8> params, sizes;
    std::uint64_t nmin;
    dense2D<double> added;
    dense1D<double, 8> added_params;
  } cases[] = {// Coincident nodes with a minimum count: the nodes stack on them.
               {points({{2, 3}, {2, 3}, {2, 3}}), values({0, 0, 0}), values({0.5, 1, 2}), 3,
                points({{2, 3}, {2, 3}}), values({0, 0})},
               // A NaN total inserts nothing.
               {points({{0, 0}, {nan, 0}, {2, 0}}), values({0, 1, 2}), values({1, 1, 1}), 1,
                dense2D<double>(2, 0), values({})},
               // A NaN size only makes its segment count nothing.
               {points({{0, 0}, {4, 0}, {8, 0}}), values({0, 1, 2}), values({1, 1, nan}), 1,
                points({{1, 0}, {2, 0}, {3, 0}}), values({0.25, 0.5, 0.75})},
               // A node on a cumulative value ends the earlier segment.
               {points({{0, 0}, {1, 0}, {1, 1}}), values({0, 5, 7}), values({1, 1, 1}), 1, points({{1, 0}}),
                values({5})}};
  for (const auto& c : cases) {
    const result r = run_iso(c.coords, ids({0, 1, 2}), c.params, c.sizes, false, c.nmin, 10);
    ASSERT_TRUE(r.ok);
    EXPECT_TRUE(near_matrix(r.coords, c.added));
    ASSERT_EQ(r.params.size(), c.added_params.size());
    for (std::size_t k = 0; k < r.params.size(); ++k) EXPECT_NEAR(r.params[k], c.added_params[k], 1e-15);
    EXPECT_EQ(r.sizes.size(), c.added.cols());
  }
}

result run_aniso(const dense2D<double>& coords, const dense2D<double>& metrics) {
  result r;
  r.coords = points({{9, 9}});
  r.metrics = points({{9, 9, 9}});
  dense1D<unsigned int, 8> chain(coords.cols());
  for (std::size_t i = 0; i < chain.size(); ++i) chain[i] = static_cast<unsigned int>(i);
  r.ok = distribute_nodes_aniso<2>(coords, chain, values({0, 1, 2}).sub_vector(0, coords.cols()), metrics,
                                   0.0, false, 1, 100, r.coords, r.metrics, r.params);
  return r;
}

TEST(DistributeAniso, SizeAlongTheSegmentAndDegenerateMetrics) {
  // Only the size along the segment counts; new metrics are interpolated.
  const result r = run_aniso(points({{0, 0}, {10, 0}}), points({{1, 0, 100}, {1, 0, 100}}));
  ASSERT_TRUE(r.ok);
  EXPECT_TRUE(near_matrix(r.coords,
                          points({{1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 0}, {7, 0}, {8, 0}, {9, 0}})));
  for (std::size_t k = 0; k < 9; ++k)
    for (std::size_t i = 0; i < 3; ++i) EXPECT_NEAR(r.metrics(i, k), i == 0 ? 1.0 : 100.0 * (i / 2), 1e-10);
  // A metric giving the second segment zero length: its nodes all go to the first.
  const dense2D<double> line = points({{0, 0}, {4, 0}, {8, 0}});
  const result flat = run_aniso(line, points({{1, 0, 1}, {1, 0, 1}, {0, 0, 1}}));
  ASSERT_TRUE(flat.ok);
  EXPECT_TRUE(near_matrix(flat.coords, points({{1, 0}, {2, 0}, {3, 0}})));
  // A pair that cannot be reduced (not positive definite), reached after the
  // first segment got nodes: no interior node, every output empty.
  const result bad = run_aniso(line, points({{1, 0, 1}, {1, 0, 1}, {1, 0, -1}}));
  ASSERT_TRUE(bad.ok);
  EXPECT_EQ(bad.coords.cols(), 0u);
  EXPECT_EQ(bad.metrics.cols(), 0u);
  EXPECT_TRUE(bad.params.empty());
}

}  // namespace
