// Appending behind what a container holds: entries, columns, selected
// columns, one node or one metric column. Every generator and driver of the
// library assembles its outputs with these. Every append grows the
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
bool reserve_columns_behind(dense2D<unsigned int>& destination, std::size_t rows, std::size_t added);

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

// Appends `point` as a new last column of `coords`; its identifier is the old
// column count. An empty matrix (rows x columns = 0) of any row count is
// accepted and becomes a 2-row (resp. 3-row) matrix. When the storage has no
// spare column the capacity is first doubled, with a floor of 4 columns.
// False, with `coords` unchanged, when a non-empty matrix has another row
// count, when the matrix already holds max_node_count columns (identifiers
// are 32-bit), or when memory is lacking.
bool append_node(const vector_fixed<double, 2>& point, dense2D<double>& coords);
bool append_node(const vector_fixed<double, 3>& point, dense2D<double>& coords);

// Appends `m` as a new last column of `metrics` (3 rows for 2D, 6 for 3D).
// A matrix without entries takes the metric's row count. False, `metrics`
// unchanged, when it holds entries with another row count or cannot grow.
// Grows the capacity as append_node does.
bool append_metric(dense2D<double>& metrics, const symmetric_fixed<double, 2>& m);
bool append_metric(dense2D<double>& metrics, const symmetric_fixed<double, 3>& m);

// Writes start, start + 1, start + 2, ... into the n entries from `first`.
inline void fill_consecutive(unsigned int* first, std::size_t n, unsigned int start) {
  for (std::size_t i = 0; i < n; ++i) first[i] = start + static_cast<unsigned int>(i);
}

}  // namespace linegen
}  // namespace zarn
