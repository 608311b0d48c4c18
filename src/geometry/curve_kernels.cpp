#include "geometry/curve_kernels.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace zarn {
namespace linegen {
namespace detail {

namespace {

// Unit tangent and length of the edge from node a to node b. The tangent is
// left undivided when its squared length is exactly 0 (nothing to divide) or
// exactly 1 (already unit).
struct edge_tangent {
  double u[3];
  double length;
};

inline edge_tangent tangent(const double* a, const double* b, bool space) noexcept {
  edge_tangent t;
  t.u[0] = b[0] - a[0];
  t.u[1] = b[1] - a[1];
  t.u[2] = space ? b[2] - a[2] : 0.0;
  const double sq = t.u[0] * t.u[0] + t.u[1] * t.u[1] + t.u[2] * t.u[2];
  t.length = std::sqrt(sq);
  if (sq != 0.0 && sq != 1.0) {
    const double inv = 1.0 / t.length;
    t.u[0] *= inv;
    t.u[1] *= inv;
    t.u[2] *= inv;
  }
  return t;
}

}  // namespace

void curvatures_unchecked(const dense2D<double>& coords, const dense1D<unsigned int, 8>& indices,
                          dense1D<double, 8>& curvatures) noexcept {
  const std::size_t n = indices.size();
  double* out = curvatures.data();
  if (n < 3) {
    for (std::size_t i = 0; i < n; ++i) out[i] = 0.0;
    return;
  }
  const bool space = coords.rows() == 3;
  const unsigned int* ids = indices.data();
  // Only the tangents of the two edges at the current node are kept.
  edge_tangent before = tangent(coords.col(ids[0]), coords.col(ids[1]), space);
  for (std::size_t i = 1; i + 1 < n; ++i) {
    const edge_tangent after = tangent(coords.col(ids[i]), coords.col(ids[i + 1]), space);
    double c = 0.0;
    if (before.length > 0.0 && after.length > 0.0) {
      // |u0 - u1| = 2 sin(theta / 2): close to theta over the mean edge length.
      const double dx = before.u[0] - after.u[0];
      const double dy = before.u[1] - after.u[1];
      const double dz = before.u[2] - after.u[2];
      const double turn = std::sqrt((dy * dy + dx * dx) + dz * dz);
      c = 2.0 * (turn * (1.0 / (after.length + before.length)));
    }
    out[i] = c;
    before = after;
  }
  out[0] = out[1];
  out[n - 1] = out[n - 2];
}

void interpolate_coordinates_unchecked(dense2D<double>& coords, const dense1D<unsigned int, 8>& indices,
                                       const dense1D<double, 8>& params,
                                       const dense1D<unsigned int, 8>& new_indices,
                                       const dense1D<double, 8>& new_params) noexcept {
  const std::size_t n = indices.size();
  const std::size_t m = new_indices.size();
  const std::size_t rows = coords.rows();
  const double* chain_params = params.data();
  const unsigned int* chain = indices.data();
  // The new parameters do not decrease, so no bracket lies before the previous
  // one: each bisection starts where the last stopped.
  std::size_t j = 0;
  for (std::size_t k = 0; k < m; ++k) {
    const double s = new_params[k];
    j = static_cast<std::size_t>(std::lower_bound(chain_params + j, chain_params + n, s) - chain_params);
    std::size_t first, second;
    if (j == 0 || j == n) {
      // Before the chain or past its end: the end node itself.
      first = second = (j == 0) ? 0 : n - 1;
    } else {
      first = j - 1;
      second = j;
    }
    const double a = chain_params[first];
    const double b = chain_params[second];
    const double t = b > a ? (s - a) / (b - a) : 0.0;
    const double* A = coords.col(chain[first]);
    const double* B = coords.col(chain[second]);
    double* out = coords.col(new_indices[k]);
    for (std::size_t r = 0; r < rows; ++r) out[r] = (B[r] - A[r]) * t + A[r];
  }
}

}  // namespace detail
}  // namespace linegen
}  // namespace zarn
