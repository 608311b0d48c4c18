// Joining curves meshed on their own into one mesh, in job order.
#pragma once

#include <optional>
#include <vector>

#include "library_calls.h"
#include "mesh.h"
#include "status_messages.h"

namespace linegen_tool {

// One curve meshed on a coordinate matrix of its own: the job nodes it uses
// come first (job node numbers in `inputs`), then the library's new nodes.
struct LocalCurve {
  std::vector<unsigned int> inputs;
  Matrix coords;
  CurveOutput out;            // node numbers local to `coords`
  std::vector<double> sizes;  // per local node; infinity off the curve
  double seconds = 0;         // time in the library
  double max_deviation = -1;  // as MeshCurve::max_deviation
  std::optional<CurveFault> fault;
};

// The mesh of a job whose curves all meshed: the job's nodes, then each
// curve's new nodes in job order. A node that an extrusion generates at one
// of its ends (its new start point, its last node) and that lies within
// 1e-10 times the curve's length of an existing node (a job node, an end of
// an earlier curve, the curve's own start) is that node: a full turn closes
// on its start instead of leaving a second node on top of it. Interior
// nodes are never joined. Empties `curves` as it goes.
Mesh assemble(Job const& job, std::vector<LocalCurve>& curves);

}  // namespace linegen_tool
