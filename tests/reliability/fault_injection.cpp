// Walks every exported function through container allocation failures: the
// N-th allocation from the call's start fails, for N = 0, 1, 2, ... until the
// call succeeds. Each failed call must return the memory code and leave the
// caller's containers exactly as at entry (or emptied, where the function
// empties an output first); the call that finally succeeds must give the same
// result as a call made without injection. Run under LeakSanitizer, this also
// proves that no failure path leaks.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <cellkit/cellkit.h>

#include "test_support.h"

#ifdef LINEGEN_FAULT_INJECTION

namespace {

using namespace zarn;
using namespace zarn::linegen;
using testing_support::same_matrix;
using testing_support::same_vector;

using Ids = dense1D<unsigned int, 8>;
using Values = dense1D<double, 8>;
using Coords = dense2D<double>;
using Edges = dense2D<unsigned int>;

template <class C>
C deep(const C& c) {
  C copy;
  EXPECT_TRUE(copy.copy(c));
  return copy;
}

// Everything a set of containers holds, flattened: shapes, then entries.
using State = std::vector<double>;

template <class T>
void flatten(State& s, const dense2D<T>& m) {
  s.push_back(double(m.rows()));
  s.push_back(double(m.cols()));
  for (std::size_t j = 0; j < m.cols(); ++j)
    for (std::size_t i = 0; i < m.rows(); ++i) s.push_back(double(m(i, j)));
}
template <class T>
void flatten(State& s, const dense1D<T, 8>& v) {
  s.push_back(double(v.size()));
  for (std::size_t k = 0; k < v.size(); ++k) s.push_back(double(v[k]));
}

bool same_state(const State& a, const State& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t k = 0; k < a.size(); ++k)
    if (!(a[k] == b[k]) && !(std::isnan(a[k]) && std::isnan(b[k]))) return false;
  return true;
}

// Watches the containers a call may touch: remembers them at construction,
// compares them after a failed call, flattens them after a successful one.
struct Watch {
  std::vector<std::function<::testing::AssertionResult()>> checks;
  std::vector<std::function<void(State&)>> readers;

  template <class C>
  void operator()(const C& live) {
    auto before = std::make_shared<C>(deep(live));
    const C* p = &live;
    checks.push_back([before, p] { return same(*before, *p); });
    readers.push_back([p](State& s) { flatten(s, *p); });
  }
  // An output that a failed call leaves empty.
  template <class C>
  void emptied(const C& live) {
    const C* p = &live;
    checks.push_back([p] {
      if (p->empty()) return ::testing::AssertionSuccess();
      return ::testing::AssertionFailure() << "output not emptied";
    });
    readers.push_back([p](State& s) { flatten(s, *p); });
  }
  // A scalar output that a failed call sets to `value`.
  void set_to(const double& live, double value) {
    const double* p = &live;
    checks.push_back([p, value] {
      if (*p == value) return ::testing::AssertionSuccess();
      return ::testing::AssertionFailure() << "scalar output " << *p << ", expected " << value;
    });
    readers.push_back([p](State& s) { s.push_back(*p); });
  }
  // A scalar output only compared after success.
  void result(const double& live) {
    const double* p = &live;
    readers.push_back([p](State& s) { s.push_back(*p); });
  }

  ::testing::AssertionResult all() const {
    for (std::size_t k = 0; k < checks.size(); ++k) {
      auto r = checks[k]();
      if (!r) return ::testing::AssertionFailure() << "container " << k << ": " << r.message();
    }
    return ::testing::AssertionSuccess();
  }
  State state() const {
    State s;
    for (const auto& read : readers) read(s);
    return s;
  }

 private:
  template <class T>
  static ::testing::AssertionResult same(const dense2D<T>& a, const dense2D<T>& b) {
    return same_matrix(a, b);
  }
  template <class T>
  static ::testing::AssertionResult same(const dense1D<T, 8>& a, const dense1D<T, 8>& b) {
    return same_vector(a, b);
  }
};

// One call on fresh inputs, with the watch over its containers.
struct Case {
  std::function<int()> call;
  std::shared_ptr<Watch> watch;
};

