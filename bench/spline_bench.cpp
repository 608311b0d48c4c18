// Spline meshing through many nodes under a tight chordal tolerance: a circle
// in the plane (closed) and a helix in space (open), each through 10^3 and
// 10^4 nodes, with chordal_error = 1e-4 of the radius. The curve is the same
// for both node counts, so the mesh is about the same size: the time ratio
// shows how the sampling and the stages on the samples scale with the
// number of input nodes (linear: 10).
//
// The `graded` variants add the gradation bound (0.5) on the samples.
#include <benchmark/benchmark.h>

#include <cmath>

#include <linegen/linegen.h>

namespace {

using zarn::dense1D;
using zarn::dense2D;
namespace lg = zarn::linegen;

constexpr double pi = 3.14159265358979323846;
constexpr double radius = 2.0;

struct curve {
  dense2D<double> coords;
  dense1D<unsigned int, 8> indices;
  dense1D<double, 8> sizes;
};

// Closed circle through n nodes: index list n-1, 0, ..., n-1, 0, 1.
curve circle(unsigned n) {
  curve c;
  c.coords.resize(2, n);
  for (unsigned i = 0; i < n; ++i) {
    c.coords(0, i) = radius * std::cos(2 * pi * i / n);
    c.coords(1, i) = radius * std::sin(2 * pi * i / n);
  }
  c.indices.push_back(n - 1);
  for (unsigned i = 0; i < n; ++i) c.indices.push_back(i);
  c.indices.push_back(0);
  c.indices.push_back(1);
  c.sizes.resize(c.indices.size(), 10 * radius);
  return c;
}

// Helix of 5 turns, pitch = radius, through n nodes, free ends.
curve helix(unsigned n) {
  curve c;
  c.coords.resize(3, n);
  for (unsigned i = 0; i < n; ++i) {
    const double a = 10 * pi * i / (n - 1);
    c.coords(0, i) = radius * std::cos(a);
    c.coords(1, i) = radius * std::sin(a);
    c.coords(2, i) = radius * a / (2 * pi);
  }
  c.indices.push_back(0);
  for (unsigned i = 0; i < n; ++i) c.indices.push_back(i);
  c.indices.push_back(n - 1);
  c.sizes.resize(c.indices.size(), 10 * radius);
  return c;
}

void run(benchmark::State& state, curve c, double gradation) {
  const std::size_t n = c.coords.cols();
  dense1D<unsigned int, 8> out_indices;
  dense1D<double, 8> out_params, out_sizes;
  double deviation = 0;
  std::size_t nodes = 0;
  for (auto _ : state) {
    c.coords.resize(c.coords.rows(), n);  // drop the previous iteration's nodes
    out_indices.clear();
    out_params.clear();
    out_sizes.clear();
    const int rc = lg::mesh_spline(c.coords, c.indices, c.sizes, false, 1, lg::no_count, 1e-4 * radius, 0.0,
                                   0.0, gradation, out_indices, out_params, out_sizes, deviation);
    if (rc != 0) state.SkipWithError("mesh_spline failed");
    benchmark::DoNotOptimize(c.coords.data());
    nodes = out_indices.size();
  }
  state.counters["out_nodes"] = static_cast<double>(nodes);
  state.counters["out_nodes/s"] =
      benchmark::Counter(static_cast<double>(nodes) * state.iterations(), benchmark::Counter::kIsRate);
  state.counters["in_nodes/s"] =
      benchmark::Counter(static_cast<double>(n) * state.iterations(), benchmark::Counter::kIsRate);
}

void BM_mesh_spline_circle_2d(benchmark::State& state) {
  run(state, circle(static_cast<unsigned>(state.range(0))), 0.0);
}
void BM_mesh_spline_circle_2d_graded(benchmark::State& state) {
  run(state, circle(static_cast<unsigned>(state.range(0))), 0.5);
}
void BM_mesh_spline_helix_3d(benchmark::State& state) {
  run(state, helix(static_cast<unsigned>(state.range(0))), 0.0);
}
void BM_mesh_spline_helix_3d_graded(benchmark::State& state) {
  run(state, helix(static_cast<unsigned>(state.range(0))), 0.5);
}

BENCHMARK(BM_mesh_spline_circle_2d)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_mesh_spline_circle_2d_graded)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_mesh_spline_helix_3d)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_mesh_spline_helix_3d_graded)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

}  // namespace
