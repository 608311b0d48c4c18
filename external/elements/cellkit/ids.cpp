// Identifier checks of connectivities and index lists.
#include <cellkit/cellkit.h>

namespace zarn {
namespace cellkit {

bool check_IDs(dense2D<unsigned int> const& connectivity, element_type type, unsigned int bound) {
  if (type != edge) return false;
  const std::size_t rows = connectivity.rows(), cols = connectivity.cols();
  if (cols == 0) return true;
  if (rows < 2) return false;  // an edge has two ends
  for (std::size_t j = 0; j < cols; ++j) {
    const unsigned int* column = connectivity.col(j);
    for (std::size_t i = 0; i < rows; ++i)
      if (column[i] >= bound) return false;
  }
  return true;
}

bool check_IDs(dense1D<unsigned int, 8> const& ids, unsigned int bound) {
  for (const unsigned int id : ids)
    if (id >= bound) return false;
  return true;
}

}  // namespace cellkit
}  // namespace zarn