// Runs the walk; `make` builds a fresh case (its allocations happen before
// the countdown starts). A call may survive a failed allocation (a growth
// reservation that falls back to an exact one): it must then succeed with
// the reference result, and the walk goes on. The walk ends with the first
// call that makes fewer allocations than the countdown. Returns the number
// of allocations walked.
long walk(const std::string& name, const std::function<Case()>& make) {
  Case reference = make();
  const int expected = reference.call();
  EXPECT_GE(expected, 0) << name << ": the representative call fails without injection";
  const State expected_state = reference.watch->state();
  long failed = 0;
  for (long n = 0; n < 100000; ++n) {
    Case c = make();
    zarn::fail_allocation_after(n);
    const int status = c.call();
    const bool fired = zarn::detail::allocation_countdown < 0;
    zarn::fail_allocation_after(-1);
    if (status >= 0) {
      EXPECT_EQ(status, expected) << name << " succeeded with allocation " << n << " failing";
      EXPECT_TRUE(same_state(c.watch->state(), expected_state))
          << name << " succeeded with allocation " << n << " failing but its result differs";
      if (!fired) {
        std::printf("[ walk     ] %-36s %ld allocations, %ld failures reported\n", name.c_str(), n, failed);
        return n;
      }
      continue;
    }
    ++failed;
    EXPECT_TRUE(fired) << name << " failed (" << status << ") with no allocation failing";
    EXPECT_EQ(status, status_out_of_memory) << name << " with allocation " << n << " failing";
    EXPECT_TRUE(c.watch->all()) << name << " with allocation " << n << " failing";
    if (status != status_out_of_memory) return n;
  }
  ADD_FAILURE() << name << " never succeeded";
  return -1;
}

// Inputs shared by the cases.
Coords sine_polyline(std::size_t n, int dim) {
  Coords c(dim, n);
  for (std::size_t j = 0; j < n; ++j) {
    const double x = double(j) / double(n - 1);
    c(0, j) = x;
    c(1, j) = 0.1 * std::sin(6.0 * x);
    if (dim == 3) c(2, j) = 0.05 * std::cos(5.0 * x);
  }
  return c;
}
Ids iota(std::size_t n, unsigned int from = 0) {
  Ids v(n);
  for (std::size_t k = 0; k < n; ++k) v[k] = from + unsigned(k);
  return v;
}
Values filled(std::size_t n, double v) { return Values(n, v); }
Values ramp(std::size_t n) {
  Values p(n);
  for (std::size_t k = 0; k < n; ++k) p[k] = double(k) / double(n - 1);
  return p;
}
Coords iso_metrics(std::size_t n, int dim, double h) {
  Coords m(dim == 2 ? 3 : 6, n, 0.0);
  for (std::size_t j = 0; j < n; ++j) {
    m(0, j) = 1 / (h * h);
    m(2, j) = 1 / (h * h);
    if (dim == 3) m(5, j) = 1 / (h * h);
  }
  return m;
}

// A case over state held in a shared bundle so that the lambdas outlive make().
template <class Bundle, class Call, class Observe>
Case make_case(std::shared_ptr<Bundle> s, Call call, Observe observe) {
  auto w = std::make_shared<Watch>();
  observe(*s, *w);
  return Case{[s, call] { return call(*s); }, w};
}

}  // namespace

