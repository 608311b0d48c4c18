#include "metric/metric_algebra.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace zarn {
namespace linegen {

namespace {

// Square roots of the smallest normal and of the largest double: 1 / h^2
// neither underflows nor overflows for sizes strictly between them.
constexpr double sqrt_dbl_min = 1.4916681462400413e-154;
constexpr double sqrt_dbl_max = 1.3407807929942596e154;

template <int N>
bool all_valid(const double (&lambda)[N]) {
  for (int k = 0; k < N; ++k)
    if (!(lambda[k] > 0.0 && lambda[k] < DBL_MAX)) return false;
  return true;
}

// The sizes of the eigenvalues; 0 (or NaN) gives DBL_MAX, DBL_MAX gives 0.
template <int N>
void sizes_of(const double (&lambda)[N], double (&sizes)[N]) {
  if (all_valid(lambda)) {
    for (int k = 0; k < N; ++k) sizes[k] = 1.0 / std::sqrt(lambda[k]);
    return;
  }
  for (int k = 0; k < N; ++k) {
    const double l = lambda[k];
    if (l == 0.0 || std::isnan(l))
      sizes[k] = DBL_MAX;
    else if (l == DBL_MAX)
      sizes[k] = 0.0;
    else
      sizes[k] = 1.0 / std::sqrt(l);
  }
}

template <int N>
void zero_pair(metric_pair<N>& pair) {
  std::fill(pair.basis, pair.basis + N * N, 0.0);
  std::fill(pair.dual, pair.dual + N * N, 0.0);
  std::fill(pair.lambda_a, pair.lambda_a + N, 0.0);
  std::fill(pair.lambda_b, pair.lambda_b + N, 0.0);
}

// Two 3 x 3 metrics that are both diagonal (off-diagonal entries +0 or -0)
// share the unit axes as their common basis. This forms the pair the general
// reduction forms for them, value for value, without its eigen-solve: the
// factor's diagonal r, T's diagonal t and the transformed diagonal
// k = (t b) t by the same operations, the axes sorted by k ascending (ties
// kept in order) as the diagonal eigen-solve sorts them, mu = k / d^2, and
// basis and dual rows the sorted unit axes (a normalised t e_i is exactly
// e_i, since sqrt(t * t) = t in binary floating point). Zero entries of the
// basis and dual rows may differ in sign from the general path's; the
// interpolation only sums their squares and products into a sum that starts
// at +0, so its metrics are the same. Diagonal entries are kept within
// 2^-150 ... 2^150 so that no step overflows or underflows and k stays
// where the eigen-solve takes its diagonal path. False, nothing written,
// for any other pair.
bool reduce_diagonal_pair(metric_pair<3>& pair, const metric3& ma, const metric3& mb) {
  constexpr double low = 0x1p-150, high = 0x1p150;
  auto diagonal = [&](const metric3& m) {
    return m[1] == 0.0 && m[3] == 0.0 && m[4] == 0.0 && m[0] >= low && m[0] <= high && m[2] >= low &&
           m[2] <= high && m[5] >= low && m[5] <= high;
  };
  if (!diagonal(ma) || !diagonal(mb)) return false;
  const double a[3] = {ma[0], ma[2], ma[5]}, b[3] = {mb[0], mb[2], mb[5]};
  const double s00 = std::sqrt(a[0]);
  const double r[3] = {s00, std::sqrt(a[0] * a[1]) / s00, std::sqrt(a[2])};
  const double d = r[0] * r[1] * r[2];
  const double t[3] = {r[1] * r[2], r[0] * r[2], r[0] * r[1]};
  const double k[3] = {t[0] * b[0] * t[0], t[1] * b[1] * t[1], t[2] * b[2] * t[2]};
  int order[3];
  densekit::ascending_order3(k, order);
  const double d2 = d * d;
  std::fill(pair.basis, pair.basis + 9, 0.0);
  std::fill(pair.dual, pair.dual + 9, 0.0);
  for (int c = 0; c < 3; ++c) {
    const int axis = order[c];
    pair.basis[c * 3 + axis] = 1.0;
    pair.dual[c * 3 + axis] = 1.0;
    pair.lambda_a[c] = a[axis];
    pair.lambda_b[c] = k[axis] / d2 * a[axis];
  }
  return true;
}

template <int N>
bool reduce_pair(metric_pair<N>& pair, const symmetric_fixed<double, N>& ma,
                 const symmetric_fixed<double, N>& mb) {
  if constexpr (N == 3) {
    if (reduce_diagonal_pair(pair, ma, mb)) return all_valid(pair.lambda_a) && all_valid(pair.lambda_b);
  }
  double mu[N];
  if (!gen_eigen_sym(ma, mb, mu, pair.basis, true)) {
    zero_pair(pair);
    return false;
  }
  // A successful solve on a positive-definite M_a gives a regular basis; a
  // degenerate factor of a singular M_a may not, and its dual rows would be
  // meaningless, so the pair is treated as failed.
  if (!dual_rows(pair.basis, pair.dual)) {
    zero_pair(pair);
    return false;
  }
  for (int k = 0; k < N; ++k) {
    pair.lambda_a[k] = quadratic_form(ma, pair.basis + k * N);
    pair.lambda_b[k] = mu[k] * pair.lambda_a[k];
  }
  return all_valid(pair.lambda_a) && all_valid(pair.lambda_b);
}

template <int N>
bool interpolate_pair(const metric_pair<N>& pair, double t, symmetric_fixed<double, N>& m) {
  double ha[N], hb[N], h[N], lambda[N];
  sizes_of(pair.lambda_a, ha);
  sizes_of(pair.lambda_b, hb);
  for (int k = 0; k < N; ++k) h[k] = ha[k] + t * (hb[k] - ha[k]);

  // Extrapolation may drive a size to zero or beyond: no metric then.
  if (t < 0.0 || t > 1.0) {
    double lo = h[0], hi = h[0];
    for (int k = 1; k < N; ++k) {
      lo = std::min(lo, h[k]);
      hi = std::max(hi, h[k]);
    }
    if (!(lo > 0.0) || hi >= DBL_MAX) {
      for (std::size_t i = 0; i < symmetric_fixed<double, N>::packed; ++i) m[i] = 0.0;
      return false;
    }
  }

  bool direct = true;
  for (int k = 0; k < N; ++k)
    if (!(h[k] > sqrt_dbl_min && h[k] < sqrt_dbl_max)) direct = false;
  for (int k = 0; k < N; ++k) {
    if (direct || (h[k] >= sqrt_dbl_min && h[k] <= sqrt_dbl_max))
      lambda[k] = 1.0 / (h[k] * h[k]);
    else if (h[k] > sqrt_dbl_max)
      lambda[k] = 0.0;
    else  // below sqrt(DBL_MIN), or NaN
      lambda[k] = DBL_MAX;
  }
  compose_metric(lambda, pair.dual, m);
  return true;
}

template <int N>
bool cap_sizes(symmetric_fixed<double, N>& m, double hmax) {
  const double lambda_lo = hmax > 0.0 ? 1.0 / (hmax * hmax) : 0.0;
  double lambda[N], vectors[N * N];
  if (!eigen_sym(m, lambda, vectors)) return false;
  bool changed = false;
  for (int k = 0; k < N; ++k) {
    // An eigenvalue that overflowed to infinity would be no metric.
    if (lambda[k] > DBL_MAX) return false;
    if (lambda[k] < lambda_lo) {
      lambda[k] = lambda_lo;
      changed = true;
    }
  }
  if (!changed) return false;
  double lo = lambda[0], hi = lambda[0];
  for (int k = 1; k < N; ++k) {
    lo = std::min(lo, lambda[k]);
    hi = std::max(hi, lambda[k]);
  }
  if (!(lo > 0.0) || !(hi < DBL_MAX)) return false;
  compose_metric(lambda, vectors, m);
  return true;
}

}  // namespace

bool reduce_metric_pair(metric_pair2& pair, const metric2& ma, const metric2& mb) {
  return reduce_pair(pair, ma, mb);
}
bool reduce_metric_pair(metric_pair3& pair, const metric3& ma, const metric3& mb) {
  return reduce_pair(pair, ma, mb);
}

bool interpolate_metric_pair(const metric_pair2& pair, double t, metric2& m) {
  return interpolate_pair(pair, t, m);
}
bool interpolate_metric_pair(const metric_pair3& pair, double t, metric3& m) {
  return interpolate_pair(pair, t, m);
}

bool cap_metric_sizes(metric2& m, double hmax) { return cap_sizes(m, hmax); }
bool cap_metric_sizes(metric3& m, double hmax) { return cap_sizes(m, hmax); }

}  // namespace linegen
}  // namespace zarn
