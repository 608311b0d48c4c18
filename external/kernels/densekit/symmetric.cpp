#include <densekit/densekit.h>
#include <densekit/vectors.h>

#include <algorithm>
#include <cmath>

// LAPACK: eigenvalues and eigenvectors of a real symmetric matrix in packed
// storage. Fortran calling convention, with the hidden lengths of the two
// character arguments passed last.
extern "C" void dspev_(const char* jobz, const char* uplo, const int* n, double* ap, double* w, double* z,
                       const int* ldz, double* work, int* info, std::size_t jobz_len, std::size_t uplo_len);

namespace zarn {
namespace densekit {

namespace {

// Scales each column of non-zero length that is not already unit to unit length.
template <int N>
void normalise_columns(double (&x)[N * N]) {
  for (int k = 0; k < N; ++k) {
    double s = 0.0;
    for (int i = 0; i < N; ++i) s += x[k * N + i] * x[k * N + i];
    if (s != 0.0 && s != 1.0) {
      const double r = std::sqrt(s);
      for (int i = 0; i < N; ++i) x[k * N + i] /= r;
    }
  }
}

bool all_finite(const double* v, int n) {
  for (int i = 0; i < n; ++i)
    if (!std::isfinite(v[i])) return false;
  return true;
}

// A diagonal matrix (off-diagonal entries +0 or -0) is its own
// decomposition: the diagonal in ascending order, ties kept in order, and the
// unit vectors. These are the very values dspev returns, down to the sign of
// the zero vector entries (its identity reflector scales entry (0, 1) of the
// vectors by -0, so that entry is -0 times the packed entry (0, 2)), as long
// as the largest entry is 0 or lies within 2^-480 to 2^480, clear of where
// dspev rescales the matrix (below 2^-485, above 2^485). False, nothing
// written, otherwise.
bool diagonal_eigen3(const double (&packed)[6], double (&w)[3], double (&vectors)[9]) {
  if (packed[1] != 0.0 || packed[3] != 0.0 || packed[4] != 0.0) return false;
  const double d[3] = {packed[0], packed[2], packed[5]};
  const double largest = std::max(std::fabs(d[0]), std::max(std::fabs(d[1]), std::fabs(d[2])));
  constexpr double low = 0x1p-480, high = 0x1p480;
  if (largest != 0.0 && !(largest >= low && largest <= high)) return false;
  int order[3];
  ascending_order3(d, order);
  const double identity[9] = {1.0, 0.0, 0.0, -0.0 * packed[3], 1.0, 0.0, 0.0, 0.0, 1.0};
  for (int c = 0; c < 3; ++c) {
    w[c] = d[order[c]];
    for (int i = 0; i < 3; ++i) vectors[c * 3 + i] = identity[order[c] * 3 + i];
  }
  return true;
}

// dspev of order 3 on a copy of the packed matrix: eigenvalues and vectors.
bool dspev3(const double (&packed)[6], double (&w)[3], double (&vectors)[9]) {
  // Non-finite entries would only make the routine iterate to its limit.
  if (!all_finite(packed, 6)) return false;
  if (diagonal_eigen3(packed, w, vectors)) return true;
  double ap[6];
  std::copy(packed, packed + 6, ap);
  double work[10] = {};
  const int n = 3;
  const int ldz = 3;
  int info = 0;
  dspev_("V", "U", &n, ap, w, vectors, &ldz, work, &info, 1, 1);
  return info == 0;
}

// 2 x 2 Cholesky-like factor of [[p, q], [q, s]]: (f0, f1, f2) with
// [[f0, f1], [0, f2]]^T [[f0, f1], [0, f2]] = the matrix.
bool factor2(double p, double q, double s, double& f0, double& f1, double& f2) {
  if (p == 0.0 && q == 0.0) {
    if (s < 0.0) return false;
    f0 = 0.0;
    f1 = 0.0;
    f2 = std::sqrt(s);
    return true;
  }
  const double det = p * s - q * q;
  if (!(p > 0.0 && det >= 0.0)) return false;
  const double sp = std::sqrt(p);
  f0 = sp;
  f1 = q / sp;
  f2 = std::sqrt(det) / sp;
  return true;
}

}  // namespace

bool dual_rows(const double (&p)[4], double (&q)[4]) {
  const double det = p[0] * p[3] - p[1] * p[2];
  if (det == 0.0 || !std::isfinite(det)) return false;
  // P = [[p00, p01], [p10, p11]] with column 0 = (p[0], p[1]), column 1 = (p[2], p[3]).
  q[0] = p[3] / det;
  q[1] = -p[2] / det;
  q[2] = -p[1] / det;
  q[3] = p[0] / det;
  return all_finite(q, 4);
}
bool dual_rows(const double (&p)[9], double (&q)[9]) {
  const double* c0 = p;
  const double* c1 = p + 3;
  const double* c2 = p + 6;
  double x12[3], x20[3], x01[3];
  cross(c1, c2, x12);
  cross(c2, c0, x20);
  cross(c0, c1, x01);
  const double det = c0[0] * x12[0] + c0[1] * x12[1] + c0[2] * x12[2];
  if (det == 0.0 || !std::isfinite(det)) return false;
  for (int i = 0; i < 3; ++i) {
    q[i] = x12[i] / det;
    q[3 + i] = x20[i] / det;
    q[6 + i] = x01[i] / det;
  }
  return all_finite(q, 9);
}

bool eigen_sym2(double s00, double s01, double s11, double& lambda0, double& lambda1) {
  const double d = s00 - s11;
  const double disc = std::sqrt(d * d + 4.0 * s01 * s01);
  const double det = s00 * s11 - s01 * s01;
  lambda0 = (s00 + s11 - disc) / 2.0;
  lambda1 = lambda0 + disc;
  // The smaller root of the quadratic loses all its digits when it is tiny
  // against the larger one; the product of the roots (the determinant) keeps them.
  if (std::fabs(lambda0) < 1e-12 * std::fabs(lambda1))
    lambda0 = det / lambda1;
  else if (std::fabs(lambda1) < 1e-12 * std::fabs(lambda0))
    lambda1 = det / lambda0;
  return std::isfinite(lambda0) && std::isfinite(lambda1);
}

bool eigen_sym2(double s00, double s01, double s11, bool normalise, double& lambda0, double& lambda1,
                double (&e0)[2], double (&e1)[2]) {
  if (!eigen_sym2(s00, s01, s11, lambda0, lambda1)) return false;
  // Of the two rows of S - lambda0 I, use the one of larger norm for the
  // null vector: it carries the fewest cancelled digits.
  const double a = lambda0 - s00;
  const double b = lambda0 - s11;
  if (b * b > a * a) {
    e0[0] = b;
    e0[1] = s01;
  } else {
    e0[0] = s01;
    e0[1] = a;
  }
  const double q = std::max(a * a, b * b) + s01 * s01;
  if (q <= 1e-24 * std::max(s00 * s00, s11 * s11)) {
    // A multiple of the identity to working precision: any basis will do.
    e0[0] = 1.0;
    e0[1] = 0.0;
  } else if (normalise) {
    const double r = std::sqrt(q);
    e0[0] /= r;
    e0[1] /= r;
  }
  e1[0] = -e0[1];
  e1[1] = e0[0];
  return true;
}

bool eigen_sym(const metric2& m, double (&lambda)[2], double (&vectors)[4]) {
  double e0[2], e1[2];
  if (!eigen_sym2(m[0], m[1], m[2], true, lambda[0], lambda[1], e0, e1)) return false;
  vectors[0] = e0[0];
  vectors[1] = e0[1];
  vectors[2] = e1[0];
  vectors[3] = e1[1];
  return true;
}

bool eigen_sym(const metric3& m, double (&lambda)[3], double (&vectors)[9]) {
  const double packed[6] = {m[0], m[1], m[2], m[3], m[4], m[5]};
  return dspev3(packed, lambda, vectors);
}

bool gen_eigen_sym(const metric2& a, const metric2& b, double (&mu)[2], double (&x)[4], bool normalise) {
  const double a00 = a[0], a01 = a[1], a11 = a[2];
  const double b00 = b[0], b01 = b[1], b11 = b[2];
  const double delta = a00 * a11 - a01 * a01;
  if (a00 == 0.0 || !(delta > 0.0)) return false;
  // With T = [[r, 0], [-a01, a00]], T A T^T = a00 delta I: the problem becomes
  // the ordinary eigenproblem of K = T B T^T.
  const double r = std::sqrt(delta);
  const double k00 = b00 * delta;
  const double k01 = r * (a00 * b01 - a01 * b00);
  const double k11 = a00 * a00 * b11 - (2.0 * a00 * b01 - a01 * b00) * a01;
  double nu0, nu1, y0[2], y1[2];
  if (!eigen_sym2(k00, k01, k11, false, nu0, nu1, y0, y1)) return false;
  mu[0] = nu0 / (delta * a00);
  mu[1] = nu1 / (delta * a00);
  x[0] = r * y0[0] - a01 * y0[1];
  x[1] = a00 * y0[1];
  x[2] = r * y1[0] - a01 * y1[1];
  x[3] = a00 * y1[1];
  if (normalise) normalise_columns<2>(x);
  return true;
}

bool gen_eigen_sym(const metric3& a, const metric3& b, double (&mu)[3], double (&x)[9], bool normalise) {
  const double a00 = a[0], a01 = a[1], a11 = a[2], a02 = a[3], a12 = a[4], a22 = a[5];
  // A = R^T R, R upper triangular.
  double r00 = 0.0, r01 = 0.0, r02 = 0.0, r11 = 0.0, r12 = 0.0, r22 = 0.0;
  if (a00 == 0.0 && a01 == 0.0 && a02 == 0.0) {
    if (!factor2(a11, a12, a22, r11, r12, r22)) return false;
  } else if (a00 != 0.0 && a01 == 0.0 && a11 == 0.0 && a12 == 0.0) {
    if (!factor2(a00, a02, a22, r00, r02, r22)) return false;
  } else {
    const double minor = a00 * a11 - a01 * a01;
    if (!(a00 > 0.0 && minor > 0.0)) return false;
    const double s00 = std::sqrt(a00);
    const double sm = std::sqrt(minor);
    r00 = s00;
    r01 = a01 / s00;
    r02 = a02 / s00;
    r11 = sm / s00;
    r12 = (a00 * a12 - a01 * a02) / (sm * s00);
    const double rad = a22 - r12 * r12 - r02 * r02;
    if (rad < 0.0) return false;
    r22 = std::sqrt(rad);
  }
  // T = d R^{-T} as the transposed adjugate of R (no division), lower
  // triangular, so that T A T^T = d^2 I.
  const double d = r00 * r11 * r22;
  const double t00 = r11 * r22;
  const double t10 = -r01 * r22, t11 = r00 * r22;
  const double t20 = r01 * r12 - r02 * r11, t21 = -r00 * r12, t22 = r00 * r11;
  const double t[3][3] = {{t00, 0.0, 0.0}, {t10, t11, 0.0}, {t20, t21, t22}};
  const double bf[3][3] = {{b[0], b[1], b[3]}, {b[1], b[2], b[4]}, {b[3], b[4], b[5]}};
  // K = T B T^T in packed upper storage.
  double tb[3][3];
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) tb[i][j] = t[i][0] * bf[0][j] + t[i][1] * bf[1][j] + t[i][2] * bf[2][j];
  double k[6];
  for (int j = 0; j < 3; ++j)
    for (int i = 0; i <= j; ++i)
      k[j * (j + 1) / 2 + i] = tb[i][0] * t[j][0] + tb[i][1] * t[j][1] + tb[i][2] * t[j][2];
  double w[3], z[9];
  if (!dspev3(k, w, z)) return false;
  const double d2 = d * d;
  for (int c = 0; c < 3; ++c) {
    mu[c] = w[c] / d2;
    // x_c = T^T z_c.
    for (int i = 0; i < 3; ++i)
      x[c * 3 + i] = t[0][i] * z[c * 3] + t[1][i] * z[c * 3 + 1] + t[2][i] * z[c * 3 + 2];
  }
  if (normalise) normalise_columns<3>(x);
  return true;
}

}  // namespace densekit
}  // namespace zarn
