// Sizes and metrics carried from source parameters to target parameters
// along a line: linear in the size, and for metrics linear in the sizes
// along the common directions of the two bracketing metrics.
#include <linegen/linegen.h>

#include <cmath>
#include <cstddef>

#include "metric/metric_algebra.h"

namespace zarn {
namespace linegen {

namespace {

// Where a target falls among the sources: the bracket (lower j, upper k) and
// the fraction t between them; `beyond` when the target lies above the last
// source, which then gives the value.
struct bracket {
  std::size_t j = 0;
  std::size_t k = 0;
  double t = 0.0;
  bool beyond = false;
};

// (u - lo) / span for span = hi - lo; parameters more than the largest
// double apart would overflow both differences, so those are taken at half
// scale.
inline double fraction(double u, double lo, double hi, double span) {
  if (std::isfinite(span) && std::isfinite(u - lo)) return (u - lo) / span;
  return (0.5 * u - 0.5 * lo) / (0.5 * hi - 0.5 * lo);
}

// The value at fraction t from a to b, given d = b - a; across more than the
// largest double the difference overflows and the weighted mean gives the
// value instead.
inline double between(double a, double b, double d, double t) {
  return std::isfinite(d) ? a + t * d : a * (1.0 - t) + b * t;
}

// The bracket (first - 1, first) of sorted parameters p and sizes h, or
// (0, 0) at first = 0, with what its targets share formed once: the size at
// u is then the one the cursor's bracket and between give, bit for bit.
struct size_bracket {
  double lo, hi, a, b, d;
  bool wide;  // a fraction is taken only across more than 1e-12
  // Equal non-zero sizes across finite parameters: a + t * 0 is a for any
  // finite fraction t, which a finite u - lo guarantees, so no division is
  // needed.
  bool flat;

  size_bracket(const double* p, const double* h, std::size_t first)
      : lo(p[first > 0 ? first - 1 : 0]),
        hi(p[first]),
        a(h[first > 0 ? first - 1 : 0]),
        b(h[first]),
        d(b - a),
        wide(hi > lo + 1e-12),
        flat(d == 0.0 && a != 0.0 && std::isfinite(hi - lo)) {}
  double at(double u) const {
    if (flat && std::isfinite(u - lo)) return a;
    return between(a, b, d, wide ? fraction(u, lo, hi, hi - lo) : 0.0);
  }
};

// Finds brackets for a sequence of targets. The cursor never moves back: for
// sorted targets the whole sweep is linear plus one search per target, and
// an unsorted target is bracketed where the cursor stands (its fraction is
// then negative). Over sorted parameters the search gallops from the cursor,
// so that targets close to the previous one cost a step or two; over others
// it bisects [cursor, n), whose result then depends on the search order.
class bracket_cursor {
 public:
  bracket_cursor(const dense1D<double, 8>& params, bool sorted)
      : p_(params.data()), n_(params.size()), sorted_(sorted) {}

  // The lower bound of u in [cursor, n): the first parameter that is not
  // less than u, or n above the last one. The cursor moves there; above the
  // last source it stays on the last bracket, so that a later, smaller
  // target still finds one.
  std::size_t lower_bound(double u) {
    const std::size_t first = sorted_ ? gallop(u) : bisect(u, cursor_, n_ - cursor_);
    cursor_ = first == n_ ? n_ - 1 : first;
    return first;
  }

  bracket find(double u) {
    const std::size_t first = lower_bound(u);
    bracket b;
    if (first == n_) {
      // Above the last source: its value.
      b.j = b.k = n_ - 1;
      b.beyond = true;
      return b;
    }
    b.k = first;
    const double hi = p_[first];
    double lo = hi;
    b.j = first;
    if (first > 0) {
      lo = p_[first - 1];
      b.j = first - 1;
    }
    b.t = hi > lo + 1e-12 ? fraction(u, lo, hi, hi - lo) : 0.0;
    return b;
  }

 private:
  // The first parameter in [first, first + count) not less than u, or
  // first + count.
  std::size_t bisect(double u, std::size_t first, std::size_t count) const {
    while (count > 0) {
      const std::size_t step = count / 2;
      if (u > p_[first + step]) {
        first += step + 1;
        count -= step + 1;
      } else {
        count = step;
      }
    }
    return first;
  }

  // As bisect over [cursor, n), for sorted parameters: steps of 1, 2, 4, ...
  // from the cursor find a range that holds the bound, then bisection.
  std::size_t gallop(double u) const {
    std::size_t lo = cursor_, span = 1;
    while (lo < n_ && u > p_[lo]) {
      // The bound lies past lo.
      const std::size_t probe = n_ - lo > span ? lo + span : n_;
      // The bound lies in (lo, probe]; targets denser than the sources
      // mostly find it at the first step, with nothing left to bisect.
      if (probe == n_ || !(u > p_[probe])) return probe == lo + 1 ? probe : bisect(u, lo + 1, probe - lo - 1);
      lo = probe;
      span *= 2;
    }
    return lo;
  }

