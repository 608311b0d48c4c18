#include <cellkit/cellkit.h>

#include <linegen/linegen.h>
#include <cstddef>
#include <cstdint>

namespace zarn {
namespace linegen {

namespace {

// Rows 0 and 1 of column j swapped; further rows stay.
inline void swap_ends(dense2D<unsigned int>& m, std::size_t j) noexcept {
  unsigned int* col = m.col(j);
  const unsigned int first = col[0];
  col[0] = col[1];
  col[1] = first;
}

// One visited bit per edge.
class edge_marks {
 public:
  bool allocate(std::size_t edges) { return words_.resize((edges + 63) / 64, 0); }
  bool test(std::size_t e) const noexcept { return (words_[e / 64] >> (e % 64)) & 1u; }
  void set(std::size_t e) noexcept { words_[e / 64] |= std::uint64_t(1) << (e % 64); }

 private:
  dense1D<std::uint64_t, 8> words_;
};

}  // namespace

int flip(dense2D<unsigned int>& connectivity) {
  if (connectivity.cols() == 0) return 0;
  if (connectivity.rows() != 2) return -1;
  for (std::size_t j = 0; j < connectivity.cols(); ++j) swap_ends(connectivity, j);
  return 0;
}

int mesh_reorient(dense2D<unsigned int>& connectivity, dense2D<unsigned int>& neighbors,
                  unsigned int start_edge, int all_components) {
  const std::size_t E = connectivity.cols();
  if (E == 0) return 0;
  if (!cellkit::check_IDs(connectivity, cellkit::edge, no_count)) return -1;
  const std::size_t N = connectivity.rows();
  if (neighbors.rows() != N || neighbors.cols() != E) return -2;
  if (start_edge >= E) return -3;

  // Working state: visited marks, a first-in first-out queue (a list read
  // from `head`; it empties at the end of each component pass) and the edges
  // reversed so far, so that a failure can put every one of them back.
  edge_marks visited;
  dense1D<unsigned int, 8> queue;
  dense1D<unsigned int, 8> reversed;
  if (!visited.allocate(E) || !queue.reserve(E < 1024 ? E : 1024)) return status_out_of_memory;

  auto undo = [&](int code) {
    for (std::size_t i = reversed.size(); i-- > 0;) {
      swap_ends(connectivity, reversed[i]);
      swap_ends(neighbors, reversed[i]);
    }
    return code;
  };

  std::size_t seed = start_edge;
  for (;;) {
    // The next part starts at the first unvisited edge from the seed upward;
    // parts made only of edges below start_edge are never started.
    while (seed < E && visited.test(seed)) ++seed;
    if (seed == E) break;
    queue.clear();
    if (!queue.push_back(static_cast<unsigned int>(seed))) return undo(status_out_of_memory);
    for (std::size_t head = 0; head < queue.size(); ++head) {
      const std::size_t e = queue[head];
      if (visited.test(e)) continue;  // queued twice before its turn
      visited.set(e);
      for (std::size_t k = 0; k < N; ++k) {
        const std::size_t f = neighbors(k, e);
        if (f >= E || visited.test(f)) continue;
        // Row 0 names the neighbour through e's second node; every further
        // row (three-node edges too) is read like row 1, through its first.
        const std::size_t side = k == 0 ? 0 : 1;
        const unsigned int shared = connectivity(side == 0 ? 1 : 0, e);
        std::size_t position;
        if (shared == connectivity(0, f)) {
          position = 0;
        } else if (shared == connectivity(1, f)) {
          position = 1;
        } else {
          return undo(-2);  // the neighbour matrix contradicts the edges
        }
        // f must start where e ends (through row 0) or end where e starts.
        if (position != side) {
          if (!reversed.push_back(static_cast<unsigned int>(f))) return undo(status_out_of_memory);
          swap_ends(connectivity, f);
          swap_ends(neighbors, f);
        }
        if (!queue.push_back(static_cast<unsigned int>(f))) return undo(status_out_of_memory);
      }
    }
    if (all_components == 0) break;
  }
  return static_cast<int>(reversed.size() < 2147483647u ? reversed.size() : 2147483647u);
}

}  // namespace linegen
}  // namespace zarn
