#include "extrude/append_node.h"

#include <algorithm>

#include "progression/progression.h"

namespace zarn {
namespace linegen {
namespace {

template <int D>
bool append_point(const vector_fixed<double, D>& point, dense2D<double>& coords) {
  if (!coords.empty() && coords.rows() != D) return false;
  const std::size_t cols = coords.cols();
  if (!fits_node_count(cols, 1)) return false;
  if (cols == coords.capacity_cols()) {
    // Growth by doubling; if this reservation fails the resize below still
    // tries for exactly one more column.
    (void)coords.reserve(D, std::max<std::size_t>(2 * cols, 4));
  }
  if (!coords.resize(D, cols + 1)) return false;
  double* column = coords.col(cols);
  for (int i = 0; i < D; ++i) column[i] = point[i];
  return true;
}

}  // namespace

bool append_node(const vector_fixed<double, 2>& point, dense2D<double>& coords) {
  return append_point(point, coords);
}

bool append_node(const vector_fixed<double, 3>& point, dense2D<double>& coords) {
  return append_point(point, coords);
}

}  // namespace linegen
}  // namespace zarn
