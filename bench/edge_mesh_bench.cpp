// The edge-mesh utilities at 10^6 items: connectivity conversions, flip,
// lengths, coordinate interpolation, normals, parametric curvatures, metric
// interpolation and metric generation. Counters: items (nodes or edges) per
// second of CPU time.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>

#include <linegen/linegen.h>

namespace {

using zarn::dense1D;
using zarn::dense2D;
namespace lg = zarn::linegen;

constexpr double pi = 3.14159265358979323846;

// n nodes on a helix-like curve (a circle when dim is 2), the chain through
// them and its two-node edges.
struct curve {
  dense2D<double> coords;
  dense1D<unsigned int, 8> chain;
  dense1D<double, 8> params;
  dense2D<unsigned int> edges;

  curve(std::size_t n, std::size_t dim) : coords(dim, n), chain(n), params(n), edges(2, n - 1) {
    for (std::size_t i = 0; i < n; ++i) {
      const double a = 2.0 * pi * static_cast<double>(i) / static_cast<double>(n);
      coords(0, i) = std::cos(a);
      coords(1, i) = std::sin(a);
      if (dim == 3) coords(2, i) = 0.1 * a;
      chain[i] = static_cast<unsigned int>(i);
      params[i] = static_cast<double>(i) / static_cast<double>(n - 1);
    }
    for (std::size_t e = 0; e + 1 < n; ++e) {
      edges(0, e) = static_cast<unsigned int>(e);
      edges(1, e) = static_cast<unsigned int>(e + 1);
    }
  }
};

void items_per_second(benchmark::State& state, std::size_t items) {
  state.counters["items"] = static_cast<double>(items);
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(items));
}

void check(benchmark::State& state, int code, const char* what) {
  if (code != 0) state.SkipWithError(what);
}

void BM_indices_to_connectE2(benchmark::State& state) {
  const curve c(static_cast<std::size_t>(state.range(0)), 2);
  for (auto _ : state) {
    dense2D<unsigned int> out;
    check(state, lg::indices_to_connectE2(c.chain, out), "indices_to_connectE2 failed");
    benchmark::DoNotOptimize(out.data());
  }
  items_per_second(state, c.chain.size());
}
BENCHMARK(BM_indices_to_connectE2)->Arg(1000001)->Unit(benchmark::kMillisecond);

void BM_indices_to_connectE3_and_E3_to_2E2(benchmark::State& state) {
  const curve c(static_cast<std::size_t>(state.range(0)), 2);
  for (auto _ : state) {
    dense2D<unsigned int> e3, e2;
    check(state, lg::indices_to_connectE3(c.chain, e3), "indices_to_connectE3 failed");
    check(state, lg::E3_to_2E2(e3, e2), "E3_to_2E2 failed");
    benchmark::DoNotOptimize(e2.data());
  }
  items_per_second(state, c.chain.size());
}
BENCHMARK(BM_indices_to_connectE3_and_E3_to_2E2)->Arg(1000001)->Unit(benchmark::kMillisecond);

// One node added inside each of the 10^6 edges.
void BM_convert_E2(benchmark::State& state) {
  const curve c(static_cast<std::size_t>(state.range(0)), 3);
  for (auto _ : state) {
    state.PauseTiming();
    dense2D<double> coords;
    coords.copy(c.coords);
    dense2D<unsigned int> edges;
    edges.copy(c.edges);
    state.ResumeTiming();
    check(state, lg::convert_E2(coords, edges, 1), "convert_E2 failed");
    benchmark::DoNotOptimize(coords.data());
  }
  items_per_second(state, c.edges.cols());
}
BENCHMARK(BM_convert_E2)->Arg(1000001)->Unit(benchmark::kMillisecond);

void BM_flip(benchmark::State& state) {
  curve c(static_cast<std::size_t>(state.range(0)), 2);
  for (auto _ : state) {
    check(state, lg::flip(c.edges), "flip failed");
    benchmark::DoNotOptimize(c.edges.data());
  }
  items_per_second(state, c.edges.cols());
}
BENCHMARK(BM_flip)->Arg(1000001)->Unit(benchmark::kMillisecond);

void BM_length_chain_and_edges(benchmark::State& state) {
  const curve c(static_cast<std::size_t>(state.range(0)), 3);
  for (auto _ : state) {
    double a = 0.0, b = 0.0;
    check(state, lg::length(c.coords, c.chain, a), "length of the chain failed");
    check(state, lg::length(c.coords, c.edges, b), "length of the edges failed");
    benchmark::DoNotOptimize(a + b);
  }
  items_per_second(state, c.chain.size());
}
BENCHMARK(BM_length_chain_and_edges)->Arg(1000000)->Unit(benchmark::kMillisecond);

