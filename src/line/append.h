// Appending one container's entries or columns behind another's: the way the
// line and spline drivers assemble their outputs. Every append grows the
// destination's storage to at least twice what it holds when it must grow,
// so that repeated appends cost linear time, and reports a failed growth by
// returning false with the destination unchanged.
#pragma once

#include <cstddef>

#include <zarn/containers.h>

namespace zarn {
namespace linegen {

// Room for `added` more entries behind the existing ones. When the storage is
// too small it is grown to existing + max(added, existing) entries. False,
// nothing changed, when memory is lacking.
template <class T>
bool reserve_behind(dense1D<T, 8>& destination, std::size_t added) {
  const std::size_t existing = destination.size();
  if (added > static_cast<std::size_t>(-1) - existing) return false;
  if (existing + added <= destination.capacity()) return true;
  const std::size_t grown = added > existing ? added : existing;
  if (grown <= static_cast<std::size_t>(-1) - existing && destination.reserve(existing + grown)) return true;
  return destination.reserve(existing + added);
}

// Room for `added` more columns of `rows` rows behind the existing columns,
// with the same growth rule. A destination without entries takes `rows` rows.
// False, nothing changed, when memory is lacking or when the destination
// holds entries with another row count.
bool reserve_columns_behind(dense2D<double>& destination, std::size_t rows, std::size_t added);

// The entries of `source` appended to `destination`.
bool append_values(const dense1D<double, 8>& source, dense1D<double, 8>& destination);

// The columns of `source` appended to `destination`, which takes the source's
// row count when it holds no entries. False, nothing changed, when the
// destination holds entries with another row count or cannot grow.
bool append_columns(const dense2D<double>& source, dense2D<double>& destination);

// As append_columns for metric matrices: the destination ends with exactly
// `rows` rows (3 in the plane, 6 in space), also when `source` has no
// columns. False, nothing changed, when the source has columns of another
// row count, when the destination holds entries with another row count, or
// when it cannot grow.
bool append_metric_columns(const dense2D<double>& source, dense2D<double>& destination, std::size_t rows);

// For each identifier of `ids` in order, that column of `source` appended to
// `destination`. The identifiers must be below source.cols().
bool append_selected_columns(const dense2D<double>& source, const dense1D<unsigned int, 8>& ids,
                             dense2D<double>& destination);

// Writes start, start + 1, start + 2, ... into the n entries from `first`.
inline void fill_consecutive(unsigned int* first, std::size_t n, unsigned int start) {
  for (std::size_t i = 0; i < n; ++i) first[i] = start + static_cast<unsigned int>(i);
}

}  // namespace linegen
}  // namespace zarn