  const double* p_;
  std::size_t n_;
  bool sorted_;
  std::size_t cursor_ = 0;
};

// Every entry at least its predecessor; a NaN anywhere fails.
bool non_decreasing(const dense1D<double, 8>& v) {
  const std::size_t n = v.size();
  if (n == 0) return true;
  const double* p = v.data();
  if (std::isnan(p[0])) return false;
  // A NaN later on fails the comparison with its predecessor.
  for (std::size_t i = 1; i < n; ++i)
    if (!(p[i] >= p[i - 1])) return false;
  return true;
}

// Sizes at the targets u (m of them) from n >= 1 sorted parameters with
// sizes h, bracketed by the cursor (the last size above the last
// parameter), each bracket formed once for all its targets.
void interpolate_sorted(const dense1D<double, 8>& params, const double* h, const double* u, double* out,
                        std::size_t m) {
  const double* p = params.data();
  const std::size_t n = params.size();
  bracket_cursor cursor(params, true);
  std::size_t formed = 0;  // where the bracket stands
  size_bracket bracket(p, h, 0);
  for (std::size_t i = 0; i < m; ++i) {
    const std::size_t first = cursor.lower_bound(u[i]);
    if (first == n) {
      out[i] = h[n - 1];
      continue;
    }
    if (first != formed) {
      bracket = size_bracket(p, h, first);
      formed = first;
    }
    out[i] = bracket.at(u[i]);
  }
}

template <int N>
void interpolate_columns(const dense1D<double, 8>& params, const dense2D<double>& metrics,
                         const dense1D<double, 8>& new_params, dense2D<double>& new_metrics) {
  using metric = symmetric_fixed<double, N>;
  auto load = [&](std::size_t j) { return load_metric<N>(metrics.col(j)); };

  bracket_cursor cursor(params, true);  // checked by the caller
  // The pair of the last bracket: consecutive targets mostly share one.
  metric_pair<N> pair;
  std::size_t pair_j = 0, pair_k = 0;
  bool have_pair = false, pair_ok = false;

  for (std::size_t i = 0; i < new_params.size(); ++i) {
    const bracket b = cursor.find(new_params[i]);
    metric out;
    if (b.beyond || std::fabs(b.t) < 1e-12) {
      out = load(b.j);
    } else if (std::fabs(b.t - 1.0) < 1e-12) {
      out = load(b.k);
    } else {
      if (!have_pair || pair_j != b.j || pair_k != b.k) {
        pair_ok = reduce_metric_pair(pair, load(b.j), load(b.k));
        pair_j = b.j;
        pair_k = b.k;
        have_pair = true;
      }
      // Metrics that cannot be reduced: the nearer of the two.
      if (!pair_ok || !interpolate_metric_pair(pair, b.t, out)) out = load(b.t < 0.5 ? b.j : b.k);
    }
    store_metric(out, new_metrics.col(i));
  }
}

}  // namespace

int interpolate_metrics(const dense1D<double, 8>& params, const dense1D<double, 8>& sizes,
                        const dense1D<double, 8>& new_params, dense1D<double, 8>& new_sizes) {
  if (params.size() != sizes.size()) return -1;
  // Targets need at least one source.
  if (params.empty() && !new_params.empty()) return -1;
  if (!new_sizes.resize_for_overwrite(new_params.size())) return status_out_of_memory;
  if (new_params.empty()) return 0;

  // Raw pointers: the containers' accessors test their storage on every call.
  const double* h = sizes.data();
  const double* u = new_params.data();
  double* out = new_sizes.data();
  const std::size_t m = new_params.size();
  if (non_decreasing(params)) {
    interpolate_sorted(params, h, u, out, m);
    return 0;
  }
  bracket_cursor cursor(params, false);
  for (std::size_t i = 0; i < m; ++i) {
    const bracket b = cursor.find(u[i]);
    out[i] = b.beyond ? h[b.j] : between(h[b.j], h[b.k], h[b.k] - h[b.j], b.t);
  }
  return 0;
}

int interpolate_metrics(const dense1D<double, 8>& params, const dense2D<double>& metrics,
                        const dense1D<double, 8>& new_params, dense2D<double>& new_metrics) {
  if (params.size() != metrics.cols()) return -1;
  if (!non_decreasing(params)) return -1;
  if (params.empty() && !new_params.empty()) return -1;
  const std::size_t rows = metrics.rows();
  if (rows != 0 && rows != 3 && rows != 6) return -2;
  if (!non_decreasing(new_params)) return -3;
  if (!new_metrics.empty() && new_metrics.rows() != rows) return -4;
  if (!new_metrics.resize_for_overwrite(rows, new_params.size())) return status_out_of_memory;
  if (new_params.empty() || rows == 0) return 0;

  if (rows == 3)
    interpolate_columns<2>(params, metrics, new_params, new_metrics);
  else
    interpolate_columns<3>(params, metrics, new_params, new_metrics);
  return 0;
}

}  // namespace linegen
}  // namespace zarn
