// Groups whose constraints are parities over classes. A class whose range
// holds two or more counts can take either parity, so such a group's
// feasibility at a threshold is a linear system over GF(2): one row per
// parity, one unknown per class that has a choice.
#include <algorithm>
#include <array>
#include <cassert>
#include <cstdint>
#include <limits>

#include "intervals/network.h"

namespace zarn {
namespace linegen {
namespace intervals {

namespace {

// Rows of bits over the group's classes, each with a right-hand side bit.
struct gf2_rows {
  std::size_t words = 0;
  std::vector<std::uint64_t> bits;
  std::vector<char> rhs;

  void reset(std::size_t rows, std::size_t cols) {
    words = (cols + 63) / 64;
    bits.assign(rows * words, 0);
    rhs.assign(rows, 0);
  }
  bool get(std::size_t r, std::size_t c) const { return (bits[r * words + c / 64] >> (c % 64)) & 1; }
  void flip(std::size_t r, std::size_t c) { bits[r * words + c / 64] ^= std::uint64_t(1) << (c % 64); }
  void add_row(std::size_t dst, std::size_t src) {
    for (std::size_t w = 0; w < words; ++w) bits[dst * words + w] ^= bits[src * words + w];
    rhs[dst] ^= rhs[src];
  }
  void swap_rows(std::size_t a, std::size_t b) {
    for (std::size_t w = 0; w < words; ++w) std::swap(bits[a * words + w], bits[b * words + w]);
    std::swap(rhs[a], rhs[b]);
  }
};

// Gauss-Jordan elimination taking the columns in `order`, so that the first
// columns become pivots. pivots[r] is the pivot column of row r < rank. Only
// rows below a pivot are cleared unless `full`. False when a row reads 0 = 1.
bool eliminate(gf2_rows& m, const std::vector<int>& order, bool full, std::vector<int>& pivots) {
  const std::size_t rows = m.rhs.size();
  pivots.clear();
  for (int c : order) {
    const std::size_t rank = pivots.size();
    std::size_t r = rank;
    while (r < rows && !m.get(r, c)) ++r;
    if (r == rows) continue;
    m.swap_rows(r, rank);
    for (std::size_t o = full ? 0 : rank + 1; o < rows; ++o)
      if (o != rank && m.get(o, c)) m.add_row(o, rank);
    pivots.push_back(c);
    if (pivots.size() == rows) break;
  }
  for (std::size_t r = pivots.size(); r < rows; ++r)
    if (m.rhs[r]) return false;
  return true;
}

// The parities still to solve once a class with a choice that only one
// remaining parity meets has settled that parity (whatever the others need,
// it can match it). Repeated, this empties tree-like systems such as a grid
// of faces peeled from its boundary. With `delta`, `settled` receives each
// set-aside parity with the class that settles it, the cheapest it meets
// alone.
std::vector<int> rows_to_solve(const group& g, const std::vector<std::vector<int>>& rows_of,
                               const std::vector<char>& free, const std::vector<double>* delta = nullptr,
                               std::vector<std::array<int, 2>>* settled = nullptr) {
  std::vector<int> meets(g.classes.size(), 0), alone;
  std::vector<char> open(g.parities.size(), 1);
  for (const std::vector<int>& row : g.parities)
    for (int k : row) meets[k] += free[k];
  for (std::size_t k = 0; k < meets.size(); ++k)
    if (meets[k] == 1) alone.push_back(static_cast<int>(k));
  while (!alone.empty()) {
    int k = alone.back();
    alone.pop_back();
    if (meets[k] != 1) continue;
    int r = 0;
    for (int candidate : rows_of[k])
      if (open[candidate]) r = candidate;
    open[r] = 0;
    if (settled) {
      for (int j : g.parities[r])
        if (free[j] && meets[j] == 1 && (*delta)[j] < (*delta)[k]) k = j;
      settled->push_back({r, k});
    }
    for (int j : g.parities[r])
      if (free[j] && --meets[j] == 1) alone.push_back(j);
  }
  std::vector<int> rows;
  for (std::size_t r = 0; r < open.size(); ++r)
    if (open[r]) rows.push_back(static_cast<int>(r));
  return rows;
}

// At threshold R, classes with a choice are unknowns; the others hold their
// single count, best_max.
bool consistent_at(const group& g, const std::vector<std::vector<int>>& rows_of,
                   const std::vector<double>& two_counts, double R, gf2_rows& m,
                   const std::vector<int>& order, std::vector<int>& pivots) {
  std::vector<char> free(g.classes.size());
  for (std::size_t k = 0; k < free.size(); ++k) free[k] = R >= two_counts[k];
  const std::vector<int> rows = rows_to_solve(g, rows_of, free);
  m.reset(rows.size(), g.classes.size());
  for (std::size_t r = 0; r < rows.size(); ++r)
    for (int k : g.parities[rows[r]]) {
      if (free[k])
        m.flip(r, k);
      else
        m.rhs[r] ^= static_cast<char>(g.classes[k].best_max & 1);
    }
  return eliminate(m, order, false, pivots);
}

}  // namespace

bool parity_minimise_largest(const group& g, double& R) {
  // Below R_lb some class has no count; from there each class holds its one
  // best count until its two-count threshold, so only these thresholds can
  // be the answer, and feasibility only grows with R.
  double lowest = 1;
  for (const curve_class& c : g.classes) lowest = std::max(lowest, class_largest(c, c.best_max));
  R = lowest;
  if (g.parities.empty()) return true;
  std::vector<double> two_counts(g.classes.size()), candidates(1, lowest);
  for (std::size_t k = 0; k < g.classes.size(); ++k) {
    two_counts[k] = two_count_threshold(g.classes[k]);
    if (two_counts[k] > lowest && two_counts[k] < std::numeric_limits<double>::infinity())
      candidates.push_back(two_counts[k]);
  }
  std::sort(candidates.begin(), candidates.end());
  candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
  std::vector<int> order(g.classes.size()), pivots;
  for (std::size_t k = 0; k < order.size(); ++k) order[k] = static_cast<int>(k);
  std::vector<std::vector<int>> rows_of(g.classes.size());
  for (std::size_t r = 0; r < g.parities.size(); ++r)
    for (int k : g.parities[r]) rows_of[k].push_back(static_cast<int>(r));
  gf2_rows m;
  if (!consistent_at(g, rows_of, two_counts, candidates.back(), m, order, pivots)) return false;
  std::size_t lo = 0, hi = candidates.size() - 1;  // the answer is in [lo, hi]
  while (lo < hi) {
    const std::size_t mid = lo + (hi - lo) / 2;
    if (consistent_at(g, rows_of, two_counts, candidates[mid], m, order, pivots))
      hi = mid;
    else
      lo = mid + 1;
  }
  R = candidates[lo];
  return true;
}

namespace {

// Chooses which classes take their second-best count (the other parity) so
// that every parity holds, at the least added sum. m is reduced with the
// cheapest columns as pivots: a choice of the other columns decides the
// pivots. Up to 16 free columns every choice is tried; beyond, single
// columns are flipped while that lowers the sum.
std::vector<char> cheapest_flips(const gf2_rows& m, const std::vector<int>& pivots,
                                 const std::vector<int>& others, const std::vector<double>& delta) {
  const std::size_t rank = pivots.size(), d = others.size();
  std::vector<char> chosen(d, 0), pivot_flip(rank);
  for (std::size_t r = 0; r < rank; ++r) pivot_flip[r] = m.rhs[r];
  auto gain = [&](std::size_t j) {  // change of the sum when column j flips
    double s = delta[others[j]] * (chosen[j] ? -1 : 1);
    for (std::size_t r = 0; r < rank; ++r)
      if (m.get(r, others[j])) s += delta[pivots[r]] * (pivot_flip[r] ? -1 : 1);
    return s;
  };
  auto toggle = [&](std::size_t j) {
    chosen[j] ^= 1;
    for (std::size_t r = 0; r < rank; ++r)
      if (m.get(r, others[j])) pivot_flip[r] ^= 1;
  };
  if (d <= 16) {
    // Gray code: each step flips one column; remember the best step.
    double sum = 0;
    for (std::size_t r = 0; r < rank; ++r) sum += pivot_flip[r] ? delta[pivots[r]] : 0;
    double best = sum;
    std::uint32_t best_code = 0;
    for (std::uint32_t step = 1; step < (std::uint32_t(1) << d); ++step) {
      const std::size_t j = static_cast<std::size_t>(__builtin_ctz(step));
      sum += gain(j);
      toggle(j);
      if (sum < best) best = sum, best_code = step ^ (step >> 1);
    }
    for (std::size_t j = 0; j < d; ++j)
      if (static_cast<std::uint32_t>(chosen[j]) != ((best_code >> j) & 1)) toggle(j);
  } else {
    for (int pass = 0, improved = 1; improved && pass < 8; ++pass) {
      improved = 0;
      for (std::size_t j = 0; j < d; ++j)
        if (gain(j) < 0) toggle(j), improved = 1;
    }
  }
  std::vector<char> flip(delta.size(), 0);
  for (std::size_t j = 0; j < d; ++j) flip[others[j]] = chosen[j];
  for (std::size_t r = 0; r < rank; ++r) flip[pivots[r]] = pivot_flip[r];
  return flip;
}

}  // namespace

namespace {

// Per class at threshold R: its best count, and where it has a choice, its
// best count of the other parity (second, 0 without a choice) and how much
// that adds to the sum (delta).
struct parity_choices {
  std::vector<count_t> best, second;
  std::vector<double> delta;
};

parity_choices choices_at(const group& g, double R) {
  const std::size_t K = g.classes.size();
  parity_choices p{std::vector<count_t>(K), std::vector<count_t>(K, 0), std::vector<double>(K, 0)};
  for (std::size_t k = 0; k < K; ++k) {
    const curve_class& c = g.classes[k];
    count_t a = 0, b = 0;
    const bool found = class_range(c, R, a, b);
    assert(found && "R is at least every class's least largest deviation");
    (void)found;
    // The sum is convex in the count: the best count of the other parity
    // is a neighbour of the best one.
    const count_t x = std::min(std::max(c.best_sum, a), b);
    p.best[k] = x;
    if (a == b) continue;
    p.second[k] = x == a                                       ? x + 1
                  : x == b                                     ? x - 1
                  : class_sum(c, x - 1) <= class_sum(c, x + 1) ? x - 1
                                                               : x + 1;
    p.delta[k] = class_sum(c, p.second[k]) - class_sum(c, x);
  }
  return p;
}

// Above this many matrix entries (parities x classes) the parities that a
// class settles alone are set aside before the dense reduction, so a large
// group costs about its term count; their classes are then chosen one parity
// at a time rather than over all combinations.
constexpr std::size_t dense_entries = std::size_t(1) << 22;

}  // namespace

void parity_minimise_sum(const group& g, double R, std::vector<count_t>& values) {
  const std::size_t K = g.classes.size(), P = g.parities.size();
  const parity_choices p = choices_at(g, R);
  values = p.best;
  if (P == 0) return;
  std::vector<char> free(K);
  for (std::size_t k = 0; k < K; ++k) free[k] = p.second[k] != 0;
  std::vector<std::array<int, 2>> settled;
  std::vector<int> rows(P);
  for (std::size_t r = 0; r < P; ++r) rows[r] = static_cast<int>(r);
  if (P * K > dense_entries) {
    std::vector<std::vector<int>> rows_of(K);
    for (std::size_t r = 0; r < P; ++r)
      for (int k : g.parities[r]) rows_of[k].push_back(static_cast<int>(r));
    rows = rows_to_solve(g, rows_of, free, &p.delta, &settled);
  }
  // The remaining parities, reduced with the cheapest classes as pivots.
  gf2_rows m;
  m.reset(rows.size(), K);
  std::vector<char> in_rows(K, 0);
  for (std::size_t r = 0; r < rows.size(); ++r)
    for (int k : g.parities[rows[r]]) {
      if (free[k]) m.flip(r, k), in_rows[k] = 1;
      m.rhs[r] ^= static_cast<char>(values[k] & 1);
    }
  std::vector<int> order, pivots, others;
  for (std::size_t k = 0; k < K; ++k)
    if (in_rows[k]) order.push_back(static_cast<int>(k));
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return p.delta[a] < p.delta[b]; });
  const bool consistent = eliminate(m, order, true, pivots);
  assert(consistent && "R is at least the group's least largest deviation");
  (void)consistent;
  std::vector<char> is_pivot(K, 0);
  for (int q : pivots) is_pivot[q] = 1;
  for (int k : order)
    if (!is_pivot[k]) others.push_back(k);
  std::vector<char> flip = cheapest_flips(m, pivots, others, p.delta);
  // The set-aside parities, last first: each one's class matches the rest.
  for (auto it = settled.rbegin(); it != settled.rend(); ++it) {
    count_t parity = 0;
    for (int j : g.parities[(*it)[0]]) parity ^= (flip[j] ? p.second[j] : values[j]) & 1;
    flip[(*it)[1]] ^= static_cast<char>(parity);
  }
  for (std::size_t k = 0; k < K; ++k)
    if (flip[k]) values[k] = p.second[k];
}

}  // namespace intervals
}  // namespace linegen
}  // namespace zarn
