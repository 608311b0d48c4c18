// Extrusions and chained straight meshing at the sizes users mesh: 10^6 graded
// elements along a segment or an arc, and a chain of 10^5 points meshed
// segment by segment with every input node kept.
//
// Each iteration starts from fresh containers, so the counters include the
// growth of the outputs, as a host calling the library sees it.
#include <benchmark/benchmark.h>

#include <cmath>

#include <linegen/linegen.h>

namespace {

using zarn::dense1D;
using zarn::dense2D;
using zarn::vector_fixed;
namespace lg = zarn::linegen;

constexpr double pi = 3.14159265358979323846;

// The size h0 at the start such that a length L graded from h0 to 10 * h0
// holds about n elements: the integral of 1/h is L * ln(10) / (9 * h0).
double graded_h0(double L, double n) { return L * std::log(10.0) / (9.0 * n); }

void set_counters(benchmark::State& state, std::size_t nodes) {
  state.counters["nodes"] = static_cast<double>(nodes);
  state.counters["nodes/s"] =
      benchmark::Counter(static_cast<double>(nodes) * state.iterations(), benchmark::Counter::kIsRate);
}

void BM_extrude_translate_graded_2d(benchmark::State& state) {
  const double n = static_cast<double>(state.range(0));
  const vector_fixed<double, 2> start(0.5, -1.0), vector(3.0, 4.0);
  const double h0 = graded_h0(5.0, n);
  std::size_t nodes = 0;
  for (auto _ : state) {
    dense2D<double> coords;
    dense1D<unsigned int, 8> indices;
    const int rc = lg::extrude_translate(coords, start, vector, h0, 10.0 * h0, false, indices);
    if (rc != 0) state.SkipWithError("extrude_translate failed");
    benchmark::DoNotOptimize(coords.data());
    nodes = indices.size();
  }
  set_counters(state, nodes);
}
BENCHMARK(BM_extrude_translate_graded_2d)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_extrude_translate_graded_3d(benchmark::State& state) {
  const double n = static_cast<double>(state.range(0));
  const vector_fixed<double, 3> start(0.5, -1.0, 2.0), vector(2.0, 3.0, 6.0);
  const double h0 = graded_h0(7.0, n);
  std::size_t nodes = 0;
  for (auto _ : state) {
    dense2D<double> coords;
    dense1D<unsigned int, 8> indices;
    const int rc = lg::extrude_translate(coords, start, vector, h0, 10.0 * h0, false, indices);
    if (rc != 0) state.SkipWithError("extrude_translate failed");
    benchmark::DoNotOptimize(coords.data());
    nodes = indices.size();
  }
  set_counters(state, nodes);
}
BENCHMARK(BM_extrude_translate_graded_3d)->Arg(1000000)->Unit(benchmark::kMillisecond);

// The uniform count overload: the floor of what an extrusion costs per node.
void BM_extrude_translate_count_2d(benchmark::State& state) {
  const auto n = static_cast<unsigned int>(state.range(0));
  const vector_fixed<double, 2> start(0.5, -1.0), vector(3.0, 4.0);
  std::size_t nodes = 0;
  for (auto _ : state) {
    dense2D<double> coords;
    dense1D<unsigned int, 8> indices;
    const int rc = lg::extrude_translate(coords, start, vector, n, indices);
    if (rc != 0) state.SkipWithError("extrude_translate failed");
    benchmark::DoNotOptimize(coords.data());
    nodes = indices.size();
  }
  set_counters(state, nodes);
}
BENCHMARK(BM_extrude_translate_count_2d)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_extrude_rotate_graded_2d(benchmark::State& state) {
  const double n = static_cast<double>(state.range(0));
  const vector_fixed<double, 2> start(2.0, 0.0), centre(0.5, 0.0);
  const double angle = 1.5 * pi;
  const double h0 = graded_h0(1.5 * angle, n);  // radius 1.5
  std::size_t nodes = 0;
  for (auto _ : state) {
    dense2D<double> coords;
    dense1D<unsigned int, 8> indices;
    const int rc = lg::extrude_rotate(coords, start, centre, angle, h0, 10.0 * h0, false, indices);
    if (rc != 0) state.SkipWithError("extrude_rotate failed");
    benchmark::DoNotOptimize(coords.data());
    nodes = indices.size();
  }
  set_counters(state, nodes);
}
BENCHMARK(BM_extrude_rotate_graded_2d)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_extrude_rotate_graded_3d(benchmark::State& state) {
  const double n = static_cast<double>(state.range(0));
  // Start at distance 2 from the z axis, a turn of 1.5 pi about it.
  const vector_fixed<double, 3> start(2.0, 0.0, 1.0), centre(0.0, 0.0, -1.0), rotation(0.0, 0.0, 1.5 * pi);
  const double h0 = graded_h0(2.0 * 1.5 * pi, n);
  std::size_t nodes = 0;
  for (auto _ : state) {
    dense2D<double> coords;
    dense1D<unsigned int, 8> indices;
    const int rc = lg::extrude_rotate(coords, start, centre, rotation, h0, 10.0 * h0, false, indices);
    if (rc != 0) state.SkipWithError("extrude_rotate failed");
    benchmark::DoNotOptimize(coords.data());
    nodes = indices.size();
  }
  set_counters(state, nodes);
}
BENCHMARK(BM_extrude_rotate_graded_3d)->Arg(1000000)->Unit(benchmark::kMillisecond);

// A chain of m points along y = 0.1 sin(10 pi x), x in [0, 1], with sizes
// that give about 10 elements per segment (a tenth of the mean length of the
// segments that meet at each point); mesh_straight keeps every input node.
void BM_mesh_straight_chain_sizes(benchmark::State& state) {
  const auto m = static_cast<std::size_t>(state.range(0));
  dense2D<double> input(2, m);
  for (std::size_t i = 0; i < m; ++i) {
    const double x = static_cast<double>(i) / static_cast<double>(m - 1);
    input(0, i) = x;
    input(1, i) = 0.1 * std::sin(10.0 * pi * x);
  }
  dense1D<unsigned int, 8> chain(m);
  dense1D<double, 8> sizes(m);
  auto seg = [&](std::size_t i) {
    return std::hypot(input(0, i + 1) - input(0, i), input(1, i + 1) - input(1, i));
  };
  for (std::size_t i = 0; i < m; ++i) {
    chain[i] = static_cast<unsigned int>(i);
    const double left = i > 0 ? seg(i - 1) : seg(i);
    const double right = i + 1 < m ? seg(i) : seg(i - 1);
    sizes[i] = 0.05 * (left + right);
  }
  std::size_t nodes = 0;
  for (auto _ : state) {
    state.PauseTiming();
    dense2D<double> coords;
    coords.copy(input);
    dense1D<unsigned int, 8> out;
    state.ResumeTiming();
    const int rc = lg::mesh_straight(coords, chain, sizes, false, out);
    if (rc != 0) state.SkipWithError("mesh_straight failed");
    benchmark::DoNotOptimize(coords.data());
    nodes = out.size();
  }
  state.counters["elements"] = static_cast<double>(nodes - 1);
  set_counters(state, nodes);
}
BENCHMARK(BM_mesh_straight_chain_sizes)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
