#include "mesh.h"

#include <algorithm>
#include <cmath>

namespace linegen_tool {

std::size_t Mesh::element_count() const {
  std::size_t n = 0;
  for (auto const& c : curves) n += c.chain.empty() ? 0 : c.chain.size() - 1;
  return n;
}

double Mesh::element_length(MeshCurve const& curve, std::size_t i) const {
  double sum = 0;
  for (int a = 0; a < dimension; ++a) {
    const double d = coord(curve.chain[i + 1], a) - coord(curve.chain[i], a);
    sum += d * d;
  }
  return std::sqrt(sum);
}

void append_mesh(Mesh& into, Mesh const& other) {
  const int dimension = std::max(into.dimension, other.dimension);
  const std::size_t offset = into.node_count();
  if (dimension != into.dimension) {
    std::vector<double> lifted;
    for (std::size_t n = 0; n < into.node_count(); ++n)
      for (int a = 0; a < dimension; ++a) lifted.push_back(into.coord(n, a));
    into.coords = std::move(lifted);
    into.dimension = dimension;
  }
  for (std::size_t n = 0; n < other.node_count(); ++n)
    for (int a = 0; a < dimension; ++a) into.coords.push_back(other.coord(n, a));
  into.sizes.insert(into.sizes.end(), other.sizes.begin(), other.sizes.end());
  for (MeshCurve c : other.curves) {
    for (auto& id : c.chain) id += static_cast<unsigned int>(offset);
    for (auto& id : c.input_nodes) id += static_cast<unsigned int>(offset);
    for (auto* joined : {&c.joined_start, &c.joined_end})
      if (*joined) **joined += static_cast<unsigned int>(offset);
    into.curves.push_back(std::move(c));
  }
}

}  // namespace linegen_tool
