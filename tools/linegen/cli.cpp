#include "cli.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <system_error>

#include <linegen/linegen.h>

#include "demo_jobs.h"
#include "files.h"
#include "job.h"
#include "run_job.h"
#include "writers.h"

namespace linegen_tool {

namespace {

char const* const usage =
    "usage: linegen demo [--out DIR]\n"
    "       linegen mesh JOB.json -o OUT [--format svg|vtk|msh] [--table]\n"
    "       linegen --help | --version\n";

char const* const help =
    "linegen: one-dimensional meshes of lines, splines and extrusions.\n"
    "\n"
    "  linegen demo [--out DIR]\n"
    "      Meshes a built-in set of curves, writes DIR/demo.svg (a picture) and\n"
    "      DIR/demo.vtk (for ParaView) and prints a summary table.\n"
    "      DIR defaults to ./linegen-demo.\n"
    "\n"
    "  linegen mesh JOB.json -o OUT [--format svg|vtk|msh] [--table]\n"
    "      Meshes the curves of a job file in order and writes them to OUT, whose\n"
    "      name ends in .svg (picture), .vtk (VTK legacy, ParaView) or .msh\n"
    "      (Gmsh 4.1). JOB.json may be - for standard input; OUT may be - for\n"
    "      standard output, with --format. --table prints the summary table.\n"
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

std::string pad(std::string s, std::size_t width, bool right) {
  if (s.size() >= width) return s;
  return right ? std::string(width - s.size(), ' ') + s : s + std::string(width - s.size(), ' ');
}

std::string number(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.4g", value);
  return buffer;
}

// The options of a command: flags with a value and positional words.
struct Options {
  std::vector<std::string> positional;
  std::vector<std::pair<std::string, std::string>> values;
  std::vector<std::string> flags;
  std::string error;
};

Options options(std::vector<std::string> const& args, std::size_t from,
                std::vector<std::string> const& with_value, std::vector<std::string> const& flags) {
  Options o;
  for (std::size_t i = from; i < args.size(); ++i) {
    std::string a = args[i];
    std::string value;
    bool has_value = false;
    const std::size_t eq = a.find('=');
    if (a.rfind("--", 0) == 0 && eq != std::string::npos)
      value = a.substr(eq + 1), a = a.substr(0, eq), has_value = true;
    if (std::find(with_value.begin(), with_value.end(), a) != with_value.end()) {
      if (!has_value) {
        if (i + 1 == args.size()) {
          o.error = a + " needs a value";
          return o;
        }
        value = args[++i];
      }
      o.values.emplace_back(a, value);
    } else if (std::find(flags.begin(), flags.end(), a) != flags.end() && !has_value) {
      o.flags.push_back(a);
    } else if (a.size() > 1 && a[0] == '-') {
      o.error = "unknown option " + args[i];
      return o;
    } else {
      o.positional.push_back(args[i]);
    }
  }
  return o;
}

std::string value_of(Options const& o, std::initializer_list<char const*> names) {
  std::string v;
  for (auto const& [name, value] : o.values)
    for (char const* n : names)
      if (name == n) v = value;
  return v;
}

bool given(Options const& o, std::initializer_list<char const*> names) {
  for (auto const& [name, value] : o.values)
    for (char const* n : names)
      if (name == n) return true;
  return false;
}

int bad_usage(std::ostream& err, std::string const& message) {
  err << "linegen: " << message << "\n" << usage;
  return exit_bad_input;
}

int mesh_command(std::vector<std::string> const& args, std::ostream& out, std::ostream& err) {
  const Options o = options(args, 1, {"-o", "--output", "--format"}, {"--table"});
  if (!o.error.empty()) return bad_usage(err, o.error);
  if (o.positional.size() != 1) return bad_usage(err, "mesh takes one job file");
  if (!given(o, {"-o", "--output"})) return bad_usage(err, "mesh needs an output: -o OUT");
  const std::string job_path = o.positional[0];
  const std::string output = value_of(o, {"-o", "--output"});
  const std::string source = job_path == "-" ? "<stdin>" : job_path;
  if (output.empty()) return bad_usage(err, "the output name is empty");

  std::optional<Format> format;
  if (given(o, {"--format"})) {
    format = format_of_name(value_of(o, {"--format"}));
    if (!format)
      return bad_usage(err, "unknown format \"" + value_of(o, {"--format"}) + "\": svg, vtk or msh");
  } else if (output == "-") {
    return bad_usage(err, "writing to standard output needs --format svg, vtk or msh");
  } else {
    format = format_of_path(output);
    if (!format) {
      err << fault_line(output, {"", "unknown output format: the name must end in .svg, .vtk or .msh"});
      return exit_bad_input;
    }
  }

  const FileText file = read_file(job_path);
  if (file.fault) {
    err << fault_line(source, *file.fault);
    return exit_bad_input;
  }
  const ParsedJob parsed = parse_job(*file.text);
  if (parsed.fault) {
    err << fault_line(source, *parsed.fault);
    return exit_bad_input;
  }
  const bool table = std::find(o.flags.begin(), o.flags.end(), "--table") != o.flags.end();
  const RunResult run = run_job(*parsed.job, table);
  if (run.fault) {
    err << fault_line(source, *run.fault);
    return run.cause == FaultCause::bad_input ? exit_bad_input : exit_failure;
  }
  const std::string name = std::filesystem::path(job_path).filename().string();
  const std::string content = write_mesh(*run.mesh, *format, "linegen: " + (job_path == "-" ? source : name));
  if (auto failure = write_file_atomically(output, content)) {
    err << fault_line(output, {"", *failure});
    return exit_failure;
  }
  if (table) (output == "-" ? err : out) << summary_table(*run.mesh);
  return exit_ok;
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
    const RunResult run = run_job(*parsed.job, true);
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

std::string summary_table(Mesh const& mesh) {
  const std::vector<std::string> head = {"curve",    "kind",    "input nodes", "elements",
                                         "shortest", "longest", "deviation",   "time (ms)"};
  std::vector<std::vector<std::string>> rows;
  for (auto const& c : mesh.curves) {
    double shortest = std::numeric_limits<double>::infinity(), longest = 0;
    for (std::size_t i = 0; i + 1 < c.chain.size(); ++i) {
      const double l = mesh.element_length(c, i);
      shortest = std::min(shortest, l), longest = std::max(longest, l);
    }
    const std::size_t elements = c.chain.empty() ? 0 : c.chain.size() - 1;
    std::string deviation = c.max_deviation < 0           ? "-"
                            : std::isnan(c.max_deviation) ? "skipped"
                                                          : number(c.max_deviation);
    rows.push_back({c.name + (c.three_d ? " (3D)" : ""), kind_name(c.kind),
                    std::to_string(c.input_nodes.size()), std::to_string(elements),
                    elements ? number(shortest) : "-", elements ? number(longest) : "-", deviation,
                    number(c.seconds * 1e3)});
  }
  std::vector<std::size_t> width(head.size());
  for (std::size_t k = 0; k < head.size(); ++k) {
    width[k] = head[k].size();
    for (auto const& r : rows) width[k] = std::max(width[k], r[k].size());
  }
  auto line = [&](std::vector<std::string> const& r) {
    std::string s;
    for (std::size_t k = 0; k < r.size(); ++k) s += (k ? "  " : "") + pad(r[k], width[k], k >= 2);
    return s + "\n";
  };
  std::string s = line(head);
  for (auto const& r : rows) s += line(r);
  return s;
}

int run_cli(std::vector<std::string> const& args, std::ostream& out, std::ostream& err) {
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
  if (command == "mesh") return mesh_command(args, out, err);
  if (command == "demo") return demo_command(args, out, err);
  return bad_usage(err, "unknown command \"" + command + "\"");
}

}  // namespace linegen_tool
