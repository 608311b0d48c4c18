#include "append/append.h"

#include <algorithm>
#include <cassert>
#include <cstring>

#include "ids/node_ids.h"

namespace zarn {
namespace linegen {
namespace {

template <class T>
bool append_entries(const dense1D<T, 8>& source, dense1D<T, 8>& destination) {
  const std::size_t added = source.size();
  if (added == 0) return true;
  const std::size_t existing = destination.size();
  // The source may be a view of the destination's storage; holding it keeps
  // that storage alive across a growth of the destination.
  const dense1D<T, 8> held(source);
  if (!reserve_behind(destination, added) || !destination.resize_for_overwrite(existing + added))
    return false;
  std::memmove(destination.data() + existing, held.data(), added * sizeof(T));
  return true;
}

// Column count of a destination, taking a matrix without entries as having
// none (a 0 x c or r x 0 shape holds nothing).
template <class T>
std::size_t held_columns(const dense2D<T>& m) {
  return m.empty() ? 0 : m.cols();
}

template <class T>
bool reserve_columns(dense2D<T>& destination, std::size_t rows, std::size_t added) {
  const std::size_t existing = held_columns(destination);
  if (existing > 0 && destination.rows() != rows) return false;
  if (added > static_cast<std::size_t>(-1) - existing) return false;
  const std::size_t wanted = existing + added;
  if (existing > 0 && wanted <= destination.capacity_cols()) return true;
  if (existing == 0 && rows > 0 && wanted <= destination.capacity() / rows) return true;
  const std::size_t grown = added > existing ? added : existing;
  const std::size_t old_rows = destination.rows(), old_cols = destination.cols();
  if (existing == 0) destination.resize(rows, 0);  // shape only, the storage is kept
  if (grown <= static_cast<std::size_t>(-1) - existing && destination.reserve(rows, existing + grown))
    return true;
  if (destination.reserve(rows, wanted)) return true;
  if (existing == 0) destination.resize(old_rows, old_cols);  // back to the empty shape it had
  return false;
}

// One more column of `rows` rows at column `first`, the storage doubled
// (at least 4 columns) when it has no spare column; a failed reservation
// is caught by the resize, which still tries for exactly one more column.
bool grow_by_one(dense2D<double>& m, std::size_t rows, std::size_t first) {
  if (first >= m.capacity_cols() || m.ld() < rows) (void)m.reserve(rows, std::max<std::size_t>(2 * first, 4));
  return m.resize(rows, first + 1);
}

template <int D>
bool append_point(const vector_fixed<double, D>& point, dense2D<double>& coords) {
  if (!coords.empty() && coords.rows() != D) return false;
  // The new node's identifier is the column count, also of a 0 x c matrix.
  const std::size_t cols = coords.cols();
  if (!fits_node_count(cols, 1) || !grow_by_one(coords, D, cols)) return false;
  std::copy(point.data(), point.data() + D, coords.col(cols));
  return true;
}

template <int N>
bool append_metric_column(dense2D<double>& metrics, const symmetric_fixed<double, N>& m) {
  constexpr std::size_t rows = symmetric_fixed<double, N>::packed;
  if (!metrics.empty() && metrics.rows() != rows) return false;
  const std::size_t cols = held_columns(metrics);
  if (!grow_by_one(metrics, rows, cols)) return false;
  std::copy(m.data(), m.data() + rows, metrics.col(cols));
  return true;
}

bool copy_columns(const dense2D<double>& source, dense2D<double>& destination, std::size_t rows) {
  const std::size_t added = source.cols();
  const std::size_t existing = held_columns(destination);
  const dense2D<double> held(source);  // see append_entries
  if (!reserve_columns_behind(destination, rows, added)) return false;
  if (!destination.resize_for_overwrite(rows, existing + added)) return false;
  for (std::size_t j = 0; j < added; ++j)
    std::memmove(destination.col(existing + j), held.col(j), rows * sizeof(double));
  return true;
}

}  // namespace

bool reserve_columns_behind(dense2D<double>& destination, std::size_t rows, std::size_t added) {
  return reserve_columns(destination, rows, added);
}
bool reserve_columns_behind(dense2D<unsigned int>& destination, std::size_t rows, std::size_t added) {
  return reserve_columns(destination, rows, added);
}

bool append_node(const vector_fixed<double, 2>& point, dense2D<double>& coords) {
  return append_point(point, coords);
}
bool append_node(const vector_fixed<double, 3>& point, dense2D<double>& coords) {
  return append_point(point, coords);
}

bool append_metric(dense2D<double>& metrics, const symmetric_fixed<double, 2>& m) {
  return append_metric_column(metrics, m);
}
bool append_metric(dense2D<double>& metrics, const symmetric_fixed<double, 3>& m) {
  return append_metric_column(metrics, m);
}

bool append_values(const dense1D<double, 8>& source, dense1D<double, 8>& destination) {
  return append_entries(source, destination);
}

bool append_columns(const dense2D<double>& source, dense2D<double>& destination) {
  if (source.empty()) return true;
  return copy_columns(source, destination, source.rows());
}

bool append_metric_columns(const dense2D<double>& source, dense2D<double>& destination, std::size_t rows) {
  if (!source.empty() && source.rows() != rows) return false;
  if (source.empty()) {
    if (held_columns(destination) > 0) return destination.rows() == rows;
    return destination.resize(rows, 0);
  }
  return copy_columns(source, destination, rows);
}

bool append_selected_columns(const dense2D<double>& source, const dense1D<unsigned int, 8>& ids,
                             dense2D<double>& destination) {
  const std::size_t added = ids.size();
  if (added == 0) return true;
  const std::size_t rows = source.rows();
  const std::size_t existing = held_columns(destination);
  const dense2D<double> held(source);
  if (!reserve_columns_behind(destination, rows, added)) return false;
  if (!destination.resize_for_overwrite(rows, existing + added)) return false;
  for (std::size_t j = 0; j < added; ++j) {
    assert(ids[j] < held.cols() && "selected column exists");
    std::memmove(destination.col(existing + j), held.col(ids[j]), rows * sizeof(double));
  }
  return true;
}

}  // namespace linegen
}  // namespace zarn
