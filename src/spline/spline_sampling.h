// The geometric stages of spline meshing: the chordal-size and curvature
// rules, the dense sampling of the spline through an index list, its turning
// nodes and the chordal sizes at those nodes.
//
// Index list convention (N >= 4 entries, columns of the coordinate matrix):
// entries 1 ... N-2 are the curve's nodes, entries 0 and N-1 the neighbours
// that shape the end tangents. Segment k = 0 ... N-4 runs from entry k+1 to
// entry k+2. Free ends repeat the end node (A, A, B, ..., Z, Z); a closed
// curve wraps around (Z, A, B, ..., Z, A, B).
#pragma once

#include <zarn/containers.h>

#include "spline/spline_coefficients.h"

namespace zarn {
namespace linegen {

// Length of the chord of the osculating circle (curvature kappa) whose
// sagitta meets the tolerance delta: delta >= 0 is a length, delta < 0 minus
// a fraction of the radius. DBL_MAX when kappa is not > 0 (straight) or the
// sagitta would reach the radius.
double chordal_size(double kappa, double delta);

// Curvature of a spline segment at parameter t, 2 |P' x P''/2| / |P'|^3;
// DBL_MAX where the derivative vanishes.
template <int D>
double spline_curvature(const spline_segment<D>& seg, double t);

// Samples the spline through `indices` densely. Segment k gets m_k >= 2
// sub-intervals: ceil(S_k / h_k) for its arc length S_k (4-point Gauss rule)
// and h_k = max(floor, smallest chordal size for `tolerance` at t = 0, 1/4,
// 1/2, 3/4, 1), or 2 without a tolerance (tolerance = DBL_MAX). Outputs, all
// replaced: the samples (one column each; the first is entry 1, the last
// entry N-2), their parameters (chord-length based, from 0 to exactly 1), the
// parameter of each curve node and the sample index at which it stands
// (N-2 values each), the largest distance from a sample to its segment's
// chord, and the total unnormalised parameter length.
// node_sizes, when not null, receives the sizes spline_node_sizes gives for
// the tolerance node_delta on `indices` itself (N values, replaced), from the
// same segments, so that they need not be formed twice.
// False, with the outputs unspecified, when the sample count is not a number
// or too large for 32-bit identifiers, when the total parameter length is not
// finite (coordinate differences that overflow), or memory is lacking. No checks: the
// caller has validated `indices` (N >= 4, all below the column count) and
// `coords` has D rows.
template <int D>
bool sample_spline(const dense2D<double>& coords, const dense1D<unsigned int, 8>& indices, double tolerance,
                   double floor, dense2D<double>& samples, dense1D<double, 8>& sample_params,
                   dense1D<double, 8>& node_params, dense1D<unsigned int, 8>& node_positions,
                   double& max_deviation, double& length, dense1D<double, 8>* node_sizes = nullptr,
                   double node_delta = 0.0);

// The nodes at which the node polyline of `indices` turns, in the index-list
// convention: entries 0 and 1, each interior curve node where consecutive
// edges are not collinear, entries N-2 and N-1; with their cumulative
// chord-length parameters, normalised (0, 0, ..., 1, 1). Outputs replaced;
// false when memory is lacking.
template <int D>
bool spline_turning_nodes(const dense2D<double>& coords, const dense1D<unsigned int, 8>& indices,
                          dense1D<unsigned int, 8>& nodes, dense1D<double, 8>& params);

// One chordal size for tolerance `delta` per entry of the list `nodes` (index
// list convention, at least 4 entries), from the spline's curvature at each
// curve node: the mean of the two segments meeting there weighted by their
// squared chord lengths; the end entries repeat the end nodes' sizes. Output
// replaced; false when memory is lacking.
template <int D>
bool spline_node_sizes(const dense2D<double>& coords, const dense1D<unsigned int, 8>& nodes, double delta,
                       dense1D<double, 8>& sizes);

}  // namespace linegen
}  // namespace zarn
