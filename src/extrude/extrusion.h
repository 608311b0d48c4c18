// The machinery that the straight and the rotational extrusion share: the
// argument checks, the segment count (given, or derived from two end sizes),
// the reservation of the outputs, the placement loop and the point-start
// wrapper that undoes its start node on failure. A path object supplies only
// what differs: the length of the path and the point at a fraction of it.
#pragma once

#include <cmath>
#include <cstddef>
#include <limits>

#include <linegen/linegen.h>
#include <zarn/containers.h>

#include "append/append.h"
#include "progression/progression.h"

namespace zarn {
namespace linegen {
namespace detail {

// Sizes wanted at the two ends of the path; the count is then derived.
// `h0_code` is the status of an invalid h0 in the calling overload (h1's is
// the next one).
struct end_sizes {
  double h0;
  double h1;
  bool force_even;
  int h0_code;
};

template <int D>
vector_fixed<double, D> node_position(const dense2D<double>& coords, std::size_t j) {
  vector_fixed<double, D> p;
  const double* column = coords.col(j);
  for (int i = 0; i < D; ++i) p[i] = column[i];
  return p;
}

// An explicit size must be a positive finite number: an infinite size would
// pass "> 0" and then turn the size laws into NaN.
inline bool valid_size(double h) { return std::isfinite(h) && h > 0.0; }

// The segment count of a path of length L between the sizes of `sizes`, to be
// appended after `used` columns. Codes in check order: -3 zero (or NaN)
// length, h0_code, h0_code - 1, -199 when the count is infinite or would
// push the column count past the 32-bit identifiers.
inline int count_from_sizes(double L, const end_sizes& sizes, std::size_t used, unsigned int& n) {
  if (L == 0.0 || std::isnan(L)) return status_bad_argument(3);
  if (!valid_size(sizes.h0)) return sizes.h0_code;
  if (!valid_size(sizes.h1)) return sizes.h0_code - 1;
  const double real_count = ideal_segment_count(L, sizes.h0, sizes.h1);
  if (!checked_segment_count(real_count, sizes.force_even ? 2 : 1, 1, used, n)) return status_out_of_memory;
  return status_ok;
}

// Room for `extra` more columns of D rows in coords and for `extra_ids`
// more identifiers in indices; false when that cannot be had, either because
// the column count would pass the 32-bit identifiers or for lack of memory.
template <int D>
bool reserve_outputs(dense2D<double>& coords, std::size_t extra, dense1D<unsigned int, 8>& indices,
                     std::size_t extra_ids) {
  const std::size_t c0 = coords.cols();
  if (!fits_node_count(c0, extra)) return false;
  if (!coords.reserve(D, c0 + extra)) return false;
  if (indices.size() > std::numeric_limits<std::size_t>::max() - extra_ids) return false;
  return indices.reserve(indices.size() + extra_ids);
}

// The extrusion from the existing node s: appends n new nodes along the path
// and the chain s, new nodes to indices. n = 0 derives the count from
// `sizes`; otherwise the nodes are equally spaced. Codes in check order: -1
// coords has not D rows, -2 no node s, then those of count_from_sizes, -199.
// Nothing is appended on failure.
template <int D, class Path>
int extrude_from_node(dense2D<double>& coords, unsigned int s, const Path& path, unsigned int n,
                      const end_sizes& sizes, dense1D<unsigned int, 8>& indices) {
  if (coords.rows() != D) return status_bad_argument(1);
  const std::size_t c0 = coords.cols();
  if (s >= c0) return status_bad_argument(2);
  const auto along = path.from(node_position<D>(coords, s));
  const bool graded = n == 0;
  if (graded) {
    const int status = count_from_sizes(along.length(), sizes, c0, n);
    if (status != status_ok) return status;
  }
  if (!reserve_outputs<D>(coords, n, indices, std::size_t(n) + 1)) return status_out_of_memory;

  // Place the new nodes: equal steps, or steps in geometric progression of
  // overall ratio h1/h0.
  const std::size_t ids0 = indices.size();
  bool appended = indices.push_back(s);
  const double step = 1.0 / n;
  for (unsigned int i = 1; i <= n && appended; ++i) {
    double t = i * step;
    if (graded) t = progression_fraction(t, sizes.h0, sizes.h1);
    appended =
        append_node(along.point(t), coords) && indices.push_back(static_cast<unsigned int>(c0 - 1 + i));
  }
  if (!appended) {
    // Cannot happen after the reservation; should it, leave nothing behind.
    (void)coords.resize(D, c0);
    (void)indices.resize(ids0);
    return status_out_of_memory;
  }
  return status_ok;
}

// The point-start forms: `start` is appended as a new node, then extruded
// from. A given count of 0 does nothing at all; a given count reserves the
// whole output first. On any failure the start node is removed again and
// coords regains its former shape.
template <int D, class Path>
int extrude_from_point(dense2D<double>& coords, const vector_fixed<double, D>& start, const Path& path,
                       unsigned int count, const end_sizes& sizes, dense1D<unsigned int, 8>& indices) {
  if (!coords.empty() && coords.rows() != D) return status_bad_argument(1);
  const std::size_t rows0 = coords.rows(), c0 = coords.cols();
  if (count != 0 && !reserve_outputs<D>(coords, std::size_t(count) + 1, indices, 0))
    return status_out_of_memory;
  if (!append_node(start, coords)) return status_out_of_memory;
  const int status = extrude_from_node<D>(coords, static_cast<unsigned int>(c0), path, count, sizes, indices);
  if (status < 0) (void)coords.resize(rows0, c0);  // shrinking never fails
  return status;
}

// Sizes unused: the count is given (h0 = h1 = 0 turn the grading off).
inline end_sizes no_sizes() { return end_sizes{0.0, 0.0, false, 0}; }

// The four overload shapes of both extrusions.

// Point start, given count: a count of 0 does nothing.
template <int D, class Path>
int point_with_count(dense2D<double>& coords, const vector_fixed<double, D>& start, const Path& path,
                     unsigned int count, dense1D<unsigned int, 8>& indices) {
  if (count == 0) return status_ok;
  return extrude_from_point<D>(coords, start, path, count, no_sizes(), indices);
}

// Point start, count derived from the end sizes.
template <int D, class Path>
int point_with_sizes(dense2D<double>& coords, const vector_fixed<double, D>& start, const Path& path,
                     const end_sizes& sizes, dense1D<unsigned int, 8>& indices) {
  return extrude_from_point<D>(coords, start, path, 0, sizes, indices);
}

// Node start, given count: a count of 0 returns `zero_count_status` at once.
template <int D, class Path>
int node_with_count(dense2D<double>& coords, unsigned int start_node, const Path& path, unsigned int count,
                    int zero_count_status, dense1D<unsigned int, 8>& indices) {
  if (count == 0) return zero_count_status;
  return extrude_from_node<D>(coords, start_node, path, count, no_sizes(), indices);
}

// Node start, count derived from the end sizes.
template <int D, class Path>
int node_with_sizes(dense2D<double>& coords, unsigned int start_node, const Path& path,
                    const end_sizes& sizes, dense1D<unsigned int, 8>& indices) {
  return extrude_from_node<D>(coords, start_node, path, 0, sizes, indices);
}

}  // namespace detail
}  // namespace linegen
}  // namespace zarn
