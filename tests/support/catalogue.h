// One description of every exported call: how its arguments are built from
// bytes (a fuzz input, or bytes drawn from a seed), the codes it may return
// and what it may do to each caller container. The allocation-failure walk,
// the concurrency test, the fuzz harness and the random-input test all run
// from this table; none of them writes a call out again.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <cellkit/cellkit.h>
#include <linegen/linegen.h>

#include "linegen_version.h"

namespace catalogue {

using namespace zarn;
using namespace zarn::linegen;
using Ids = dense1D<unsigned int, 8>;
using Values = dense1D<double, 8>;
using Coords = dense2D<double>;
using Edges = dense2D<unsigned int>;
using Ints = dense1D<int, 8>;
using V2 = vector_fixed<double, 2>;
using V3 = vector_fixed<double, 3>;

// Bytes read front to back; past the end every read gives 0, so that any
// input, the empty one included, decodes to some arguments.
class Bytes {
 public:
  Bytes(const std::uint8_t* data, std::size_t size) : p_(data), n_(size) {}
  unsigned byte() {
    if (n_ == 0) return 0;
    --n_;
    return *p_++;
  }
  unsigned u16() {
    const unsigned hi = byte();
    return hi << 8 | byte();
  }
  unsigned pick(unsigned k) { return (k > 256 ? u16() : byte()) % k; }  // 0 ... k - 1, k <= 65536
  bool one_in(unsigned k) { return pick(k) == 0; }
  double real(double lo, double hi) { return lo + (hi - lo) * (u16() / 65535.0); }

