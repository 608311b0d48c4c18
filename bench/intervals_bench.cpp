// Interval assignment on an n x n grid of quadrilateral faces with random
// goals in [2, 20]: mapped faces (opposite sides equal; the equalities chain
// whole rows and columns of curves into classes) and paved faces (each
// face's four curves sum to an even count; one group of n^2 parities), and
// mapped faces whose every fifth edge is made of two curves.
// Counters: status, the largest deviation of the result and the constraints
// it misses.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include <linegen/linegen.h>

namespace {

using zarn::dense1D;
using zarn::dense2D;

struct grid_network {
  dense1D<double, 8> goals;
  dense2D<int> terms;
  dense1D<int, 8> kinds;
};

// Edges: horizontal ones h(i, j) (n + 1 rows of n), then vertical ones
// v(i, j) (n rows of n + 1). Face (i, j) has bottom h(i, j), top h(i + 1, j),
// left v(i, j), right v(i, j + 1). Every `split`-th edge (0: none) is made of
// two curves with 0.4 and 0.6 of its goal: a side of several curves.
grid_network grid(int n, bool mapped, int split) {
  grid_network g;
  const int horizontal = (n + 1) * n, edges = horizontal + n * (n + 1);
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> goal(2.0, 20.0);
  std::vector<std::vector<int>> curves_of(static_cast<std::size_t>(edges));
  for (int e = 0; e < edges; ++e) {
    const double x = goal(rng);
    const std::vector<double> parts =
        split > 0 && e % split == 0 ? std::vector<double>{0.4 * x, 0.6 * x} : std::vector<double>{x};
    for (double part : parts) {
      curves_of[e].push_back(static_cast<int>(g.goals.size()));
      g.goals.push_back(part);
    }
  }
  std::vector<int> t;
  auto side = [&](int c, int edge, int coefficient) {
    for (int curve : curves_of[edge]) t.insert(t.end(), {c, curve, coefficient});
  };
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) {
      const int bottom = i * n + j, top = (i + 1) * n + j;
      const int left = horizontal + i * (n + 1) + j, right = left + 1;
      const int c = static_cast<int>(g.kinds.size());
      side(c, bottom, 1);
      side(c, top, mapped ? -1 : 1);
      side(mapped ? c + 1 : c, left, 1);
      side(mapped ? c + 1 : c, right, mapped ? -1 : 1);
      g.kinds.push_back(mapped ? 0 : 1);
      if (mapped) g.kinds.push_back(0);
    }
  g.terms.resize(3, t.size() / 3);
  std::copy(t.begin(), t.end(), g.terms.data());
  return g;
}

void run(benchmark::State& state, bool mapped, int split = 0) {
  const grid_network g = grid(static_cast<int>(state.range(0)), mapped, split);
  dense1D<unsigned int, 8> counts;
  int status = 0;
  for (auto _ : state) status = zarn::linegen::assign_intervals(g.goals, {}, {}, g.terms, g.kinds, counts);
  double largest = 0;
  for (std::size_t i = 0; i < counts.size(); ++i)
    largest = std::max({largest, counts[i] / g.goals[i], g.goals[i] / counts[i]});
  // Constraints the result misses (0 expected).
  std::vector<long long> sums(g.kinds.size(), 0);
  for (std::size_t j = 0; j < g.terms.cols() && !counts.empty(); ++j)
    sums[g.terms(0, j)] += static_cast<long long>(g.terms(2, j)) * counts[g.terms(1, j)];
  int missed = 0;
  for (std::size_t c = 0; c < sums.size(); ++c) missed += g.kinds[c] == 0 ? sums[c] != 0 : sums[c] % 2 != 0;
  state.counters["curves"] = static_cast<double>(g.goals.size());
  state.counters["missed"] = missed;
  state.counters["status"] = status;
  state.counters["largest_deviation"] = largest;
}

void BM_assign_intervals_mapped_grid(benchmark::State& state) { run(state, true); }
void BM_assign_intervals_paved_grid(benchmark::State& state) { run(state, false); }
void BM_assign_intervals_mapped_grid_split_sides(benchmark::State& state) { run(state, true, 5); }

}  // namespace

BENCHMARK(BM_assign_intervals_mapped_grid)->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_assign_intervals_mapped_grid_split_sides)->Arg(30)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_assign_intervals_paved_grid)->Arg(30)->Arg(100)->Unit(benchmark::kMillisecond);
