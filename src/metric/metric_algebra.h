// Metric algebra of the library on top of the dense kernels: validity of
// eigenvalues, the simultaneous reduction of two metrics (the metric pair)
// and interpolation between them, and the capping of a metric's sizes.
// Layouts are those of densekit: packed upper
// storage, eigenvalues ascending, vectors column by column. A size h in a
// direction corresponds to the eigenvalue 1 / h^2; DBL_MAX stands for an
// infinite eigenvalue (size 0), 0 for a zero eigenvalue (infinite size).
//
// Every operation reports failure through its boolean result; none throws.
#pragma once

#include <cfloat>
#include <cstddef>

#include <densekit/densekit.h>
#include <zarn/containers.h>

namespace zarn {
namespace linegen {

using densekit::compose_metric;
using densekit::dual_rows;
using densekit::eigen_sym;
using densekit::gen_eigen_sym;
using densekit::load_metric;
using densekit::metric2;
using densekit::metric3;
using densekit::quadratic_form;
using densekit::store_metric;

// ---------------------------------------------------------------------------
// Metric pair: two metrics reduced to one common basis

// Field order and sizes are fixed (2D: 12 doubles, 3D: 24 doubles).
template <int N>
struct metric_pair {
  static_assert(N == 2 || N == 3, "metrics are 2 x 2 or 3 x 3");
  // Columns p_k: the common (generalised eigen-) vectors, unit length.
  double basis[N * N];
  // Rows q_k of the inverse of the basis, one row after the other.
  double dual[N * N];
  // lambda_a[k] = p_k^T M_a p_k, lambda_b[k] = p_k^T M_b p_k.
  double lambda_a[N];
  double lambda_b[N];
};
using metric_pair2 = metric_pair<2>;
using metric_pair3 = metric_pair<3>;

// Reduces M_a and M_b to a common basis: afterwards
// M_a = sum_k lambda_a[k] q_k q_k^T and M_b = sum_k lambda_b[k] q_k q_k^T.
// True when the solve succeeded, the basis is regular and every lambda_a[k],
// lambda_b[k] lies strictly between 0 and DBL_MAX. When the solve fails or
// the basis is singular (zero or non-finite determinant, non-finite dual
// rows) every field is set to 0 and the result is false; otherwise the pair
// is filled even when the eigenvalue test fails.
bool reduce_metric_pair(metric_pair2& pair, const metric2& ma, const metric2& mb);
bool reduce_metric_pair(metric_pair3& pair, const metric3& ma, const metric3& mb);

// The metric at fraction t between M_a (t = 0) and M_b (t = 1): along each
// common direction the size is ha + t (hb - ha). For t outside [0, 1], a size
// that is not > 0 or not < DBL_MAX makes the output the zero metric and the
// result false. Sizes below sqrt(DBL_MIN) (or NaN) give the eigenvalue
// DBL_MAX, sizes above sqrt(DBL_MAX) the eigenvalue 0. True otherwise; always
// true for t in [0, 1].
bool interpolate_metric_pair(const metric_pair2& pair, double t, metric2& m);
bool interpolate_metric_pair(const metric_pair3& pair, double t, metric3& m);

// ---------------------------------------------------------------------------
// Capping

// Brings every size of M along its eigenvectors down to at most hmax (hmax
// <= 0: eigenvalues only kept from going below 0), directions kept. True when
// M was replaced; false, M untouched, when it cannot be decomposed, when no
// eigenvalue needed a change, or when the capped eigenvalues are not all
// strictly between 0 and DBL_MAX.
bool cap_metric_sizes(metric2& m, double hmax);
bool cap_metric_sizes(metric3& m, double hmax);

}  // namespace linegen
}  // namespace zarn