 private:
  const std::uint8_t* p_;
  std::size_t n_;
};

// Bytes drawn from a seed, for the tests that run without a fuzzer.
inline std::vector<std::uint8_t> seeded_bytes(unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<std::uint8_t> b(16 + rng() % 700);
  for (auto& x : b) x = std::uint8_t(rng());
  return b;
}

// A double drawn mostly from values that break numerical code.
inline double awkward(Bytes& in) {
  constexpr double nan = std::numeric_limits<double>::quiet_NaN(),
                   inf = std::numeric_limits<double>::infinity();
  constexpr double v[] = {nan, inf,  -inf,   1e308,    -1e308, 4.9e-324,
                          0.0, -0.0, 1e-300, no_bound, -1.0,   -no_bound};
  const unsigned k = in.pick(16);
  return k < 12 ? v[k] : in.real(-4, 4);
}
inline double size(Bytes& in) { return in.one_in(4) ? awkward(in) : in.real(0.01, 2); }
inline unsigned id(Bytes& in, std::size_t bound) {
  if (in.one_in(16)) return in.one_in(2) ? no_count : unsigned(bound);
  return bound == 0 ? 0u : in.pick(unsigned(bound));
}
// A count that meshes quickly or can never fit 32-bit identifiers: valid
// requests for millions of nodes would only measure the machine.
inline unsigned count(Bytes& in) { return in.one_in(8) ? 0u : in.one_in(7) ? no_count : 1 + in.pick(300); }
// A total count that a call shares out over segments: there a huge one still
// gives valid segments of millions of nodes, so it stays small.
inline unsigned shared_count(unsigned n) { return n % 1024; }

// Containers are hostile one time in four: some of their entries awkward.
inline Coords matrix(Bytes& in, std::size_t rows, std::size_t cols) {
  Coords m(rows, cols);
  const unsigned hostile = in.one_in(4) ? 3 : 0;
  for (std::size_t j = 0; j < cols; ++j)
    for (std::size_t i = 0; i < rows; ++i) {
      const unsigned k = in.pick(8);
      m(i, j) = k == 0 && j > 0 ? m(i, j - 1)
                : k < hostile   ? awkward(in)
                                : in.real(-10, 10);  // coincident nodes
    }
  return m;
}
inline Ids id_list(Bytes& in, std::size_t n, std::size_t bound) {
  Ids v(n);
  for (auto& x : v) x = id(in, bound);
  return v;
}
// A chain over the first nodes, with free (A, A, ..., Z, Z) or closed
// (Z, A, ..., Z, A) ends now and then; any list one time in six.
inline Ids chain(Bytes& in, std::size_t nodes) {
  if (nodes < 2 || in.one_in(6)) return id_list(in, in.pick(12), nodes + 1);
  const unsigned k = 2 + in.pick(unsigned(nodes - 1)), ends = in.pick(4);
  Ids v;
  if (ends == 1 && k >= 3) v.push_back(k - 2);
  if (ends == 0) v.push_back(0);
  for (unsigned i = 0; i < k; ++i) v.push_back(i);
  if (ends == 0) v.push_back(k - 1);
  if (ends == 1 && k >= 3) v.push_back(1);
  return v;
}
inline Values values(Bytes& in, std::size_t n, bool sizes) {
  Values v(n);
  const bool hostile = in.one_in(4);
  for (auto& x : v) x = !sizes || (hostile && in.one_in(4)) ? awkward(in) : in.real(0.01, 2);
  return v;
}
// Non-decreasing values (with ties) most of the time.
inline Values params(Bytes& in, std::size_t n) {
  if (in.one_in(8)) return values(in, n, false);
  Values v(n);
  double t = in.real(-1, 1);
  for (auto& x : v) x = t += in.one_in(4) ? 0.0 : in.one_in(16) ? awkward(in) : in.real(0, 1);
  return v;
}
// Metrics of the sizes along rotated axes, or arbitrary columns now and then.
inline Coords metrics(Bytes& in, std::size_t rows, std::size_t cols) {
  if (in.one_in(16)) rows = in.pick(8);
  Coords m(rows, cols, 0.0);
  const bool hostile = in.one_in(4);
  for (std::size_t j = 0; j < cols; ++j) {
    if ((rows != 3 && rows != 6) || (hostile && in.one_in(4))) {
      for (std::size_t i = 0; i < rows; ++i) m(i, j) = awkward(in);
      continue;
    }
    const double a = in.real(0, 3.2), c = std::cos(a), s = std::sin(a);
    const double h1 = in.real(0.01, 2), h2 = in.real(0.01, 2), e1 = 1 / (h1 * h1), e2 = 1 / (h2 * h2);
    m(0, j) = c * c * e1 + s * s * e2, m(1, j) = c * s * (e1 - e2), m(2, j) = s * s * e1 + c * c * e2;
    if (rows == 6) m(5, j) = 1 / std::pow(in.real(0.01, 2), 2);
  }
  return m;
}
// Edges along the chain of the first nodes, some turned round, with a break
// or a branch now and then; any connectivity one time in six.
inline Edges edges(Bytes& in, std::size_t nodes, std::size_t rows) {
  if (in.one_in(10)) rows = in.pick(5);
  const bool any = nodes < 2 || in.one_in(6);
  const std::size_t cols = any ? in.pick(12) : in.pick(unsigned(nodes));
  Edges e(rows, cols);
  for (std::size_t j = 0; j < cols; ++j) {
    unsigned a = any ? id(in, nodes) : unsigned(j),
             b = any || in.one_in(16) ? id(in, nodes) : unsigned(j + 1);
    if (in.one_in(3)) std::swap(a, b);
    for (std::size_t i = 0; i < rows; ++i) e(i, j) = i == 0 ? a : i == 1 ? b : id(in, nodes);
  }
  return e;
}
// The neighbour table of a connectivity, damaged now and then.
inline Edges neighbours(Bytes& in, const Edges& e) {
  Edges nb;
  if (e.rows() < 2 || in.one_in(8) || !cellkit::get_neighbors(e, cellkit::edge, nb))
    return edges(in, e.cols() + 1, e.rows());
  if (nb.rows() != e.rows()) {  // three-node edges: the table takes the connectivity's shape
    Edges wide(e.rows(), e.cols(), no_count);
    for (std::size_t j = 0; j < nb.cols(); ++j)
      for (std::size_t i = 0; i < nb.rows() && i < wide.rows(); ++i) wide(i, j) = nb(i, j);
    nb = std::move(wide);
  }
  for (unsigned d = in.pick(4); d > 0 && !nb.empty(); --d) {
    const unsigned i = in.pick(unsigned(nb.rows())), j = in.pick(unsigned(nb.cols()));
    nb(i, j) = id(in, nb.cols() + 1);
  }
  return nb;
}
template <int D>
vector_fixed<double, D> vec(Bytes& in) {
  vector_fixed<double, D> v;
  for (int i = 0; i < D; ++i) v[i] = in.one_in(6) ? awkward(in) : in.real(-5, 5);
  return v;
}

// The caller containers a call may read or change, one slot each.
// clang-format off
enum Slot { coords, metric, out_metrics, ids, out_ids, new_ids, param, sizes, new_params, out_params, out_sizes,
            edge, e3, neighbors, out_edges, goals, lower, upper, terms, kinds, counts, slots };
constexpr const char* slot_names[slots] = {
    "coords", "metrics", "out_metrics", "indices", "out_indices", "new_indices", "params", "sizes", "new_params",
    "out_params", "out_sizes", "edges", "E3 edges", "neighbors", "out_edges", "goals", "lower", "upper", "terms",
    "kinds", "counts"};
// clang-format on

// Every argument of every call; a call takes the ones it needs.
struct Args {
  Coords coords, metric, out_metrics;
  Ids ids, out_ids, new_ids;
  Values param, sizes, new_params, out_params, out_sizes;
  Edges edge, e3, neighbors, out_edges;
  Values goals;
  Ids lower, upper, counts;
  dense2D<int> terms;
  Ints kinds;
  V2 a2, b2, c2, P2;
  V3 a3, b3, c3, w3, P3;
  double h0, h1, angle, chordal, min_size, default_size, gradation, p, t, L = -7, deviation = -7;
  unsigned n, nmin, nmax, node, i0, i1, i2, i3;
  bool even, round_up, normalize;
  int all;
};

// Calls f(slot, x, y) on the slot's container in x and in y.
template <class X, class Y, class F>
void pairs(X& x, Y& y, F f) {
  f(coords, x.coords, y.coords), f(metric, x.metric, y.metric), f(out_metrics, x.out_metrics, y.out_metrics);
  f(ids, x.ids, y.ids), f(out_ids, x.out_ids, y.out_ids), f(new_ids, x.new_ids, y.new_ids);
  f(param, x.param, y.param), f(sizes, x.sizes, y.sizes), f(new_params, x.new_params, y.new_params);
  f(out_params, x.out_params, y.out_params), f(out_sizes, x.out_sizes, y.out_sizes);
  f(edge, x.edge, y.edge), f(e3, x.e3, y.e3), f(neighbors, x.neighbors, y.neighbors);
  f(out_edges, x.out_edges, y.out_edges);
  f(goals, x.goals, y.goals), f(lower, x.lower, y.lower), f(upper, x.upper, y.upper),
      f(terms, x.terms, y.terms);
  f(kinds, x.kinds, y.kinds), f(counts, x.counts, y.counts);
}

// Goals, bounds, constraints and an output for the interval assignment of
// up to 8 curves (larger networks may spend seconds in the bounded search):
// equalities of sides and even sums, with now and then a bad row count,
// number, coefficient or kind.
inline void intervals(Bytes& in, Args& a) {
  const unsigned m = in.pick(9), nk = in.pick(5);
  a.goals = values(in, m, true);
  a.lower = Ids(in.one_in(2) ? 0 : m + (in.one_in(16) ? 1 : 0));
  for (auto& x : a.lower) x = in.one_in(16) ? 0 : 1 + in.pick(3);
  a.upper = Ids(in.one_in(2) ? 0 : m);
  for (std::size_t k = 0; k < a.upper.size(); ++k)
    a.upper[k] = in.one_in(8) ? no_count
                              : (k < a.lower.size() ? a.lower[k] : 1) + in.pick(12) - (in.one_in(16) ? 1 : 0);
  a.kinds = Ints(nk);
  for (auto& x : a.kinds) x = in.one_in(16) ? 2 : int(in.pick(2));
  a.terms = dense2D<int>(in.one_in(10) ? in.pick(5) : 3, nk == 0 || m == 0 ? 0 : in.pick(16), 0);
  for (std::size_t j = 0; j < a.terms.cols(); ++j)
    for (std::size_t i = 0; i < a.terms.rows(); ++i) {
      const bool bad = in.one_in(32);  // a number out of range, or a zero coefficient
      const int sign = in.one_in(2) ? 1 : -1 - int(in.pick(2));
      a.terms(i, j) = i == 0   ? int(bad ? nk : in.pick(nk))
                      : i == 1 ? int(bad ? m : in.pick(m))
                      : bad    ? 0
                               : sign;
    }
  a.counts = id_list(in, in.pick(4), 9);
}

inline void decode(Bytes& in, int dim, Args& a) {
  if (dim == 0) dim = in.one_in(2) ? 2 : 3;
  const std::size_t rows = in.one_in(10) ? in.pick(5) : std::size_t(dim), nodes = in.pick(25);
  a.coords = matrix(in, rows, nodes);
  a.ids = chain(in, nodes);
  const std::size_t m = a.ids.size();
  auto near_m = [&] { return in.one_in(10) ? std::size_t(in.pick(25)) : m; };
  a.param = params(in, near_m());
  a.sizes = values(in, near_m(), true);
  a.metric = metrics(in, rows == 3 ? 6 : 3, near_m());
  a.new_ids = id_list(in, in.pick(9), nodes + 1);
  a.new_params = params(in, in.one_in(8) ? in.pick(9) : a.new_ids.size());
  a.out_ids = id_list(in, in.pick(4), nodes + 1);
  a.out_params = values(in, in.pick(4), false);
  a.out_sizes = values(in, in.pick(4), true);
  // Outputs: empty, of the expected rows, or of other rows.
  const unsigned out_shape = in.pick(4), out_rows = out_shape == 1 ? in.pick(8) : rows == 3 ? 6 : 3;
  a.out_metrics = out_shape == 0 ? Coords() : metrics(in, out_rows, in.pick(4));
  a.edge = edges(in, nodes, in.one_in(4) ? 3 : 2);
  a.e3 = edges(in, nodes, 3);
  a.neighbors = neighbours(in, a.edge);
  const unsigned edge_shape = in.pick(4), edge_rows = edge_shape == 1 ? in.pick(5) : edge_shape;
  a.out_edges = edge_shape == 0 ? Edges() : Edges(edge_rows, in.pick(4), 7u);
  intervals(in, a);
  a.a2 = vec<2>(in), a.b2 = vec<2>(in), a.c2 = vec<2>(in);
  a.a3 = vec<3>(in), a.b3 = vec<3>(in), a.c3 = vec<3>(in), a.w3 = vec<3>(in);
  a.P2 = V2(42, 42), a.P3 = V3(42, 42, 42);
  a.h0 = size(in), a.h1 = size(in), a.angle = in.one_in(6) ? awkward(in) : in.real(-7, 7);
  const unsigned c = in.pick(8);
  a.chordal = c == 0 ? 0.0 : c < 3 ? in.real(1e-4, 0.5) : c < 5 ? -in.real(1e-4, 0.5) : awkward(in);
  a.min_size = in.one_in(2) ? 0.0 : in.one_in(4) ? awkward(in) : size(in);
  a.default_size = in.one_in(2) ? 0.0 : size(in);
  a.gradation = in.one_in(2) ? 0.0 : in.one_in(2) ? in.real(0.05, 2) : awkward(in);
  a.p = in.one_in(3) ? awkward(in) : in.real(-3, 3);
  a.t = in.one_in(4) ? awkward(in) : in.real(0, 1);
  a.n = count(in), a.nmin = in.one_in(16) ? no_count : in.pick(7);
  const unsigned u = in.pick(4);
  a.nmax = u == 0 ? no_count : u == 1 ? no_count - 1 : in.pick(301);  // a huge count never fits
  a.node = id(in, nodes), a.i0 = id(in, nodes), a.i1 = id(in, nodes), a.i2 = id(in, nodes),
  a.i3 = id(in, nodes);
  a.even = in.one_in(2), a.round_up = in.one_in(2), a.normalize = in.one_in(2);
  a.all = int(in.pick(3)) - 1;
}

// What a call may do to a container: nothing; append (the entries it held
// stay first); replace its contents; empty it first (a failed call leaves it
// empty or as it was).
enum Mode : char { keep, append, replace, fresh };
// Further promises: new identifiers in out_indices name columns of coords
// (or entries of params); through finite nodes the new nodes are finite; or
// force_even gives an even element count; any count of 0 or more is a success; a failed call leaves P
// untouched; or sets max_deviation to 0; a line's new nodes stay within the box of the nodes it runs
// through (the chain, whose ends the new chain keeps, or i0, i1 and i2), through finite nodes as huge as
// they come; the element count reaches nmin.
enum Flag : unsigned {
  node_ids = 1,
  param_ids = 2,
  finite = 4,
  even_count = 8,
  any_count = 16,
  point = 32,
  deviation = 64,
  on_chain = 128,
  on_points = 256,
  at_least_nmin = 512
};

struct Entry {
  const char* family;
  const char* name;
  int dim;  // of the coordinates the arguments are built for; 0: 2 or 3
  std::vector<int> codes;
  std::vector<std::pair<Slot, Mode>> effects;
  unsigned flags;
  int (*call)(Args&);
  Mode mode(Slot s) const {
    for (const auto& e : effects)
      if (e.first == s) return e.second;
    return keep;
  }
};

using E = std::vector<std::pair<Slot, Mode>>;
const E extruded = {{coords, append}, {out_ids, append}}, merged = {{out_metrics, replace}};
const E lined_sizes = {{coords, append}, {out_ids, append}, {out_params, fresh}, {out_sizes, append}};
const E lined_metrics = {{coords, append}, {out_ids, append}, {out_params, fresh}, {out_metrics, append}};
const E splined_sizes = {{coords, append}, {out_ids, append}, {out_params, append}, {out_sizes, append}};
const E splined_metrics = {{coords, append}, {out_ids, append}, {out_params, append}, {out_metrics, append}};
constexpr unsigned made = node_ids | finite, counted = made | even_count;
constexpr unsigned lined = counted | on_chain | at_least_nmin;

inline const std::vector<Entry>& entries() {
  // clang-format off
  static const std::vector<Entry> table = {
    {"extrusions", "extrude_translate 2D point count", 2, {0, -1, -199}, extruded, made,
     [](Args& a) { return extrude_translate(a.coords, a.a2, a.b2, a.n, a.out_ids); }},
    {"extrusions", "extrude_translate 2D point sizes", 2, {0, -1, -3, -4, -5, -199}, extruded, counted,
     [](Args& a) { return extrude_translate(a.coords, a.a2, a.b2, a.h0, a.h1, a.even, a.out_ids); }},
    {"extrusions", "extrude_translate 3D point count", 3, {0, -1, -199}, extruded, made,
     [](Args& a) { return extrude_translate(a.coords, a.a3, a.b3, a.n, a.out_ids); }},
    {"extrusions", "extrude_translate 3D point sizes", 3, {0, -1, -3, -4, -5, -199}, extruded, counted,
     [](Args& a) { return extrude_translate(a.coords, a.a3, a.b3, a.h0, a.h1, a.even, a.out_ids); }},
    {"extrusions", "extrude_translate 2D node count", 2, {0, -1, -2, -199}, extruded, made,
     [](Args& a) { return extrude_translate(a.coords, a.node, a.b2, a.n, a.out_ids); }},
    {"extrusions", "extrude_translate 2D node sizes", 2, {0, -1, -2, -3, -4, -5, -199}, extruded, counted,
     [](Args& a) { return extrude_translate(a.coords, a.node, a.b2, a.h0, a.h1, a.even, a.out_ids); }},
    {"extrusions", "extrude_translate 3D node count", 3, {0, -1, -2, -199}, extruded, made,
     [](Args& a) { return extrude_translate(a.coords, a.node, a.b3, a.n, a.out_ids); }},
    {"extrusions", "extrude_translate 3D node sizes", 3, {0, -1, -2, -3, -4, -5, -199}, extruded, counted,
     [](Args& a) { return extrude_translate(a.coords, a.node, a.b3, a.h0, a.h1, a.even, a.out_ids); }},
    {"extrusions", "extrude_rotate 2D point count", 2, {0, -1, -199}, extruded, made,
     [](Args& a) { return extrude_rotate(a.coords, a.a2, a.c2, a.angle, a.n, a.out_ids); }},
    {"extrusions", "extrude_rotate 2D point sizes", 2, {0, -1, -3, -5, -6, -199}, extruded, counted,
     [](Args& a) { return extrude_rotate(a.coords, a.a2, a.c2, a.angle, a.h0, a.h1, a.even, a.out_ids); }},
    {"extrusions", "extrude_rotate 3D point count", 3, {0, -1, -199}, extruded, made,
     [](Args& a) { return extrude_rotate(a.coords, a.a3, a.c3, a.w3, a.n, a.out_ids); }},
    {"extrusions", "extrude_rotate 3D point sizes", 3, {0, -1, -3, -5, -6, -199}, extruded, counted,
     [](Args& a) { return extrude_rotate(a.coords, a.a3, a.c3, a.w3, a.h0, a.h1, a.even, a.out_ids); }},
    {"extrusions", "extrude_rotate 2D node count", 2, {0, -1, -2, -199}, extruded, made,
     [](Args& a) { return extrude_rotate(a.coords, a.node, a.c2, a.angle, a.n, a.out_ids); }},
    {"extrusions", "extrude_rotate 2D node sizes", 2, {0, -1, -2, -3, -5, -6, -199}, extruded, counted,
     [](Args& a) { return extrude_rotate(a.coords, a.node, a.c2, a.angle, a.h0, a.h1, a.even, a.out_ids); }},
    {"extrusions", "extrude_rotate 3D node count", 3, {0, -1, -2, -5, -199}, extruded, made,
     [](Args& a) { return extrude_rotate(a.coords, a.node, a.c3, a.w3, a.n, a.out_ids); }},
    {"extrusions", "extrude_rotate 3D node sizes", 3, {0, -1, -2, -3, -5, -6, -199}, extruded, counted,
     [](Args& a) { return extrude_rotate(a.coords, a.node, a.c3, a.w3, a.h0, a.h1, a.even, a.out_ids); }},

    {"line_sizes", "mesh_line sizes params", 0, {0, -1, -2, -3, -4, -6, -199}, lined_sizes, lined,
     [](Args& a) { return mesh_line(a.coords, a.ids, a.param, a.sizes, a.even, a.nmin, a.nmax, a.chordal,
         a.min_size, a.out_ids, a.out_params, a.out_sizes); }},
    {"line_sizes", "mesh_line sizes", 0, {0, -1, -2, -3, -5, -199}, lined_sizes, lined,
     [](Args& a) { return mesh_line(a.coords, a.ids, a.sizes, a.even, a.nmin, a.nmax, a.chordal,
         a.min_size, a.out_ids, a.out_params, a.out_sizes); }},
    {"line_sizes", "mesh_straight chain sizes", 0, {0, -1, -2, -3, -199}, extruded, made | on_chain,
     [](Args& a) { return mesh_straight(a.coords, a.ids, a.sizes, a.even, a.out_ids); }},
    {"line_sizes", "mesh_straight chain count", 0, {0, -1, -2, -3, -199}, extruded, made | on_chain,
     [](Args& a) { return mesh_straight(a.coords, a.ids, shared_count(a.n), a.even, a.out_ids); }},
    {"line_sizes", "mesh_straight two nodes", 0, {0, -1, -2, -3, -4, -199}, extruded, made | on_points,
     [](Args& a) { return mesh_straight(a.coords, a.i0, a.i1, a.n, a.out_ids); }},
    {"line_sizes", "mesh_straight three nodes", 0, {0, -1, -2, -3, -4, -199}, extruded, made | on_points,
     [](Args& a) { return mesh_straight(a.coords, a.i0, a.i1, a.i2, shared_count(a.n), a.out_ids); }},
    {"line_sizes", "mesh_straight two sizes", 0, {0, -1, -2, -3, -4, -5, -199}, extruded, counted | on_points,
     [](Args& a) { return mesh_straight(a.coords, a.i0, a.i1, a.h0, a.h1, a.even, a.out_ids); }},

    {"line_metrics", "mesh_line metrics params", 0, {0, -1, -2, -3, -4, -6, -12, -199}, lined_metrics,
     lined,
     [](Args& a) { return mesh_line(a.coords, a.ids, a.param, a.metric, a.even, a.nmin, a.nmax, a.chordal,
         a.min_size, a.out_ids, a.out_params, a.out_metrics); }},
    {"line_metrics", "mesh_line metrics", 0, {0, -1, -2, -3, -5, -11, -199}, lined_metrics, lined,
     [](Args& a) { return mesh_line(a.coords, a.ids, a.metric, a.even, a.nmin, a.nmax, a.chordal,
         a.min_size, a.out_ids, a.out_params, a.out_metrics); }},
    {"line_metrics", "mesh_straight metrics", 0, {0, -1, -2, -3, -199}, extruded, made | on_chain,
     [](Args& a) { return mesh_straight(a.coords, a.ids, a.metric, a.even, a.out_ids); }},

    {"splines", "spline_point 2D", 2, {0, -1, -2, -3, -4, -5}, {}, point,
     [](Args& a) { return spline_point(a.coords, a.i0, a.i1, a.i2, a.i3, a.t, a.P2); }},
    {"splines", "spline_point 3D", 3, {0, -1, -2, -3, -4, -5}, {}, point,
     [](Args& a) { return spline_point(a.coords, a.i0, a.i1, a.i2, a.i3, a.t, a.P3); }},
    {"splines", "mesh_spline metrics", 0, {0, -1, -2, -3, -5, -8, -13, -199}, splined_metrics,
     counted | deviation | at_least_nmin,
     [](Args& a) { return mesh_spline(a.coords, a.ids, a.metric, a.even, a.nmin, a.nmax, a.chordal,
         a.min_size, a.default_size, a.gradation, a.out_ids, a.out_params, a.out_metrics, a.deviation); }},
    {"splines", "mesh_spline sizes", 0, {0, -1, -2, -3, -5, -8, -199}, splined_sizes, counted | deviation | at_least_nmin,
     [](Args& a) { return mesh_spline(a.coords, a.ids, a.sizes, a.even, a.nmin, a.nmax, a.chordal,
         a.min_size, a.default_size, a.gradation, a.out_ids, a.out_params, a.out_sizes, a.deviation); }},

    {"interpolation", "interpolate_coordinates", 0, {0, -2, -3, -4, -5}, {{coords, replace}}, 0,
     [](Args& a) { return interpolate_coordinates(a.coords, a.ids, a.param, a.new_ids, a.new_params); }},
    {"interpolation", "interpolate_metrics sizes", 0, {0, -1, -199}, {{out_sizes, replace}}, 0,
     [](Args& a) { return interpolate_metrics(a.param, a.sizes, a.new_params, a.out_sizes); }},
    {"interpolation", "interpolate_metrics metrics", 0, {0, -1, -2, -3, -4, -199}, merged, 0,
     [](Args& a) { return interpolate_metrics(a.param, a.metric, a.new_params, a.out_metrics); }},

    {"connectivity", "indices_to_connectE2", 0, {0, -1, -2, -199}, {{out_edges, append}}, 0,
     [](Args& a) { return indices_to_connectE2(a.ids, a.out_edges); }},
    {"connectivity", "indices_to_connectE3", 0, {0, -1, -2, -199}, {{out_edges, append}}, 0,
     [](Args& a) { return indices_to_connectE3(a.ids, a.out_edges); }},
    {"connectivity", "E3_to_2E2", 0, {0, -1, -2, -199}, {{out_edges, append}}, 0,
     [](Args& a) { return E3_to_2E2(a.e3, a.out_edges); }},
    {"connectivity", "convert_E2", 0, {0, -1, -2, -199}, {{coords, append}, {edge, replace}}, finite,
     [](Args& a) { return convert_E2(a.coords, a.edge, a.n == no_count ? no_count : a.n % 8); }},
    {"connectivity", "flip", 0, {0, -1}, {{edge, replace}}, 0,
     [](Args& a) { return flip(a.edge); }},
    {"connectivity", "mesh_reorient", 0, {-1, -2, -3, -199}, {{edge, replace}, {neighbors, replace}},
     any_count,
     [](Args& a) { return mesh_reorient(a.edge, a.neighbors, a.node, a.all); }},

    {"geometry", "version", 0, {0}, {}, 0,
     [](Args&) { return std::strcmp(version(), LINEGEN_VERSION_STRING) == 0 ? 0 : -1; }},
    {"geometry", "length chain", 0, {0, -1, -2}, {}, 0,
     [](Args& a) { return length(a.coords, a.ids, a.L); }},
    {"geometry", "length edges", 0, {0, -1, -2}, {}, 0,
     [](Args& a) { return length(a.coords, a.edge, a.L); }},
    {"geometry", "curvatures", 0, {0, -1, -2, -199}, {{out_sizes, fresh}}, 0,
     [](Args& a) { return curvatures(a.coords, a.ids, a.out_sizes); }},
    {"geometry", "normals", 2, {0, -1, -2, -199}, {{out_metrics, fresh}}, 0,
     [](Args& a) { return normals(a.coords, a.edge, a.p, a.normalize, a.out_metrics); }},
    {"geometry", "parametric_curvatures", 0, {0, -2, -3, -199}, {{out_sizes, fresh}}, 0,
     [](Args& a) { return parametric_curvatures(a.param, a.edge, a.coords, a.out_sizes); }},

    {"metrics_gen", "metrics_gen_aniso2d vectors", 2, {0, -1, -2, -3, -4, -5, -199}, merged, 0,
     [](Args& a) { return metrics_gen_aniso2d(a.coords, a.ids, a.h0, a.h1, a.out_metrics); }},
    {"metrics_gen", "metrics_gen_aniso2d edges", 2, {0, -1, -2, -4, -199}, merged, 0,
     [](Args& a) { return metrics_gen_aniso2d(a.coords, a.edge, a.p, a.out_metrics); }},
    {"metrics_gen", "metrics_gen_aniso3d", 3, {0, -1, -2, -4, -199}, merged, 0,
     [](Args& a) { return metrics_gen_aniso3d(a.coords, a.edge, a.p, a.out_metrics); }},
    {"metrics_gen", "metrics_gen_aniso3d bent", 3, {0, -1, -2, -5, -199}, merged, 0,
     [](Args& a) { return metrics_gen_aniso3d(a.coords, a.edge, a.p, a.h1, a.out_metrics); }},

    {"parameters", "sort", 0, {0, -1, -199}, {{param, replace}, {ids, replace}}, 0,
     [](Args& a) { return sort(a.param, a.ids); }},
    {"parameters", "subdivide", 0, {0, -2, -6, -199}, {{param, append}, {sizes, append}, {out_ids, append}},
     param_ids | even_count,
     [](Args& a) { return subdivide(a.param, a.sizes, a.ids, a.round_up, a.even, a.nmin, a.nmax,
         a.out_ids); }},
    {"parameters", "assign_intervals", 0, {0, status_unproven, -1, -2, -3, -4, -5, -199}, {{counts, replace}},
     0,
     [](Args& a) { return assign_intervals(a.goals, a.lower, a.upper, a.terms, a.kinds, a.counts); }},
  };
  // clang-format on
  return table;
}

// Equality entry by entry (NaN equal to NaN), and "the entries of `was`
// come first in `now`".
template <class T>
bool equal(T a, T b) {
  return a == b || (std::isnan(double(a)) && std::isnan(double(b)));
}
template <class T>
bool same(const dense1D<T, 8>& x, const dense1D<T, 8>& y, std::size_t n = std::size_t(-1)) {
  if (n == std::size_t(-1) && x.size() != y.size()) return false;
  for (std::size_t k = 0; k < x.size(); ++k)
    if (!equal(x[k], y[k])) return false;
  return true;
}
template <class T>
bool same(const dense2D<T>& x, const dense2D<T>& y, std::size_t n = std::size_t(-1)) {
  if (n == std::size_t(-1) && (x.rows() != y.rows() || x.cols() != y.cols())) return false;
  for (std::size_t j = 0; j < x.cols(); ++j)
    for (std::size_t i = 0; i < x.rows(); ++i)
      if (!equal(x(i, j), y(i, j))) return false;
  return true;
}
template <class T>
bool prefix_kept(const dense1D<T, 8>& was, const dense1D<T, 8>& now) {
  return now.size() >= was.size() && same(was, now, 0);
}
template <class T>
bool prefix_kept(const dense2D<T>& was, const dense2D<T>& now) {
  return was.empty() || (now.rows() == was.rows() && now.cols() >= was.cols() && same(was, now, 0));
}

// A deep copy of every container (scalars copied as they are).
inline Args deep(const Args& a) {
  Args c = a;
  pairs(a, c, [](Slot, const auto& x, auto& y) { y.copy(x); });
  return c;
}
// Everything two argument sets hold is equal.
inline bool same_state(const Args& x, const Args& y) {
  bool ok = equal(x.L, y.L) && equal(x.deviation, y.deviation);
  for (int i = 0; i < 2; ++i) ok = ok && equal(x.P2[i], y.P2[i]);
  for (int i = 0; i < 3; ++i) ok = ok && equal(x.P3[i], y.P3[i]);
  pairs(x, y, [&](Slot, const auto& u, const auto& v) { ok = ok && same(u, v); });
  return ok;
}

inline bool tame(const Args& a) {
  auto fine = [](double x) { return std::fabs(x) < 1e100; };
  if (!fine(a.angle)) return false;  // an infinite angle is not examined: it gives NaN nodes
  for (std::size_t j = 0; j < a.coords.cols(); ++j)
    for (std::size_t i = 0; i < a.coords.rows(); ++i)
      if (!fine(a.coords(i, j))) return false;
  for (double x : a.param)
    if (!fine(x)) return false;
  for (int i = 0; i < 2; ++i)
    if (!fine(a.a2[i]) || !fine(a.b2[i]) || !fine(a.c2[i])) return false;
  for (int i = 0; i < 3; ++i)
    if (!fine(a.a3[i]) || !fine(a.b3[i]) || !fine(a.c3[i]) || !fine(a.w3[i])) return false;
  return true;
}

// A line's new nodes within the box of the finite nodes it runs through (to
// rounding), and a new chain from the chain's first node to its last.
inline std::string on_line(const Entry& e, const Args& before, const Args& a, std::size_t from) {
  std::vector<unsigned> through;
  if (e.flags & on_chain) through.assign(before.ids.begin(), before.ids.end());
  if (e.flags & on_points) through = {before.i0, before.i1};
  if (std::strstr(e.name, "three")) through.push_back(before.i2);
  if (through.empty() || a.out_ids.size() == from) return "";
  if ((e.flags & on_chain) &&
      (a.out_ids[from] != through.front() || a.out_ids[a.out_ids.size() - 1] != through.back()))
    return "the new chain does not run from the chain's first node to its last";
  const Coords& c = before.coords;
  for (std::size_t i = 0; i < c.rows(); ++i) {
    double lo = INFINITY, hi = -INFINITY;
    for (unsigned id : through) {
      if (!std::isfinite(c(i, id))) return "";
      lo = std::fmin(lo, c(i, id)), hi = std::fmax(hi, c(i, id));
    }
    const double slack = 1e-9 * std::fmax(std::fabs(lo), std::fabs(hi));
    for (std::size_t j = c.cols(); j < a.coords.cols(); ++j)
      if (!(a.coords(i, j) >= lo - slack && a.coords(i, j) <= hi + slack))
        return "new node " + std::to_string(j) + " outside the box of the nodes its line runs through";
  }
  return "";
}

// The contract of `e` on one call: the status is one of its codes; a failed
// call leaves every container as at entry (an emptied output may be left
// empty); a successful one changes only the containers it names, in the way
// it names; and the further promises of its flags. Returns what broke, or
// an empty string. `before` is a deep copy of the arguments at entry.
inline std::string contract(const Entry& e, const Args& before, const Args& a, int status) {
  bool listed = status >= 0 && (e.flags & any_count);
  for (int c : e.codes) listed = listed || c == status;
  if (!listed) return "status " + std::to_string(status) + " is not one of its codes";
  const bool failed = status < 0;
  std::string why;
  pairs(before, a, [&](Slot s, const auto& x, const auto& y) {
    const Mode m = e.mode(s);
    if (!why.empty() || (!failed && m == replace) || (!failed && m == fresh)) return;
    if (failed && m == fresh) {
      if (!y.empty() && !same(x, y))
        why = std::string(slot_names[s]) + " neither emptied nor kept by a failed call";
    } else if ((failed || m == keep) && !same(x, y)) {
      why = std::string(slot_names[s]) + (failed ? " changed by a failed call" : " changed");
    } else if (m == append && !prefix_kept(x, y)) {
      why = std::string(slot_names[s]) + ": the entries it held were not kept first";
    }
  });
  if (!why.empty()) return why;
  if (failed) {
    if ((e.flags & point) && !same_state(before, a)) return "P changed by a failed call";
    if ((e.flags & deviation) && a.deviation != 0) return "max_deviation not 0 after a failed call";
    return "";
  }
  const std::size_t from = before.out_ids.size(),
                    bound = e.flags & param_ids ? a.param.size() : a.coords.cols();
  if (e.flags & (node_ids | param_ids))
    for (std::size_t k = from; k < a.out_ids.size(); ++k)
      if (a.out_ids[k] >= bound) return "new identifier " + std::to_string(a.out_ids[k]) + " names no column";
  if (e.flags & (on_chain | on_points)) {
    const std::string why = on_line(e, before, a, from);
    if (!why.empty()) return why;
  }
  if (!tame(before)) return "";
  const std::size_t added = a.out_ids.size() - from;
  if ((e.flags & at_least_nmin) && added > 0 && added - 1 < a.nmin)
    return std::to_string(added - 1) + " elements, below nmin " + std::to_string(a.nmin);
  if (e.flags & finite)
    for (std::size_t j = before.coords.cols(); j < a.coords.cols(); ++j)
      for (std::size_t i = 0; i < a.coords.rows(); ++i)
        if (!std::isfinite(a.coords(i, j))) return "new node " + std::to_string(j) + " not finite";
  if ((e.flags & even_count) && a.even && added > 0 && added % 2 == 0)
    return "odd element count " + std::to_string(added - 1) + " under force_even";
  return "";
}

// Decodes the arguments of one call of `family` (any family when null) from
// the bytes, makes the call and checks its contract. Returns what broke,
// prefixed with the call's name, or an empty string.
inline std::string run_bytes(const char* family, const std::uint8_t* data, std::size_t size) {
  std::vector<const Entry*> pool;
  for (const auto& e : entries())
    if (family == nullptr || std::strcmp(family, e.family) == 0) pool.push_back(&e);
  if (pool.empty()) return std::string("no family ") + family;
  Bytes in(data, size);
  const Entry& e = *pool[in.pick(unsigned(pool.size()))];
  Args a;
  decode(in, e.dim, a);
  const Args before = deep(a);
  const int status = e.call(a);
  const std::string why = contract(e, before, a, status);
  return why.empty() ? why : std::string(e.name) + ": " + why;
}

}  // namespace catalogue
