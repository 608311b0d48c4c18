// time_jobs: times one meshing job through the public API and prints the
// median and the least time of its runs, the output node count and the rate.
// ab.sh runs it against two builds of the library in turn.
//
//   time_jobs JOB SIZE RUNS [ARG]
//
// Jobs: straight (one segment into SIZE elements, the outputs' storage kept
// from run to run), straight_fresh (the same into fresh outputs), spline (the
// closed curve r = 1 + 0.3 cos 3t through SIZE points, ARG elements per 2 pi
// of turning, sizes 0.2), line and line3 (mesh_line with sizes on the sine
// polyline of SIZE nodes, about 10 elements per segment, in 2D and 3D),
// metric3 (the same in 3D with metrics: size h along x, 2h across), and
// metric3_turned (those metrics turned by a fixed rotation, so that no entry
// is zero).
#include <linegen/linegen.h>

#include "../sine_line.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

namespace lg = zarn::linegen;
using bench::sine_line;
using zarn::dense1D;
using zarn::dense2D;

double now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// One timed run of the job; returns the output node count, or 0 on failure.
struct job {
  const char* name = "";
  std::size_t size = 0;
  double arg = 0.0;
  dense2D<double> input, metrics, kept_coords;
  dense1D<unsigned int, 8> indices, kept_out;
  dense1D<double, 8> sizes;
  std::unique_ptr<sine_line> line;

  std::size_t run(double& seconds) {
    dense2D<double> coords;
    coords.copy(input);
    dense1D<unsigned int, 8> out;
    dense1D<double, 8> out_params, out_sizes;
    dense2D<double> out_metrics;
    double deviation = 0.0;
    int rc = 0;
    const double t0 = now();
    if (!std::strcmp(name, "straight")) {
      kept_coords.resize(2, 2);
      kept_out.clear();
      rc = lg::mesh_straight(kept_coords, 0u, 1u, static_cast<unsigned int>(size), kept_out);
    } else if (!std::strcmp(name, "straight_fresh")) {
      rc = lg::mesh_straight(coords, 0u, 1u, static_cast<unsigned int>(size), out);
    } else if (!std::strcmp(name, "spline")) {
      rc = lg::mesh_spline(coords, indices, sizes, false, 1u, lg::no_count, -(1.0 - std::cos(M_PI / arg)),
                           0.0, 0.0, 0.0, out, out_params, out_sizes, deviation);
    } else if (!std::strncmp(name, "metric3", 7)) {
      rc = lg::mesh_line(coords, line->chain, line->params, metrics, false, 1, lg::no_count, 0.0, 0.0, out,
                         out_params, out_metrics);
    } else {
      rc = lg::mesh_line(coords, line->chain, line->params, line->sizes, false, 1, lg::no_count, 0.0, 0.0,
                         out, out_params, out_sizes);
    }
    seconds = now() - t0;
    if (rc != 0) return 0;
    return std::strcmp(name, "straight") ? out.size() : kept_out.size();
  }
};

// Turns packed 3D metrics M into R M R^T, R a rotation by 0.5 about z
// followed by 0.3 about x.
void turn(dense2D<double>& metrics) {
  const double cz = std::cos(0.5), sz = std::sin(0.5), cx = std::cos(0.3), sx = std::sin(0.3);
  const double r[3][3] = {{cz, -sz, 0.0}, {cx * sz, cx * cz, -sx}, {sx * sz, sx * cz, cx}};
  const int row[6] = {0, 0, 1, 0, 1, 2}, col[6] = {0, 1, 1, 2, 2, 2};
  for (std::size_t k = 0; k < metrics.cols(); ++k) {
    double m[3][3], out[6];
    for (int e = 0; e < 6; ++e) m[row[e]][col[e]] = m[col[e]][row[e]] = metrics(e, k);
    for (int e = 0; e < 6; ++e) {
      double s = 0.0;
      for (int a = 0; a < 3; ++a)
        for (int b = 0; b < 3; ++b) s += r[row[e]][a] * m[a][b] * r[col[e]][b];
      out[e] = s;
    }
    for (int e = 0; e < 6; ++e) metrics(e, k) = out[e];
  }
}

void build(job& j) {
  if (!std::strncmp(j.name, "straight", 8)) {
    j.input = dense2D<double>(2, 2, 0.0);
    j.input(0, 1) = 1.0;
    j.kept_coords.copy(j.input);
  } else if (!std::strcmp(j.name, "spline")) {
    // A closed curve through A, ..., Z wraps around: Z, A, B, ..., Z, A, B.
    const std::size_t p = j.size;
    j.input = dense2D<double>(2, p);
    for (std::size_t k = 0; k < p; ++k) {
      const double t = 2.0 * M_PI * double(k) / double(p), r = 1.0 + 0.3 * std::cos(3.0 * t);
      j.input(0, k) = r * std::cos(t);
      j.input(1, k) = r * std::sin(t);
    }
    j.indices.push_back(static_cast<unsigned int>(p - 1));
    for (std::size_t k = 0; k < p; ++k) j.indices.push_back(static_cast<unsigned int>(k));
    j.indices.push_back(0u);
    j.indices.push_back(1u);
    j.sizes.push_back_n(0.2, j.indices.size());
  } else {
    const std::size_t dim = std::strcmp(j.name, "line") ? 3 : 2;
    j.line = std::make_unique<sine_line>(j.size, dim);
    j.input.copy(j.line->coords);
    if (!std::strncmp(j.name, "metric3", 7)) j.metrics = j.line->metrics();
    if (!std::strcmp(j.name, "metric3_turned")) turn(j.metrics);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: time_jobs JOB SIZE RUNS [ARG]\n");
    return 2;
  }
  job j;
  j.name = argv[1];
  j.size = std::strtoul(argv[2], nullptr, 10);
  j.arg = argc > 4 ? std::atof(argv[4]) : 0.0;
  build(j);
  std::vector<double> times;
  std::size_t nodes = 0;
  for (int r = 0; r < std::atoi(argv[3]); ++r) {
    double seconds = 0.0;
    nodes = j.run(seconds);
    if (nodes == 0) {
      std::fprintf(stderr, "%s failed\n", j.name);
      return 1;
    }
    times.push_back(seconds);
  }
  std::sort(times.begin(), times.end());
  const double median = times[times.size() / 2];
  std::printf("%s %zu %g: median %.4g s, least %.4g s, %zu nodes, %.3g nodes/s\n", j.name, j.size, j.arg,
              median, times[0], nodes, double(nodes) / median);
  return 0;
}
