#include <cellkit/cellkit.h>

#include <linegen/linegen.h>
#include <cstddef>
#include <cstdint>

#include "append/append.h"
#include "ids/node_ids.h"

namespace zarn {
namespace linegen {

namespace {

// Makes room for `added` more columns of `rows` rows after the existing ones
// and sets the new shape. An empty output takes the row count; one of another
// row count is refused by the callers before this. False, with the output
// unchanged, when memory is lacking.
bool grow_columns(dense2D<unsigned int>& out, std::size_t rows, std::size_t added, std::size_t& first) {
  first = out.empty() ? 0 : out.cols();
  return reserve_columns_behind(out, rows, added) && out.resize(rows, first + added);
}

}  // namespace

int indices_to_connectE2(const dense1D<unsigned int, 8>& indices, dense2D<unsigned int>& connectE2) {
  const std::size_t n = indices.size();
  if (n == 0) return 0;
  if (n == 1) return -1;
  if (!connectE2.empty() && connectE2.rows() != 2) return -2;
  std::size_t c = 0;
  if (!grow_columns(connectE2, 2, n - 1, c)) return status_out_of_memory;
  for (std::size_t k = 0; k + 1 < n; ++k) {
    unsigned int* col = connectE2.col(c + k);
    col[0] = indices[k];
    col[1] = indices[k + 1];
  }
  return 0;
}

int indices_to_connectE3(const dense1D<unsigned int, 8>& indices, dense2D<unsigned int>& connectE3) {
  const std::size_t n = indices.size();
  if (n == 0) return 0;
  if (n < 3 || n % 2 == 0) return -1;
  if (!connectE3.empty() && connectE3.rows() != 3) return -2;
  const std::size_t m = (n - 1) / 2;
  std::size_t c = 0;
  if (!grow_columns(connectE3, 3, m, c)) return status_out_of_memory;
  // The chain reads end, middle, end, middle, ..., end; an edge stores its two
  // ends first and its middle node last.
  for (std::size_t e = 0; e < m; ++e) {
    unsigned int* col = connectE3.col(c + e);
    col[0] = indices[2 * e];
    col[1] = indices[2 * e + 2];
    col[2] = indices[2 * e + 1];
  }
  return 0;
}

int E3_to_2E2(const dense2D<unsigned int>& connectE3, dense2D<unsigned int>& connectE2) {
  const std::size_t m = connectE3.cols();
  if (m == 0) return 0;
  if (connectE3.rows() != 3) return -1;
  if (!connectE2.empty() && connectE2.rows() != 2) return -2;
  if (m > static_cast<std::size_t>(-1) / 2) return status_out_of_memory;
  std::size_t c = 0;
  if (!grow_columns(connectE2, 2, 2 * m, c)) return status_out_of_memory;
  for (std::size_t j = 0; j < m; ++j) {
    const unsigned int* edge = connectE3.col(j);
    unsigned int* first = connectE2.col(c + 2 * j);
    unsigned int* second = connectE2.col(c + 2 * j + 1);
    first[0] = edge[0];
    first[1] = edge[2];
    second[0] = edge[2];
    second[1] = edge[1];
  }
  return 0;
}

int convert_E2(dense2D<double>& coords, dense2D<unsigned int>& connectivity, unsigned int added_nodes) {
  const std::size_t D = coords.rows();
  if (D < 1 || D > 3) return -1;
  const std::size_t E = connectivity.cols();
  const std::size_t p = added_nodes;
  if (E == 0 || p == 0) return 0;
  const std::size_t c0 = coords.cols();
  if (!cellkit::check_IDs(connectivity, cellkit::edge, id_bound(c0))) return -2;
  // The new nodes need identifiers below no_count (which means "none").
  const std::uint64_t room = max_node_count - static_cast<std::uint64_t>(c0);
  if (static_cast<std::uint64_t>(E) > room / p) return status_out_of_memory;
  const std::size_t total = c0 + E * p;

  // Room for both first, then the shapes: a failure leaves both arguments as
  // they were on entry (with room reserved, the resizes do not allocate; the
  // coordinates, which only gain columns, are the ones to undo).
  if (!coords.reserve(D, total) || !connectivity.reserve(p + 2, E)) return status_out_of_memory;
  if (!coords.resize(D, total)) return status_out_of_memory;
  if (!connectivity.resize(p + 2, E)) {
    coords.resize(D, c0);
    return status_out_of_memory;
  }

  // Edge j's added nodes are c0 + j p ... c0 + j p + p - 1, equally spaced
  // from its row-0 end; edges sharing an end get separate nodes.
  const double step = 1.0 / (static_cast<double>(p) + 1.0);
  std::size_t next = c0;
  for (std::size_t j = 0; j < E; ++j) {
    unsigned int* edge = connectivity.col(j);
    const double* A = coords.col(edge[0]);
    const double* B = coords.col(edge[1]);
    double d[3] = {0.0, 0.0, 0.0};
    for (std::size_t r = 0; r < D; ++r) d[r] = B[r] - A[r];
    for (std::size_t k = 0; k < p; ++k, ++next) {
      const double t = static_cast<double>(k + 1) * step;
      edge[k + 2] = static_cast<unsigned int>(next);
      double* P = coords.col(next);
      for (std::size_t r = 0; r < D; ++r) P[r] = d[r] * t + A[r];
    }
  }
  return 0;
}

}  // namespace linegen
}  // namespace zarn
