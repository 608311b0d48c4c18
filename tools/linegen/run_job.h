// Meshing a job with the library: every curve in order, into one coordinate
// matrix that starts with the job's nodes.
#pragma once

#include <optional>

#include "job.h"
#include "mesh.h"

namespace linegen_tool {

struct RunResult {
  std::optional<Mesh> mesh;
  std::optional<Fault> fault;  // a curve the library rejected, at "curves[N]"
  bool out_of_memory = false;  // the fault is a lack of memory, not bad input
};

// `measure` also computes each curve's largest deviation from the curve it
// follows (splines, polylines, arcs), which costs time on big meshes.
RunResult run_job(Job const& job, bool measure);

}  // namespace linegen_tool
