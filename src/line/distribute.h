// The node distribution engines: given one chain of nodes with a target size
// (isotropic) or a metric tensor (anisotropic) at each chain position, they
// choose the number of elements of the chain and place the interior nodes of
// that mesh on the chain's straight segments. They return only the new
// nodes, in order from the chain's first node to its last.
#pragma once

#include <cstddef>
#include <cstdint>

#include <zarn/containers.h>

namespace zarn {
namespace linegen {

// The number of elements for a chain whose real element count (the integral
// of 1/size along it) is `total`: the nearest multiple of m (2 with
// force_even, else 1) by the geometric-mean rule of round_count, then raised
// to 1, raised to nmin, lowered to nmax and, with force_even, an odd count
// raised by one. The even rule comes last, so an odd nmax can give nmax + 1.
// A NaN or negative total counts as 0 (the bounds still apply).
std::uint64_t bounded_element_count(double total, bool force_even, std::uint64_t nmin, std::uint64_t nmax);

// Isotropic distribution along `chain` (N >= 2 identifiers, columns of
// `coords`, which has D = 2 or 3 rows). sizes: one target size per chain
// position; params: one parameter per chain position, or empty. The size
// varies linearly with arc length along each segment; n elements are chosen
// from the total element count (bounded_element_count with nmin <= nmax) and
// the n - 1 new nodes are placed where the integral of 1/size reaches
// k/n of its total. Nodes are inserted only when the total is >= min_total
// and not NaN and n > 1.
//
// Outputs (emptied first, storage kept): new_coords (D rows, one column per
// new node), new_sizes (the size at each new node), new_params (the
// parameter at each new node; stays empty when params is empty).
//
// Returns false only when working memory or an output could not be
// allocated, when the total element count is infinite (no step can place
// nodes), or when coords.cols() + n - 1 would pass 4294967295 (the new
// nodes could not get 32-bit identifiers); the outputs are then empty. "No
// interior node needed" and a NaN total are successes with empty outputs.
template <int D>
bool distribute_nodes_iso(const dense2D<double>& coords, const dense1D<unsigned int, 8>& chain,
                          const dense1D<double, 8>& params, const dense1D<double, 8>& sizes, double min_total,
                          bool force_even, std::uint64_t nmin, std::uint64_t nmax,
                          dense2D<double>& new_coords, dense1D<double, 8>& new_sizes,
                          dense1D<double, 8>& new_params);

// Anisotropic distribution: as distribute_nodes_iso with a metric per chain
// position instead of a size (`metrics`: 3 rows for D = 2, 6 rows for D = 3,
// column i for chain position i, packed upper storage). A segment's element
// count uses its lengths in the metrics of its two ends; each new node gets
// the metric interpolated between the segment's end metrics (sizes linear
// along their common directions), appended as a column of new_metrics.
// When a new node falls on a segment whose two metrics (diagonals >= 0)
// cannot be reduced to a common basis, that segment follows the isotropic
// law of its directional sizes |d| / sqrt(d^T M d) at the two ends, and each
// of its new nodes takes the metric of the nearer end (the first for
// t < 0.5) scaled so that its size along the segment is the linear one;
// when those sizes are not finite and > 0 the result is false with empty
// outputs. When either metric of such a segment has a negative or NaN
// diagonal entry, every output ends empty and the result is true: the
// chain receives no interior node. Otherwise false as for
// distribute_nodes_iso.
// As above with a caller-held working vector for the cumulative count, so
// that repeated calls reuse its storage. known_counts, when not null, holds
// the element count of each segment of the chain as segment_counts_iso
// measures it (N - 1 values), which saves measuring the same segments again.
template <int D>
bool distribute_nodes_iso(const dense2D<double>& coords, const dense1D<unsigned int, 8>& chain,
                          const dense1D<double, 8>& params, const dense1D<double, 8>& sizes, double min_total,
                          bool force_even, std::uint64_t nmin, std::uint64_t nmax,
                          dense2D<double>& new_coords, dense1D<double, 8>& new_sizes,
                          dense1D<double, 8>& new_params, dense1D<double, 8>& workspace,
                          const double* known_counts = nullptr);

template <int D>
bool distribute_nodes_aniso(const dense2D<double>& coords, const dense1D<unsigned int, 8>& chain,
                            const dense1D<double, 8>& params, const dense2D<double>& metrics,
                            double min_total, bool force_even, std::uint64_t nmin, std::uint64_t nmax,
                            dense2D<double>& new_coords, dense2D<double>& new_metrics,
                            dense1D<double, 8>& new_params);

template <int D>
bool distribute_nodes_aniso(const dense2D<double>& coords, const dense1D<unsigned int, 8>& chain,
                            const dense1D<double, 8>& params, const dense2D<double>& metrics,
                            double min_total, bool force_even, std::uint64_t nmin, std::uint64_t nmax,
                            dense2D<double>& new_coords, dense2D<double>& new_metrics,
                            dense1D<double, 8>& new_params, dense1D<double, 8>& workspace,
                            const double* known_counts = nullptr);

// The element count of each segment i of the chain (positions i and i + 1),
// exactly as the engines measure it: counts gets N - 1 values. False when
// counts cannot be allocated.
template <int D>
bool segment_counts_iso(const dense2D<double>& coords, const dense1D<unsigned int, 8>& chain,
                        const dense1D<double, 8>& sizes, dense1D<double, 8>& counts);
template <int D>
bool segment_counts_aniso(const dense2D<double>& coords, const dense1D<unsigned int, 8>& chain,
                          const dense2D<double>& metrics, dense1D<double, 8>& counts);

}  // namespace linegen
}  // namespace zarn
