// Side-by-side comparison of linegen and Gmsh on the same one-dimensional
// meshing jobs, in one process:
//   (a) a straight line into N = 10^4, 10^5, 10^6 uniform elements;
//   (b) a straight line graded from h0 to 10 h0 into about 10^5 elements;
//   (c) a polyline of M = 10^3, 10^4, 10^5 points along y = 0.1 sin(10 pi x),
//       sizes at the points giving about 10 elements per segment, every point
//       kept (Gmsh: one line curve per segment);
//   (d) the closed curve r = 1 + 0.3 cos 3t through 10^2 and 10^3 points with
//       curvature sizing, 20 and 200 elements per 2 pi and a largest size
//       (Gmsh: its own spline and the OpenCASCADE one; linegen: mesh_spline
//       with the relative chordal tolerance that gives the same angle per
//       element).
// Each mesher runs once as a warm-up, then several times; the table gives the
// median time of one run, the element count, the ratio of the elements per
// second of linegen to those of Gmsh, for (d) the largest distance of the
// mesh from the exact curve, and the timed runs of each (0: a warm-up beyond
// 20 s was the only run). Gmsh's model building is timed apart.
//
// Usage: linegen_peer [--runs R] [--jobs abcd] [--only TEXT] [--skip TEXT]
// (--only: just the jobs whose name contains TEXT, e.g. "OCC"; --skip: all
// but those, e.g. "geo", whose Gmsh runs take minutes).
#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "peer_jobs.h"

namespace {

using peer::GmshKernel;
using peer::Job;
using peer::JobKind;
using peer::Runner;

constexpr double pi = 3.14159265358979323846;

// ---------------------------------------------------------------------------
// Jobs

Job straight_uniform(unsigned int n) {
  Job job;
  job.kind = JobKind::straight_uniform;
  job.name = "(a) straight, N = " + std::to_string(n);
  job.x = {0.0, 1.0};
  job.y = {0.0, 0.0};
  job.sizes = {1.0 / n, 1.0 / n};
  job.count = n;
  return job;
}

// Sizes h0 and 10 h0 on a unit length: the integral of 1/h is ln(10)/(9 h0).
Job straight_graded(double n) {
  Job job;
  job.kind = JobKind::straight_graded;
  const double h0 = std::log(10.0) / (9.0 * n);
  job.name = "(b) graded h0 to 10 h0, ~" + std::to_string(static_cast<long>(n));
  job.x = {0.0, 1.0};
  job.y = {0.0, 0.0};
  job.sizes = {h0, 10.0 * h0};
  return job;
}

// M points along y = 0.1 sin(10 pi x); the size at a point is a tenth of the
// mean length of the segments that meet there.
Job polyline(std::size_t m) {
  Job job;
  job.kind = JobKind::polyline;
  job.name = "(c) polyline, M = " + std::to_string(m);
  job.x.resize(m);
  job.y.resize(m);
  for (std::size_t i = 0; i < m; ++i) {
    job.x[i] = static_cast<double>(i) / static_cast<double>(m - 1);
    job.y[i] = 0.1 * std::sin(10.0 * pi * job.x[i]);
  }
  auto seg = [&](std::size_t i) { return std::hypot(job.x[i + 1] - job.x[i], job.y[i + 1] - job.y[i]); };
  job.sizes.resize(m);
  for (std::size_t i = 0; i < m; ++i) {
    const double left = i > 0 ? seg(i - 1) : seg(i);
    const double right = i + 1 < m ? seg(i) : seg(i - 1);
    job.sizes[i] = 0.05 * (left + right);
  }
  return job;
}

double radius(double t) { return 1.0 + 0.3 * std::cos(3.0 * t); }
double radius_derivative(double t) { return -0.9 * std::sin(3.0 * t); }

constexpr double spline_max_size = 0.2;

// P points of r = 1 + 0.3 cos 3t at equal steps of t. An element spanning the
// angle 2 pi / n of its osculating circle has the sagitta (1 - cos(pi / n))
// times the radius: that is the relative chordal tolerance given to linegen.
Job closed_spline(std::size_t p, int per_two_pi, GmshKernel kernel) {
  Job job;
  job.kind = JobKind::closed_spline;
  job.name = "(d) r = 1 + 0.3 cos 3t, P = " + std::to_string(p) + ", " + std::to_string(per_two_pi) +
             "/2pi, Gmsh " + (kernel == GmshKernel::occ ? "OCC" : "geo");
  job.x.resize(p);
  job.y.resize(p);
  for (std::size_t k = 0; k < p; ++k) {
    const double t = 2.0 * pi * static_cast<double>(k) / static_cast<double>(p);
    job.x[k] = radius(t) * std::cos(t);
    job.y[k] = radius(t) * std::sin(t);
  }
  job.per_two_pi = per_two_pi;
  job.max_size = spline_max_size;
  job.kernel = kernel;
  job.chordal_error = -(1.0 - std::cos(pi / per_two_pi));
  return job;
}

// Largest distance from the exact curve of the points at 0, 1/4, 1/2 and 3/4
// of every element, to first order: |rho - r(phi)| / |grad(rho - r(phi))|.
double curve_deviation(const std::vector<double>& xy, const std::vector<std::array<std::size_t, 2>>& edges) {
  double worst = 0.0;
  for (const auto& e : edges) {
    const double ax = xy[2 * e[0]], ay = xy[2 * e[0] + 1];
    const double bx = xy[2 * e[1]], by = xy[2 * e[1] + 1];
    for (double s : {0.0, 0.25, 0.5, 0.75}) {
      const double x = ax + s * (bx - ax), y = ay + s * (by - ay);
      const double rho = std::hypot(x, y), phi = std::atan2(y, x);
      const double slope = radius_derivative(phi) / rho;
      worst = std::max(worst, std::fabs(rho - radius(phi)) / std::sqrt(1.0 + slope * slope));
    }
  }
  return worst;
}

// ---------------------------------------------------------------------------
// Timing

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point t0) {
  return std::chrono::duration<double>(Clock::now() - t0).count();
}

