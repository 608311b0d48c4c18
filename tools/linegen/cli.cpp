#include "cli.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <system_error>
#include <thread>

#include <linegen/linegen.h>

#include "demo_jobs.h"
#include "files.h"
#include "job.h"
#include "machine.h"
#include "mesh_job.h"
#include "options.h"
#include "run_job.h"
#include "table.h"
#include "writers.h"

namespace linegen_tool {

namespace {

char const* const usage =
    "usage: linegen demo [--out DIR]\n"
    "       linegen mesh JOB.json -o OUT [--format svg|vtk|msh|msh-binary] [--binary]\n"
    "                    [--table] [--jobs N] [--memory-limit SIZE]\n"
    "       linegen --help | --version\n";

char const* const help =
    "linegen: one-dimensional meshes of lines, splines and extrusions.\n"
    "\n"
    "  linegen demo [--out DIR]\n"
    "      Meshes a built-in set of curves, writes DIR/demo.svg (a picture) and\n"
    "      DIR/demo.vtk (for ParaView) and prints a summary table.\n"
    "      DIR defaults to ./linegen-demo.\n"
    "\n"
    "  linegen mesh JOB.json -o OUT [options]\n"
    "      Meshes the curves of a job file and writes them to OUT, whose name\n"
    "      ends in .svg (picture), .vtk (VTK legacy, ParaView, meshio) or .msh\n"
    "      (Gmsh 4.1). JOB.json may be - for standard input; OUT may be - for\n"
    "      standard output, with --format.\n"
    "      --format F         svg, vtk, msh or msh-binary, whatever OUT's name\n"
    "      --binary           Gmsh 4.1 binary (smaller and faster for big meshes)\n"
    "      --table            print the summary table\n"
    "      --jobs N           mesh curves on N threads (default: the cores);\n"
    "                         the output is the same for any N\n"
    "      --memory-limit S   refuse jobs, and fail allocations, beyond S bytes\n"
    "                         (512M, 4G; default: 3/4 of the available memory)\n"
    "      The job format is described in docs/job-format.md.\n"
    "\n"
    "  linegen --help      this text\n"
    "  linegen --version   the library's version\n"
    "\n"
    "Exit status: 0 done, 1 an output could not be written or memory ran out,\n"
    "2 bad arguments or a bad job (one line on standard error says where).\n";

std::string fault_line(std::string const& source, Fault const& fault) {
  std::string line = "linegen: " + source + ": ";
  if (!fault.place.empty()) line += fault.place + ": ";
  return line + fault.message + "\n";
}

int bad_usage(std::ostream& err, std::string const& message) {
  err << "linegen: " << message << "\n" << usage;
  return exit_bad_input;
}

// A mesh command line, read and checked.
struct MeshRequest {
  std::string job_path, output, source;
  Format format = Format::svg;
  bool table = false;
  RunOptions run;
  std::optional<double> budget;  // bytes
};

// The output format from --format, --binary or the output's name; a message
// when they do not give one.
std::optional<std::string> request_format(Options const& o, MeshRequest& r) {
  std::optional<Format> format;
  if (given(o, {"--format"})) {
    format = format_of_name(value_of(o, {"--format"}));
    if (!format) return "unknown format \"" + value_of(o, {"--format"}) + "\": svg, vtk, msh or msh-binary";
  } else if (r.output == "-") {
    return "writing to standard output needs --format svg, vtk, msh or msh-binary";
  } else if (!(format = format_of_path(r.output))) {
    return std::string();  // the output's name says no format
  }
  if (flag(o, "--binary")) {
    if (*format != Format::msh && *format != Format::msh_binary) return "--binary applies to MSH output";
    format = Format::msh_binary;
  }
  r.format = *format;
  return std::nullopt;
}

// The threads and the memory budget; a message when a value is not one.
std::optional<std::string> request_resources(Options const& o, MeshRequest& r) {
  r.run.threads = std::max(1u, std::thread::hardware_concurrency());
  if (given(o, {"--jobs", "-j"})) {
    const std::string text = value_of(o, {"--jobs", "-j"});
    const unsigned long n =
        text.find_first_not_of("0123456789") == std::string::npos && !text.empty() && text.size() < 5
            ? std::stoul(text)
            : 0;
    if (n == 0) return "--jobs takes a number of threads from 1, found \"" + text + "\"";
    r.run.threads = static_cast<unsigned int>(n);
  }
  if (given(o, {"--memory-limit"})) {
    r.budget = memory_size(value_of(o, {"--memory-limit"}));
    if (!r.budget)
      return "--memory-limit takes a size such as 512M or 4G, found \"" + value_of(o, {"--memory-limit"}) +
             "\"";
  } else {
    r.budget = default_memory_budget();
  }
  if (r.budget) r.run.max_elements = *r.budget / bytes_per_element;
  return std::nullopt;
}

int write_output(MeshRequest const& r, Mesh const& mesh, std::ostream& out, std::ostream& err) {
  const std::string name = std::filesystem::path(r.job_path).filename().string();
  const std::string content = write_mesh(mesh, r.format, "linegen: " + (r.job_path == "-" ? r.source : name));
  if (auto failure = write_file_atomically(r.output, content)) {
    err << fault_line(r.output, {"", *failure});
    return exit_failure;
  }
  if (r.table) (r.output == "-" ? err : out) << summary_table(mesh);
  return exit_ok;
}

int mesh_command(std::vector<std::string> const& args, std::ostream& out, std::ostream& err,
                 bool own_process) {
  const Options o = options(args, 1, {"-o", "--output", "--format", "--jobs", "-j", "--memory-limit"},
                            {"--table", "--binary"});
  if (!o.error.empty()) return bad_usage(err, o.error);
  if (o.positional.size() != 1) return bad_usage(err, "mesh takes one job file");
  if (!given(o, {"-o", "--output"})) return bad_usage(err, "mesh needs an output: -o OUT");
  MeshRequest r;
  r.job_path = o.positional[0];
  r.output = value_of(o, {"-o", "--output"});
  r.source = r.job_path == "-" ? "<stdin>" : r.job_path;
  if (r.output.empty()) return bad_usage(err, "the output name is empty");
  if (auto message = request_format(o, r)) {
    if (!message->empty()) return bad_usage(err, *message);
    err << fault_line(r.output, {"", "unknown output format: the name must end in .svg, .vtk or .msh"});
    return exit_bad_input;
  }
  if (auto message = request_resources(o, r)) return bad_usage(err, *message);
  r.table = flag(o, "--table");
  r.run.measure = r.table;
  if (own_process && r.budget) limit_address_space(*r.budget, r.run.threads);
  Progress progress(err);
  if (stderr_is_terminal()) r.run.progress = std::ref(progress);
  const JobOutcome job = mesh_job_file(r.job_path, r.run);
  progress.finish();
  if (job.fault) {
    err << fault_line(r.source, *job.fault);
    if (job.cause == FaultCause::out_of_memory && r.budget)
      err << "linegen: the memory budget is " << memory_text(*r.budget) << " (--memory-limit)\n";
    return job.cause == FaultCause::bad_input ? exit_bad_input : exit_failure;
  }
  return write_output(r, *job.mesh, out, err);
}

int demo_command(std::vector<std::string> const& args, std::ostream& out, std::ostream& err) {
  const Options o = options(args, 1, {"--out"}, {});
  if (!o.error.empty()) return bad_usage(err, o.error);
  if (!o.positional.empty())
    return bad_usage(err, "demo takes no file: unexpected \"" + o.positional[0] + "\"");
  const std::string dir = given(o, {"--out"}) ? value_of(o, {"--out"}) : "linegen-demo";
  if (dir.empty()) return bad_usage(err, "the output folder name is empty");

  Mesh all;
  bool first = true;
  for (auto const& [name, text] : demo_jobs()) {
    const ParsedJob parsed = parse_job(text);
    if (parsed.fault) {
      err << fault_line("built-in " + name, *parsed.fault);
      return exit_failure;
    }
    const RunResult run = run_job(*parsed.job, RunOptions(true));
    if (run.fault) {
      err << fault_line("built-in " + name, *run.fault);
      return exit_failure;
    }
    if (first)
      all = *run.mesh, first = false;
    else
      append_mesh(all, *run.mesh);
  }

  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) {
    err << fault_line(dir, {"", "cannot create the folder: " + ec.message()});
    return exit_failure;
  }
  const std::string svg = (std::filesystem::path(dir) / "demo.svg").string();
  const std::string vtk = (std::filesystem::path(dir) / "demo.vtk").string();
  for (auto const& [path, format] : {std::pair{svg, Format::svg}, std::pair{vtk, Format::vtk}}) {
    if (auto failure = write_file_atomically(path, write_mesh(all, format, "linegen demo"))) {
      err << fault_line(path, {"", *failure});
      return exit_failure;
    }
  }
  out << "linegen " << zarn::linegen::version() << " demo\n\n" << summary_table(all) << "\n";
  out << "Picture:  " << svg << " (open it in a web browser)\n";
  out << "ParaView: " << vtk << "\n";
  return exit_ok;
}

}  // namespace

int run_cli(std::vector<std::string> const& args, std::ostream& out, std::ostream& err,
            bool own_process) try {
  if (args.empty()) {
    err << usage << "Try 'linegen demo' for a first look, 'linegen --help' for more.\n";
    return exit_bad_input;
  }
  const std::string& command = args[0];
  const bool asks_help = std::find(args.begin(), args.end(), "--help") != args.end();
  if (asks_help || command == "-h" || command == "help") {
    out << help;
    return exit_ok;
  }
  if (command == "--version" || command == "-V") {
    out << "linegen " << zarn::linegen::version() << "\n";
    return exit_ok;
  }
  if (command == "mesh") return mesh_command(args, out, err, own_process);
  if (command == "demo") return demo_command(args, out, err);
  return bad_usage(err, "unknown command \"" + command + "\"");
} catch (std::bad_alloc const&) {
  err << "linegen: out of memory\n";
  return exit_failure;
}

}  // namespace linegen_tool
