// dump_calls: calls every exported function of the library on seeded random
// arguments and prints one hash per overload of its statuses and outputs, so
// that two builds of the library can be compared bit for bit.
//
//   dump_calls [--seeds N] [--verbose]
//
// Each overload gets N cases (default 1000); case s of overload k draws from a
// std::mt19937_64 seeded with 1000003 * k + s, through draws of our own (the
// standard distributions are not portable). Most arguments are valid, of
// varied size and scale; some are invalid, and outputs are sometimes
// pre-filled, so that error statuses and append-versus-replace are covered.
// --verbose prints "<overload> <case> <status> <hash>" for every case as well.
//
// The overloads covered are those of the header at 0c8ec11; functions added
// later are not part of the comparison.
#include <linegen/linegen.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <utility>

namespace {

namespace lg = zarn::linegen;
using Ids = zarn::dense1D<unsigned int, 8>;
using Reals = zarn::dense1D<double, 8>;
using Coords = zarn::dense2D<double>;
using Conn = zarn::dense2D<unsigned int>;
template <int D>
using Vec = zarn::vector_fixed<double, D>;

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();

struct Draw {
  std::mt19937_64 g;
  double unit() { return static_cast<double>(g() >> 11) * 0x1.0p-53; }
  double real(double lo, double hi) { return lo + (hi - lo) * unit(); }
  unsigned below(unsigned n) { return n == 0 ? 0u : static_cast<unsigned>(g() % n); }
  bool chance(double p) { return unit() < p; }
  double scale() { return std::pow(10.0, real(-3.0, 3.0)); }
  // A value that no size, tolerance or length check should accept.
  double bad() {
    const double values[] = {0.0, -1.0, nan, inf, -inf};
    return values[below(5)];
  }
};

// FNV-1a over raw bytes: shapes first, then the entries column by column.
struct Hash {
  std::uint64_t h = 1469598103934665603ull;
  int status = 0;  // the last status seen, for --verbose
  void bytes(const void* p, std::size_t n) {
    const unsigned char* c = static_cast<const unsigned char*>(p);
    for (std::size_t i = 0; i < n; ++i) h = (h ^ c[i]) * 1099511628211ull;
  }
  template <class T>
  void add(const T& v) {
    bytes(&v, sizeof v);
  }
  template <class T>
  void add(const zarn::dense1D<T, 8>& v) {
    add(static_cast<std::uint64_t>(v.size()));
    if (!v.empty()) bytes(v.data(), v.size() * sizeof(T));
  }
  template <class T>
  void add(const zarn::dense2D<T>& m) {
    add(static_cast<std::uint64_t>(m.rows()));
    add(static_cast<std::uint64_t>(m.cols()));
    if (!m.empty())
      for (std::size_t j = 0; j < m.cols(); ++j) bytes(m.col(j), m.rows() * sizeof(T));
  }
  template <class... A>
  void operator()(int code, const A&... outputs) {
    status = code;
    add(code);
    (add(outputs), ...);
  }
};

// ---------------------------------------------------------------------------
// Argument builders

// A smooth random walk: n nodes, steps of about s, sometimes a repeated node.
Coords walk(Draw& d, std::size_t rows, unsigned n, double s) {
  Coords c(rows, n);
  double dir[4] = {1.0, 0.0, 0.0, 0.0}, at[4] = {0.0, 0.0, 0.0, 0.0};
  for (std::size_t i = 0; i < rows; ++i) at[i] = d.real(-s, s), dir[i] = d.real(-1.0, 1.0);
  for (unsigned k = 0; k < n; ++k) {
    double len = 0.0;
    for (std::size_t i = 0; i < rows; ++i) dir[i] += d.real(-0.8, 0.8), len += dir[i] * dir[i];
    len = std::sqrt(len) + 1e-300;
    const double step = d.chance(0.05) ? 0.0 : s * d.real(0.3, 1.0);
    for (std::size_t i = 0; i < rows; ++i) at[i] += step * dir[i] / len, c(i, k) = at[i];
  }
  return c;
}

Ids iota(unsigned first, unsigned n) {
  Ids v;
  for (unsigned k = 0; k < n; ++k) v.push_back(first + k);
  return v;
}

Reals reals(Draw& d, unsigned n, double lo, double hi) {
  Reals v;
  for (unsigned k = 0; k < n; ++k) v.push_back(d.real(lo, hi));
  return v;
}

Ids ids(Draw& d, unsigned n, unsigned bound) {
  Ids v;
  for (unsigned k = 0; k < n; ++k) v.push_back(d.below(bound));
  return v;
}

// Non-decreasing values from 0 with steps up to s, some repeated.
Reals ramp(Draw& d, unsigned n, double s) {
  Reals v;
  double t = d.real(-s, s);
  for (unsigned k = 0; k < n; ++k) v.push_back(t), t += d.chance(0.1) ? 0.0 : d.real(0.0, s);
  return v;
}

// One metric column: sizes in [0.05, 1] s along random orthonormal directions,
// or along the coordinate axes (a diagonal metric).
void metric(Draw& d, int dim, double s, double* m, bool axes) {
  double q[3][3], l[3];
  for (int k = 0; k < dim; ++k) {
    for (int i = 0; i < dim; ++i) q[k][i] = axes ? (i == k ? 1.0 : 0.0) : d.real(-1.0, 1.0);
    for (int p = 0; p < k; ++p) {
      double dot = 0.0;
      for (int i = 0; i < dim; ++i) dot += q[k][i] * q[p][i];
      for (int i = 0; i < dim; ++i) q[k][i] -= dot * q[p][i];
    }
    double len = 0.0;
    for (int i = 0; i < dim; ++i) len += q[k][i] * q[k][i];
    len = std::sqrt(len) + 1e-300;
    for (int i = 0; i < dim; ++i) q[k][i] /= len;
    const double h = s * d.real(0.05, 1.0);
    l[k] = 1.0 / (h * h);
  }
  const int pi[6] = {0, 0, 1, 0, 1, 2}, pj[6] = {0, 1, 1, 2, 2, 2};
  for (int e = 0; e < (dim == 2 ? 3 : 6); ++e) {
    m[e] = 0.0;
    for (int k = 0; k < dim; ++k) m[e] += l[k] * q[k][pi[e]] * q[k][pj[e]];
  }
}

Coords metrics(Draw& d, int dim, unsigned n, double s) {
  Coords m(dim == 2 ? 3 : 6, n);
  // One field in three is diagonal throughout; in the others one column in
  // five is.
  const bool diagonal = d.chance(1.0 / 3.0);
  for (unsigned k = 0; k < n; ++k) metric(d, dim, s, m.col(k), diagonal || d.chance(0.2));
  return m;
}

// Outputs start empty or with a few entries already there.
template <class T>
void prefill(Draw& d, zarn::dense1D<T, 8>& v) {
  if (d.chance(0.7)) return;
  for (unsigned k = d.below(4) + 1; k > 0; --k) v.push_back(static_cast<T>(d.real(0.0, 50.0)));
}
template <class T>
void prefill(Draw& d, zarn::dense2D<T>& m, std::size_t rows) {
  if (d.chance(0.6)) return;
  m.resize(rows, d.below(3) + 1);
  for (std::size_t j = 0; j < m.cols(); ++j)
    for (std::size_t i = 0; i < rows; ++i) m(i, j) = static_cast<T>(d.real(0.0, 50.0));
}

// The row count of a D-dimensional argument, now and then a wrong one.
std::size_t rows_of(int dim, bool invalid) { return invalid ? (dim == 2 ? 3 : 4) : dim; }

template <int D>
Vec<D> vec(Draw& d, double s) {
  Vec<D> v;
  for (int i = 0; i < D; ++i) v[i] = d.real(-s, s);
  return v;
}

// Invalid arguments: each case picks which one (or none) goes wrong.
struct Fault {
  unsigned which = 0;  // 0: all valid
  Fault(Draw& d, unsigned kinds, double p = 0.15) {
    if (d.chance(p)) which = d.below(kinds) + 1;
  }
  bool operator()(unsigned k) const { return which == k; }
};

// ---------------------------------------------------------------------------
// Extrusions: D, rotation or translation, node or point start, count or sizes

template <int D>
auto turn(Draw& d) {
  if constexpr (D == 2)
    return d.chance(0.05) ? 0.0 : d.real(-7.0, 7.0);
  else
    return vec<3>(d, d.chance(0.05) ? 0.0 : 3.0);
}

template <int D, bool Rotate, bool Node, bool Sizes>
void extrude(Draw& d, Hash& h) {
  const double s = d.scale();
  const Fault f(d, 6);
  Coords coords;
  if (Node || f(1) || d.chance(0.5))
    coords = walk(d, rows_of(D, f(1)), d.below(4) + (Node || f(1) ? 1 : 0), s);
  Ids out;
  prefill(d, out);
  const unsigned start_node = f(2) ? static_cast<unsigned>(coords.cols()) : d.below(coords.cols());
  const Vec<D> start = vec<D>(d, s), centre = vec<D>(d, s);
  const Vec<D> vector = f(3) ? Vec<D>() : vec<D>(d, s);
  const auto angle = turn<D>(d);
  const bool extreme = d.chance(0.03);  // counts too large for 32-bit identifiers
  const double h0 = f(4) ? d.bad() : extreme ? 1e-300 : s * d.real(0.02, 1.0);
  const double h1 = f(5) ? d.bad() : extreme ? 1e-300 : s * d.real(0.02, 1.0);
  const unsigned count = f(6) ? 0u : d.below(30);
  const bool even = d.chance(0.5);
  int status;
  auto call = [&](const auto& from) {
    if constexpr (Rotate && Sizes) return lg::extrude_rotate(coords, from, centre, angle, h0, h1, even, out);
    if constexpr (Rotate && !Sizes) return lg::extrude_rotate(coords, from, centre, angle, count, out);
    if constexpr (!Rotate && Sizes) return lg::extrude_translate(coords, from, vector, h0, h1, even, out);
    if constexpr (!Rotate && !Sizes) return lg::extrude_translate(coords, from, vector, count, out);
  };
  if constexpr (Node)
    status = call(start_node);
  else
    status = call(start);
  h(status, coords, out);
}

// ---------------------------------------------------------------------------
// Line meshing

// A chain over a random walk, with the faults every line mesher checks.
struct Line {
  int dim;
  double s;
  unsigned n;
  Coords coords;
  Ids chain;
  Line(Draw& d, const Fault& f) : dim(d.chance(0.5) ? 2 : 3), s(d.scale()), n(d.below(10) + 2) {
    coords = walk(d, rows_of(dim, f(1)), n + d.below(2), s);
    chain = iota(0, n);
    if (d.chance(0.2))
      for (unsigned k = 0; k < n; ++k) chain[k] = n - 1 - k;
    if (f(2) && d.chance(0.5)) chain.resize(1);
    if (f(2) && chain.size() > 1) chain[d.below(n)] = static_cast<unsigned>(coords.cols());
  }
  Reals sizes(Draw& d, bool invalid) {
    Reals v = reals(d, n + d.below(2), 0.05 * s, s);
    if (invalid && d.chance(0.5))
      v[d.below(n)] = d.bad();
    else if (invalid)
      v.resize(n - 1);
    return v;
  }
  Coords metrics(Draw& d, bool invalid) {
    Coords m = ::metrics(d, dim, n + d.below(2), s);
    if (invalid) {
      const unsigned k = d.below(3);
      if (k == 0) m(0, d.below(n)) = d.chance(0.5) ? -1.0 : nan;
      if (k == 1) m.resize(m.rows(), n - 1);
      if (k == 2) m = Coords(dim == 2 ? 6 : 3, n, 1.0);
    }
    return m;
  }
  double tolerance(Draw& d) {
    const double values[] = {0.0, s * d.real(1e-3, 0.1), -d.real(0.01, 0.3), nan, lg::no_bound};
    return values[d.below(5)];
  }
  void bounds(Draw& d, bool invalid, unsigned& nmin, unsigned& nmax) {
    nmin = d.below(5) + 1;
    nmax = d.chance(0.3) ? lg::no_count : nmin + d.below(100);
    if (invalid && d.chance(0.5))
      nmin = 0;
    else if (invalid)
      nmax = nmin - 1;
  }
};

template <bool Params, bool Metric>
void mesh_line(Draw& d, Hash& h) {
  const Fault f(d, 5);
  Line l(d, f);
  Reals params = ramp(d, l.n, l.s);
  if (f(3) && d.chance(0.5))
    params.resize(l.n - 1);
  else if (f(3))
    params[0] = params[l.n - 1] + 1.0;
  const Reals sizes = l.sizes(d, f(4));
  const Coords m = l.metrics(d, f(4));
  unsigned nmin, nmax;
  l.bounds(d, f(5), nmin, nmax);
  const bool even = d.chance(0.5);
  const double tol = l.tolerance(d), min_size = d.chance(0.5) ? 0.0 : 0.01 * l.s;
  Ids out;
  Reals out_params, out_sizes;
  Coords out_m;
  prefill(d, out), prefill(d, out_params), prefill(d, out_sizes);
  prefill(d, out_m, d.chance(0.8) ? m.rows() : 4);
  int status;
  if constexpr (Params && Metric)
    status =
        lg::mesh_line(l.coords, l.chain, params, m, even, nmin, nmax, tol, min_size, out, out_params, out_m);
  if constexpr (!Params && Metric)
    status = lg::mesh_line(l.coords, l.chain, m, even, nmin, nmax, tol, min_size, out, out_params, out_m);
  if constexpr (Params && !Metric)
    status = lg::mesh_line(l.coords, l.chain, params, sizes, even, nmin, nmax, tol, min_size, out, out_params,
                           out_sizes);
  if constexpr (!Params && !Metric)
    status =
        lg::mesh_line(l.coords, l.chain, sizes, even, nmin, nmax, tol, min_size, out, out_params, out_sizes);
  h(status, l.coords, out, out_params, out_sizes, out_m);
}

// The mesh_straight overloads, by `form`: 0 sizes, 1 count, 2 two nodes and a
// count, 3 three nodes and a count, 4 two nodes and two sizes, 5 metrics.
template <int Form>
void mesh_straight(Draw& d, Hash& h) {
  const Fault f(d, 4);
  Line l(d, f);
  const unsigned cols = static_cast<unsigned>(l.coords.cols());
  unsigned i[3] = {d.below(cols), d.below(cols), d.below(cols)};
  if (f(3)) i[d.below(3)] = cols;
  if (f(4) && Form == 2) i[1] = i[0];
  const double h0 = f(4) ? d.bad() : l.s * d.real(0.05, 1.0), h1 = l.s * d.real(0.05, 1.0);
  const unsigned count = d.below(40);
  const bool even = d.chance(0.5);
  Ids out;
  prefill(d, out);
  if (d.chance(0.1)) l.chain.clear();
  int status = 0;
  if constexpr (Form == 0) status = lg::mesh_straight(l.coords, l.chain, l.sizes(d, f(4)), even, out);
  if constexpr (Form == 1) status = lg::mesh_straight(l.coords, l.chain, count, even, out);
  if constexpr (Form == 2) status = lg::mesh_straight(l.coords, i[0], i[1], count, out);
  if constexpr (Form == 3) status = lg::mesh_straight(l.coords, i[0], i[1], i[2], count, out);
  if constexpr (Form == 4) status = lg::mesh_straight(l.coords, i[0], i[1], h0, h1, even, out);
  if constexpr (Form == 5) status = lg::mesh_straight(l.coords, l.chain, l.metrics(d, f(4)), even, out);
  h(status, l.coords, out);
}

// ---------------------------------------------------------------------------
// Splines

template <int D>
void spline_point(Draw& d, Hash& h) {
  const Fault f(d, 2);
  const unsigned n = d.below(6) + 1;
  const Coords coords = walk(d, rows_of(D, f(1)), n, d.scale());
  unsigned i[4];
  for (unsigned& k : i) k = d.below(n);
  if (d.chance(0.5)) i[1] = i[0];
  if (f(2)) i[d.below(4)] = n;
  for (int k = 0; k < 4; ++k) {
    Vec<D> p = vec<D>(d, 1.0);
    h(lg::spline_point(coords, i[0], i[1], i[2], i[3], d.real(-0.5, 1.5), p), p);
  }
}

template <bool Metric>
void mesh_spline(Draw& d, Hash& h) {
  const Fault f(d, 5);
  Line l(d, f);
  const unsigned n = l.n;
  // End neighbours: free ends, a closed curve, or the walk's extra node.
  const unsigned ends = d.below(3), last = static_cast<unsigned>(l.coords.cols()) - 1;
  Ids chain;
  chain.push_back(ends == 0 ? 0 : ends == 1 ? n - 1 : last);
  for (unsigned k = 0; k < n; ++k) chain.push_back(k);
  chain.push_back(ends == 0 ? n - 1 : ends == 1 ? 0 : last);
  if (f(2) && d.chance(0.5))
    chain.resize(3);
  else if (f(2))
    chain[d.below(n + 2)] = last + 1;
  l.n = n + 2;
  const Reals sizes = l.sizes(d, f(3));
  const Coords m = l.metrics(d, f(3));
  unsigned nmin, nmax;
  l.bounds(d, f(4), nmin, nmax);
  const bool even = d.chance(0.5);
  const double tol = d.chance(0.8) ? l.s * d.real(1e-3, 0.1) * (d.chance(0.5) ? 1 : -1) : 0.0;
  const double min_size = f(5) ? -1.0 : d.chance(0.5) ? 0.0 : 0.01 * l.s;
  const double default_size = d.chance(0.5) ? 0.0 : l.s * d.real(0.1, 1.0);
  const double gradations[] = {0.0, d.real(0.1, 2.0), lg::no_bound};
  const double gradation = gradations[d.below(3)];
  Ids out;
  Reals out_params, out_sizes;
  Coords out_m;
  prefill(d, out), prefill(d, out_params), prefill(d, out_sizes);
  prefill(d, out_m, d.chance(0.8) ? m.rows() : 4);
  double deviation = d.real(0.0, 1.0);
  int status;
  if constexpr (Metric)
    status = lg::mesh_spline(l.coords, chain, m, even, nmin, nmax, tol, min_size, default_size, gradation,
                             out, out_params, out_m, deviation);
  else
    status = lg::mesh_spline(l.coords, chain, sizes, even, nmin, nmax, tol, min_size, default_size, gradation,
                             out, out_params, out_sizes, deviation);
  h(status, l.coords, out, out_params, out_sizes, out_m, deviation);
}

// ---------------------------------------------------------------------------
// Interpolation

void interpolate_sizes(Draw& d, Hash& h) {
  const Fault f(d, 1);
  const unsigned n = d.below(6), m = d.below(8);
  const double s = d.scale();
  Reals params = d.chance(0.8) ? ramp(d, n, s) : reals(d, n, -s, s);
  const Reals sizes = reals(d, n + (f(1) ? 1 : 0), 0.1, 1.0);
  const Reals targets = d.chance(0.8) ? ramp(d, m, s) : reals(d, m, -s, s);
  Reals out;
  prefill(d, out);
  h(lg::interpolate_metrics(params, sizes, targets, out), out);
}

void interpolate_metric_columns(Draw& d, Hash& h) {
  const Fault f(d, 4);
  const unsigned n = d.below(6), m = d.below(8);
  const double s = d.scale();
  Reals params = ramp(d, n + (f(1) ? 1 : 0), s);
  if (f(2) && n > 1) params[0] = params[n - 1] + 1.0;
  const int dim = d.chance(0.5) ? 2 : 3;
  Coords metric = d.chance(0.05) ? Coords(0, n) : metrics(d, dim, n, s);
  if (f(3)) metric.resize(4, n);
  if (d.chance(0.1) && n > 0 && metric.rows() > 0) metric(0, d.below(n)) = -1.0;
  Reals targets = ramp(d, m, s);
  if (f(4) && m > 1) targets[0] = targets[m - 1] + 1.0;
  Coords out;
  prefill(d, out, d.chance(0.8) ? metric.rows() : 2);
  h(lg::interpolate_metrics(params, metric, targets, out), out);
}

// ---------------------------------------------------------------------------
// Connectivity

// Random edges between the nodes below `nodes`, each row of `rows`.
Conn edges(Draw& d, std::size_t rows, unsigned count, unsigned nodes) {
  Conn c(rows, count);
  for (unsigned e = 0; e < count; ++e)
    for (std::size_t i = 0; i < rows; ++i) c(i, e) = d.below(nodes);
  return c;
}

template <unsigned Middle>
void indices_to_connect(Draw& d, Hash& h) {
  const Fault f(d, 2);
  const unsigned n = f(1) ? (Middle ? 2 * d.below(2) : 1) : (Middle ? 2 * d.below(5) + 3 : d.below(9));
  const Ids chain = ids(d, d.chance(0.1) ? 0 : n, 50);
  Conn out;
  prefill(d, out, 2 + Middle + (f(2) ? 1 : 0));
  h(Middle ? lg::indices_to_connectE3(chain, out) : lg::indices_to_connectE2(chain, out), out);
}

void E3_to_2E2(Draw& d, Hash& h) {
  const Fault f(d, 2);
  const Conn e3 = edges(d, f(1) ? 2 : 3, d.below(6), 50);
  Conn out;
  prefill(d, out, f(2) ? 3 : 2);
  h(lg::E3_to_2E2(e3, out), out);
}

void convert_E2(Draw& d, Hash& h) {
  const Fault f(d, 2);
  const unsigned nodes = d.below(6) + 2;
  const unsigned rows = f(1) ? 4 * d.below(2) : d.below(3) + 1;
  Coords coords = walk(d, rows, nodes, d.scale());
  Conn c = edges(d, 2, d.below(6), nodes);
  if (f(2) && c.cols() > 0) c(0, d.below(static_cast<unsigned>(c.cols()))) = nodes;
  h(lg::convert_E2(coords, c, d.below(5)), coords, c);
}

void flip(Draw& d, Hash& h) {
  const unsigned rows = d.chance(0.15) ? 3 : 2;
  Conn c = edges(d, rows, d.below(6), 50);
  h(lg::flip(c), c);
}

// Chains and loops of edges, shuffled and randomly reversed, with their
// neighbour table.
void mesh_reorient(Draw& d, Hash& h) {
  const Fault f(d, 4);
  const std::size_t rows = d.chance(0.3) ? 3 : 2;
  Conn c(rows, 0);
  unsigned node = 0;
  for (unsigned part = d.below(3) + 1; part > 0; --part) {
    const unsigned len = d.below(6) + 1, first = node;
    const bool loop = len > 2 && d.chance(0.3);
    c.resize(rows, c.cols() + len);
    for (unsigned k = 0; k < len; ++k, ++node) {
      const std::size_t e = c.cols() - len + k;
      c(0, e) = node, c(1, e) = loop && k == len - 1 ? first : node + 1;
      if (rows == 3) c(2, e) = 1000 + static_cast<unsigned>(e);
    }
    if (!loop) ++node;
  }
  const unsigned m = static_cast<unsigned>(c.cols());
  for (unsigned e = m; e > 1; --e) {  // shuffle, then reverse some
    const unsigned o = d.below(e);
    for (std::size_t i = 0; i < rows; ++i) std::swap(c(i, e - 1), c(i, o));
  }
  for (unsigned e = 0; e < m; ++e)
    if (d.chance(0.5)) std::swap(c(0, e), c(1, e));
  Conn nb(rows, m);
  for (unsigned e = 0; e < m; ++e)
    for (unsigned r = 0; r < 2; ++r) {
      nb(r, e) = d.chance(0.5) ? m : lg::no_count;
      for (unsigned o = 0; o < m; ++o)
        if (o != e && (c(0, o) == c(1 - r, e) || c(1, o) == c(1 - r, e))) nb(r, e) = o;
      if (rows == 3) nb(2, e) = nb(1, e);
    }
  if (f(1)) c(0, d.below(m)) = lg::no_count;
  if (f(2)) nb(1, d.below(m)) = d.below(m);
  if (f(3)) nb.resize(rows == 2 ? 3 : 2, m);
  const unsigned start = f(4) ? m : d.below(m);
  h(lg::mesh_reorient(c, nb, start, static_cast<int>(d.below(3))), c, nb);
}

// ---------------------------------------------------------------------------
// Geometric queries

void length_chain(Draw& d, Hash& h) {
  const Fault f(d, 2);
  Line l(d, f);
  double L = 7.0;
  h(lg::length(l.coords, l.chain, L), L);
}

void length_edges(Draw& d, Hash& h) {
  const Fault f(d, 2);
  Line l(d, f);
  const unsigned cols = static_cast<unsigned>(l.coords.cols());
  const unsigned rows = d.below(2) + (f(2) ? 1 : 2);
  const Conn c = edges(d, rows, d.below(6), cols + (f(2) ? 1 : 0));
  double L = 7.0;
  h(lg::length(l.coords, c, L), L);
}

void interpolate_coordinates(Draw& d, Hash& h) {
  const Fault f(d, 4);
  const unsigned n = d.below(6), m = d.below(6), cols = n + 2;
  const double s = d.scale();
  Coords coords = walk(d, d.below(4) + 1, cols, s);
  const Ids chain = ids(d, n, cols + (f(1) ? 1 : 0));
  Reals params = ramp(d, n + (f(2) ? 1 : 0), s);
  const Ids targets = ids(d, m, cols + (f(3) ? 1 : 0));
  Reals new_params = ramp(d, m, s);
  if (f(4) && m > 1) new_params[0] = new_params[m - 1] + 1.0;
  h(lg::interpolate_coordinates(coords, chain, params, targets, new_params), coords);
}

void curvatures(Draw& d, Hash& h) {
  const Fault f(d, 2);
  Line l(d, f);
  if (d.chance(0.1)) l.chain.clear();
  Reals out;
  prefill(d, out);
  h(lg::curvatures(l.coords, l.chain, out), out);
}

void normals(Draw& d, Hash& h) {
  const Fault f(d, 2);
  const unsigned nodes = d.below(8);
  const Coords coords = walk(d, f(1) ? 3 : 2, nodes, d.scale());
  const unsigned rows = f(2) ? 1 : d.below(2) + 2;
  const Conn c = edges(d, rows, d.below(8), nodes + (f(2) ? 1 : 0));
  const double powers[] = {0.0, 1.0, d.real(-3.0, 3.0), lg::no_bound, -lg::no_bound};
  const double p = powers[d.below(5)];
  const bool normalize = d.chance(0.5);
  Coords out;
  prefill(d, out, 2);
  h(lg::normals(coords, c, p, normalize, out), out);
}

void parametric_curvatures(Draw& d, Hash& h) {
  const Fault f(d, 2);
  const unsigned nodes = d.below(8) + 1;
  const double s = d.scale();
  const Reals params = ramp(d, nodes, s);
  const unsigned rows = f(1) ? 1 : d.below(2) + 2;
  const Conn c = edges(d, rows, d.below(8), nodes + (f(1) ? 1 : 0));
  const unsigned dim = f(2) ? 4 : d.below(2) + 2, extra = f(2) && d.chance(0.5) ? 1 : 0;
  const Coords derivatives = walk(d, dim, nodes + extra, s);
  Reals out;
  prefill(d, out);
  h(lg::parametric_curvatures(params, c, derivatives, out), out);
}

// ---------------------------------------------------------------------------
// Metric generation

void aniso_vectors(Draw& d, Hash& h) {
  const Fault f(d, 5);
  const unsigned n = d.below(6) + 1;
  const double s = d.scale();
  const Coords vectors = walk(d, f(1) ? 3 : 2, n, 1.0);
  const Ids nodes = ids(d, d.below(6), n + (f(2) ? 1 : 0));
  const double along = f(3) ? d.bad() : s * d.real(0.05, 1.0),
               across = f(4) ? d.bad() : s * d.real(0.05, 1.0);
  Coords m;
  if (d.chance(0.4)) m = metrics(d, 2, d.below(8), s);
  if (f(5)) m = Coords(6, 2, 0.0);
  h(lg::metrics_gen_aniso2d(vectors, nodes, along, across, m), m);
}

// Edges of a walk (some branching), with 2D or 3D metrics merged in.
template <int D, bool Binormal>
void aniso_edges(Draw& d, Hash& h) {
  const Fault f(d, 3);
  const unsigned n = d.below(8) + 2;
  const double s = d.scale();
  const Coords coords = walk(d, f(1) ? D - 1 : D + d.below(2), n, s);
  Conn c(f(2) && d.chance(0.5) ? 3 : 2, 0);
  auto add = [&c](unsigned a, unsigned b) {
    c.resize(c.rows(), c.cols() + 1);
    c(0, c.cols() - 1) = a, c(1, c.cols() - 1) = b;
  };
  for (unsigned k = 0; k + 1 < n; ++k)
    if (d.chance(0.9)) add(k, k + 1);
  if (d.chance(0.3)) {
    const unsigned a = d.below(n);
    add(a, d.below(n));
  }
  if (f(2) && c.cols() > 0) c(0, 0) = n;
  const double normal = s * d.real(-1.0, 1.0), binormal = s * d.real(0.05, 1.0);
  Coords m;
  if (d.chance(0.4)) m = metrics(d, D, d.below(12), s);
  if (f(3)) m = Coords(D == 2 ? 6 : 3, 2, 0.0);
  int status;
  if constexpr (D == 2) status = lg::metrics_gen_aniso2d(coords, c, normal, m);
  if constexpr (D == 3 && !Binormal) status = lg::metrics_gen_aniso3d(coords, c, normal, m);
  if constexpr (D == 3 && Binormal) status = lg::metrics_gen_aniso3d(coords, c, normal, binormal, m);
  h(status, m);
}

// ---------------------------------------------------------------------------
// Parameter utilities

void sort(Draw& d, Hash& h) {
  const unsigned n = d.below(12);
  Reals params;
  for (unsigned k = 0; k < n; ++k)
    params.push_back(d.chance(0.1) ? nan : static_cast<double>(d.below(6)) * 0.5);
  Ids nodes = ids(d, n + (d.chance(0.1) ? 1 : 0), 20);
  h(lg::sort(params, nodes), params, nodes);
}

void subdivide(Draw& d, Hash& h) {
  const Fault f(d, 2);
  const unsigned n = d.below(8) + 2;
  const double s = d.scale();
  Reals params = ramp(d, n, s), sizes = reals(d, n + d.below(2), 0.05 * s, s);
  Ids chain;
  for (unsigned k = 0; k < n; ++k)
    if (d.chance(0.6)) chain.push_back(k);
  if (f(1) && d.chance(0.5))
    chain.resize(chain.empty() ? 0 : 1);
  else if (f(1))
    chain.push_back(n + 1);
  unsigned nmin = d.below(5) + 1;
  unsigned nmax = d.chance(0.3) ? lg::no_count : nmin + d.below(50);
  if (f(2) && d.chance(0.5))
    nmin = 0;
  else if (f(2))
    nmax = nmin - 1;
  Ids out;
  prefill(d, out);
  const bool round_up = d.chance(0.5), even = d.chance(0.5);
  h(lg::subdivide(params, sizes, chain, round_up, even, nmin, nmax, out), params, sizes, out);
}

void version(Draw&, Hash& h) {
  const char* v = lg::version();
  h(0), h.bytes(v, std::strlen(v) + 1);
}

// ---------------------------------------------------------------------------

struct Overload {
  const char* name;
  void (*run)(Draw&, Hash&);
};

const Overload overloads[] = {
    {"version", version},
    {"extrude_translate(point2,count)", extrude<2, false, false, false>},
    {"extrude_translate(point2,sizes)", extrude<2, false, false, true>},
    {"extrude_translate(point3,count)", extrude<3, false, false, false>},
    {"extrude_translate(point3,sizes)", extrude<3, false, false, true>},
    {"extrude_translate(node2,count)", extrude<2, false, true, false>},
    {"extrude_translate(node2,sizes)", extrude<2, false, true, true>},
    {"extrude_translate(node3,count)", extrude<3, false, true, false>},
    {"extrude_translate(node3,sizes)", extrude<3, false, true, true>},
    {"extrude_rotate(point2,count)", extrude<2, true, false, false>},
    {"extrude_rotate(point2,sizes)", extrude<2, true, false, true>},
    {"extrude_rotate(point3,count)", extrude<3, true, false, false>},
    {"extrude_rotate(point3,sizes)", extrude<3, true, false, true>},
    {"extrude_rotate(node2,count)", extrude<2, true, true, false>},
    {"extrude_rotate(node2,sizes)", extrude<2, true, true, true>},
    {"extrude_rotate(node3,count)", extrude<3, true, true, false>},
    {"extrude_rotate(node3,sizes)", extrude<3, true, true, true>},
    {"mesh_line(params,sizes)", mesh_line<true, false>},
    {"mesh_line(sizes)", mesh_line<false, false>},
    {"mesh_line(params,metrics)", mesh_line<true, true>},
    {"mesh_line(metrics)", mesh_line<false, true>},
    {"mesh_straight(chain,sizes)", mesh_straight<0>},
    {"mesh_straight(chain,count)", mesh_straight<1>},
    {"mesh_straight(i0,i1,count)", mesh_straight<2>},
    {"mesh_straight(i0,i1,i2,count)", mesh_straight<3>},
    {"mesh_straight(i0,i1,h0,h1)", mesh_straight<4>},
    {"mesh_straight(chain,metrics)", mesh_straight<5>},
    {"spline_point(2)", spline_point<2>},
    {"spline_point(3)", spline_point<3>},
    {"mesh_spline(metrics)", mesh_spline<true>},
    {"mesh_spline(sizes)", mesh_spline<false>},
    {"interpolate_metrics(sizes)", interpolate_sizes},
    {"interpolate_metrics(metrics)", interpolate_metric_columns},
    {"indices_to_connectE2", indices_to_connect<0>},
    {"indices_to_connectE3", indices_to_connect<1>},
    {"E3_to_2E2", E3_to_2E2},
    {"convert_E2", convert_E2},
    {"flip", flip},
    {"mesh_reorient", mesh_reorient},
    {"length(chain)", length_chain},
    {"length(edges)", length_edges},
    {"interpolate_coordinates", interpolate_coordinates},
    {"curvatures", curvatures},
    {"normals", normals},
    {"parametric_curvatures", parametric_curvatures},
    {"metrics_gen_aniso2d(vectors)", aniso_vectors},
    {"metrics_gen_aniso2d(edges)", aniso_edges<2, false>},
    {"metrics_gen_aniso3d(edges)", aniso_edges<3, false>},
    {"metrics_gen_aniso3d(edges,binormal)", aniso_edges<3, true>},
    {"sort", sort},
    {"subdivide", subdivide},
};

}  // namespace

int main(int argc, char** argv) {
  unsigned seeds = 1000;
  bool verbose = false;
  for (int a = 1; a < argc; ++a) {
    if (std::strcmp(argv[a], "--verbose") == 0) {
      verbose = true;
    } else if (std::strcmp(argv[a], "--seeds") == 0 && a + 1 < argc) {
      seeds = static_cast<unsigned>(std::strtoul(argv[++a], nullptr, 10));
    } else {
      std::fprintf(stderr, "usage: %s [--seeds N] [--verbose]\n", argv[0]);
      return 2;
    }
  }
  std::uint64_t k = 0;
  for (const Overload& o : overloads) {
    Hash all;
    for (unsigned s = 0; s < seeds; ++s) {
      Draw d{std::mt19937_64(1000003ull * k + s)};
      Hash one;
      o.run(d, one);
      all.add(one.h);
      if (verbose)
        std::printf("%s %u %d %016llx\n", o.name, s, one.status, static_cast<unsigned long long>(one.h));
    }
    std::printf("%s %016llx\n", o.name, static_cast<unsigned long long>(all.h));
    ++k;
  }
  return 0;
}
