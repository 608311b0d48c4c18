// Unchecked kernels of the chain queries `curvatures` and
// `interpolate_coordinates`. The exported functions check their arguments and
// call these; the line meshers, which already hold valid chains, call them
// directly on every distribution pass. Neither kernel allocates, checks or
// reports anything: the caller guarantees the preconditions listed with each.
#pragma once

#include <zarn/containers.h>

namespace zarn {
namespace linegen {
namespace detail {

// Discrete curvature at every entry of the chain `indices`: at an interior
// node, 2 |u0 - u1| / (l0 + l1) from the unit tangents u0, u1 and lengths l0, l1
// of the two edges that meet there (0 when either edge has length 0); each end
// takes the value of its neighbour. Chains of fewer than 3 nodes get zeros.
//
// Preconditions:
// - coords has 2 or 3 rows;
// - every identifier of `indices` is below coords.cols();
// - curvatures.size() == indices.size() (sized by the caller; every entry is
//   overwritten, nothing else changes).
void curvatures_unchecked(const dense2D<double>& coords, const dense1D<unsigned int, 8>& indices,
                          dense1D<double, 8>& curvatures) noexcept;

// Overwrites the coordinates of node new_indices[k] with the point at parameter
// new_params[k] along the chain `indices` whose nodes stand at `params`, by
// linear interpolation between the two chain nodes that bracket it. A
// parameter at or below params[0] takes the first node's coordinates, one
// above the last parameter the last node's; within a piece of zero parametric
// length the node takes the piece's first node. Every row of coords is
// interpolated.
//
// Preconditions:
// - indices.size() == params.size() >= 1, and params is non-decreasing;
// - new_indices.size() == new_params.size(), and new_params is non-decreasing
//   (each search starts where the previous one stopped);
// - every identifier of `indices` and `new_indices` is below coords.cols().
// A node of new_indices that is also a chain node is overwritten in turn, so
// later placements see its new coordinates.
void interpolate_coordinates_unchecked(dense2D<double>& coords, const dense1D<unsigned int, 8>& indices,
                                       const dense1D<double, 8>& params,
                                       const dense1D<unsigned int, 8>& new_indices,
                                       const dense1D<double, 8>& new_params) noexcept;

}  // namespace detail
}  // namespace linegen
}  // namespace zarn
