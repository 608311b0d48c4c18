// The element-utility layer: identifier and metric validation, metric
// bounding, intersection and gradation, edge neighbours. Internal to the
// library (linked in, not exported).
#pragma once

#include <zarn/containers.h>

namespace zarn {
namespace cellkit {

// The result of an operation whose working memory could not be allocated.
constexpr int out_of_memory = -199;

// The neighbour of an edge end that no other edge shares.
constexpr unsigned int no_neighbor = 4294967295u;

// Element kinds; the library only ever passes the edge.
enum element_type { edge = 3 };

// True when `connectivity` suits the element type (edges: at least 2 rows, or
// no columns) and every identifier of every row is below `bound`.
bool check_IDs(dense2D<unsigned int> const& connectivity, element_type type, unsigned int bound);
// True when every identifier of the list is below `bound`.
bool check_IDs(dense1D<unsigned int, 8> const& ids, unsigned int bound);

// Sizes: every size finite and > 0.
bool are_valid_metrics(dense1D<double, 8> const& sizes);
// Metrics: 3 rows (2D) or 6 rows (3D), every column finite and positive
// definite (leading principal minors > 0).
bool are_valid_metrics(dense2D<double> const& metrics);

// Column i of `metrics` (already N columns) becomes the isotropic metric of
// sizes[i]: (1/h^2, 0, 1/h^2), resp. (1/h^2, 0, 1/h^2, 0, 0, 1/h^2). False,
// nothing written, when the matrix does not have 3 (resp. 6) rows and at
// least N columns.
bool metrics_iso_to_aniso2d(dense1D<double, 8> const& sizes, dense2D<double>& metrics);
bool metrics_iso_to_aniso3d(dense1D<double, 8> const& sizes, dense2D<double>& metrics);

// Brings the sizes of a metric along its eigenvectors into [hmin, hmax],
// directions kept (hmin <= 0: no smallest size; the smallest size wins when
// the bounds cross; a zero eigenvalue, an infinite size, comes down to hmax).
// The metric is rewritten only when a size changes. True, or false with the
// metric untouched when it cannot be decomposed (not finite).
bool bound_metric(symmetric_fixed<double, 2>& metric, double hmin, double hmax);
bool bound_metric(symmetric_fixed<double, 3>& metric, double hmin, double hmax);
// Clamps every size into [hmin, hmax] (hmax first, so hmin wins when they
// cross; a NaN size becomes hmax).
void bound_metrics(dense1D<double, 8>& sizes, double hmin, double hmax);

// Intersection of two metrics by simultaneous reduction: in the common basis
// each direction keeps the larger eigenvalue (the smaller size). A zero metric
// (infinite sizes) is neutral. Semi-definite metrics are accepted as long as
// their sum is definite. Returns false when no common basis exists; `out` is
// then a + b, which is never coarser than either metric.
bool minimum_metric(symmetric_fixed<double, 2> const& a, symmetric_fixed<double, 2> const& b,
                    symmetric_fixed<double, 2>& out);
bool minimum_metric(symmetric_fixed<double, 3> const& a, symmetric_fixed<double, 3> const& b,
                    symmetric_fixed<double, 3>& out);

// Limits the growth of a size field along edges: afterwards, across every
// edge of length L (all coordinate rows) from a to b, h_b <= h_a + g * L.
// Metrics: each end's metric is intersected with its neighbour's metric whose
// eigen-sizes are all grown by g * L. Sizes only ever shrink. Edges are swept
// forward then backward until nothing changes (a chain in order settles in
// one round; other edge sets take at most as many rounds as edges).
// `fixed_nodes` keep their values but still bound their neighbours; edges with
// an identifier beyond the field or the coordinates are skipped. Returns 0;
// -1 when the type is not the edge, the
// connectivity has fewer than 2 rows, g is negative or NaN, or the metrics do
// not have 3 or 6 rows; -199 when the fixed-node mask cannot be allocated.
int bound_metric_gradations(dense2D<double> const& coords, dense2D<unsigned int> const& connectivity,
                            element_type type, dense1D<unsigned int, 8> const& fixed_nodes, double gradation,
                            dense2D<double>& metrics);
int bound_metric_gradations(dense2D<double> const& coords, dense2D<unsigned int> const& connectivity,
                            element_type type, dense1D<unsigned int, 8> const& fixed_nodes, double gradation,
                            dense1D<double, 8>& sizes);

// Edge neighbour table, one column per edge: row 0 an edge sharing the edge's
// second node, row 1 an edge sharing its first node, no_neighbor for none;
// where more than two edges meet, the lowest-numbered other edge. False, the
// table untouched, when the connectivity is not one of edges or has as many
// edges as no_neighbor, or when memory is lacking.
bool get_neighbors(dense2D<unsigned int> const& connectivity, element_type type,
                   dense2D<unsigned int>& neighbors);

}  // namespace cellkit
}  // namespace zarn
