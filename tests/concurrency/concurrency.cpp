// Runs every exported function from several threads at once, on shared
// read-only inputs and separate outputs, and checks each result against the
// same call made alone. Built with ThreadSanitizer in CI, where any race on
// shared storage (reference counts, views of the shared inputs) is reported.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <thread>
#include <vector>

#include "linegen_version.h"
#include "test_support.h"

namespace {

using namespace zarn;
using namespace zarn::linegen;

using Ids = dense1D<unsigned int, 8>;
using Values = dense1D<double, 8>;
using Coords = dense2D<double>;
using Edges = dense2D<unsigned int>;
using V2 = vector_fixed<double, 2>;
using V3 = vector_fixed<double, 3>;

// Everything a call produced, flattened: its status, then its outputs.
using Result = std::vector<double>;

template <class T>
void add(Result& r, const dense2D<T>& m) {
  r.push_back(double(m.rows()));
  r.push_back(double(m.cols()));
  for (std::size_t j = 0; j < m.cols(); ++j)
    for (std::size_t i = 0; i < m.rows(); ++i) r.push_back(double(m(i, j)));
}
template <class T>
void add(Result& r, const dense1D<T, 8>& v) {
  r.push_back(double(v.size()));
  for (std::size_t k = 0; k < v.size(); ++k) r.push_back(double(v[k]));
}

// Read-only inputs shared by every thread.
struct Shared {
  Coords c2, c3, metrics2, metrics3;
  Ids chain, spline_chain;
  Values params, sizes;
  Edges edges;

