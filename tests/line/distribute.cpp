#include "line/distribute.h"

#include <cmath>
#include <random>

#include "test_support.h"

namespace {

using namespace testing_support;
using zarn::linegen::bounded_element_count;
using zarn::linegen::count_bounds;
using zarn::linegen::metric_field;
using zarn::linegen::node_distributor;
using zarn::linegen::size_field;

using Values = dense1D<double, 8>;

struct result {
  bool ok;
  dense2D<double> coords = points({{9, 9}}), metrics = points({{9, 9, 9}});
  Values sizes = values({9}), params = values({9});  // the engines empty every output first
};

// The isotropic engine, or the anisotropic one (2D) when metrics are given.
result run(const dense2D<double>& coords, const dense1D<unsigned int, 8>& chain, const Values& params,
           const Values& sizes, const dense2D<double>& metrics = dense2D<double>(), bool even = false,
           std::uint64_t nmin = 1, std::uint64_t nmax = 4294967295u) {
  result r;
  Values work;
  const count_bounds bounds{even, nmin, nmax};
  if (!metrics.empty())
    r.ok = node_distributor<2, metric_field<2>>(coords, chain, metrics)
               .distribute(params, bounds, r.coords, r.metrics, r.params, work);
  else if (coords.rows() == 2)
    r.ok = node_distributor<2, size_field>(coords, chain, sizes)
               .distribute(params, bounds, r.coords, r.sizes, r.params, work);
  else
    r.ok = node_distributor<3, size_field>(coords, chain, sizes)
               .distribute(params, bounds, r.coords, r.sizes, r.params, work);
  return r;
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
    const result r = run(points({{0, 0}, {c.total, 0}}), ids({0, 1}), Values(), values({1, 1}), {}, c.even,
                         c.nmin, c.nmax);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.coords.cols() + 1, c.elements)
        << "total " << c.total << " nmin " << c.nmin << " nmax " << c.nmax;
    EXPECT_TRUE(r.params.empty());
  }
  EXPECT_EQ(bounded_element_count(std::nan(""), {false, 2, 9}), 2u);
  EXPECT_EQ(bounded_element_count(0.0, {false, 1, 9}), 1u);
  EXPECT_EQ(bounded_element_count(INFINITY, {false, 1, 100}), 100u);
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
    const result r = run(coords, chain, arc, sizes);
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

// Zero-length segments, NaN coordinates and sizes, a node that falls exactly
// on a chain node, and metrics: only the size along the segment counts, a
// zero length in a metric, a pair that cannot be reduced (not positive
// definite, reached after the first segment got nodes: nothing is kept).
TEST(Distribute, DegenerateChainsAndMetrics) {
  const double nan = std::nan("");
  const dense2D<double> line = points({{0, 0}, {4, 0}, {8, 0}}), none(2, 0);
  // clang-format off
  const struct {
    dense2D<double> coords;
    Values params, sizes;
    dense2D<double> metrics;
    std::uint64_t nmin;
    dense2D<double> added;
    Values added_params;
  } cases[] = {
      {points({{2, 3}, {2, 3}, {2, 3}}), values({0, 0, 0}), values({0.5, 1, 2}), {}, 3,
       points({{2, 3}, {2, 3}}), values({0, 0})},
      {points({{0, 0}, {nan, 0}, {2, 0}}), values({0, 1, 2}), values({1, 1, 1}), {}, 1, none, values({})},
      {line, values({0, 1, 2}), values({1, 1, nan}), {}, 1, points({{1, 0}, {2, 0}, {3, 0}}), values({0.25, 0.5, 0.75})},
      {points({{0, 0}, {1, 0}, {1, 1}}), values({0, 5, 7}), values({1, 1, 1}), {}, 1, points({{1, 0}}), values({5})},
      {points({{0, 0}, {2, 0}, {4, 0}}), values({0, 1, 2}), {}, points({{1, 0, 100}, {1, 0, 100}, {1, 0, 100}}), 1,
       points({{1, 0}, {2, 0}, {3, 0}}), values({0.5, 1, 1.5})},
      {line, values({0, 1, 2}), {}, points({{1, 0, 1}, {1, 0, 1}, {0, 0, 1}}), 1,
       points({{1, 0}, {2, 0}, {3, 0}}), values({0.25, 0.5, 0.75})},
      {line, values({0, 1, 2}), {}, points({{1, 0, 1}, {1, 0, 1}, {1, 0, -1}}), 1, none, values({})}};
  // clang-format on
  for (const auto& c : cases) {
    const result r = run(c.coords, ids({0, 1, 2}), c.params, c.sizes, c.metrics, false, c.nmin, 10);
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(r.coords.cols(), c.added.cols()) << "case " << (&c - cases);
    for (std::size_t k = 0; k < c.added.cols(); ++k) {
      EXPECT_NEAR(r.coords(0, k), c.added(0, k), 1e-12);
      EXPECT_NEAR(r.coords(1, k), c.added(1, k), 1e-12);
      EXPECT_NEAR(r.params[k], c.added_params[k], 1e-15);
    }
    EXPECT_EQ(r.params.size(), c.added.cols());
    EXPECT_EQ(c.metrics.empty() ? r.sizes.size() : r.metrics.cols(), c.added.cols());
  }
}

}  // namespace
