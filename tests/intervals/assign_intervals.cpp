#include <linegen/linegen.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "test_support.h"

using namespace testing_support;
using zarn::linegen::assign_intervals;

namespace {

struct network {
  std::vector<double> goals;
  std::vector<unsigned> lower, upper;
  std::vector<std::array<int, 3>> terms;  // constraint, curve, coefficient
  std::vector<int> kinds;

  int run(zarn::dense1D<unsigned, 8>& counts) const {
    zarn::dense1D<double, 8> g(goals.size());
    std::copy(goals.begin(), goals.end(), g.begin());
    zarn::dense1D<unsigned, 8> lo(lower.size()), up(upper.size());
    std::copy(lower.begin(), lower.end(), lo.begin());
    std::copy(upper.begin(), upper.end(), up.begin());
    zarn::dense2D<int> t(3, terms.size());
    for (std::size_t j = 0; j < terms.size(); ++j)
      for (int r = 0; r < 3; ++r) t(r, j) = terms[j][r];
    zarn::dense1D<int, 8> k(kinds.size());
    std::copy(kinds.begin(), kinds.end(), k.begin());
    return assign_intervals(g, lo, up, t, k, counts);
  }
  // Largest and summed deviation of counts meeting every bound and
  // constraint; largest = infinity otherwise.
  std::array<double, 2> score(const std::vector<long long>& x) const {
    std::vector<long long> sums(kinds.size(), 0);
    for (const auto& t : terms) sums[t[0]] += t[2] * x[t[1]];
    for (std::size_t c = 0; c < kinds.size(); ++c)
      if (kinds[c] == 0 ? sums[c] != 0 : sums[c] % 2 != 0) return {INFINITY, INFINITY};
    double largest = 0, sum = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
      if (x[i] < (lower.empty() ? 1 : lower[i]) || x[i] > upper[i]) return {INFINITY, INFINITY};
      const double r = std::max(x[i] / goals[i], goals[i] / x[i]);
      largest = std::max(largest, r);
      sum += r;
    }
    return {largest, sum};
  }
  // Every count vector in the bounds' box: least largest, then least sum.
  std::array<double, 2> brute_force() const {
    std::vector<long long> x(goals.size());
    for (std::size_t i = 0; i < x.size(); ++i) x[i] = lower.empty() ? 1 : lower[i];
    std::array<double, 2> best{INFINITY, INFINITY};
    for (;;) {
      best = std::min(best, score(x));
      std::size_t i = 0;
      for (; i < x.size() && x[i] == upper[i]; ++i) x[i] = lower.empty() ? 1 : lower[i];
      if (i == x.size()) return best;
      ++x[i];
    }
  }
};

// Random mapped faces (sides of one or two curves) and paved faces over n
// curves, goals in [0.6, 7], boxes of at most 60000 count vectors, some
// curves fixed.
network random_network(std::mt19937& rng, int n) {
  auto pick = [&](int m) { return static_cast<int>(rng() % static_cast<unsigned>(m)); };
  network net;
  std::uniform_real_distribution<double> goal(0.6, 7.0);
  const bool has_lower = pick(2) == 0;
  double box = 1;
  for (int i = 0; i < n; ++i) {
    net.goals.push_back(goal(rng));
    const unsigned lo = has_lower ? 1 + (pick(3) == 0) : 1;
    if (has_lower) net.lower.push_back(lo);
    int width = pick(10) == 0 ? 0 : 1 + pick(5);
    while (box * (width + 1) > 60000) --width;
    box *= width + 1;
    net.upper.push_back(lo + static_cast<unsigned>(width));
  }
  std::vector<int> order(n);
  for (int i = 0; i < n; ++i) order[i] = i;
  for (int f = 1 + pick(6); f > 0; --f) {
    std::shuffle(order.begin(), order.end(), rng);
    const int c = static_cast<int>(net.kinds.size());
    if (n >= 4 && pick(3) == 0) {  // mapped: side 0 = side 2, side 1 = side 3
      int used = 0;
      for (int side = 0; side < 4; ++side)
        for (int m = (n - used > 4 - side && pick(4) == 0) ? 2 : 1; m > 0; --m)
          net.terms.push_back({c + side % 2, order[used++], side < 2 ? 1 : -1});
      net.kinds.insert(net.kinds.end(), {0, 0});
    } else {  // paved: the loop's total is even
      for (int m = 1 + pick(std::min(n, 4)); m > 0; --m)
        net.terms.push_back({c, order[m - 1], pick(3) ? 1 : -3});
      net.kinds.push_back(1);
    }
  }
  return net;
}

