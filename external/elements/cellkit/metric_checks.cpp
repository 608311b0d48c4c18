// Validity of sizes and metrics.
#include <cellkit/cellkit.h>

#include <cmath>

namespace zarn {
namespace cellkit {
namespace {

// The leading principal minors of a symmetric matrix keep their signs under
// the congruence D M D with D = diag(1/sqrt(m_ii)). Testing them on that
// unit-diagonal form cannot overflow or underflow for any finite metric,
// whereas products of raw entries such as 1e200 * 1e200 would.
bool positive_definite_2d(const double* m) {
  const double m00 = m[0], m01 = m[1], m11 = m[2];
  if (!(m00 > 0.0 && m11 > 0.0)) return false;
  const double a = m01 / (std::sqrt(m00) * std::sqrt(m11));
  return 1.0 - a * a > 0.0;
}

bool positive_definite_3d(const double* m) {
  const double m00 = m[0], m01 = m[1], m11 = m[2], m02 = m[3], m12 = m[4], m22 = m[5];
  if (!(m00 > 0.0 && m11 > 0.0 && m22 > 0.0)) return false;
  const double s0 = std::sqrt(m00), s1 = std::sqrt(m11), s2 = std::sqrt(m22);
  const double a = m01 / (s0 * s1), b = m02 / (s0 * s2), c = m12 / (s1 * s2);
  if (!(1.0 - a * a > 0.0)) return false;
  // NaN (from infinite scaled entries of a non-definite matrix) fails here.
  return 1.0 - a * a - b * b - c * c + 2.0 * a * b * c > 0.0;
}

}  // namespace

bool are_valid_metrics(dense1D<double, 8> const& sizes) {
  for (const double h : sizes)
    if (!(std::isfinite(h) && h > 0.0)) return false;
  return true;
}

bool are_valid_metrics(dense2D<double> const& metrics) {
  const std::size_t rows = metrics.rows();
  if (rows != 3 && rows != 6) return false;
  for (std::size_t j = 0; j < metrics.cols(); ++j) {
    const double* m = metrics.col(j);
    for (std::size_t i = 0; i < rows; ++i)
      if (!std::isfinite(m[i])) return false;
    if (!(rows == 3 ? positive_definite_2d(m) : positive_definite_3d(m))) return false;
  }
  return true;
}

}  // namespace cellkit
}  // namespace zarn
