#include <linegen/linegen.h>
#include <cstddef>

#include "geometry/curve_kernels.h"

namespace zarn {
namespace linegen {

namespace {

// True when every entry is at or above the one before it; a NaN after the
// first entry compares with nothing and fails.
bool non_decreasing(const dense1D<double, 8>& values) noexcept {
  for (std::size_t i = 1; i < values.size(); ++i)
    if (!(values[i] >= values[i - 1])) return false;
  return true;
}

bool all_below(const dense1D<unsigned int, 8>& ids, std::size_t bound) noexcept {
  for (std::size_t i = 0; i < ids.size(); ++i)
    if (ids[i] >= bound) return false;
  return true;
}

}  // namespace

int interpolate_coordinates(dense2D<double>& coords, const dense1D<unsigned int, 8>& indices,
                            const dense1D<double, 8>& params, const dense1D<unsigned int, 8>& new_indices,
                            const dense1D<double, 8>& new_params) {
  if (params.size() != indices.size()) return -2;
  if (!non_decreasing(params)) return -3;
  if (new_params.size() != new_indices.size()) return -4;
  if (!non_decreasing(new_params)) return -5;
  if (new_indices.empty()) return 0;
  // Every column read or written must exist; nothing is written before both
  // lists have passed.
  if (indices.empty() || !all_below(indices, coords.cols())) return -2;
  if (!all_below(new_indices, coords.cols())) return -4;
  detail::interpolate_coordinates_unchecked(coords, indices, params, new_indices, new_params);
  return 0;
}

}  // namespace linegen
}  // namespace zarn
