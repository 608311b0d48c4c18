// The two kinds of size field a line is meshed under, as policies over their
// containers: sizes (one per chain position) and metrics (one packed column
// per chain position, 3 rows in the plane, 6 in space). The distribution
// engine, the polyline mesher and the spline driver all take one of them.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>

#include <cellkit/cellkit.h>
#include <zarn/containers.h>

#include "append/append.h"
#include "metric/metric_algebra.h"

namespace zarn {
namespace linegen {

// Isotropic field: one size per chain position.
struct size_field {
  using values = dense1D<double, 8>;
  using entry = double;

  // The first n entries are valid sizes; an output of any shape is accepted.
  static bool valid(const values& v, std::size_t n) {
    return v.size() >= n && cellkit::are_valid_metrics(v.sub_vector(0, n));
  }
  static bool valid_output(const values&) { return true; }
  static bool finite(const values&) { return true; }
  // Entries 1 ... n - 2 of the first n: the interior of a chain of n.
  static values interior(const values& v, std::size_t n) { return v.sub_vector(1, n - 2); }
  // v becomes F entries of the size h.
  static bool uniform(double h, std::size_t F, values& v) {
    v.clear();
    return v.resize(F, h);
  }
  static void copy_entry(const values& from, std::size_t i, values& to, std::size_t j) { to[j] = from[i]; }
  // Every size at most largest[j].
  static void cap_all(values& v, const dense1D<double, 8>& largest) {
    for (std::size_t j = 0; j < v.size(); ++j) v[j] = std::min(v[j], largest[j]);
  }
  // Appends the first entry of `ends`, the entries of `middle`, the last of `ends`.
  static bool append_between(const values& ends, const values& middle, values& out) {
    return out.push_back(ends[0]) && append_values(middle, out) && out.push_back(ends[ends.size() - 1]);
  }
  // The shape of an output, to restore it after a failed append.
  struct shape {
    std::size_t size;
  };
  static shape shape_of(const values& v) { return {v.size()}; }
  static void restore(values& v, shape s) { v.resize(s.size); }

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
  // Entry i of v becomes e.
  static void put(values& v, std::size_t i, const entry& e) { v[i] = e; }
  // n entries, those past the old count left unset.
  static bool resize_for_overwrite(values& v, std::size_t n) { return v.resize_for_overwrite(n); }
  // Where entry i starts, and the distance from one entry to the next.
  static double* at(values& v, std::size_t i) { return v.data() + i; }
  static std::size_t stride(const values&) { return 1; }
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

  static bool valid(const values& v, std::size_t n) {
    return v.cols() >= n && cellkit::are_valid_metrics(v.sub_matrix(0, 0, v.rows(), n)) && v.rows() == rows;
  }
  static bool valid_output(const values& v) { return v.empty() || v.rows() == rows; }
  // Sizes below about 1e-154 (a spline shorter than that, or such a
  // min_size) have eigenvalues beyond the largest double: capped metrics
  // then hold infinite or NaN entries.
  static bool finite(const values& v) {
    for (std::size_t j = 0; j < v.cols(); ++j)
      for (std::size_t k = 0; k < rows; ++k)
        if (!std::isfinite(v(k, j))) return false;
    return true;
  }
  static values interior(const values& v, std::size_t n) { return v.sub_matrix(0, 1, rows, n - 2); }
  // v becomes F columns of the isotropic metric of size h.
  static bool uniform(double h, std::size_t F, values& v) {
    dense1D<double, 8> sizes;
    v.clear();
    if (!sizes.resize(F, h) || !v.resize(rows, F, 0.0)) return false;
    return D == 2 ? cellkit::metrics_iso_to_aniso2d(sizes, v) : cellkit::metrics_iso_to_aniso3d(sizes, v);
  }
  static void copy_entry(const values& from, std::size_t i, values& to, std::size_t j) {
    for (std::size_t k = 0; k < rows; ++k) to(k, j) = from(k, i);
  }
  // No size above largest[j], directions kept, no lower bound; a metric that
  // cannot be decomposed is left as it is.
  static void cap_all(values& v, const dense1D<double, 8>& largest) {
    for (std::size_t j = 0; j < v.cols(); ++j) {
      entry m = get(v, j);
      if (cellkit::bound_metric(m, 0.0, largest[j])) store_metric(m, v.col(j));
    }
  }
  static bool append_between(const values& ends, const values& middle, values& out) {
    return append_metric(out, get(ends, 0)) && append_metric_columns(middle, out, rows) &&
           append_metric(out, get(ends, ends.cols() - 1));
  }
  struct shape {
    std::size_t rows, cols;
  };
  static shape shape_of(const values& v) { return {v.rows(), v.cols()}; }
  static void restore(values& v, shape s) { v.resize(s.rows, s.cols); }

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
  static void put(values& v, std::size_t i, const entry& e) { store_metric(e, v.col(i)); }
  static bool resize_for_overwrite(values& v, std::size_t n) { return v.resize_for_overwrite(rows, n); }
  static double* at(values& v, std::size_t i) { return v.col(i); }
  static std::size_t stride(const values& v) { return v.ld(); }
  // Caps every size the metric at position i prescribes at h.
  static void cap(values& v, std::size_t i, double h);
};

}  // namespace linegen
}  // namespace zarn