TEST(FaultInjection, Extrusions) {
  using V2 = vector_fixed<double, 2>;
  using V3 = vector_fixed<double, 3>;
  struct S {
    Coords c2 = sine_polyline(3, 2), c3 = sine_polyline(3, 3);
    Ids out = iota(2, 7);
  };
  auto observe2 = [](S& s, Watch& w) { w(s.c2), w(s.out); };
  auto observe3 = [](S& s, Watch& w) { w(s.c3), w(s.out); };
  auto mk = [&](auto call, auto observe) {
    return [=] { return make_case(std::make_shared<S>(), call, observe); };
  };
  const V2 a2(1, 1), v2(3, 1), ctr2(0, 0);
  const V3 a3(1, 1, 0), v3(3, 1, 1), ctr3(0, 0, 0), rot3(0.2, 0.3, 1.5);
  walk("extrude_translate 2D point count",
       mk([=](S& s) { return extrude_translate(s.c2, a2, v2, 5u, s.out); }, observe2));
  walk("extrude_translate 2D point sizes",
       mk([=](S& s) { return extrude_translate(s.c2, a2, v2, 0.2, 0.9, true, s.out); }, observe2));
  walk("extrude_translate 3D point count",
       mk([=](S& s) { return extrude_translate(s.c3, a3, v3, 5u, s.out); }, observe3));
  walk("extrude_translate 3D point sizes",
       mk([=](S& s) { return extrude_translate(s.c3, a3, v3, 0.2, 0.9, false, s.out); }, observe3));
  walk("extrude_translate 2D node count",
       mk([=](S& s) { return extrude_translate(s.c2, 1u, v2, 5u, s.out); }, observe2));
  walk("extrude_translate 2D node sizes",
       mk([=](S& s) { return extrude_translate(s.c2, 1u, v2, 0.2, 0.9, true, s.out); }, observe2));
  walk("extrude_translate 3D node count",
       mk([=](S& s) { return extrude_translate(s.c3, 1u, v3, 5u, s.out); }, observe3));
  walk("extrude_translate 3D node sizes",
       mk([=](S& s) { return extrude_translate(s.c3, 1u, v3, 0.2, 0.9, false, s.out); }, observe3));
  walk("extrude_rotate 2D point count",
       mk([=](S& s) { return extrude_rotate(s.c2, a2, ctr2, 2.0, 6u, s.out); }, observe2));
  walk("extrude_rotate 2D point sizes",
       mk([=](S& s) { return extrude_rotate(s.c2, a2, ctr2, 2.0, 0.1, 0.4, true, s.out); }, observe2));
  walk("extrude_rotate 3D point count",
       mk([=](S& s) { return extrude_rotate(s.c3, a3, ctr3, rot3, 6u, s.out); }, observe3));
  walk("extrude_rotate 3D point sizes",
       mk([=](S& s) { return extrude_rotate(s.c3, a3, ctr3, rot3, 0.1, 0.4, false, s.out); }, observe3));
  walk("extrude_rotate 2D node count",
       mk([=](S& s) { return extrude_rotate(s.c2, 2u, ctr2, 2.0, 6u, s.out); }, observe2));
  walk("extrude_rotate 2D node sizes",
       mk([=](S& s) { return extrude_rotate(s.c2, 2u, ctr2, 2.0, 0.1, 0.4, true, s.out); }, observe2));
  walk("extrude_rotate 3D node count",
       mk([=](S& s) { return extrude_rotate(s.c3, 2u, ctr3, rot3, 6u, s.out); }, observe3));
  walk("extrude_rotate 3D node sizes",
       mk([=](S& s) { return extrude_rotate(s.c3, 2u, ctr3, rot3, 0.1, 0.4, false, s.out); }, observe3));
}

TEST(FaultInjection, LinesWithSizes) {
  struct S {
    Coords c = sine_polyline(30, 2);
    Ids chain = iota(30);
    Values params = ramp(30);
    Values sizes = filled(30, 0.02);
    Ids out = iota(1, 3);
    Values out_params = filled(4, 9.0), out_sizes = filled(1, 5.0);
  };
  // mesh_line replaces out_params: a failed call leaves it empty.
  auto observe = [](S& s, Watch& w) { w(s.c), w(s.out), w.emptied(s.out_params), w(s.out_sizes); };
  auto observe_straight = [](S& s, Watch& w) { w(s.c), w(s.out); };
  auto mk = [&](auto call, auto obs) { return [=] { return make_case(std::make_shared<S>(), call, obs); }; };
  for (double chordal : {0.0, 1e-3, -0.05}) {
    const std::string tag = " chordal " + std::to_string(chordal);
    walk("mesh_line sizes params" + tag, mk(
                                             [=](S& s) {
                                               return mesh_line(s.c, s.chain, s.params, s.sizes, true, 1,
                                                                no_count, chordal, 0.001, s.out, s.out_params,
                                                                s.out_sizes);
                                             },
                                             observe));
    walk("mesh_line sizes" + tag, mk(
                                      [=](S& s) {
                                        return mesh_line(s.c, s.chain, s.sizes, false, 1, no_count, chordal,
                                                         0.001, s.out, s.out_params, s.out_sizes);
                                      },
                                      observe));
  }
  walk("mesh_straight chain sizes",
       mk([](S& s) { return mesh_straight(s.c, s.chain, s.sizes, false, s.out); }, observe_straight));
  walk("mesh_straight chain count",
       mk([](S& s) { return mesh_straight(s.c, s.chain, 3u, true, s.out); }, observe_straight));
  walk("mesh_straight two nodes",
       mk([](S& s) { return mesh_straight(s.c, 0u, 29u, 40u, s.out); }, observe_straight));
  walk("mesh_straight three nodes",
       mk([](S& s) { return mesh_straight(s.c, 0u, 10u, 29u, 7u, s.out); }, observe_straight));
  walk("mesh_straight two sizes",
       mk([](S& s) { return mesh_straight(s.c, 0u, 29u, 0.01, 0.05, true, s.out); }, observe_straight));
}

