// Decoders of edge meshes for the harnesses of the connectivity, geometry and
// metric families: connectivities of any shape with identifiers that are
// valid most of the time, chains of edges that share their nodes, neighbour
// tables built from them and then damaged.
#pragma once

#include <cellkit/cellkit.h>

#include "fuzz_common.h"

namespace fuzzing {

// A connectivity of `rows` rows (usually 2, sometimes any) and up to
// max_columns edges over `bound` nodes.
inline dense2D<unsigned int> edge_matrix(FuzzedDataProvider& in, std::size_t bound, std::size_t rows = 2) {
  if (in.ConsumeIntegralInRange<int>(0, 9) == 0) rows = in.ConsumeIntegralInRange<std::size_t>(0, max_rows);
  const std::size_t cols = in.ConsumeIntegralInRange<std::size_t>(0, max_columns);
  dense2D<unsigned int> m(rows, cols);
  for (std::size_t j = 0; j < cols; ++j)
    for (std::size_t i = 0; i < rows; ++i) m(i, j) = id_value(in, bound);
  return m;
}

// Edges along one or more chains over `bound` nodes (each edge from a node to
// the next, some turned round), or an arbitrary connectivity now and then.
inline dense2D<unsigned int> chain_edges(FuzzedDataProvider& in, std::size_t bound, std::size_t rows = 2) {
  if (bound < 2 || in.ConsumeIntegralInRange<int>(0, 5) == 0) return edge_matrix(in, bound, rows);
  const std::size_t cols = in.ConsumeIntegralInRange<std::size_t>(0, bound - 1);
  dense2D<unsigned int> m(rows, cols);
  for (std::size_t j = 0; j < cols; ++j) {
    unsigned int a = static_cast<unsigned int>(j), b = static_cast<unsigned int>(j + 1);
    if (in.ConsumeIntegralInRange<int>(0, 15) == 0) b = id_value(in, bound);  // a break or a branch
    if (in.ConsumeIntegralInRange<int>(0, 2) == 0) std::swap(a, b);
    if (rows > 0) m(0, j) = a;
    if (rows > 1) m(1, j) = b;
    for (std::size_t i = 2; i < rows; ++i) m(i, j) = id_value(in, bound);
  }
  return m;
}

// The edge neighbour table of a connectivity, now and then damaged or of the
// wrong shape.
inline dense2D<unsigned int> neighbour_table(FuzzedDataProvider& in, const dense2D<unsigned int>& edges) {
  dense2D<unsigned int> nb;
  if (edges.rows() >= 2 && in.ConsumeIntegralInRange<int>(0, 7) != 0 &&
      zarn::cellkit::get_neighbors(edges, zarn::cellkit::edge, nb)) {
    if (nb.rows() != edges.rows() && in.ConsumeBool()) {
      // Three-node edges: the table must have the connectivity's shape.
      dense2D<unsigned int> wide(edges.rows(), edges.cols(), 4294967295u);
      for (std::size_t j = 0; j < nb.cols(); ++j)
        for (std::size_t i = 0; i < nb.rows() && i < wide.rows(); ++i) wide(i, j) = nb(i, j);
      nb = wide;
    }
    const int damage = in.ConsumeIntegralInRange<int>(0, 3);
    for (int d = 0; d < damage && !nb.empty(); ++d) {
      const std::size_t i = in.ConsumeIntegralInRange<std::size_t>(0, nb.rows() - 1);
      const std::size_t j = in.ConsumeIntegralInRange<std::size_t>(0, nb.cols() - 1);
      nb(i, j) = id_value(in, nb.cols() + 1);
    }
    return nb;
  }
  return edge_matrix(in, edges.cols() + 1, edges.rows());
}

}  // namespace fuzzing
