#include <cellkit/cellkit.h>
#include <densekit/vectors.h>

#include <linegen/linegen.h>
#include <cmath>
#include <cstddef>

#include "ids/node_ids.h"

namespace zarn {
namespace linegen {

int parametric_curvatures(const dense1D<double, 8>& params, const dense2D<unsigned int>& connectivity,
                          const dense2D<double>& derivatives, dense1D<double, 8>& curvatures) {
  curvatures.clear();
  if (connectivity.empty()) return 0;
  const std::size_t nodes = params.size();
  if (!cellkit::check_IDs(connectivity, cellkit::edge, id_bound(nodes))) return -2;
  if ((derivatives.rows() != 2 && derivatives.rows() != 3) || derivatives.cols() != nodes) return -3;

  dense1D<double, 8> weight;
  if (!weight.resize(nodes, 0.0)) return status_out_of_memory;
  if (!curvatures.resize(nodes, 0.0)) return status_out_of_memory;
  double* W = weight.data();
  double* K = curvatures.data();
  const bool space = derivatives.rows() == 3;
  const std::size_t edges = connectivity.cols();

  // Each edge estimates the curvature times its parameter step from the
  // derivatives at its ends: 4 |D x S| / |S|^3 with S = Da + Db, D = Db - Da.
  for (std::size_t e = 0; e < edges; ++e) {
    const unsigned int a = connectivity(0, e);
    const unsigned int b = connectivity(1, e);
    const double* da = derivatives.col(a);
    const double* db = derivatives.col(b);
    const double s[3] = {da[0] + db[0], da[1] + db[1], space ? da[2] + db[2] : 0.0};
    const double d[3] = {db[0] - da[0], db[1] - da[1], space ? db[2] - da[2] : 0.0};
    const double s2 = densekit::squared_norm3(s);
    if (s2 == 0.0) continue;
    const double ke = 4.0 * std::sqrt(densekit::squared_cross_norm(d, s) / (s2 * s2 * s2));
    const double step = std::fabs(params[b] - params[a]);
    K[a] += ke;
    K[b] += ke;
    W[a] += step;
    W[b] += step;
  }
  // Divide each node's sum by its total parameter step, once: the weight is
  // cleared as soon as it is used, so a node met again (also through an edge
  // whose two ends are the same node) is not divided twice.
  for (std::size_t e = 0; e < edges; ++e) {
    const unsigned int ends[2] = {connectivity(0, e), connectivity(1, e)};
    for (unsigned int k : ends) {
      if (W[k] != 0.0) {
        K[k] /= W[k];
        W[k] = 0.0;
      }
    }
  }
  return 0;
}

}  // namespace linegen
}  // namespace zarn
