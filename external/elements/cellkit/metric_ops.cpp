// Metric operations of the element-utility layer: bounding of metric sizes,
// metric intersection and the gradation bound of a size or metric field along
// edges, on the dense kernels below (eigen-decompositions, generalised
// eigenproblem, composition).
#include <cellkit/cellkit.h>
#include <densekit/densekit.h>
#include <densekit/vectors.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>

namespace zarn {
namespace cellkit {

namespace {

using densekit::compose_metric;
using densekit::dual_rows;
using densekit::eigen_sym;
using densekit::gen_eigen_sym;
using densekit::load_metric;
using densekit::metric;
using densekit::store_metric;

template <int N>
constexpr std::size_t packed = metric<N>::packed;

template <int N>
bool is_zero(const metric<N>& m) {
  for (std::size_t k = 0; k < packed<N>; ++k)
    if (m[k] != 0.0) return false;
  return true;
}

template <int N>
double quadratic_form(const metric<N>& m, const double* p) {
  double s = 0.0;
  for (int i = 0; i < N; ++i)
    for (int j = 0; j < N; ++j) s += p[i] * m(i, j) * p[j];
  return s;
}

// Sizes along the eigenvectors brought into [hmin, hmax]; the lower size
// bound wins when the bounds cross. M is rewritten only when an eigenvalue
// changes.
template <int N>
bool bound_one(metric<N>& m, double hmin, double hmax) {
  double lambda[N], vectors[N * N];
  if (!eigen_sym(m, lambda, vectors)) return false;
  // Eigenvalue bounds; 1 / hmax^2 underflows to 0 for an absent largest size.
  const bool has_cap = hmin > 0.0;
  const double lambda_hi = has_cap ? 1.0 / (hmin * hmin) : 0.0;
  const double lambda_lo = hmax > 0.0 ? 1.0 / (hmax * hmax) : 0.0;
  bool changed = false;
  for (int k = 0; k < N; ++k) {
    // An eigenvalue <= 0 is an infinite size: it comes down to hmax.
    if (lambda[k] < lambda_lo) {
      lambda[k] = lambda_lo;
      changed = true;
    }
    if (has_cap && lambda[k] > lambda_hi) {
      lambda[k] = lambda_hi;
      changed = true;
    }
  }
  if (changed) compose_metric(lambda, vectors, m);
  return true;
}

// Intersection by simultaneous reduction. The common basis is taken from the
// pencil (A + B, A): it diagonalises A and B alike, and A + B is positive
// definite whenever either metric is, so one semi-definite metric (a size
// infinite in some direction) needs no special case.
template <int N>
bool minimum_one(const metric<N>& a, const metric<N>& b, metric<N>& out, double* gain = nullptr) {
  // gain: the largest relative excess of B's eigenvalue over A's in the
  // common basis, 0 when B is nowhere tighter than A.
  if (gain) *gain = 0.0;
  if (is_zero(a)) {
    out = b;
    if (gain && !is_zero(b)) *gain = std::numeric_limits<double>::infinity();
    return true;
  }
  if (is_zero(b)) {
    out = a;
    return true;
  }
  metric<N> sum;
  for (std::size_t k = 0; k < packed<N>; ++k) sum[k] = a[k] + b[k];
  double mu[N], basis[N * N], dual[N * N];
  if (gen_eigen_sym(sum, a, mu, basis, true) && dual_rows(basis, dual)) {
    double lambda[N];
    bool finite = true;
    for (int k = 0; k < N; ++k) {
      const double la = quadratic_form(a, basis + k * N), lb = quadratic_form(b, basis + k * N);
      lambda[k] = std::max(la, lb);
      finite = finite && std::isfinite(lambda[k]);
      if (gain && lb > la) *gain = std::max(*gain, la > 0.0 ? (lb - la) / la : 1.0);
    }
    if (finite) {
      compose_metric(lambda, dual, out);
      return true;
    }
  }
  // No common basis (both metrics share a direction of infinite size, or a
  // metric is not usable): A + B is never larger than the smaller size of
  // either in any direction, so it is a safe, if tighter, answer.
  out = sum;
  return false;
}

// Metric M_a with every eigen-size h grown to h + growth.
template <int N>
bool grown_metric(const metric<N>& m, double growth, metric<N>& out) {
  double lambda[N], vectors[N * N];
  if (!eigen_sym(m, lambda, vectors)) return false;
  for (int k = 0; k < N; ++k) {
    if (!(lambda[k] > 0.0)) {
      lambda[k] = 0.0;  // infinite size stays infinite
      continue;
    }
    const double h = 1.0 / std::sqrt(lambda[k]) + growth;
    lambda[k] = 1.0 / (h * h);
  }
  compose_metric(lambda, vectors, out);
  return true;
}

double edge_length(dense2D<double> const& coords, unsigned int a, unsigned int b) {
  return densekit::distance(coords.col(a), coords.col(b), coords.rows());
}

// Relaxes a size field along one edge, from node `from` to node `to`.
struct size_relaxation {
  dense1D<double, 8>& sizes;
  std::size_t count() const { return sizes.size(); }
  bool relax(unsigned int from, unsigned int to, double growth) {
    const double bound = sizes[from] + growth;
    if (bound < sizes[to]) {
      sizes[to] = bound;
      return true;
    }
    return false;
  }
};

template <int N>
struct metric_relaxation {
  dense2D<double>& metrics;
  std::size_t count() const { return metrics.cols(); }
  bool relax(unsigned int from, unsigned int to, double growth) {
    metric<N> grown, out;
    if (!grown_metric(load_metric<N>(metrics.col(from)), growth, grown)) return false;
    const metric<N> current = load_metric<N>(metrics.col(to));
    double gain = 0.0;
    if (!minimum_one(current, grown, out, &gain) || !(gain > 0.0)) return false;
    for (std::size_t k = 0; k < packed<N>; ++k)
      if (!std::isfinite(out[k])) return false;
    // Any tightening is kept, so that small steps do not add up along a
    // chain; only one beyond rounding asks for another round.
    store_metric(out, metrics.col(to));
    return gain > 1e-10;
  }
};

// Sweeps the edges forward (first node to second) then backward (second to
// first), so that every edge is relaxed both ways in each round, until
// nothing changes. For a chain listed in order one round settles the
// field and a second confirms it; for other edge sets the rounds are bounded
// by the edge count, which is enough for the sizes (each round fixes at least
// one more edge along every shortest growth path).
template <class Field>
int bound_gradations(dense2D<double> const& coords, dense2D<unsigned int> const& connectivity,
                     element_type type, dense1D<unsigned int, 8> const& fixed_nodes, double gradation,
                     Field field) {
  if (type != edge || (connectivity.cols() > 0 && connectivity.rows() < 2)) return -1;
  if (!(gradation >= 0.0)) return -1;
  const std::size_t edges = connectivity.rows() < 2 ? 0 : connectivity.cols();
  const std::size_t nodes = std::min<std::size_t>(field.count(), coords.cols());
  if (edges == 0 || gradation == std::numeric_limits<double>::infinity()) return 0;

  // Nodes listed as fixed keep their values; they still bound their neighbours.
  dense1D<unsigned int, 8> fixed;
  if (!fixed_nodes.empty()) {
    if (!fixed.resize(nodes, 0u)) return out_of_memory;
    for (unsigned int id : fixed_nodes)
      if (id < nodes) fixed[id] = 1u;
  }
  auto relax = [&](std::size_t e, bool forward) {
    const unsigned int a = connectivity(0, e), b = connectivity(1, e);
    if (a >= nodes || b >= nodes || a == b) return false;
    const double length = edge_length(coords, a, b);
    if (!std::isfinite(length)) return false;
    const double growth = gradation * length;
    const unsigned int from = forward ? a : b, to = forward ? b : a;
    if (!fixed.empty() && fixed[to] != 0u) return false;
    return field.relax(from, to, growth);
  };
  for (std::size_t round = 0; round <= edges; ++round) {
    bool changed = false;
    for (std::size_t e = 0; e < edges; ++e) changed |= relax(e, true);
    for (std::size_t e = edges; e-- > 0;) changed |= relax(e, false);
    if (!changed) break;
  }
  return 0;
}

}  // namespace

bool bound_metric(symmetric_fixed<double, 2>& metric, double hmin, double hmax) {
  return bound_one(metric, hmin, hmax);
}
bool bound_metric(symmetric_fixed<double, 3>& metric, double hmin, double hmax) {
  return bound_one(metric, hmin, hmax);
}

void bound_metrics(dense1D<double, 8>& sizes, double hmin, double hmax) {
  for (double& h : sizes) {
    // A NaN size is no size at all: it takes the largest one.
    if (!(h <= hmax)) h = hmax;
    if (!(h >= hmin)) h = hmin;
  }
}

bool minimum_metric(symmetric_fixed<double, 2> const& a, symmetric_fixed<double, 2> const& b,
                    symmetric_fixed<double, 2>& out) {
  return minimum_one(a, b, out);
}
bool minimum_metric(symmetric_fixed<double, 3> const& a, symmetric_fixed<double, 3> const& b,
                    symmetric_fixed<double, 3>& out) {
  return minimum_one(a, b, out);
}

int bound_metric_gradations(dense2D<double> const& coords, dense2D<unsigned int> const& connectivity,
                            element_type type, dense1D<unsigned int, 8> const& fixed_nodes, double gradation,
                            dense2D<double>& metrics) {
  if (metrics.rows() == 3) {
    return bound_gradations(coords, connectivity, type, fixed_nodes, gradation,
                            metric_relaxation<2>{metrics});
  }
  if (metrics.rows() == 6) {
    return bound_gradations(coords, connectivity, type, fixed_nodes, gradation,
                            metric_relaxation<3>{metrics});
  }
  return metrics.empty() ? 0 : -1;
}

int bound_metric_gradations(dense2D<double> const& coords, dense2D<unsigned int> const& connectivity,
                            element_type type, dense1D<unsigned int, 8> const& fixed_nodes, double gradation,
                            dense1D<double, 8>& sizes) {
  return bound_gradations(coords, connectivity, type, fixed_nodes, gradation, size_relaxation{sizes});
}

}  // namespace cellkit
}  // namespace zarn