TEST(FaultInjection, LinesWithMetrics) {
  for (int dim : {2, 3}) {
    struct S {
      Coords c;
      Ids chain = iota(30);
      Values params = ramp(30);
      Coords metrics;
      Ids out = iota(1, 3);
      Values out_params = filled(2, 9.0);
      Coords out_metrics;
    };
    auto make_state = [dim] {
      auto s = std::make_shared<S>();
      s->c = sine_polyline(30, dim);
      s->metrics = iso_metrics(30, dim, 0.02);
      s->metrics(0, 4) *= 4.0;  // some anisotropy
      s->out_metrics = iso_metrics(1, dim, 3.0);
      return s;
    };
    auto observe = [](S& s, Watch& w) { w(s.c), w(s.out), w.emptied(s.out_params), w(s.out_metrics); };
    auto observe_straight = [](S& s, Watch& w) { w(s.c), w(s.out); };
    const std::string tag = dim == 2 ? " 2D" : " 3D";
    for (double chordal : {0.0, 1e-3}) {
      const std::string ctag = tag + (chordal > 0 ? " chordal" : "");
      walk("mesh_line metrics params" + ctag, [=] {
        return make_case(
            make_state(),
            [=](S& s) {
              return mesh_line(s.c, s.chain, s.params, s.metrics, false, 1, no_count, chordal, 0.001, s.out,
                               s.out_params, s.out_metrics);
            },
            observe);
      });
      walk("mesh_line metrics" + ctag, [=] {
        return make_case(
            make_state(),
            [=](S& s) {
              return mesh_line(s.c, s.chain, s.metrics, true, 2, 5000, chordal, 0.001, s.out, s.out_params,
                               s.out_metrics);
            },
            observe);
      });
    }
    walk("mesh_straight metrics" + tag, [=] {
      return make_case(
          make_state(), [](S& s) { return mesh_straight(s.c, s.chain, s.metrics, false, s.out); },
          observe_straight);
    });
  }
}

TEST(FaultInjection, SplinePoints) {
  struct S {
    Coords c2 = sine_polyline(6, 2), c3 = sine_polyline(6, 3);
    vector_fixed<double, 2> p2;
    vector_fixed<double, 3> p3;
    Values seen = filled(3, 0.0);
  };
  auto mk = [&](auto call) {
    return [=] {
      return make_case(std::make_shared<S>(), call, [](S& s, Watch& w) { w(s.c2), w(s.c3), w(s.seen); });
    };
  };
  walk("spline_point 2D", mk([](S& s) {
         const int r = spline_point(s.c2, 0, 1, 2, 3, 0.4, s.p2);
         s.seen[0] = s.p2[0], s.seen[1] = s.p2[1];
         return r;
       }));
  walk("spline_point 3D", mk([](S& s) {
         const int r = spline_point(s.c3, 1, 1, 2, 4, 0.7, s.p3);
         s.seen[0] = s.p3[0], s.seen[1] = s.p3[1], s.seen[2] = s.p3[2];
         return r;
       }));
}

TEST(FaultInjection, Splines) {
  for (int dim : {2, 3}) {
    struct S {
      Coords c;
      Ids chain = iota(12);
      Values sizes = filled(12, 0.05);
      Coords metrics;
      Ids out = iota(1, 3);
      Values out_params = filled(1, 9.0), out_sizes = filled(1, 5.0);
      Coords out_metrics;
      double deviation = -1;
    };
    auto make_state = [dim] {
      auto s = std::make_shared<S>();
      s->c = sine_polyline(12, dim);
      s->metrics = iso_metrics(12, dim, 0.05);
      s->out_metrics = iso_metrics(1, dim, 3.0);
      return s;
    };
    // The three outputs are appended to and kept on failure; the deviation
    // is 0 after a failed call.
    auto observe = [](S& s, Watch& w) {
      w(s.c), w(s.out), w(s.out_params), w(s.out_sizes), w(s.out_metrics), w.set_to(s.deviation, 0.0);
    };
    const std::string tag = dim == 2 ? " 2D" : " 3D";
    for (double gradation : {0.0, 0.3}) {
      const std::string g = gradation > 0 ? " graded" : "";
      walk("mesh_spline sizes" + tag + g, [=] {
        return make_case(
            make_state(),
            [=](S& s) {
              return mesh_spline(s.c, s.chain, s.sizes, false, 1, no_count, 1e-4, 0.001, 0.05, gradation,
                                 s.out, s.out_params, s.out_sizes, s.deviation);
            },
            observe);
      });
      walk("mesh_spline metrics" + tag + g, [=] {
        return make_case(
            make_state(),
            [=](S& s) {
              return mesh_spline(s.c, s.chain, s.metrics, true, 1, no_count, -0.01, 0.001, 0.05, gradation,
                                 s.out, s.out_params, s.out_metrics, s.deviation);
            },
            observe);
      });
    }
  }
}

