// The jobs of the side-by-side comparison and the interface each mesher
// implements to run them. The harness (peer_compare.cpp) builds the inputs,
// times `run` and counts the elements the same way for every mesher: the
// edge elements of the resulting one-dimensional mesh.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace peer {

enum class JobKind {
  straight_uniform,  // one segment into `count` equal elements
  straight_graded,   // one segment, sizes at its two ends
  polyline,          // a chain of points with a size at each, every point kept
  closed_spline,     // a closed smooth curve through the points, curvature sizing
};

enum class GmshKernel { geo, occ };

struct Job {
  JobKind kind = JobKind::straight_uniform;
  std::string name;
  // Input points (z = 0) and the size wanted at each.
  std::vector<double> x, y, sizes;
  // straight_uniform: the element count asked for.
  unsigned int count = 0;
  // closed_spline: elements per 2 pi of turning, the largest element size,
  // the spline kernel Gmsh uses, and the relative chordal tolerance that
  // gives linegen the same angle per element.
  int per_two_pi = 0;
  double max_size = 0.0;
  GmshKernel kernel = GmshKernel::geo;
  double chordal_error = 0.0;
};

// One mesher. `prepare` builds its input (not timed, may be costly: the
// Gmsh model is built there); `reset` discards the previous mesh (not timed);
// `run` meshes (timed).
class Runner {
 public:
  virtual ~Runner() = default;
  virtual const char* name() const = 0;
  virtual std::string version() const = 0;
  virtual void prepare(const Job& job) = 0;
  virtual void reset() = 0;
  virtual void run() = 0;
  // Edge elements of the mesh made by the last `run`.
  virtual std::size_t elements() const = 0;
  // The mesh made by the last `run`: node coordinates (x, y pairs) and the
  // two node positions of each edge element.
  virtual void mesh(std::vector<double>& xy, std::vector<std::array<std::size_t, 2>>& edges) const = 0;
};

std::unique_ptr<Runner> make_linegen_runner();
// Gmsh is initialised once for the lifetime of the runner.
std::unique_ptr<Runner> make_gmsh_runner();

}  // namespace peer
