// Meshing a job with the library: every curve on its own (on several threads
// when asked), then the meshes joined in job order into one node numbering
// that starts with the job's nodes.
#pragma once

#include <cstddef>
#include <functional>
#include <limits>
#include <optional>

#include "job.h"
#include "mesh.h"
#include "status_messages.h"

namespace linegen_tool {

struct RunOptions {
  RunOptions() = default;
  explicit RunOptions(bool measure_deviation) : measure(measure_deviation) {}

  // Also compute each curve's largest deviation from the curve it follows
  // (splines, polylines, arcs), which costs time on big meshes.
  bool measure = false;
  unsigned int threads = 1;
  // A job whose estimated element count is larger is refused before any
  // meshing, as a lack of memory.
  double max_elements = std::numeric_limits<double>::infinity();
  // Called on the calling thread now and then while curves are meshed:
  // curves done, curves in all, elements so far.
  std::function<void(std::size_t, std::size_t, std::size_t)> progress;
};

struct RunResult {
  std::optional<Mesh> mesh;
  std::optional<Fault> fault;  // the first curve that could not be meshed, at "curves[N]"
  FaultCause cause = FaultCause::bad_input;
};

// The same result for any number of threads. A job with faces has its counts
// assigned first (faces.h).
RunResult run_job(Job const& job, RunOptions const& options);
// Every curve as the job gives it, faces left aside.
RunResult run_curves(Job const& job, RunOptions const& options);

}  // namespace linegen_tool
