// Edge neighbour table.
#include <cellkit/cellkit.h>

#include <algorithm>
#include <cstdint>

namespace zarn {
namespace cellkit {
namespace {

// The lowest-numbered edge other than `self` in a run of (node, edge) keys of
// one node, sorted by edge; no_neighbor when there is none. The run holds `self`
// at most twice (an edge whose two ends are the same node).
unsigned int other_edge(const std::uint64_t* first, const std::uint64_t* last, unsigned int self) {
  for (const std::uint64_t* k = first; k != last; ++k) {
    const unsigned int e = static_cast<unsigned int>(*k & 0xffffffffu);
    if (e != self) return e;
  }
  return no_neighbor;
}

}  // namespace

bool get_neighbors(dense2D<unsigned int> const& connectivity, element_type type,
                   dense2D<unsigned int>& neighbors) {
  if (type != edge) return false;
  const std::size_t n_edges = connectivity.cols();
  if (n_edges > 0 && connectivity.rows() < 2) return false;
  if (n_edges >= no_neighbor) return false;  // edge numbers must fit below the no_neighbor mark

  // Every edge end as a key (node << 32 | edge); sorted, the ends meeting at
  // one node form a run ordered by edge number. This costs O(E log E) and no
  // memory indexed by node identifiers, which may be large.
  dense1D<std::uint64_t, 8> ends;
  if (!ends.resize(2 * n_edges)) return false;
  for (std::size_t e = 0; e < n_edges; ++e) {
    const unsigned int* c = connectivity.col(e);
    ends[2 * e] = (std::uint64_t(c[0]) << 32) | e;
    ends[2 * e + 1] = (std::uint64_t(c[1]) << 32) | e;
  }
  std::sort(ends.begin(), ends.end());

  // Built aside, so that a failure leaves the caller's table as it was.
  dense2D<unsigned int> table;
  if (!table.resize(2, n_edges, no_neighbor)) return false;
  const std::uint64_t* run = ends.begin();
  while (run != ends.end()) {
    const unsigned int node = static_cast<unsigned int>(*run >> 32);
    const std::uint64_t* run_end = run;
    while (run_end != ends.end() && static_cast<unsigned int>(*run_end >> 32) == node) ++run_end;
    for (const std::uint64_t* k = run; k != run_end; ++k) {
      const unsigned int e = static_cast<unsigned int>(*k & 0xffffffffu);
      const unsigned int* c = connectivity.col(e);
      const unsigned int other = other_edge(run, run_end, e);
      // Row 1 looks across the edge's first node, row 0 across its second.
      if (c[0] == node) table(1, e) = other;
      if (c[1] == node) table(0, e) = other;
    }
    run = run_end;
  }
  neighbors = std::move(table);
  return true;
}

}  // namespace cellkit
}  // namespace zarn
