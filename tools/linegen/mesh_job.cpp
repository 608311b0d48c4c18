#include "mesh_job.h"

#include "files.h"
#include "table.h"

namespace linegen_tool {

JobOutcome mesh_job(std::string const& text, RunOptions const& options) {
  JobOutcome outcome;
  ParsedJob parsed = parse_job(text);
  if (parsed.fault) {
    outcome.fault = parsed.fault;
    return outcome;
  }
  RunResult run = run_job(*parsed.job, options);
  outcome.fault = std::move(run.fault);
  outcome.cause = run.cause;
  if (run.mesh) {
    outcome.table = summary_table(*run.mesh);
    outcome.mesh = std::move(run.mesh);
  }
  return outcome;
}

JobOutcome mesh_job_file(std::string const& path, RunOptions const& options) {
  const FileText file = read_file(path);
  if (file.fault) {
    JobOutcome outcome;
    outcome.fault = file.fault;
    return outcome;
  }
  return mesh_job(*file.text, options);
}

}  // namespace linegen_tool
