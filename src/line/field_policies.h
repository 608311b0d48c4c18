// The two kinds of size field a line is meshed under, as policies over their
// containers: sizes (one per chain position) and metrics (one packed column
// per chain position, 3 rows in the plane, 6 in space). The distribution
// engine, the polyline mesher and the spline driver all take one of them.
#pragma once

#include <cstddef>

#include <zarn/containers.h>

#include "append/append.h"
#include "metric/metric_algebra.h"

namespace zarn {
namespace linegen {

// Isotropic field: one size per chain position.
struct size_field {
  using values = dense1D<double, 8>;
  using entry = double;

  static std::size_t count(const values& v) { return v.size(); }
  static values view(const values& v, std::size_t start, std::size_t n) { return v.sub_vector(start, n); }
  static bool copy(const values& source, values& destination) { return destination.copy(source); }
  static entry get(const values& v, std::size_t i) { return v[i]; }
  static bool append(const values& source, values& destination) { return append_values(source, destination); }
  // Room for `added` more entries behind the existing ones.
  static bool reserve(values& v, std::size_t added) { return reserve_behind(v, added); }
  // Shrinks to the first n entries.
  static void truncate(values& v, std::size_t n) {
    if (n < v.size()) v.resize(n);
  }
  static void drop_last(values& v) { v.pop_back(); }
  // v becomes: first, the entries of `middle`, then last.
  static bool rebuild(values& v, const entry& first, const values& middle, const entry& last);
  // Caps the size at position i by the curvature size h; a negative or NaN
  // size becomes 0.
  static void cap(values& v, std::size_t i, double h);
};

// Anisotropic field: one metric column per chain position (3 rows in the
// plane, 6 in space).
template <int D>
struct metric_field {
  using values = dense2D<double>;
  using entry = symmetric_fixed<double, D>;
  static constexpr std::size_t rows = entry::packed;

  static std::size_t count(const values& v) { return v.empty() ? 0 : v.cols(); }
  static values view(const values& v, std::size_t start, std::size_t n) {
    return v.sub_matrix(0, start, v.rows(), n);
  }
  static bool copy(const values& source, values& destination) { return destination.copy(source); }
  static entry get(const values& v, std::size_t i) { return load_metric<D>(v.col(i)); }
  static bool append(const values& source, values& destination) {
    return append_metric_columns(source, destination, rows);
  }
  static bool reserve(values& v, std::size_t added) { return reserve_columns_behind(v, rows, added); }
  static void truncate(values& v, std::size_t n) { v.resize(rows, n); }
  static void drop_last(values& v) { v.resize(rows, v.cols() - 1); }
  static bool rebuild(values& v, const entry& first, const values& middle, const entry& last);
  // Caps every size the metric at position i prescribes at h.
  static void cap(values& v, std::size_t i, double h);
};

}  // namespace linegen
}  // namespace zarn
