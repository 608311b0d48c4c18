#include <linegen/linegen.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "progression/progression.h"
#include "test_support.h"

using namespace testing_support;
using zarn::linegen::subdivide;

namespace {
struct run {
  int status;
  std::vector<double> params, sizes;
  std::vector<unsigned> chain;
};

run subdivide_unit(double h0, double h1, bool round_up, bool even, unsigned nmin, unsigned nmax) {
  auto p = values({0, 1});
  auto s = values({h0, h1});
  zarn::dense1D<unsigned int, 8> out;
  const int status = subdivide(p, s, ids({0, 1}), round_up, even, nmin, nmax, out);
  return {status, to_vector(p), to_vector(s), to_vector(out)};
}
}  // namespace

TEST(Subdivide, WorkedCountsAndPlacements) {
  run r = subdivide_unit(0.25, 0.25, false, false, 1, 100);
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(r.params, (std::vector<double>{0, 1, 0.25, 0.5, 0.75}));
  EXPECT_EQ(r.sizes, (std::vector<double>{0.25, 0.25, 0.25, 0.25, 0.25}));
  EXPECT_EQ(r.chain, (std::vector<unsigned>{0, 2, 3, 4, 1}));
  // T = 2.5: even rounding gives 2 (6.25 <= 8), plain rounding 3 (6.25 > 6).
  EXPECT_EQ(subdivide_unit(0.4, 0.4, false, true, 1, 100).params, (std::vector<double>{0, 1, 0.5}));
  r = subdivide_unit(0.4, 0.4, false, false, 1, 100);
  ASSERT_EQ(r.params.size(), 4u);
  EXPECT_DOUBLE_EQ(r.params[2], 1.0 / 3);
  EXPECT_DOUBLE_EQ(r.params[3], 2.0 / 3);
  // T = 2.22 rounds down to 2; round_up raises it to 3.
  EXPECT_EQ(subdivide_unit(0.45, 0.45, false, false, 1, 100).params.size(), 3u);
  EXPECT_EQ(subdivide_unit(0.45, 0.45, true, false, 1, 100).params.size(), 4u);
  r = subdivide_unit(0.25, 0.25, false, false, 1, 1);
  EXPECT_EQ(r.chain, (std::vector<unsigned>{0, 1}));
  EXPECT_EQ(r.params.size(), 2u);
  // Steps 3 and 4 may pass nmax: 1 -> 2 by round_up, then even already.
  EXPECT_EQ(subdivide_unit(0.25, 0.25, true, true, 1, 1).chain.size(), 3u);
}

TEST(Subdivide, RandomSizesFollowTheRoundingRule) {
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> size(0.01, 0.5), gap(0.0, 1.0);
  for (int trial = 0; trial < 300; ++trial) {
    const std::size_t m = 2 + rng() % 6;
    zarn::dense1D<double, 8> p, s;
    zarn::dense1D<unsigned int, 8> chain;
    double at = 0;
    for (std::size_t k = 0; k < m; ++k) {
      p.push_back(at);
      s.push_back(size(rng));
      chain.push_back(unsigned(m - 1 - k));  // listed backwards: any order works
      at += gap(rng);
    }
    const bool round_up = rng() % 2, even = rng() % 2;
    const unsigned nmin = 1 + rng() % 3, nmax = nmin + rng() % 40;
    // The count the rule asks for, from the chain as given.
    double T = 0;
    for (std::size_t k = 1; k < m; ++k)
      T += zarn::linegen::ideal_segment_count(std::fabs(p[chain[k]] - p[chain[k - 1]]), s[chain[k - 1]],
                                              s[chain[k]]);
    std::uint64_t n = zarn::linegen::round_count(T, even ? 2 : 1);
    n = std::min<std::uint64_t>(std::max<std::uint64_t>({n, 1, nmin}), nmax);
    if (round_up && double(n) < T) ++n;
    if (even && n % 2) ++n;

    zarn::dense1D<unsigned int, 8> out = ids({77});
    ASSERT_EQ(subdivide(p, s, chain, round_up, even, nmin, nmax, out), 0);
    ASSERT_EQ(out.size(), n + 2) << trial;
    ASSERT_EQ(p.size(), m + n - 1);
    // Appended after 77: first chain node, new nodes m, m + 1, ..., last node
    // (the chain's interior nodes are dropped).
    EXPECT_EQ(out[1], chain[0]);
    EXPECT_EQ(out[n + 1], chain[m - 1]);
    for (std::size_t j = 1; j < n; ++j) EXPECT_EQ(out[j + 1], m + j - 1);
    // Node j stands where the count of elements from the first chain node,
    // with the size linear on each piece, reaches j T / n: measured back
    // with the size each node was given (the series forms of the count are
    // good to about 1e-7).
    std::vector<double> P, S, N(1, 0.0);
    for (std::size_t k = 0; k < m; ++k) P.push_back(p[chain[k]]), S.push_back(s[chain[k]]);
    for (std::size_t k = 1; k < m; ++k)
      N.push_back(N.back() + zarn::linegen::ideal_segment_count(std::fabs(P[k] - P[k - 1]), S[k - 1], S[k]));
    for (std::size_t j = 1; j < n; ++j) {
      const double x = p[m + j - 1], h = s[m + j - 1];
      std::size_t k = 1;
      while (k + 1 < m && x < P[k]) ++k;  // the chain runs backwards
      const double reached =
          N[k - 1] + zarn::linegen::ideal_segment_count(std::fabs(x - P[k - 1]), S[k - 1], h);
      EXPECT_TRUE(near_rel(reached, double(j) * T / double(n), 1e-6)) << trial << " node " << j;
    }
  }
}

