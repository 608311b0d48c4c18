// Line meshing throughput, counted in output nodes per second.
#include <benchmark/benchmark.h>

#include <cmath>

#include <linegen/linegen.h>

#include "sine_line.h"

namespace {

using bench::sine_line;
using zarn::dense1D;
using zarn::dense2D;

void BM_MeshStraightMillion(benchmark::State& state) {
  dense2D<double> coords(2, 2, 0.0);
  coords(0, 1) = 1.0;
  dense1D<unsigned int, 8> out;
  std::size_t nodes = 0;
  for (auto _ : state) {
    coords.resize(2, 2);
    out.clear();
    if (zarn::linegen::mesh_straight(coords, 0u, 1u, 1000000u, out) != 0) state.SkipWithError("failed");
    nodes = out.size();
  }
  state.counters["nodes"] = double(nodes);
  state.counters["nodes_per_s"] =
      benchmark::Counter(double(nodes), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_MeshStraightMillion)->Unit(benchmark::kMillisecond);

// chordal: 0 (no geometric control), > 0 (refinement) or < 0 (curvature cap),
// as a fraction of the line's length.
void run_sizes(benchmark::State& state, std::size_t dim, double chordal_fraction) {
  const sine_line line(static_cast<std::size_t>(state.range(0)), dim);
  const double chordal = chordal_fraction * line.length;
  dense2D<double> coords;
  coords.copy(line.coords);
  dense1D<unsigned int, 8> out;
  dense1D<double, 8> params, sizes;
  std::size_t nodes = 0;
  for (auto _ : state) {
    coords.resize(dim, line.chain.size());
    out.clear();
    sizes.clear();
    if (zarn::linegen::mesh_line(coords, line.chain, line.params, line.sizes, false, 1, 4294967295u, chordal,
                                 0.0, out, params, sizes) != 0)
      state.SkipWithError("failed");
    nodes = out.size();
  }
  state.counters["nodes"] = double(nodes);
  state.counters["nodes_per_s"] =
      benchmark::Counter(double(nodes), benchmark::Counter::kIsIterationInvariantRate);
}

void run_metrics(benchmark::State& state, std::size_t dim) {
  const sine_line line(static_cast<std::size_t>(state.range(0)), dim);
  const dense2D<double> metrics = line.metrics();
  dense2D<double> coords;
  coords.copy(line.coords);
  dense1D<unsigned int, 8> out;
  dense1D<double, 8> params;
  dense2D<double> out_metrics;
  std::size_t nodes = 0;
  for (auto _ : state) {
    coords.resize(dim, line.chain.size());
    out.clear();
    out_metrics.clear();
    if (zarn::linegen::mesh_line(coords, line.chain, line.params, metrics, false, 1, 4294967295u, 0.0, 0.0,
                                 out, params, out_metrics) != 0)
      state.SkipWithError("failed");
    nodes = out.size();
  }
  state.counters["nodes"] = double(nodes);
  state.counters["nodes_per_s"] =
      benchmark::Counter(double(nodes), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_MeshLineSine(benchmark::State& state) { run_sizes(state, 2, 0.0); }
void BM_MeshLineSineChordal(benchmark::State& state) { run_sizes(state, 2, 1e-3); }
void BM_MeshLineSineCurvature(benchmark::State& state) { run_sizes(state, 2, -1e-3); }
void BM_MeshLineSineIso3D(benchmark::State& state) { run_sizes(state, 3, 0.0); }
void BM_MeshLineSineMetric2D(benchmark::State& state) { run_metrics(state, 2); }
void BM_MeshLineSineMetric3D(benchmark::State& state) { run_metrics(state, 3); }

// The refinement's worst case: a zig-zag on x = 1 whose swing shrinks along
// the line, so that every step splits off the one segment next to the first
// end, as deep as the line is long (about n^2 / 2 node visits).
void BM_RefineDeepSplitting(benchmark::State& state) {
  const std::size_t n = static_cast<std::size_t>(state.range(0));
  dense2D<double> start(2, n, 0.0), coords;
  dense1D<unsigned int, 8> chain(n), out;
  dense1D<double, 8> params(n), sizes(n, 1e9), out_params, out_sizes;
  for (std::size_t i = 0; i < n; ++i) {
    start(0, i) = i + 1 < n ? 1.0 : 0.0;
    start(1, i) = i + 1 < n ? (i % 2 == 0 ? 1.0 : -1.0) * (1.0 + double(n - i)) : 0.0;
    chain[i] = static_cast<unsigned int>(i);
    params[i] = i + 1 < n ? double(i) : 1e12;
  }
  for (auto _ : state) {
    coords.copy(start);
    out.clear();
    if (zarn::linegen::mesh_line(coords, chain, params, sizes, false, 1, 4294967295u, 1e-3, 0.0, out,
                                 out_params, out_sizes) != 0)
      state.SkipWithError("failed");
  }
}

BENCHMARK(BM_RefineDeepSplitting)->Arg(20000)->Arg(100000)->Unit(benchmark::kSecond);
BENCHMARK(BM_MeshLineSine)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MeshLineSineChordal)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MeshLineSineCurvature)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MeshLineSineIso3D)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MeshLineSineMetric2D)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MeshLineSineMetric3D)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
