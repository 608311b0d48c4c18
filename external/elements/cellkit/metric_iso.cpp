// Isotropic metrics from sizes.
#include <cellkit/cellkit.h>

namespace zarn {
namespace cellkit {
namespace {

// Writes the isotropic metric of sizes[i] into column i: 1/h^2 on the
// diagonal entries of the packed upper triangle, 0 elsewhere. False, with
// nothing written, when the matrix is not `rows` x (at least) N.
bool iso_to_aniso(dense1D<double, 8> const& sizes, dense2D<double>& metrics, std::size_t rows) {
  const std::size_t n = sizes.size();
  if (n == 0) return true;
  if (metrics.rows() != rows || metrics.cols() < n) return false;
  for (std::size_t j = 0; j < n; ++j) {
    const double h = sizes[j];
    const double lambda = 1.0 / (h * h);
    double* m = metrics.col(j);
    // Packed order: 2D m00, m01, m11; 3D m00, m01, m11, m02, m12, m22.
    for (std::size_t i = 0; i < rows; ++i) m[i] = 0.0;
    m[0] = lambda;
    m[2] = lambda;
    if (rows == 6) m[5] = lambda;
  }
  return true;
}

}  // namespace

bool metrics_iso_to_aniso2d(dense1D<double, 8> const& sizes, dense2D<double>& metrics) {
  return iso_to_aniso(sizes, metrics, 3);
}

bool metrics_iso_to_aniso3d(dense1D<double, 8> const& sizes, dense2D<double>& metrics) {
  return iso_to_aniso(sizes, metrics, 6);
}

}  // namespace cellkit
}  // namespace zarn