struct Measure {
  double seconds = 0.0;  // median of one run
  int runs = 0;
  std::size_t elements = 0;
  double deviation = -1.0;  // closed splines only
};

// One warm-up run, then `runs` timed runs (more when a run is short, so that
// the timed runs last at least half a second; 3 when a run lasts more than
// 5 s), each after an untimed reset. A warm-up beyond 20 s is the only run
// (runs = 0 in the result): Gmsh's own spline with curvature sizing takes
// minutes per run.
Measure measure(Runner& runner, const Job& job, int runs) {
  runner.reset();
  auto t0 = Clock::now();
  runner.run();
  const double warm = seconds_since(t0);
  if (warm > 20.0)
    runs = 0;
  else if (warm > 5.0)
    runs = std::min(runs, 3);
  else if (warm * runs < 0.5)
    runs = std::min(101, std::max(runs, static_cast<int>(0.5 / std::max(warm, 1e-9))));
  std::vector<double> times;
  if (runs == 0) times.push_back(warm);
  for (int r = 0; r < runs; ++r) {
    runner.reset();
    t0 = Clock::now();
    runner.run();
    times.push_back(seconds_since(t0));
  }
  std::sort(times.begin(), times.end());
  Measure m;
  const std::size_t h = times.size() / 2;
  m.seconds = times.size() % 2 ? times[h] : 0.5 * (times[h - 1] + times[h]);
  m.runs = runs;
  m.elements = runner.elements();
  if (job.kind == JobKind::closed_spline) {
    std::vector<double> xy;
    std::vector<std::array<std::size_t, 2>> edges;
    runner.mesh(xy, edges);
    m.deviation = curve_deviation(xy, edges);
  }
  return m;
}

std::string load_average() {
  std::ifstream in("/proc/loadavg");
  std::string a, b, c;
  in >> a >> b >> c;
  return a + " " + b + " " + c;
}

