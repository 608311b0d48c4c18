#include "assemble.h"

#include <cmath>
#include <limits>
#include <map>

namespace linegen_tool {

namespace {

constexpr unsigned int none = std::numeric_limits<unsigned int>::max();

double distance(double const* a, double const* b, int dimension) {
  double d2 = 0;
  for (int k = 0; k < dimension; ++k) d2 += (a[k] - b[k]) * (a[k] - b[k]);
  return std::sqrt(d2);
}

// The nodes an extrusion's end may land on, sorted by x for a quick search.
class EndNodes {
 public:
  explicit EndNodes(Mesh const& mesh) : mesh_(mesh) {}
  void add(unsigned int node) { by_x_.emplace(mesh_.coords[std::size_t{node} * dim()], node); }
  // The nearest node within `tolerance` of p (the lowest number among equals).
  unsigned int find(double const* p, double tolerance) const {
    unsigned int best = none;
    double best_distance = tolerance;
    for (auto it = by_x_.lower_bound(p[0] - tolerance); it != by_x_.end() && it->first <= p[0] + tolerance;
         ++it) {
      const double d = distance(p, &mesh_.coords[std::size_t{it->second} * dim()], dim());
      if (d < best_distance || (d == best_distance && it->second < best))
        best = it->second, best_distance = d;
    }
    return best;
  }

 private:
  int dim() const { return mesh_.dimension; }
  Mesh const& mesh_;
  std::multimap<double, unsigned int> by_x_;
};

double curve_length(LocalCurve const& l, int dimension) {
  double length = 0;
  for (std::size_t i = 0; i + 1 < l.out.chain.size(); ++i)
    length += distance(l.coords.col(l.out.chain[i]), l.coords.col(l.out.chain[i + 1]), dimension);
  return length;
}

// Gives every local node of a curve its number in the mesh, appending the
// new ones; an extrusion's generated ends join existing nodes they lie on.
void join_and_number(LocalCurve const& l, bool extrusion, EndNodes const& ends, Mesh& mesh,
                     std::vector<unsigned int>& global, MeshCurve& curve) {
  const int dim = mesh.dimension;
  const std::size_t inputs = l.inputs.size();
  const unsigned int first = l.out.chain[0], last = l.out.chain[l.out.chain.size() - 1];
  const double tolerance = 1e-10 * curve_length(l, dim);
  bool last_on_start = false;
  if (extrusion && first >= inputs) {
    global[first] = ends.find(l.coords.col(first), tolerance);
    if (global[first] != none) curve.joined_start = global[first];
  }
  if (extrusion && last >= inputs && last != first) {
    global[last] = ends.find(l.coords.col(last), tolerance);
    if (global[last] != none) curve.joined_end = global[last];
    last_on_start =
        global[last] == none && distance(l.coords.col(last), l.coords.col(first), dim) <= tolerance;
  }
  for (std::size_t j = inputs; j < l.coords.cols(); ++j) {
    if (global[j] != none || (j == last && last_on_start)) continue;
    global[j] = static_cast<unsigned int>(mesh.node_count());
    mesh.coords.insert(mesh.coords.end(), l.coords.col(j), l.coords.col(j) + dim);
  }
  if (last_on_start) global[last] = global[first], curve.joined_end = global[first];
}

}  // namespace

Mesh assemble(Job const& job, std::vector<LocalCurve>& curves) {
  Mesh mesh;
  mesh.dimension = job.dimension;
  mesh.coords = job.nodes;
  std::vector<double> sizes(job.node_count(), std::numeric_limits<double>::infinity());
  EndNodes ends(mesh);
  for (unsigned int n = 0; n < job.node_count(); ++n) ends.add(n);
  for (std::size_t k = 0; k < curves.size(); ++k) {
    LocalCurve& l = curves[k];
    CurveJob const& c = job.curves[k];
    const bool extrusion = c.kind == Kind::extrude_translate || c.kind == Kind::extrude_rotate;
    MeshCurve curve;
    curve.name = c.name;
    curve.kind = c.kind;
    curve.three_d = job.dimension == 3;
    curve.seconds = l.seconds;
    curve.max_deviation = l.max_deviation;
    std::vector<unsigned int> global(l.coords.cols(), none);
    for (std::size_t i = 0; i < l.inputs.size(); ++i) global[i] = l.inputs[i];
    const std::size_t before = mesh.node_count();
    join_and_number(l, extrusion, ends, mesh, global, curve);
    for (unsigned int id : l.out.chain) curve.chain.push_back(global[id]);
    curve.input_nodes = extrusion ? std::vector<unsigned int>{curve.chain.front()} : c.chain;
    sizes.resize(mesh.node_count(), std::numeric_limits<double>::infinity());
    for (std::size_t j = 0; j < l.sizes.size(); ++j)
      sizes[global[j]] = std::min(sizes[global[j]], l.sizes[j]);
    for (unsigned int node : {curve.chain.front(), curve.chain.back()})
      if (node >= before) ends.add(node);
    mesh.curves.push_back(std::move(curve));
    l = LocalCurve{};
  }
  mesh.sizes.resize(sizes.size());
  for (std::size_t j = 0; j < sizes.size(); ++j) mesh.sizes[j] = std::isfinite(sizes[j]) ? sizes[j] : 0.0;
  return mesh;
}

}  // namespace linegen_tool
