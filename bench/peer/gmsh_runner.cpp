// The Gmsh side of the comparison, through Gmsh's public C++ API: the model is
// built in `prepare` (built-in kernel, or OpenCASCADE for the splines that ask
// for it), and `run` is one call of the one-dimensional mesher.
#include <gmsh.h>

#include <algorithm>

#include "peer_jobs.h"

namespace peer {
namespace {

class GmshRunner final : public Runner {
 public:
  GmshRunner() {
    gmsh::initialize();
    gmsh::option::setNumber("General.Terminal", 0);
    // Messages are not even formatted: the timings measure the mesher alone.
    gmsh::option::setNumber("General.Verbosity", 0);
  }
  ~GmshRunner() override { gmsh::finalize(); }
  GmshRunner(const GmshRunner&) = delete;
  GmshRunner& operator=(const GmshRunner&) = delete;

  const char* name() const override { return "Gmsh"; }
  std::string version() const override {
    std::string v;
    gmsh::option::getString("General.Version", v);
    return v;
  }

  void prepare(const Job& job) override {
    gmsh::clear();
    gmsh::model::add(job.name);
    // Sizes come from the points, and for the splines from the curvature with
    // a largest size; every job sets all three so that none leaks into the next.
    gmsh::option::setNumber("Mesh.MeshSizeFromPoints", 1);
    gmsh::option::setNumber("Mesh.MeshSizeMin", 0);
    gmsh::option::setNumber("Mesh.MeshSizeMax", job.kind == JobKind::closed_spline ? job.max_size : 1e22);
    gmsh::option::setNumber("Mesh.MeshSizeFromCurvature",
                            job.kind == JobKind::closed_spline ? job.per_two_pi : 0);

    const std::size_t n = job.x.size();
    std::vector<int> points(n);
    const bool occ = job.kind == JobKind::closed_spline && job.kernel == GmshKernel::occ;
    for (std::size_t i = 0; i < n; ++i) {
      const double size = job.kind == JobKind::closed_spline ? job.max_size : job.sizes[i];
      points[i] = occ ? gmsh::model::occ::addPoint(job.x[i], job.y[i], 0.0, size)
                      : gmsh::model::geo::addPoint(job.x[i], job.y[i], 0.0, size);
    }
    if (job.kind == JobKind::closed_spline) {
      // The first point repeated at the end makes the spline periodic.
      points.push_back(points.front());
      if (occ) {
        gmsh::model::occ::addSpline(points);
        gmsh::model::occ::synchronize();
      } else {
        gmsh::model::geo::addSpline(points);
        gmsh::model::geo::synchronize();
      }
      return;
    }
    // One straight line curve per segment.
    for (std::size_t i = 0; i + 1 < n; ++i) gmsh::model::geo::addLine(points[i], points[i + 1]);
    gmsh::model::geo::synchronize();
  }

  void reset() override { gmsh::model::mesh::clear(); }

  void run() override { gmsh::model::mesh::generate(1); }

  std::size_t elements() const override {
    std::vector<int> types;
    std::vector<std::vector<std::size_t>> tags, nodes;
    gmsh::model::mesh::getElements(types, tags, nodes, 1, -1);
    std::size_t count = 0;
    for (const auto& t : tags) count += t.size();
    return count;
  }

  void mesh(std::vector<double>& xy, std::vector<std::array<std::size_t, 2>>& edges) const override {
    std::vector<std::size_t> node_tags;
    std::vector<double> coord, parametric;
    gmsh::model::mesh::getNodes(node_tags, coord, parametric, -1, -1, false, false);
    std::size_t max_tag = 0;
    for (std::size_t t : node_tags) max_tag = std::max(max_tag, t);
    std::vector<std::size_t> position(max_tag + 1, 0);
    xy.resize(2 * node_tags.size());
    for (std::size_t i = 0; i < node_tags.size(); ++i) {
      position[node_tags[i]] = i;
      xy[2 * i] = coord[3 * i];
      xy[2 * i + 1] = coord[3 * i + 1];
    }
    std::vector<int> types;
    std::vector<std::vector<std::size_t>> tags, nodes;
    gmsh::model::mesh::getElements(types, tags, nodes, 1, -1);
    edges.clear();
    for (std::size_t k = 0; k < types.size(); ++k) {
      if (types[k] != 1) continue;  // 2-node lines only
      for (std::size_t e = 0; e + 1 < nodes[k].size(); e += 2)
        edges.push_back({position[nodes[k][e]], position[nodes[k][e + 1]]});
    }
  }
};

}  // namespace

std::unique_ptr<Runner> make_gmsh_runner() { return std::make_unique<GmshRunner>(); }

}  // namespace peer
