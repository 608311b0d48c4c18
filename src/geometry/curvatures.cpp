#include <cellkit/cellkit.h>

#include <linegen/linegen.h>

#include "geometry/curve_kernels.h"
#include "ids/node_ids.h"

namespace zarn {
namespace linegen {

int curvatures(const dense2D<double>& coords, const dense1D<unsigned int, 8>& indices,
               dense1D<double, 8>& curvatures) {
  curvatures.clear();
  if (indices.empty()) return 0;
  if (coords.rows() != 2 && coords.rows() != 3) return -1;
  if (!cellkit::check_IDs(indices, id_bound(coords.cols()))) return -2;
  if (!curvatures.resize(indices.size(), 0.0)) return status_out_of_memory;
  detail::curvatures_unchecked(coords, indices, curvatures);
  return 0;
}

}  // namespace linegen
}  // namespace zarn