// Finite parameters whose element count overflows (a span of 1e308 over
// sizes of 0.01, or one across the whole double range): the count is nmax,
// and the nodes still stand at finite, increasing parameters inside the
// chain's range with sizes between its end sizes.
TEST(Subdivide, OverflowingCountsPlaceFiniteNodes) {
  struct input {
    double p0, p1, s0, s1;
  };
  for (const input& in : {input{-0.0, 1e308, 0.0102, 0.01}, input{-1e308, 1e308, 1.0, 1.0},
                          input{0.0, 1.0, 1e-300, 1e-300}, input{0.0, 1.0, 5e-324, 5e-324}}) {
    auto p = values({in.p0, in.p1});
    auto s = values({in.s0, in.s1});
    zarn::dense1D<unsigned int, 8> out;
    ASSERT_EQ(subdivide(p, s, ids({0, 1}), false, false, 1, 12, out), 0) << in.p1 << " " << in.s0;
    ASSERT_EQ(p.size(), 13u);
    ASSERT_EQ(out.size(), 13u);
    double before = in.p0;
    for (std::size_t j = 2; j < p.size(); ++j) {
      EXPECT_TRUE(std::isfinite(p[j]) && p[j] >= before && p[j] <= in.p1) << "node " << j << ": " << p[j];
      EXPECT_TRUE(s[j] >= std::fmin(in.s0, in.s1) && s[j] <= std::fmax(in.s0, in.s1)) << "size " << s[j];
      before = p[j];
    }
  }
  // A span of one denormal: counts of a few ulps must not extrapolate.
  {
    auto p = values({-0.0, 4.9406564584124654e-324});
    auto s = values({0.01, 1.8372436821708107});
    zarn::dense1D<unsigned int, 8> out;
    ASSERT_EQ(subdivide(p, s, ids({0, 1}), true, false, 5, 4294967295u, out), 0);
    for (std::size_t j = 2; j < s.size(); ++j) {
      EXPECT_TRUE(s[j] >= 0.01 && s[j] <= 1.8372436821708107) << "size " << s[j];
      EXPECT_TRUE(p[j] >= 0.0 && p[j] <= 4.9406564584124654e-324) << "parameter " << p[j];
    }
  }
  // Equal sizes across the whole double range: equal steps.
  auto p = values({-1e308, 1e308});
  auto s = values({1.0, 1.0});
  zarn::dense1D<unsigned int, 8> out;
  ASSERT_EQ(subdivide(p, s, ids({0, 1}), false, false, 1, 4, out), 0);
  EXPECT_EQ(to_vector(p), (std::vector<double>{-1e308, 1e308, -5e307, 0.0, 5e307}));
}
