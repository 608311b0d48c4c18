// Small dense algebra on metric tensors in the plane (2 x 2) and in space
// (3 x 3): eigenvalues and sizes, eigen-decompositions, the simultaneous
// reduction of two metrics (the metric pair) and interpolation between them,
// clamping of a metric's sizes, and the append of a metric column.
//
// Layouts (all fixed-size, no allocation anywhere in this file):
// - A metric is a symmetric_fixed<double, N>, packed upper storage
//   (2D: m00, m01, m11; 3D: m00, m01, m11, m02, m12, m22), which is also the
//   layout of one column of a metric matrix (3 or 6 rows).
// - Eigenvalues and sizes are double[N]; eigenvalues come in ascending order.
// - An N x N matrix of vectors is double[N * N] stored column by column:
//   vector k occupies entries k * N ... k * N + N - 1.
// - A size h in a direction corresponds to the eigenvalue 1 / h^2. DBL_MAX
//   stands for an infinite eigenvalue (size 0), 0 for a zero eigenvalue
//   (infinite size).
//
// Every operation reports failure through its boolean result; none throws.
#pragma once

#include <cfloat>
#include <cstddef>

#include <zarn/containers.h>

namespace zarn {
namespace linegen {

using metric2 = symmetric_fixed<double, 2>;
using metric3 = symmetric_fixed<double, 3>;

// Largest finite double: an infinite eigenvalue, or an absent bound.
constexpr double metric_infinity = DBL_MAX;

// ---------------------------------------------------------------------------
// Eigenvalues and sizes

// sizes[k] = 1 / sqrt(lambda[k]). When the eigenvalues are not all strictly
// between 0 and DBL_MAX each one is converted by itself: 0 (or NaN) gives the
// size DBL_MAX, DBL_MAX gives the size 0, any other value 1 / sqrt(value).
void eigenvalues_to_sizes(const double (&lambda)[2], double (&sizes)[2]);
void eigenvalues_to_sizes(const double (&lambda)[3], double (&sizes)[3]);

// True when every value is > 0 and < DBL_MAX (a NaN makes it false).
bool valid_eigenvalues(const double (&lambda)[2]);
bool valid_eigenvalues(const double (&lambda)[3]);

// ---------------------------------------------------------------------------
// Eigen-decompositions

// Eigen-decomposition of the symmetric matrix [[s00, s01], [s01, s11]] in
// closed form: lambda0 <= lambda1, e0 the eigenvector of lambda0 and
// e1 = (-e0[1], e0[0]). The smaller eigenvalue is recomputed as det / lambda1
// when cancellation would wipe it out (|lambda0| < 1e-12 |lambda1|), and
// likewise the larger one. A multiple of the identity gives e0 = (1, 0).
// With `normalise` false e0 is left with its natural length (not 1).
// False when an eigenvalue is infinite or NaN (the vectors are then unset).
bool eigen_sym2(double s00, double s01, double s11, bool normalise, double& lambda0, double& lambda1,
                double (&e0)[2], double (&e1)[2]);
// Eigenvalues only, the same values as above; false when either is infinite
// or NaN.
bool eigen_sym2(double s00, double s01, double s11, double& lambda0, double& lambda1);

// Symmetric eigen-decomposition of a metric: ascending eigenvalues and unit
// eigenvectors (column k of `vectors` belongs to lambda[k]). The 2D form uses
// eigen_sym2 with normalisation, the 3D form LAPACK dspev. False when the
// decomposition fails (non-finite input); outputs are then unspecified.
bool eigen_sym(const metric2& m, double (&lambda)[2], double (&vectors)[4]);
bool eigen_sym(const metric3& m, double (&lambda)[3], double (&vectors)[9]);
// Eigenvalues only (ascending); the 3D form calls dspev without vectors.
bool eigenvalues_sym(const metric2& m, double (&lambda)[2]);
bool eigenvalues_sym(const metric3& m, double (&lambda)[3]);

// Generalised symmetric eigenproblem B x = mu A x, for A positive definite.
// mu ascending, x column by column. With `normalise`, each x_k of non-zero
// length is scaled to unit Euclidean length.
// 2D, closed form: false when a00 = 0 or det(A) is not > 0, or when the
//   decomposition of the transformed B fails.
// 3D: A = R^T R by Cholesky (with the two degenerate first-row / second-row
//   forms), the transformed B decomposed by dspev; false when the factor does
//   not exist or dspev reports an error. When A is singular but factorable
//   (degenerate forms) the solve may succeed with non-finite mu and a
//   singular x: callers must validate what they use (reduce_metric_pair does).
bool gen_eigen_sym(const metric2& a, const metric2& b, double (&mu)[2], double (&x)[4], bool normalise);
bool gen_eigen_sym(const metric3& a, const metric3& b, double (&mu)[3], double (&x)[9], bool normalise);

// Rows q_k of the inverse of the basis P (columns p_k, stored one after the
// other), one row after the other: the dual basis. False when P is singular
// (a zero or non-finite determinant) or the rows overflow.
bool dual_rows(const double (&p)[4], double (&q)[4]);
bool dual_rows(const double (&p)[9], double (&q)[9]);

// M = sum_k lambda[k] v_k v_k^T, v_k column k of `vectors`, stored packed.
void compose_metric(const double (&lambda)[2], const double (&vectors)[4], metric2& m);
void compose_metric(const double (&lambda)[3], const double (&vectors)[9], metric3& m);

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
// Clamping and appending

// Brings the sizes of M along its eigenvectors into [hmin, hmax] (hmin <= 0:
// no lower size bound; hmax <= 0: no upper size bound, eigenvalues only kept
// from going below 0). If M cannot be decomposed it becomes the isotropic
// metric of size hmin (when hmin > 0). Returns false with M untouched when no
// eigenvalue needed a change or the clamped eigenvalues are not strictly
// between 0 and DBL_MAX; otherwise M is replaced, and the result is true
// when the new M's smallest eigenvalue is > 0 (false, M still replaced,
// otherwise).
bool clamp_metric_sizes(metric2& m, double hmin, double hmax);
bool clamp_metric_sizes(metric3& m, double hmin, double hmax);

// Appends `m` as a new last column of `metrics` (3 rows for 2D, 6 for 3D).
// An empty matrix takes the metric's row count. False, `metrics` unchanged,
// when it holds entries with another row count or cannot grow. Grows the
// capacity to max(2 * columns, 4) columns when it is used up.
bool append_metric(dense2D<double>& metrics, const metric2& m);
bool append_metric(dense2D<double>& metrics, const metric3& m);

// Column j of a metric matrix (3 or 6 rows, unchecked) as a metric, and back.
inline metric2 metric2_from(const double* column) { return metric2(column[0], column[1], column[2]); }
inline metric3 metric3_from(const double* column) {
  return metric3(column[0], column[1], column[2], column[3], column[4], column[5]);
}
template <int N>
inline void store_metric(const symmetric_fixed<double, N>& m, double* column) {
  for (std::size_t k = 0; k < symmetric_fixed<double, N>::packed; ++k) column[k] = m[k];
}

}  // namespace linegen
}  // namespace zarn
