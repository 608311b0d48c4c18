// The meshed result of a job, as the writers and the summary table see it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "job.h"

namespace linegen_tool {

struct MeshCurve {
  std::string name;
  Kind kind = Kind::line;
  bool three_d = false;                   // meshed in 3D (drawn projected on x-y)
  std::vector<unsigned int> chain;        // node numbers along the curve; elements join neighbours
  std::vector<unsigned int> input_nodes;  // the job's nodes and start points it was meshed from
  double max_deviation = -1.0;            // distance from the curve it follows; < 0 when it does not apply
  double seconds = 0.0;                   // time spent in the library
  // The existing node an extrusion's generated start or last node was
  // joined to, as it lay on it.
  std::optional<unsigned int> joined_start, joined_end;
  double goal = -1.0;  // in a job with faces: its count when meshed alone; else < 0
};

struct Mesh {
  int dimension = 2;
  std::vector<double> coords;  // dimension entries per node, node after node
  // Size at each node: the size the generator gave the node (metrics: the
  // size along the curve); for extrusions and straight curves the mean
  // length of the node's elements; the smallest where curves share a node;
  // 0 on a node of no curve.
  std::vector<double> sizes;
  std::vector<MeshCurve> curves;

  std::size_t node_count() const { return coords.size() / static_cast<std::size_t>(dimension); }
  double coord(std::size_t node, int axis) const {
    return axis < dimension
               ? coords[node * static_cast<std::size_t>(dimension) + static_cast<std::size_t>(axis)]
               : 0.0;
  }
  std::size_t element_count() const;
  // Length of the element from chain[i] to chain[i + 1] of a curve.
  double element_length(MeshCurve const& curve, std::size_t i) const;
};

// Appends `other` after `into`, renumbering its nodes; a 2D mesh joined with
// a 3D one gets z = 0.
void append_mesh(Mesh& into, Mesh const& other);

}  // namespace linegen_tool