std::string fmt(const char* format, double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, format, v);
  return buf;
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 5;
  std::string which = "abcd", only, skip;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--runs") && i + 1 < argc) {
      runs = std::max(1, std::atoi(argv[++i]));
    } else if (!std::strcmp(argv[i], "--jobs") && i + 1 < argc) {
      which = argv[++i];
    } else if (!std::strcmp(argv[i], "--only") && i + 1 < argc) {
      only = argv[++i];
    } else if (!std::strcmp(argv[i], "--skip") && i + 1 < argc) {
      skip = argv[++i];
    } else {
      std::fprintf(stderr, "usage: %s [--runs R] [--jobs abcd] [--only TEXT] [--skip TEXT]\n", argv[0]);
      return 2;
    }
  }
  auto wants = [&](char c) { return which.find(c) != std::string::npos; };

  std::vector<Job> jobs;
  if (wants('a'))
    for (unsigned int n : {10000u, 100000u, 1000000u}) jobs.push_back(straight_uniform(n));
  if (wants('b')) jobs.push_back(straight_graded(1e5));
  if (wants('c'))
    for (std::size_t m : {1000u, 10000u, 100000u}) jobs.push_back(polyline(m));
  if (wants('d'))
    for (std::size_t p : {100u, 1000u})
      for (int per : {20, 200})
        for (GmshKernel k : {GmshKernel::geo, GmshKernel::occ}) jobs.push_back(closed_spline(p, per, k));

  jobs.erase(std::remove_if(jobs.begin(), jobs.end(),
                            [&](const Job& job) {
                              const bool named = only.empty() || job.name.find(only) != std::string::npos;
                              const bool skipped = !skip.empty() && job.name.find(skip) != std::string::npos;
                              return !named || skipped;
                            }),
             jobs.end());

  auto linegen = peer::make_linegen_runner();
  auto gmsh = peer::make_gmsh_runner();

  std::printf("linegen %s, Gmsh %s\n", linegen->version().c_str(), gmsh->version().c_str());
  std::printf("load average at start: %s\n", load_average().c_str());
  std::printf("at least %d timed runs per mesher and job, after one warm-up; median of one run\n\n", runs);
  std::printf(
      "| job | linegen elements | Gmsh elements | linegen s | Gmsh s | Gmsh model s | linegen el/s | Gmsh "
      "el/s "
      "| ratio | linegen dev | Gmsh dev | runs |\n");
  std::printf("|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n");
  std::map<std::string, std::pair<Measure, Measure>> results;
  for (const Job& job : jobs) {
    linegen->prepare(job);
    const Measure l = measure(*linegen, job, runs);
    auto t0 = Clock::now();
    gmsh->prepare(job);
    const double build = seconds_since(t0);
    const Measure g = measure(*gmsh, job, runs);
    results[job.name] = {l, g};
    const double lr = static_cast<double>(l.elements) / l.seconds;
    const double gr = static_cast<double>(g.elements) / g.seconds;
    std::printf("| %s | %zu | %zu | %s | %s | %s | %s | %s | %s | %s | %s | %d / %d |\n", job.name.c_str(),
                l.elements, g.elements, fmt("%.3g", l.seconds).c_str(), fmt("%.3g", g.seconds).c_str(),
                fmt("%.3g", build).c_str(), fmt("%.3g", lr).c_str(), fmt("%.3g", gr).c_str(),
                fmt("%.1f", lr / gr).c_str(), l.deviation < 0 ? "" : fmt("%.2e", l.deviation).c_str(),
                g.deviation < 0 ? "" : fmt("%.2e", g.deviation).c_str(), l.runs, g.runs);
    std::fflush(stdout);
  }

  std::printf("\n");
  auto find = [&](const std::string& name) { return results.find(name); };
  const auto big = find(straight_uniform(1000000u).name);
  if (big != results.end())
    std::printf("mesh_straight into 10^6 elements: %.3g nodes/s\n",
                static_cast<double>(big->second.first.elements + 1) / big->second.first.seconds);
  const auto c3 = find(polyline(1000).name), c4 = find(polyline(10000).name),
             c5 = find(polyline(100000).name);
  if (c4 != results.end() && c5 != results.end())
    std::printf("(c) growth, time at M = 10^5 / time at M = 10^4: linegen %.2f, Gmsh %.2f\n",
                c5->second.first.seconds / c4->second.first.seconds,
                c5->second.second.seconds / c4->second.second.seconds);
  if (c3 != results.end() && c4 != results.end())
    std::printf("(c) growth, time at M = 10^4 / time at M = 10^3: linegen %.2f, Gmsh %.2f\n",
                c4->second.first.seconds / c3->second.first.seconds,
                c4->second.second.seconds / c3->second.second.seconds);
  std::printf("load average at end: %s\n", load_average().c_str());
  return 0;
}
