#include <cellkit/cellkit.h>
#include <densekit/vectors.h>

#include <linegen/linegen.h>
#include <cmath>
#include <cstddef>

#include "ids/node_ids.h"

namespace zarn {
namespace linegen {

namespace {

inline double distance(const double* a, const double* b, bool space) noexcept {
  return densekit::distance(a, b, space ? 3 : 2);
}

}  // namespace

int length(const dense2D<double>& coords, const dense1D<unsigned int, 8>& indices, double& L) {
  L = 0.0;
  if (coords.rows() != 2 && coords.rows() != 3) return -1;
  const std::size_t n = indices.size();
  if (n < 2) return -2;
  const bool space = coords.rows() == 3;
  const std::size_t cols = coords.cols();
  // Identifiers are checked piece by piece: on failure L holds the length of
  // the pieces before the first bad identifier.
  for (std::size_t k = 1; k < n; ++k) {
    const unsigned int a = indices[k - 1];
    const unsigned int b = indices[k];
    if (a >= cols || b >= cols) return -2;
    L += distance(coords.col(a), coords.col(b), space);
  }
  return 0;
}

int length(const dense2D<double>& coords, const dense2D<unsigned int>& connectivity, double& L) {
  L = 0.0;
  if (coords.rows() != 2 && coords.rows() != 3) return -1;
  if (!cellkit::check_IDs(connectivity, cellkit::edge, id_bound(coords.cols()))) return -2;
  const bool space = coords.rows() == 3;
  // A three-node edge counts as the chord between its ends.
  for (std::size_t e = 0; e < connectivity.cols(); ++e)
    L += distance(coords.col(connectivity(0, e)), coords.col(connectivity(1, e)), space);
  return 0;
}

}  // namespace linegen
}  // namespace zarn
