// Meshing a polyline (an ordered chain of existing nodes with a parameter and
// a size or metric at each) into a chain of edge elements: repeated node
// distribution until the node count stops falling, an optional cap of the
// sizes where the polyline bends, and an optional refinement against a
// chordal tolerance. One implementation serves sizes and metrics in the
// plane and in space; the size field is a policy (size_field or
// metric_field<D>).
#pragma once

#include <cstddef>
#include <cstdint>

#include <zarn/containers.h>

#include "line/append.h"
#include "line/distribute.h"
#include "metric/metric_algebra.h"

namespace zarn {
namespace linegen {

// Isotropic field: one size per chain position.
struct size_field {
  using values = dense1D<double, 8>;
  using entry = double;

  template <int D>
  static bool distribute(const dense2D<double>& coords, const dense1D<unsigned int, 8>& chain,
                         const dense1D<double, 8>& params, const values& field, bool force_even,
                         std::uint64_t nmin, std::uint64_t nmax, dense2D<double>& new_coords,
                         values& new_field, dense1D<double, 8>& new_params, dense1D<double, 8>& workspace,
                         const double* known_counts) {
    return distribute_nodes_iso<D>(coords, chain, params, field, 0.0, force_even, nmin, nmax, new_coords,
                                   new_field, new_params, workspace, known_counts);
  }
  template <int D>
  static bool segment_counts(const dense2D<double>& coords, const dense1D<unsigned int, 8>& chain,
                             const values& field, dense1D<double, 8>& counts) {
    return segment_counts_iso<D>(coords, chain, field, counts);
  }
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

  template <int E>
  static bool distribute(const dense2D<double>& coords, const dense1D<unsigned int, 8>& chain,
                         const dense1D<double, 8>& params, const values& field, bool force_even,
                         std::uint64_t nmin, std::uint64_t nmax, dense2D<double>& new_coords,
                         values& new_field, dense1D<double, 8>& new_params, dense1D<double, 8>& workspace,
                         const double* known_counts) {
    static_assert(E == D, "coordinates and metrics of one dimension");
    return distribute_nodes_aniso<D>(coords, chain, params, field, 0.0, force_even, nmin, nmax, new_coords,
                                     new_field, new_params, workspace, known_counts);
  }
  template <int E>
  static bool segment_counts(const dense2D<double>& coords, const dense1D<unsigned int, 8>& chain,
                             const values& field, dense1D<double, 8>& counts) {
    return segment_counts_aniso<D>(coords, chain, field, counts);
  }
  static std::size_t count(const values& v) { return v.empty() ? 0 : v.cols(); }
  static values view(const values& v, std::size_t start, std::size_t n) {
    return v.sub_matrix(0, start, v.rows(), n);
  }
  static bool copy(const values& source, values& destination) { return destination.copy(source); }
  static entry get(const values& v, std::size_t i) {
    entry m;
    const double* c = v.col(i);
    for (std::size_t k = 0; k < rows; ++k) m[k] = c[k];
    return m;
  }
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

// A mesh of a polyline of n nodes, as the drivers return it. chain: the mesh
// chain in local identifiers, where i < n is polyline position i and n + q
// is new node q (column q of `nodes`, new nodes numbered in chain order);
// it starts with 0 and ends with n - 1. params, field: one entry per chain
// node. nodes: the coordinates of the new nodes, one column each.
template <class Field>
struct line_mesh {
  dense1D<unsigned int, 8> chain;
  dense1D<double, 8> params;
  typename Field::values field;
  dense2D<double> nodes;
};

// Caps the field of the chain `chain` of `coords` where it bends: with K the
// discrete curvature at position i and c = sqrt(-8 e) (e = tolerance < 0),
// the size at i is capped at max(c / K, min_size) (no cap where K = 0).
// `field` is indexed by chain position. A chord of length h on a circle of
// radius R deviates from the arc by about h^2 / (8 R), so the tolerance is
// a deviation relative to the local radius. Returns 0, or -199 (the field
// unchanged) when the curvatures cannot be allocated.
template <class Field>
int limit_sizes_by_curvature(const dense2D<double>& coords, const dense1D<unsigned int, 8>& chain,
                             typename Field::values& field, double tolerance, double min_size);

// Meshes the polyline `indices` of `coords` (D rows) with its `params` (n
// non-decreasing values) and `field` (n entries), as the full mesh_line
// does after its checks: passes of node distribution bounded by nmin, nmax
// and force_even; a negative chordal_error first caps the sizes by
// curvature; a positive one then refines the mesh (when it has fewer than
// nmax elements) until the polyline's nodes lie within chordal_error of it.
// `coords` is only read; the result is returned in `mesh`. Returns 0, or
// -199 when working memory runs out (mesh then unspecified).
// Preconditions (checked by the callers): n >= 2, identifiers below
// coords.cols(), 1 <= nmin <= nmax, chordal_error neither NaN nor infinite.
template <int D, class Field>
int mesh_polyline(const dense2D<double>& coords, const dense1D<unsigned int, 8>& indices,
                  const dense1D<double, 8>& params, const typename Field::values& field, bool force_even,
                  unsigned int nmin, unsigned int nmax, double chordal_error, double min_size,
                  line_mesh<Field>& mesh);

}  // namespace linegen
}  // namespace zarn