// A mapped face whose left side has two curves.
dense2D<int> face_terms() {
  dense2D<int> terms(3, 5);
  const int t[] = {0, 0, 1, 0, 2, -1, 1, 1, 1, 1, 3, -1, 1, 4, -1};
  std::copy(t, t + 15, terms.data());
  return terms;
}

TEST(FaultInjection, Parameters) {
  struct S {
    Values goals = testing_support::values({4.3, 2.6, 5.2, 1.4, 1.7});
    dense2D<int> terms = face_terms();
    dense1D<int, 8> kinds{0, 0};
    Ids counts = testing_support::ids({9});
    Values params = testing_support::values({0.0, 0.25, 0.5, 1.0});
    Values sizes = testing_support::values({0.1, 0.2, 0.1, 0.3});
    Ids chain = testing_support::ids({0, 2, 3});
    Ids new_chain = testing_support::ids({5});
    Values sort_params = testing_support::values({0.5, 0.1, 0.5, 0.2});
    Ids sort_ids = testing_support::ids({7, 9, 3, 1});
  };
  auto mk = [&](auto call, auto obs) { return [=] { return make_case(std::make_shared<S>(), call, obs); }; };
  walk("subdivide",
       mk([](S& s) { return subdivide(s.params, s.sizes, s.chain, false, true, 1, 100, s.new_chain); },
          [](S& s, Watch& w) { w(s.params), w(s.sizes), w(s.new_chain); }));
  walk("sort", mk([](S& s) { return sort(s.sort_params, s.sort_ids); },
                  [](S& s, Watch& w) { w(s.sort_params), w(s.sort_ids); }));
  walk("assign_intervals",
       mk([](S& s) { return assign_intervals(s.goals, {}, {}, s.terms, s.kinds, s.counts); },
          [](S& s, Watch& w) { w(s.counts); }));
}

TEST(FaultInjection, MetricInterpolation) {
  struct S {
    Values params = testing_support::values({0.0, 0.25, 0.5, 1.0});
    Values sizes = testing_support::values({0.1, 0.2, 0.1, 0.3});
    Coords metrics2 = iso_metrics(4, 2, 0.1), metrics3 = iso_metrics(4, 3, 0.1);
    Values targets = testing_support::values({0.0, 0.1, 0.6, 0.9, 1.0});
    Values out = testing_support::values({7.0});
    Coords out2 = iso_metrics(1, 2, 1.0), out3 = iso_metrics(1, 3, 1.0);
  };
  auto mk = [&](auto call, auto obs) { return [=] { return make_case(std::make_shared<S>(), call, obs); }; };
  walk("interpolate_metrics sizes",
       mk([](S& s) { return interpolate_metrics(s.params, s.sizes, s.targets, s.out); },
          [](S& s, Watch& w) { w(s.out); }));
  walk("interpolate_metrics metrics 2D",
       mk([](S& s) { return interpolate_metrics(s.params, s.metrics2, s.targets, s.out2); },
          [](S& s, Watch& w) { w(s.out2); }));
  walk("interpolate_metrics metrics 3D",
       mk([](S& s) { return interpolate_metrics(s.params, s.metrics3, s.targets, s.out3); },
          [](S& s, Watch& w) { w(s.out3); }));
}

