#include "run_job.h"

#include <chrono>
#include <cmath>
#include <limits>

#include "measure.h"

namespace linegen_tool {

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();

// The job's nodes, or an empty matrix that the first curve shapes.
Matrix node_matrix(Job const& job) {
  return job.node_count() > 0 ? matrix_of(job.nodes, static_cast<std::size_t>(job.dimension)) : Matrix();
}

Mesh mesh_of(Matrix const& coords, std::vector<double> const& node_size, int dimension) {
  Mesh mesh;
  mesh.dimension = dimension;
  for (std::size_t j = 0; j < coords.cols(); ++j)
    for (std::size_t i = 0; i < coords.rows(); ++i) mesh.coords.push_back(coords(i, j));
  mesh.sizes.resize(coords.cols());
  for (std::size_t j = 0; j < node_size.size(); ++j)
    mesh.sizes[j] = std::isfinite(node_size[j]) ? node_size[j] : 0.0;
  return mesh;
}

}  // namespace

RunResult run_job(Job const& job, bool measure) {
  const int dim = job.dimension;
  Matrix coords = node_matrix(job);
  std::vector<double> node_size(job.node_count(), infinity);  // infinity where none yet
  std::vector<MeshCurve> curves;
  for (auto const& c : job.curves) {
    const auto first_new = static_cast<unsigned int>(coords.cols());
    const auto begin = std::chrono::steady_clock::now();
    const CurveOutput out = mesh_curve(coords, c, dim);
    MeshCurve curve;
    curve.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    if (auto fault = curve_fault(c, out)) {
      RunResult failed;
      failed.fault = fault->fault;
      failed.cause = fault->cause;
      return failed;
    }
    curve.name = c.name;
    curve.kind = c.kind;
    curve.three_d = dim == 3;
    curve.chain.assign(out.chain.begin(), out.chain.end());
    const bool extrusion = c.kind == Kind::extrude_translate || c.kind == Kind::extrude_rotate;
    curve.input_nodes =
        extrusion ? std::vector<unsigned int>{c.start_node ? *c.start_node : first_new} : c.chain;
    node_size.resize(coords.cols(), infinity);
    lower_node_sizes(coords, out, dim, node_size);
    if (measure) curve.max_deviation = max_deviation(coords, c, out.chain, curve.input_nodes[0], dim);
    curves.push_back(std::move(curve));
  }
  RunResult done;
  done.mesh = mesh_of(coords, node_size, dim);
  done.mesh->curves = std::move(curves);
  return done;
}

}  // namespace linegen_tool