// Each argument check, on an entry past the first; a refused call leaves the
// counts alone.
TEST(AssignIntervals, EachBadArgumentIsNamedAndLeavesCountsUnchanged) {
  const network base{{3.2, 4.1}, {}, {}, {{0, 0, 1}, {0, 1, -1}}, {0}};
  const std::pair<network, int> cases[] = {{{{3.2, NAN}, {}, {}, base.terms, {0}}, -1},
                                           {{base.goals, {1, 0}, {}, base.terms, {0}}, -2},
                                           {{base.goals, {2, 3}, {5, 2}, base.terms, {0}}, -3},
                                           {{base.goals, {}, {}, {{0, 0, 1}, {0, 2, 1}}, {0}}, -4},
                                           {{base.goals, {}, {}, {{0, 0, 2}}, {0}}, -4},
                                           {{base.goals, {}, {}, base.terms, {0, 2}}, -5}};
  for (const auto& [net, code] : cases) {
    zarn::dense1D<unsigned, 8> counts(1, 7u);
    EXPECT_EQ(net.run(counts), code);
    EXPECT_TRUE(same_vector(counts, ids({7})));
  }
}

// Paved faces over more curves than one 64-bit word of the parity rows holds:
// one over curves 0 to 69, then a second over 65 to 70 as well. Curve 69,
// on both, is the one whose goal rounds the sums odd: it moves, as it
// deviates least.
TEST(AssignIntervals, ParityOverMoreCurvesThanAWordMovesTheCheapestCurve) {
  for (int faces = 1; faces <= 2; ++faces) {
    network net{std::vector<double>(71, 4.0), {}, {}, {}, std::vector<int>(faces, 1)};
    net.goals[69] = 3.4;
    for (int k = 0; k < 70; ++k) net.terms.push_back({0, k, 1});
    for (int k = 65; k < 71 && faces == 2; ++k) net.terms.push_back({1, k, 1});
    zarn::dense1D<unsigned, 8> counts;
    ASSERT_EQ(net.run(counts), 0);
    EXPECT_TRUE(same_vector(counts, zarn::dense1D<unsigned, 8>(71, 4u))) << faces << " faces";
  }
}

}  // namespace

TEST(AssignIntervals, MatchesBruteForceOnRandomNetworks) {
  std::mt19937 rng(14);
  int feasible = 0, infeasible = 0;
  for (int trial = 0; trial < 400; ++trial) {
    const network net = random_network(rng, 1 + trial % 16);
    const std::array<double, 2> best = net.brute_force();
    zarn::dense1D<unsigned, 8> counts(1, 7u);
    const int status = net.run(counts);
    if (std::isinf(best[0])) {
      ++infeasible;
      EXPECT_EQ(status, -4) << "trial " << trial;
      EXPECT_TRUE(same_vector(counts, ids({7}))) << "trial " << trial;
      continue;
    }
    ++feasible;
    ASSERT_EQ(status, 0) << "trial " << trial;
    ASSERT_EQ(counts.size(), net.goals.size());
    const std::array<double, 2> got = net.score(std::vector<long long>(counts.begin(), counts.end()));
    EXPECT_EQ(got[0], best[0]) << "trial " << trial;
    EXPECT_TRUE(near_rel(got[1], best[1], 1e-12)) << "trial " << trial;
  }
  EXPECT_GT(feasible, 200);
  EXPECT_GT(infeasible, 20);
}