namespace {

// A 9-node sine chain with its two- and three-node edges and a neighbour
// table, two of the edges turned the wrong way round.
struct Mesh {
  Coords c = sine_polyline(9, 2);
  Coords c3 = sine_polyline(9, 3);
  Ids chain = iota(9);
  Ids target = iota(3, 2);
  Values params = ramp(9);
  Values new_params = testing_support::values({0.3, 0.55, 0.8});
  Edges e2, e3, out_edges, neighbors;
  Coords out = iso_metrics(1, 2, 1.0);
  Coords out3 = iso_metrics(1, 3, 1.0);
  Values curv = filled(2, 1.0);
  double L = -1;
};

std::shared_ptr<Mesh> make_mesh() {
  auto s = std::make_shared<Mesh>();
  EXPECT_EQ(indices_to_connectE2(s->chain, s->e2), 0);
  EXPECT_EQ(indices_to_connectE3(s->chain, s->e3), 0);
  s->out_edges = Edges(2, 1, 5u);
  Edges reversed = s->e2.sub_matrix(0, 3, 2, 2);  // a view: flips two edges of e2
  EXPECT_EQ(flip(reversed), 0);
  EXPECT_TRUE(zarn::cellkit::get_neighbors(s->e2, zarn::cellkit::edge, s->neighbors));
  return s;
}

template <class Call, class Observe>
std::function<Case()> on_mesh(Call call, Observe observe) {
  return [=] { return make_case(make_mesh(), call, observe); };
}

}  // namespace

TEST(FaultInjection, ConnectivityAndGeometry) {
  using S = Mesh;
  walk("indices_to_connectE2", on_mesh([](S& s) { return indices_to_connectE2(s.chain, s.out_edges); },
                                       [](S& s, Watch& w) { w(s.out_edges); }));
  walk("indices_to_connectE3",
       on_mesh([](S& s) { return indices_to_connectE3(s.chain, s.e3); }, [](S& s, Watch& w) { w(s.e3); }));
  walk("E3_to_2E2",
       on_mesh([](S& s) { return E3_to_2E2(s.e3, s.out_edges); }, [](S& s, Watch& w) { w(s.out_edges); }));
  walk("convert_E2",
       on_mesh([](S& s) { return convert_E2(s.c, s.e2, 2u); }, [](S& s, Watch& w) { w(s.c), w(s.e2); }));
  walk("flip", on_mesh([](S& s) { return flip(s.e2); }, [](S& s, Watch& w) { w(s.e2); }));
  walk("mesh_reorient", on_mesh([](S& s) { return mesh_reorient(s.e2, s.neighbors, 0u, 1); },
                                [](S& s, Watch& w) { w(s.e2), w(s.neighbors); }));
  walk("length chain", on_mesh([](S& s) { return length(s.c, s.chain, s.L); },
                               [](S& s, Watch& w) { w(s.c), w.result(s.L); }));
  walk("length edges",
       on_mesh([](S& s) { return length(s.c, s.e2, s.L); }, [](S& s, Watch& w) { w(s.c), w.result(s.L); }));
  walk("interpolate_coordinates",
       on_mesh([](S& s) { return interpolate_coordinates(s.c, s.chain, s.params, s.target, s.new_params); },
               [](S& s, Watch& w) { w(s.c); }));
  // The three queries empty their output first: a failed call leaves it empty.
  walk("curvatures", on_mesh([](S& s) { return curvatures(s.c, s.chain, s.curv); },
                             [](S& s, Watch& w) { w.emptied(s.curv); }));
  walk("normals", on_mesh([](S& s) { return normals(s.c, s.e2, 1.0, true, s.out); },
                          [](S& s, Watch& w) { w.emptied(s.out); }));
  walk("parametric_curvatures",
       on_mesh([](S& s) { return parametric_curvatures(s.params, s.e2, s.c, s.curv); },
               [](S& s, Watch& w) { w.emptied(s.curv); }));
}

TEST(FaultInjection, MetricGeneration) {
  using S = Mesh;
  walk("metrics_gen_aniso2d vectors",
       on_mesh([](S& s) { return metrics_gen_aniso2d(s.c, s.chain, 0.1, 0.01, s.out); },
               [](S& s, Watch& w) { w(s.out); }));
  walk("metrics_gen_aniso2d edges", on_mesh([](S& s) { return metrics_gen_aniso2d(s.c, s.e2, 0.01, s.out); },
                                            [](S& s, Watch& w) { w(s.out); }));
  walk("metrics_gen_aniso3d edges",
       on_mesh([](S& s) { return metrics_gen_aniso3d(s.c3, s.e2, 0.01, s.out3); },
               [](S& s, Watch& w) { w(s.out3); }));
  walk("metrics_gen_aniso3d bend",
       on_mesh([](S& s) { return metrics_gen_aniso3d(s.c3, s.e2, 0.01, 0.02, s.out3); },
               [](S& s, Watch& w) { w(s.out3); }));
}

#else

TEST(FaultInjection, NeedsTheInjectionBuild) {
  GTEST_SKIP() << "configure with -DLINEGEN_FAULT_INJECTION=ON to walk the allocation failures";
}

#endif
