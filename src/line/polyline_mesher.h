// Meshing a polyline (an ordered chain of existing nodes with a parameter and
// a size or metric at each) into a chain of edge elements: repeated node
// distribution until the node count stops falling, an optional cap of the
// sizes where the polyline bends, and an optional refinement against a
// chordal tolerance. One implementation serves sizes and metrics in the
// plane and in space; the size field is a policy (size_field or
// metric_field<D>, line/field_policies.h).
#pragma once

#include <cstddef>
#include <cstdint>

#include <zarn/containers.h>

#include "line/distribute.h"
#include "line/field_policies.h"

namespace zarn {
namespace linegen {

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
// nmax elements) until the polyline's nodes lie within chordal_error of it,
// keeping at least nmin elements.
// The new nodes are appended to `coords`, the mesh chain (in coords'
// identifiers, from indices[0] to indices[n - 1]), its parameters and field
// to the outputs. Returns 0, or -199 when memory runs out or the new nodes
// could not be numbered in 32 bits, with `coords` and the outputs cut back
// to their entry lengths and shapes.
// Preconditions (checked by the callers): n >= 2, identifiers below
// coords.cols(), 1 <= nmin <= nmax, chordal_error neither NaN nor infinite,
// out_field empty or of the field's row count.
template <int D, class Field>
int mesh_polyline(dense2D<double>& coords, const dense1D<unsigned int, 8>& indices,
                  const dense1D<double, 8>& params, const typename Field::values& field, bool force_even,
                  unsigned int nmin, unsigned int nmax, double chordal_error, double min_size,
                  dense1D<unsigned int, 8>& out_indices, dense1D<double, 8>& out_params,
                  typename Field::values& out_field);

}  // namespace linegen
}  // namespace zarn
