// The node distribution engines: given one chain of nodes with a target size
// (isotropic) or a metric tensor (anisotropic) at each chain position, they
// choose the number of elements of the chain and place the interior nodes of
// that mesh on the chain's straight segments. They return only the new
// nodes, in order from the chain's first node to its last.
#pragma once

#include <cstddef>
#include <cstdint>

#include <zarn/containers.h>

#include "line/field_policies.h"
#include "progression/progression.h"

namespace zarn {
namespace linegen {

// Where the engine writes the new nodes: node k's coordinates from
// coords + k * coords_ld (D values; not written when coords is null), its
// parameter at params[k] (not written when null), its field entry from
// field + k * field_ld (a size, or a packed metric column).
struct node_destination {
  double* coords = nullptr;
  std::size_t coords_ld = 0;
  double* params = nullptr;
  double* field = nullptr;
  std::size_t field_ld = 0;
};

// What placing the new nodes came to: all placed; none at all (a metric
// with a negative or NaN diagonal entry on a segment that receives nodes);
// or failed (a segment whose directional sizes are not finite and > 0).
enum class placement { ok, no_nodes, failed };

// The distribution engine over one chain (N >= 2 identifiers, columns of
// `coords`, which has D = 2 or 3 rows) and a field of kind Field
// (size_field: one target size per chain position; metric_field<D>: one
// packed metric column per chain position).
template <int D, class Field>
class node_distributor {
 public:
  using values = typename Field::values;

  node_distributor(const dense2D<double>& coords, const dense1D<unsigned int, 8>& chain, const values& field)
      : coords_(coords), chain_(chain), field_(field) {}

  // The element count of each segment i of the chain (positions i and
  // i + 1), exactly as distribute measures it: counts gets N - 1 values.
  // False when counts cannot be allocated.
  bool segment_counts(dense1D<double, 8>& counts) const;

  // The chain's real element count: the sum of its segment counts, taken in
  // chain order. known_counts, when not null, holds the N - 1 values
  // segment_counts gives, which saves measuring the same segments again.
  double total_count(const double* known_counts = nullptr) const;

  // Places the n - 1 new nodes of a mesh of n elements (n >= 2) of a chain
  // whose real element count is `total` (from total_count, finite): node k
  // where the integral of 1/size reaches k/n of the total, in order from the
  // chain's first node to its last, written to `out`. params: one parameter
  // per chain position (read only when out.params is set). The cumulative
  // count is walked as the nodes are placed, never stored.
  //
  // Sizes vary linearly with arc length along each segment, and each new
  // node gets the size at its place. For metrics a segment's element count
  // uses its lengths in the metrics of its two ends, and each new node gets
  // the metric interpolated between the segment's end metrics (sizes linear
  // along their common directions). When a new node falls on a segment
  // whose two metrics (diagonals >= 0) cannot be reduced to a common basis,
  // that segment follows the isotropic law of its directional sizes
  // |d| / sqrt(d^T M d) at the two ends, and each of its new nodes takes the
  // metric of the nearer end (the first for t < 0.5) scaled so that its size
  // along the segment is the linear one; when those sizes are not finite and
  // > 0 the result is `failed`. When either metric of such a segment has a
  // negative or NaN diagonal entry, the result is `no_nodes`: the chain
  // receives no interior node. Entries of `out` are unspecified after
  // anything but `ok`.
  placement place(double total, std::uint64_t n, const dense1D<double, 8>& params,
                  const node_destination& out, const double* known_counts = nullptr) const;

  // total_count, the count rule and bounds (bounded_element_count) and place
  // into containers of their own: new_coords (D rows, one column per new
  // node), new_field (the field at each new node), new_params (the
  // parameter at each new node; stays empty when params is empty). Nodes
  // are inserted only when the total is not NaN and n > 1. The outputs are
  // emptied first, storage kept. workspace: caller-held storage for the
  // segment counts, reused across calls.
  //
  // Returns false when working memory or an output could not be allocated,
  // when the total element count is infinite (no step can place nodes), when
  // placing fails, or when coords.cols() + n - 1 would pass max_node_count
  // (the new nodes could not get 32-bit identifiers); the outputs are then
  // empty. "No interior node needed", a NaN total and `no_nodes` are
  // successes with empty outputs.
  bool distribute(const dense1D<double, 8>& params, const count_bounds& bounds, dense2D<double>& new_coords,
                  values& new_field, dense1D<double, 8>& new_params, dense1D<double, 8>& workspace) const;

 private:
  const dense2D<double>& coords_;
  const dense1D<unsigned int, 8>& chain_;
  const values& field_;
};

// The number of new nodes a chain of real element count `total` receives
// under `bounds`: n - 1 for the n elements of bounded_element_count, or 0
// when the total is negative or NaN. An infinite total has no count: false.
bool new_node_count(double total, const count_bounds& bounds, std::uint64_t& added);

extern template class node_distributor<2, size_field>;
extern template class node_distributor<3, size_field>;
extern template class node_distributor<2, metric_field<2>>;
extern template class node_distributor<3, metric_field<3>>;

}  // namespace linegen
}  // namespace zarn