  Shared() {
    const std::size_t n = 200;
    c2 = Coords(2, n);
    c3 = Coords(3, n);
    metrics2 = Coords(3, n, 0.0);
    metrics3 = Coords(6, n, 0.0);
    chain = Ids(n);
    params = Values(n);
    sizes = Values(n);
    for (std::size_t j = 0; j < n; ++j) {
      const double x = double(j) / double(n - 1);
      c2(0, j) = c3(0, j) = x;
      c2(1, j) = c3(1, j) = 0.2 * std::sin(9.0 * x);
      c3(2, j) = 0.1 * std::cos(4.0 * x);
      chain[j] = unsigned(j);
      params[j] = x;
      sizes[j] = 0.002 + 0.003 * x;
      const double e = 1.0 / (sizes[j] * sizes[j]);
      metrics2(0, j) = e, metrics2(2, j) = 4 * e;
      metrics3(0, j) = e, metrics3(2, j) = 4 * e, metrics3(5, j) = e;
    }
    spline_chain = chain.sub_vector(0, 40);
    EXPECT_EQ(indices_to_connectE2(chain, edges), 0);
  }
};

Coords copy_of(const Coords& c) {
  Coords out;
  EXPECT_TRUE(out.copy(c));
  return out;
}

std::vector<std::function<Result(const Shared&)>> jobs() {
  std::vector<std::function<Result(const Shared&)>> j;
  j.push_back([](const Shared&) {
    // The version string and the sixteen extrusion overloads.
    Result r{double(std::strcmp(version(), LINEGEN_VERSION_STRING))};
    Coords a, b;
    Ids out;
    r.push_back(extrude_translate(a, V2(0, 0), V2(1, 2), 7u, out));
    r.push_back(extrude_translate(a, V2(0, 0), V2(1, 2), 0.01, 0.05, true, out));
    r.push_back(extrude_translate(a, 3u, V2(1, 2), 7u, out));
    r.push_back(extrude_translate(a, 3u, V2(1, 2), 0.01, 0.05, false, out));
    r.push_back(extrude_rotate(a, V2(1, 0), V2(0, 0), 2.0, 9u, out));
    r.push_back(extrude_rotate(a, V2(1, 0), V2(0, 0), 2.0, 0.01, 0.05, true, out));
    r.push_back(extrude_rotate(a, 5u, V2(0, 0), 2.0, 9u, out));
    r.push_back(extrude_rotate(a, 5u, V2(0, 0), 2.0, 0.01, 0.05, false, out));
    r.push_back(extrude_translate(b, V3(0, 0, 0), V3(1, 2, 3), 7u, out));
    r.push_back(extrude_translate(b, V3(0, 0, 0), V3(1, 2, 3), 0.01, 0.05, true, out));
    r.push_back(extrude_translate(b, 3u, V3(1, 2, 3), 7u, out));
    r.push_back(extrude_translate(b, 3u, V3(1, 2, 3), 0.01, 0.05, false, out));
    r.push_back(extrude_rotate(b, V3(1, 0, 0), V3(0, 0, 0), V3(0, 0.5, 2), 9u, out));
    r.push_back(extrude_rotate(b, V3(1, 0, 0), V3(0, 0, 0), V3(0, 0.5, 2), 0.01, 0.05, false, out));
    r.push_back(extrude_rotate(b, 5u, V3(0, 0, 0), V3(0, 0.5, 2), 9u, out));
    r.push_back(extrude_rotate(b, 5u, V3(0, 0, 0), V3(0, 0.5, 2), 0.01, 0.05, true, out));
    return add(r, a), add(r, b), add(r, out), r;
  });
  j.push_back([](const Shared& s) {
    Coords c = copy_of(s.c2);
    Ids out;
    Values p, h;
    Result r{double(mesh_line(c, s.chain, s.params, s.sizes, false, 1, no_count, 1e-4, 0.0, out, p, h))};
    add(r, p);
    r.push_back(mesh_line(c, s.chain, s.sizes, true, 1, no_count, -0.01, 0.001, out, p, h));
    return add(r, c), add(r, out), add(r, p), add(r, h), r;
  });
  j.push_back([](const Shared& s) {
    Coords c = copy_of(s.c3), m;
    Ids out;
    Values p;
    Result r{double(mesh_line(c, s.chain, s.params, s.metrics3, false, 1, no_count, 1e-4, 0.0, out, p, m))};
    add(r, p);
    r.push_back(mesh_line(c, s.chain, s.metrics3, true, 1, no_count, -0.01, 0.0, out, p, m));
    r.push_back(mesh_straight(c, s.chain.sub_vector(0, 20), s.metrics3, false, out));
    return add(r, c), add(r, out), add(r, p), add(r, m), r;
  });
  j.push_back([](const Shared& s) {
    Coords c = copy_of(s.c2);
    Ids out;
    Result r{double(mesh_straight(c, s.chain.sub_vector(0, 30), s.sizes, false, out))};
    r.push_back(mesh_straight(c, s.chain.sub_vector(0, 30), 50u, true, out));
    r.push_back(mesh_straight(c, 0u, 10u, 40u, out));
    r.push_back(mesh_straight(c, 0u, 10u, 20u, 40u, out));
    r.push_back(mesh_straight(c, 0u, 10u, 0.01, 0.02, true, out));
    return add(r, c), add(r, out), r;
  });
  j.push_back([](const Shared& s) {
    Coords c = copy_of(s.c2), m;
    Ids out;
    Values p, h;
    double dev = 0;
    Result r{double(
        mesh_spline(c, s.spline_chain, s.sizes, false, 1, no_count, 1e-5, 0.0, 0.01, 0.2, out, p, h, dev))};
    r.push_back(dev);
    r.push_back(
        mesh_spline(c, s.spline_chain, s.metrics2, false, 1, no_count, 1e-5, 0.0, 0.01, 0.0, out, p, m, dev));
    r.push_back(dev);
    V2 P;
    r.push_back(spline_point(s.c2, 3, 4, 5, 6, 0.3, P));
    r.insert(r.end(), {P[0], P[1]});
    return add(r, c), add(r, out), add(r, p), add(r, h), add(r, m), r;
  });
  j.push_back([](const Shared& s) {
    Coords c = copy_of(s.c3), m;
    Ids out;
    Values p;
    double dev = 0;
    Result r{double(mesh_spline(c, s.spline_chain, s.metrics3, true, 1, no_count, -0.02, 0.0, 0.01, 0.3, out,
                                p, m, dev))};
    V3 P;
    r.push_back(spline_point(s.c3, 3, 4, 5, 6, 0.3, P));
    r.insert(r.end(), {P[0], P[1], P[2], dev});
    return add(r, c), add(r, out), add(r, p), add(r, m), r;
  });
  j.push_back([](const Shared& s) {
    Values h, t(500);
    Coords m2, m3;
    for (std::size_t k = 0; k < 500; ++k) t[k] = double(k) / 499.0;
    Result r{double(interpolate_metrics(s.params, s.sizes, t, h))};
    r.push_back(interpolate_metrics(s.params, s.metrics2, t, m2));
    r.push_back(interpolate_metrics(s.params, s.metrics3, t, m3));
    return add(r, h), add(r, m2), add(r, m3), r;
  });
  j.push_back([](const Shared& s) {
    Edges e2, e3, split;
    Coords c = copy_of(s.c2);
    Result r{double(indices_to_connectE2(s.chain, e2))};
    r.push_back(indices_to_connectE3(s.chain.sub_vector(0, 199), e3));
    r.push_back(E3_to_2E2(e3, split));
    Edges flipped;
    EXPECT_TRUE(flipped.copy(s.edges));
    Edges part = flipped.sub_matrix(0, 10, 2, 30);
    r.push_back(flip(part));
    Edges n(2, flipped.cols(), 4294967295u);
    for (unsigned k = 0; k + 1 < flipped.cols(); ++k) n(0, k) = k + 1, n(1, k + 1) = k;
    r.push_back(mesh_reorient(flipped, n, 0u, 0));
    r.push_back(convert_E2(c, e2, 2u));
    return add(r, e2), add(r, e3), add(r, split), add(r, flipped), add(r, n), add(r, c), r;
  });
  j.push_back([](const Shared& s) {
    double L1 = 0, L2 = 0;
    Values k, pk;
    Coords c = copy_of(s.c2), nrm;
    Result r{double(length(s.c2, s.chain, L1)), double(length(s.c3, s.edges, L2)), L1, L2};
    r.push_back(curvatures(s.c3, s.chain, k));
    r.push_back(normals(s.c2, s.edges, 1.0, true, nrm));
    r.push_back(parametric_curvatures(s.params, s.edges, s.c2, pk));
    const Ids moved{5, 6, 7};
    const Values at{0.51, 0.52, 0.53};
    r.push_back(interpolate_coordinates(c, s.chain, s.params, moved, at));
    return add(r, k), add(r, nrm), add(r, pk), add(r, c), r;
  });
  j.push_back([](const Shared& s) {
    Coords m1, m2, m3, m4;
    Result r{double(metrics_gen_aniso2d(s.c2, s.chain, 0.1, 0.01, m1))};
    r.push_back(metrics_gen_aniso2d(s.c2, s.edges, 0.01, m2));
    r.push_back(metrics_gen_aniso3d(s.c3, s.edges, 0.01, m3));
    r.push_back(metrics_gen_aniso3d(s.c3, s.edges, 0.01, 0.02, m4));
    return add(r, m1), add(r, m2), add(r, m3), add(r, m4), r;
  });
  j.push_back([](const Shared& s) {
    Values p, h;
    Ids ids, sub;
    EXPECT_TRUE(p.copy(s.params));
    EXPECT_TRUE(h.copy(s.sizes));
    EXPECT_TRUE(ids.copy(s.chain));
    std::reverse(p.begin(), p.end());
    Result r{double(sort(p, ids))};
    r.push_back(subdivide(p, h, s.chain.sub_vector(0, 50), false, true, 1, no_count, sub));
    return add(r, p), add(r, h), add(r, ids), add(r, sub), r;
  });
  j.push_back([](const Shared&) {
    // A mapped face with a two-curve side, and a paved face.
    const Values goals{4.3, 2.6, 5.2, 1.4, 1.7, 7.4, 4.2};
    dense2D<int> terms(3, 7);
    const int t[] = {0, 0, 1, 0, 2, -1, 1, 1, 1, 1, 3, -1, 1, 4, -1, 2, 5, 1, 2, 6, 1};
    std::copy(t, t + 21, terms.data());
    Ids counts;
    Result r{double(assign_intervals(goals, {}, {}, terms, dense1D<int, 8>{0, 0, 1}, counts))};
    return add(r, counts), r;
  });
  return j;
}

}  // namespace

