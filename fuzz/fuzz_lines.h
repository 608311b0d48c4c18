// Shared pieces of the line and spline harnesses: metric decoding, an upper
// bound of the element count a request can produce (to skip valid requests
// for millions of nodes) and the checks of an appended mesh chain.
#pragma once

#include <algorithm>
#include <vector>

#include "fuzz_common.h"
#include "progression/progression.h"

namespace fuzzing {

// Counts above this are skipped when valid; from here on the reservations
// exceed the allocation limit (or the identifier range) and must fail.
constexpr double skip_from = 2e4;
constexpr double fail_from = 2e8;

inline bool skip_count(double estimate) { return estimate > skip_from && estimate < fail_from; }

// A count bound: nmin small most of the time, nmax often absent.
inline unsigned int lower_count(FuzzedDataProvider& in) {
  if (in.ConsumeIntegralInRange<int>(0, 15) == 0)
    return in.ConsumeIntegralInRange<unsigned int>(0, 4294967295u);
  return in.ConsumeIntegralInRange<unsigned int>(0, 6);
}
inline unsigned int upper_count(FuzzedDataProvider& in) {
  switch (in.ConsumeIntegralInRange<int>(0, 3)) {
    case 0:
      return 4294967295u;
    case 1:
      return in.ConsumeIntegralInRange<unsigned int>(0, 4294967295u);
    default:
      return in.ConsumeIntegralInRange<unsigned int>(0, 300);
  }
}

// A chordal tolerance: none, moderate, or hostile.
inline double chordal_value(FuzzedDataProvider& in) {
  switch (in.ConsumeIntegralInRange<int>(0, 7)) {
    case 0:
      return 0.0;
    case 1:
    case 2:
      return in.ConsumeFloatingPointInRange<double>(1e-4, 0.5);
    case 3:
    case 4:
      return -in.ConsumeFloatingPointInRange<double>(1e-4, 0.5);
    default:
      return awkward_double(in);
  }
}

// One metric column of `rows` rows (3 or 6): the sizes h along rotated axes,
// or now and then arbitrary values.
inline void metric_column(FuzzedDataProvider& in, double* m, std::size_t rows) {
  if (in.ConsumeIntegralInRange<int>(0, 9) == 0) {
    for (std::size_t i = 0; i < rows; ++i) m[i] = awkward_double(in);
    return;
  }
  const double a = in.ConsumeFloatingPointInRange<double>(0, 3.2);
  const double c = std::cos(a), s = std::sin(a);
  const double h1 = size_value(in), h2 = size_value(in);
  const double e1 = 1 / (h1 * h1), e2 = 1 / (h2 * h2);
  if (rows == 3) {
    m[0] = c * c * e1 + s * s * e2;
    m[1] = c * s * (e1 - e2);
    m[2] = s * s * e1 + c * c * e2;
    return;
  }
  const double h3 = size_value(in), e3 = 1 / (h3 * h3);
  // Rotation about z by a of diag(e1, e2, e3): packed m00, m01, m11, m02, m12, m22.
  m[0] = c * c * e1 + s * s * e2;
  m[1] = c * s * (e1 - e2);
  m[2] = s * s * e1 + c * c * e2;
  m[3] = 0;
  m[4] = 0;
  m[5] = e3;
}

inline dense2D<double> metric_matrix(FuzzedDataProvider& in, std::size_t rows, std::size_t cols) {
  if (in.ConsumeIntegralInRange<int>(0, 15) == 0) rows = in.ConsumeIntegralInRange<std::size_t>(0, max_rows);
  if (in.ConsumeIntegralInRange<int>(0, 15) == 0)
    cols = in.ConsumeIntegralInRange<std::size_t>(0, max_columns);
  dense2D<double> m(rows, cols);
  for (std::size_t j = 0; j < cols; ++j) {
    if (rows == 3 || rows == 6)
      metric_column(in, m.col(j), rows);
    else
      for (std::size_t i = 0; i < rows; ++i) m(i, j) = awkward_double(in);
  }
  return m;
}

// The smallest size a metric column prescribes is at least 1/sqrt(trace)
// (for a positive definite one); 0 when the column is not usable.
inline double smallest_size(const dense2D<double>& m, std::size_t j) {
  double trace = 0;
  if (m.rows() == 3) trace = m(0, j) + m(2, j);
  if (m.rows() == 6) trace = m(0, j) + m(2, j) + m(5, j);
  if (!(trace > 0) || !std::isfinite(trace)) return 0;
  return 1 / std::sqrt(trace);
}

inline double distance(const dense2D<double>& c, unsigned int a, unsigned int b) {
  double s = 0;
  for (std::size_t i = 0; i < c.rows(); ++i) s += (c(i, b) - c(i, a)) * (c(i, b) - c(i, a));
  return std::sqrt(s);
}

inline bool finite_chain(const dense2D<double>& c, const dense1D<unsigned int, 8>& ids) {
  for (std::size_t k = 0; k < ids.size(); ++k)
    for (std::size_t i = 0; i < c.rows(); ++i)
      if (!std::isfinite(c(i, ids[k]))) return false;
  return true;
}

// Upper bound of the element count of a polyline meshed under the sizes
// `lower[k]` (a lower bound of the size at chain entry k), with a negative
// chordal tolerance capping the sizes at the curvature (the cap is at least
// sqrt(-8 e) (l0 + l1) / 4 at each end of a piece, and at least min_size).
// Uses the library's own count law (the integral of 1/size). Infinite when
// nothing bounds it.
inline double count_bound(const dense2D<double>& coords, const dense1D<unsigned int, 8>& ids,
                          const std::vector<double>& lower, double chordal, double min_size) {
  double total = 0;
  const bool capped = chordal < 0 && chordal != -1.7976931348623157e308;
  for (std::size_t k = 0; k + 1 < ids.size(); ++k) {
    if (ids[k] >= coords.cols() || ids[k + 1] >= coords.cols()) return 0;
    const double l = distance(coords, ids[k], ids[k + 1]);
    double a = lower[k], b = lower[k + 1];
    if (capped) {
      const double cap = std::max(std::sqrt(-8 * chordal) * l / 4, min_size > 0 ? min_size : 0.0);
      a = std::min(a, cap), b = std::min(b, cap);
    }
    if (!(a > 0) || !(b > 0) || !std::isfinite(l)) return INFINITY;
    const double piece = zarn::linegen::ideal_segment_count(l, a, b);
    if (!(piece >= 0)) return INFINITY;
    total += piece + 1;
  }
  return total;
}

// The nodes meshed segment by segment (mesh_straight) before the first
// segment whose own count is past fail_from (where the call fails): the
// work a request costs even when it ends with -199 (a work in the skip range
// when the segments together pass fail_from).
inline double segment_work(const dense2D<double>& coords, const dense1D<unsigned int, 8>& ids,
                           const std::vector<double>& lower) {
  double total = 0;
  for (std::size_t k = 0; k + 1 < ids.size(); ++k) {
    if (ids[k] >= coords.cols() || ids[k + 1] >= coords.cols()) return 0;
    const double l = distance(coords, ids[k], ids[k + 1]);
    const double a = lower[k], b = lower[k + 1];
    if (!(a > 0) || !(b > 0) || !std::isfinite(l)) return total;
    const double piece = zarn::linegen::ideal_segment_count(l, a, b) + 1;
    if (!(piece < fail_from)) return total;
    total += piece;
    // The new nodes of all segments accumulate in coords: a call whose
    // segments together pass fail_from fails only when that growth reaches
    // the allocation limit, after meshing segments of up to that size.
    if (total >= fail_from) return skip_from * 2;
  }
  return total;
}

// The output chain of a line mesher: appended after `before`, from the
// first to the last chain node, every entry a column of coords; the new
// nodes (from `first_new` on) numbered in order along the chain and exactly
// the columns coords gained; the other entries nodes of the input chain.
inline std::size_t check_chain(const dense1D<unsigned int, 8>& before, const dense1D<unsigned int, 8>& out,
                               const dense1D<unsigned int, 8>& ids, std::size_t first_new, std::size_t cols,
                               const char* who) {
  require(prefix_kept(before, out), who);
  const std::size_t m = out.size() - before.size();
  require(m >= 2, who);
  require(out[before.size()] == ids[0] && out[out.size() - 1] == ids[ids.size() - 1], who);
  require(valid_new_ids(out, before.size(), cols), who);
  std::size_t next = first_new;
  for (std::size_t k = before.size(); k < out.size(); ++k) {
    if (out[k] >= first_new) {
      require(out[k] == next, who);
      ++next;
    } else {
      bool member = false;
      for (std::size_t i = 0; i < ids.size() && !member; ++i) member = ids[i] == out[k];
      require(member, who);
    }
  }
  require(next == cols, who);
  return m;
}

// Every node of `chain` appears, in order, in the part of `out` appended
// after its first `from` entries.
inline bool keeps_every_node(const dense1D<unsigned int, 8>& out, std::size_t from,
                             const dense1D<unsigned int, 8>& chain) {
  std::size_t k = from;
  for (std::size_t i = 0; i < chain.size(); ++i) {
    while (k < out.size() && out[k] != chain[i]) ++k;
    if (k == out.size()) return false;
    ++k;
  }
  return true;
}

}  // namespace fuzzing
