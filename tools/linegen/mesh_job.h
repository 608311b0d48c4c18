// A job from its JSON text (or file) to its mesh and summary table: the one
// path that the command line and other hosts (the Python module) take.
#pragma once

#include <optional>
#include <string>

#include "mesh.h"
#include "run_job.h"

namespace linegen_tool {

struct JobOutcome {
  std::optional<Mesh> mesh;
  std::optional<Fault> fault;  // a bad job (bad_input) or a failed run
  FaultCause cause = FaultCause::bad_input;
  std::string table;  // summary_table of the mesh
};

JobOutcome mesh_job(std::string const& text, RunOptions const& options);
// The same for a file ("-" for standard input).
JobOutcome mesh_job_file(std::string const& path, RunOptions const& options);

}  // namespace linegen_tool