// 10^6 nodes placed along a chain of 10^6 nodes at other parameters.
void BM_interpolate_coordinates(benchmark::State& state) {
  const std::size_t n = static_cast<std::size_t>(state.range(0));
  const curve c(n, 3);
  dense2D<double> coords(3, 2 * n);
  for (std::size_t j = 0; j < n; ++j)
    for (std::size_t r = 0; r < 3; ++r) coords(r, j) = c.coords(r, j);
  dense1D<unsigned int, 8> placed(n);
  dense1D<double, 8> at(n);
  for (std::size_t k = 0; k < n; ++k) {
    placed[k] = static_cast<unsigned int>(n + k);
    at[k] = (static_cast<double>(k) + 0.5) / static_cast<double>(n);
  }
  for (auto _ : state) {
    check(state, lg::interpolate_coordinates(coords, c.chain, c.params, placed, at),
          "interpolate_coordinates failed");
    benchmark::DoNotOptimize(coords.data());
  }
  items_per_second(state, n);
}
BENCHMARK(BM_interpolate_coordinates)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_normals(benchmark::State& state) {
  const curve c(static_cast<std::size_t>(state.range(0)), 2);
  dense2D<double> out;
  for (auto _ : state) {
    check(state, lg::normals(c.coords, c.edges, 1.0, true, out), "normals failed");
    benchmark::DoNotOptimize(out.data());
  }
  items_per_second(state, c.coords.cols());
}
BENCHMARK(BM_normals)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_parametric_curvatures(benchmark::State& state) {
  const std::size_t n = static_cast<std::size_t>(state.range(0));
  const curve c(n, 3);
  dense2D<double> derivatives(3, n);
  for (std::size_t i = 0; i < n; ++i) {
    derivatives(0, i) = -c.coords(1, i);
    derivatives(1, i) = c.coords(0, i);
    derivatives(2, i) = 0.1;
  }
  dense1D<double, 8> out;
  for (auto _ : state) {
    check(state, lg::parametric_curvatures(c.params, c.edges, derivatives, out),
          "parametric_curvatures failed");
    benchmark::DoNotOptimize(out.data());
  }
  items_per_second(state, n);
}
BENCHMARK(BM_parametric_curvatures)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Sizes and 2D metrics given at 10^5 parameters, interpolated at 10^6.
void BM_interpolate_metrics(benchmark::State& state) {
  const std::size_t n = static_cast<std::size_t>(state.range(0)), m = n / 10;
  dense1D<double, 8> params(m), sizes(m), at(n);
  dense2D<double> metrics(3, m);
  for (std::size_t i = 0; i < m; ++i) {
    params[i] = static_cast<double>(i) / static_cast<double>(m - 1);
    sizes[i] = 0.01 * (1.0 + 0.5 * std::sin(10.0 * params[i]));
    const double c = std::cos(params[i]), s = std::sin(params[i]);
    const double e0 = 1.0 / (sizes[i] * sizes[i]), e1 = 0.25 * e0;
    metrics(0, i) = e0 * c * c + e1 * s * s;
    metrics(1, i) = (e0 - e1) * c * s;
    metrics(2, i) = e0 * s * s + e1 * c * c;
  }
  for (std::size_t k = 0; k < n; ++k) at[k] = static_cast<double>(k) / static_cast<double>(n - 1);
  for (auto _ : state) {
    dense1D<double, 8> new_sizes;
    dense2D<double> new_metrics;
    check(state, lg::interpolate_metrics(params, sizes, at, new_sizes), "interpolate_metrics (sizes) failed");
    check(state, lg::interpolate_metrics(params, metrics, at, new_metrics),
          "interpolate_metrics (metrics) failed");
    benchmark::DoNotOptimize(new_metrics.data());
  }
  items_per_second(state, n);
}
BENCHMARK(BM_interpolate_metrics)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_metrics_gen_aniso2d(benchmark::State& state) {
  const curve c(static_cast<std::size_t>(state.range(0)), 2);
  for (auto _ : state) {
    dense2D<double> metrics;
    check(state, lg::metrics_gen_aniso2d(c.coords, c.edges, -0.5, metrics), "metrics_gen_aniso2d failed");
    benchmark::DoNotOptimize(metrics.data());
  }
  items_per_second(state, c.edges.cols());
}
BENCHMARK(BM_metrics_gen_aniso2d)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_metrics_gen_aniso2d_vectors(benchmark::State& state) {
  const curve c(static_cast<std::size_t>(state.range(0)), 2);
  for (auto _ : state) {
    dense2D<double> metrics;
    check(state, lg::metrics_gen_aniso2d(c.coords, c.chain, 0.01, 0.1, metrics),
          "metrics_gen_aniso2d (vectors) failed");
    benchmark::DoNotOptimize(metrics.data());
  }
  items_per_second(state, c.chain.size());
}
BENCHMARK(BM_metrics_gen_aniso2d_vectors)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_metrics_gen_aniso3d(benchmark::State& state) {
  const curve c(static_cast<std::size_t>(state.range(0)), 3);
  for (auto _ : state) {
    dense2D<double> metrics;
    check(state, lg::metrics_gen_aniso3d(c.coords, c.edges, -0.5, metrics), "metrics_gen_aniso3d failed");
    benchmark::DoNotOptimize(metrics.data());
  }
  items_per_second(state, c.edges.cols());
}
BENCHMARK(BM_metrics_gen_aniso3d)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_metrics_gen_aniso3d_binormal(benchmark::State& state) {
  const curve c(static_cast<std::size_t>(state.range(0)), 3);
  for (auto _ : state) {
    dense2D<double> metrics;
    check(state, lg::metrics_gen_aniso3d(c.coords, c.edges, -0.5, -2.0, metrics),
          "metrics_gen_aniso3d (binormal) failed");
    benchmark::DoNotOptimize(metrics.data());
  }
  items_per_second(state, c.edges.cols());
}
BENCHMARK(BM_metrics_gen_aniso3d_binormal)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace
