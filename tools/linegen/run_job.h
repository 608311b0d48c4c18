// Meshing a job with the library: every curve in order, into one coordinate
// matrix that starts with the job's nodes.
#pragma once

#include <optional>

#include "job.h"
#include "mesh.h"
#include "status_messages.h"

namespace linegen_tool {

struct RunResult {
  std::optional<Mesh> mesh;
  std::optional<Fault> fault;  // a curve that could not be meshed, at "curves[N]"
  FaultCause cause = FaultCause::bad_input;
};

// `measure` also computes each curve's largest deviation from the curve it
// follows (splines, polylines, arcs), which costs time on big meshes.
RunResult run_job(Job const& job, bool measure);

}  // namespace linegen_tool