TEST(Concurrency, EveryFunctionFromSeveralThreadsMatchesItsLoneCall) {
  const Shared shared;
  const auto work = jobs();
  std::vector<Result> alone;
  for (const auto& job : work) alone.push_back(job(shared));
  // The representative calls succeed (a status of 0, or mesh_reorient's count).
  for (std::size_t k = 0; k < alone.size(); ++k) EXPECT_GE(alone[k][0], 0.0) << "job " << k;

  const int threads = 4, rounds = 3;
  std::vector<std::vector<Result>> seen(threads);
  std::vector<std::thread> pool;
  for (int t = 0; t < threads; ++t)
    pool.emplace_back([&, t] {
      for (int round = 0; round < rounds; ++round)
        for (std::size_t k = 0; k < work.size(); ++k) seen[t].push_back(work[(k + t) % work.size()](shared));
    });
  for (auto& th : pool) th.join();

  for (int t = 0; t < threads; ++t)
    for (std::size_t n = 0; n < seen[t].size(); ++n) {
      const std::size_t k = (n % work.size() + t) % work.size();
      ASSERT_EQ(seen[t][n].size(), alone[k].size()) << "job " << k << " in thread " << t;
      for (std::size_t i = 0; i < alone[k].size(); ++i) {
        if (std::isnan(alone[k][i]) && std::isnan(seen[t][n][i])) continue;
        ASSERT_EQ(seen[t][n][i], alone[k][i]) << "job " << k << " entry " << i;
      }
    }
}
