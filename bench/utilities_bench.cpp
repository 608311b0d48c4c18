// Throughput of the edge-mesh utilities at 10^5 and 10^6 items. All four are
// O(n) or O(n log n), so the time per item should stay nearly flat, except
// for mesh_reorient on a shuffled chain: each step reads the columns of an
// edge stored anywhere, which stays in cache at 10^5 edges (1.6 MB of
// connectivity and neighbours) but not at 10^6 (16 MB).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>
#include <vector>

#include <linegen/linegen.h>

namespace {

using zarn::dense1D;
using zarn::dense2D;
constexpr unsigned int none = 4294967295u;

// A chain of n edges stored in shuffled column order, about half of them
// reversed, with its neighbour matrix. Returns the column of the chain's
// first edge.
unsigned shuffled_chain(unsigned n, dense2D<unsigned int>& c, dense2D<unsigned int>& nb) {
  std::mt19937 rng(1);
  std::vector<unsigned> order(n), column_of(n);
  std::iota(order.begin(), order.end(), 0u);
  std::shuffle(order.begin(), order.end(), rng);
  for (unsigned j = 0; j < n; ++j) column_of[order[j]] = j;
  c.resize(2, n);
  nb.resize(2, n);
  for (unsigned j = 0; j < n; ++j) {
    const unsigned piece = order[j];
    const bool reverse = rng() & 1u;
    const unsigned next = piece + 1 < n ? column_of[piece + 1] : none;
    const unsigned prev = piece > 0 ? column_of[piece - 1] : none;
    c(0, j) = reverse ? piece + 1 : piece;
    c(1, j) = reverse ? piece : piece + 1;
    nb(0, j) = reverse ? prev : next;
    nb(1, j) = reverse ? next : prev;
  }
  return column_of[0];
}

void BM_mesh_reorient(benchmark::State& state) {
  const unsigned n = static_cast<unsigned>(state.range(0));
  dense2D<unsigned int> c0, nb0, c, nb;
  const unsigned start = shuffled_chain(n, c0, nb0);
  for (auto _ : state) {
    state.PauseTiming();
    c.copy(c0);
    nb.copy(nb0);
    state.ResumeTiming();
    benchmark::DoNotOptimize(zarn::linegen::mesh_reorient(c, nb, start, 1));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(n));
}

void BM_sort(benchmark::State& state) {
  const std::size_t n = static_cast<std::size_t>(state.range(0));
  std::mt19937 rng(2);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  dense1D<double, 8> p0(n), p;
  dense1D<unsigned int, 8> id0(n), id;
  for (std::size_t i = 0; i < n; ++i) p0[i] = u(rng), id0[i] = static_cast<unsigned>(i);
  for (auto _ : state) {
    state.PauseTiming();
    p.copy(p0);
    id.copy(id0);
    state.ResumeTiming();
    benchmark::DoNotOptimize(zarn::linegen::sort(p, id));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(n));
}

void BM_subdivide(benchmark::State& state) {
  const std::size_t n = static_cast<std::size_t>(state.range(0));
  // Sizes graded 1 : 4 along a unit chain of 10 pieces, scaled so that about
  // n parameters come out.
  dense1D<double, 8> p0, s0, p, s;
  dense1D<unsigned int, 8> chain, out;
  const double h = 1.0 / static_cast<double>(n);
  for (unsigned k = 0; k <= 10; ++k) {
    p0.push_back(k / 10.0);
    s0.push_back(h * (1.0 + 3.0 * k / 10.0) / 2.2);
    chain.push_back(k);
  }
  for (auto _ : state) {
    state.PauseTiming();
    p.copy(p0);
    s.copy(s0);
    out.clear();
    state.ResumeTiming();
    benchmark::DoNotOptimize(zarn::linegen::subdivide(p, s, chain, false, false, 1, none, out));
  }
  state.counters["params"] = static_cast<double>(out.size());
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(out.size()));
}

void BM_curvatures(benchmark::State& state) {
  const std::size_t n = static_cast<std::size_t>(state.range(0));
  dense2D<double> coords(3, n);
  dense1D<unsigned int, 8> chain(n);
  for (std::size_t i = 0; i < n; ++i) {
    const double a = 0.001 * static_cast<double>(i);
    coords(0, i) = std::cos(a), coords(1, i) = std::sin(a), coords(2, i) = 0.01 * a;
    chain[i] = static_cast<unsigned>(i);
  }
  dense1D<double, 8> k;
  for (auto _ : state) {
    benchmark::DoNotOptimize(zarn::linegen::curvatures(coords, chain, k));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(n));
}

}  // namespace

BENCHMARK(BM_mesh_reorient)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_sort)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_subdivide)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_curvatures)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
