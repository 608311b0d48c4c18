#include <cellkit/cellkit.h>

#include <linegen/linegen.h>
#include <cfloat>
#include <cmath>
#include <cstddef>

#include "ids/node_ids.h"

namespace zarn {
namespace linegen {

namespace {

// How the normals of a node's edges combine: the longest edge's, the
// shortest edge's, or a mean weighted by a power of the edge lengths.
enum class combination { longest, shortest, powered };

// Takes the unit normal (nx, ny) of an edge of length L and weight w into
// the node's normal `out` and weight W.
void take_edge_normal(combination mode, double L, double w, double nx, double ny, double* out, double& W) {
  if (mode == combination::longest) {
    if (L > W) {
      W = L;
      out[0] = nx;
      out[1] = ny;
    }
  } else if (mode == combination::shortest) {
    if (L < W || W == 0.0) {
      W = L;
      out[0] = nx;
      out[1] = ny;
    }
  } else {
    W += w;
    out[0] += w * nx;
    out[1] += w * ny;
  }
}

// Divides each weighted sum by its weight and, when asked, scales it to unit
// length.
void finish_means(const double* W, bool normalize, dense2D<double>& normals) {
  for (std::size_t k = 0; k < normals.cols(); ++k) {
    double* out = normals.col(k);
    if (W[k] != 0.0) {
      out[0] /= W[k];
      out[1] /= W[k];
    }
    if (normalize) {
      const double sq = out[0] * out[0] + out[1] * out[1];
      if (sq != 0.0 && sq != 1.0) {
        const double len = std::sqrt(sq);
        out[0] /= len;
        out[1] /= len;
      }
    }
  }
}

}  // namespace

int normals(const dense2D<double>& coords, const dense2D<unsigned int>& connectivity, double p,
            bool normalize, dense2D<double>& normals) {
  normals.clear();
  if (coords.empty() || connectivity.empty()) return 0;
  if (coords.rows() != 2) return -1;
  if (connectivity.rows() < 2) return -2;
  const std::size_t nodes = coords.cols();
  const std::size_t edges = connectivity.cols();
  // The nodes index both coords and the output: every identifier is checked
  // before anything is written.
  if (!cellkit::check_IDs(connectivity, cellkit::edge, id_bound(nodes))) return -2;

  dense1D<double, 8> weight;
  if (!weight.resize(nodes, 0.0)) return status_out_of_memory;
  if (!normals.resize(2, nodes, 0.0)) {
    normals.clear();
    return status_out_of_memory;
  }
  const combination mode = p == DBL_MAX    ? combination::longest
                           : p == -DBL_MAX ? combination::shortest
                                           : combination::powered;
  const bool powered = -DBL_MAX < p && p < DBL_MAX;
  double* W = weight.data();

  for (std::size_t e = 0; e < edges; ++e) {
    const unsigned int ends[2] = {connectivity(0, e), connectivity(1, e)};
    const double* a = coords.col(ends[0]);
    const double* b = coords.col(ends[1]);
    double dx = b[0] - a[0];
    double dy = b[1] - a[1];
    const double sq = dx * dx + dy * dy;
    if (sq == 0.0) continue;  // a point has no normal
    double L = 1.0;
    if (sq != 1.0) {
      L = std::sqrt(sq);
      const double inv = 1.0 / L;
      dx *= inv;
      dy *= inv;
    }
    // The edge direction turned a quarter turn counter-clockwise.
    const double nx = -dy;
    const double ny = dx;
    const double w = powered ? std::pow(L, p) : 1.0;
    for (unsigned int k : ends) take_edge_normal(mode, L, w, nx, ny, normals.col(k), W[k]);
  }
  // The longest or shortest edge's normal is already of unit length.
  if (mode == combination::powered) finish_means(W, normalize, normals);
  return 0;
}

}  // namespace linegen
}  // namespace zarn
