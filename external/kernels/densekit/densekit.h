// Dense symmetric-matrix kernels in the plane (2 x 2) and in space (3 x 3):
// eigen-decompositions (closed form in 2D, LAPACK in 3D), the generalised
// symmetric eigenproblem, dual bases, composing a metric from its eigenpairs,
// and loading and storing a packed metric column. A leaf: it needs only the
// containers and LAPACK, and the element utilities and the library both build
// on it.
//
// Layouts (all fixed-size, no allocation anywhere in this module):
// - A metric is a symmetric_fixed<double, N>, packed upper storage
//   (2D: m00, m01, m11; 3D: m00, m01, m11, m02, m12, m22), which is also the
//   layout of one column of a metric matrix (3 or 6 rows).
// - Eigenvalues come in ascending order, in double[N].
// - An N x N matrix of vectors is double[N * N] stored column by column:
//   vector k occupies entries k * N ... k * N + N - 1.
//
// Every operation reports failure through its boolean result; none throws.
#pragma once

#include <cstddef>

#include <zarn/containers.h>

namespace zarn {
namespace densekit {

template <int N>
using metric = symmetric_fixed<double, N>;
using metric2 = metric<2>;
using metric3 = metric<3>;

// A packed metric column (3 or 6 entries, unchecked) as a metric, and back.
template <int N>
inline metric<N> load_metric(const double* column) {
  metric<N> m;
  for (std::size_t k = 0; k < metric<N>::packed; ++k) m[k] = column[k];
  return m;
}
template <int N>
inline void store_metric(const metric<N>& m, double* column) {
  for (std::size_t k = 0; k < metric<N>::packed; ++k) column[k] = m[k];
}

// p^T M p for a packed metric, written out term by term.
inline double quadratic_form(const metric2& m, const double* p) {
  return m[0] * p[0] * p[0] + 2.0 * m[1] * p[0] * p[1] + m[2] * p[1] * p[1];
}
inline double quadratic_form(const metric3& m, const double* p) {
  return m[0] * p[0] * p[0] + m[2] * p[1] * p[1] + m[5] * p[2] * p[2] +
         2.0 * (m[1] * p[0] * p[1] + m[3] * p[0] * p[2] + m[4] * p[1] * p[2]);
}

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

// Generalised symmetric eigenproblem B x = mu A x, for A positive definite.
// mu ascending, x column by column. With `normalise`, each x_k of non-zero
// length is scaled to unit Euclidean length.
// 2D, closed form: false when a00 = 0 or det(A) is not > 0, or when the
//   decomposition of the transformed B fails.
// 3D: A = R^T R by Cholesky (with the two degenerate first-row / second-row
//   forms), the transformed B decomposed by dspev; false when the factor does
//   not exist or dspev reports an error. When A is singular but factorable
//   (degenerate forms) the solve may succeed with non-finite mu and a
//   singular x: callers must validate what they use.
bool gen_eigen_sym(const metric2& a, const metric2& b, double (&mu)[2], double (&x)[4], bool normalise);
bool gen_eigen_sym(const metric3& a, const metric3& b, double (&mu)[3], double (&x)[9], bool normalise);

// The order of three values from the smallest up, by selection sort: the
// smallest remaining value moves forward, the first of equal values wins.
// This is the order the diagonal eigen-decomposition gives its eigenvalues.
inline void ascending_order3(const double (&value)[3], int (&order)[3]) {
  order[0] = 0;
  order[1] = 1;
  order[2] = 2;
  for (int i = 0; i < 2; ++i) {
    int k = i;
    for (int j = i + 1; j < 3; ++j)
      if (value[order[j]] < value[order[k]]) k = j;
    const int kept = order[i];
    order[i] = order[k];
    order[k] = kept;
  }
}

// Rows q_k of the inverse of the basis P (columns p_k, stored one after the
// other), one row after the other: the dual basis. False when P is singular
// (a zero or non-finite determinant) or the rows overflow.
bool dual_rows(const double (&p)[4], double (&q)[4]);
bool dual_rows(const double (&p)[9], double (&q)[9]);

// M = sum_k lambda[k] v_k v_k^T, v_k column k of `v`, stored packed. Inline:
// interpolation composes one metric per target node.
inline void compose_metric(const double (&lambda)[2], const double (&v)[4], metric2& m) {
  m[0] = lambda[0] * v[0] * v[0] + lambda[1] * v[2] * v[2];
  m[1] = lambda[0] * v[0] * v[1] + lambda[1] * v[2] * v[3];
  m[2] = lambda[0] * v[1] * v[1] + lambda[1] * v[3] * v[3];
}
inline void compose_metric(const double (&lambda)[3], const double (&v)[9], metric3& m) {
  for (int j = 0; j < 3; ++j)
    for (int i = 0; i <= j; ++i) {
      double s = 0.0;
      for (int k = 0; k < 3; ++k) s += lambda[k] * v[k * 3 + i] * v[k * 3 + j];
      m[j * (j + 1) / 2 + i] = s;
    }
}

}  // namespace densekit
}  // namespace zarn
