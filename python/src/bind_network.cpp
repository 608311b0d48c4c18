// Bindings of the network-level entry points: interval assignment over a
// network of curves, and whole job files run through the tool's job code.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>

#include "bindings.h"
#include "mesh_job.h"

namespace linegen_py {

namespace lg = zarn::linegen;

namespace {

using Ints = py::array_t<std::int32_t, py::array::c_style>;

py::tuple assign_intervals(const Doubles& goals, const Ids& lower, const Ids& upper, const Ints& terms,
                           const Ints& kinds) {
  const Values g = values_in(goals);
  const Chain lo = chain_in(lower), up = chain_in(upper);
  const zarn::dense2D<int> t = to_columns<int>(terms);
  const zarn::dense1D<int, 8> k = to_vector<int>(kinds);
  Chain counts;
  const int status = unlocked([&] { return lg::assign_intervals(g, lo, up, t, k, counts); });
  return py::make_tuple(status, chain_out(counts));
}

// A job's JSON text, or a file when `is_path`, through the tool's own job
// code. (None, points, sizes, curves, table) on success, each curve (name,
// kind, chain, max_deviation); otherwise (cause, place, message) with cause
// "input", "memory" or "contract".
py::tuple mesh_job(const std::string& text_or_path, bool is_path, bool measure, unsigned int threads) {
  using namespace linegen_tool;
  RunOptions options(measure);
  options.threads = threads;
  JobOutcome job;
  {
    py::gil_scoped_release release;
    job = is_path ? mesh_job_file(text_or_path, options) : linegen_tool::mesh_job(text_or_path, options);
  }
  if (job.fault || !job.mesh) {
    const char* why = job.cause == FaultCause::out_of_memory     ? "memory"
                      : job.cause == FaultCause::broken_contract ? "contract"
                                                                 : "input";
    return py::make_tuple(why, job.fault ? job.fault->place : "", job.fault ? job.fault->message : "no mesh");
  }
  const Mesh& mesh = *job.mesh;
  const auto d = static_cast<py::ssize_t>(mesh.dimension);
  const auto n = static_cast<py::ssize_t>(mesh.node_count());
  py::array_t<double> points({n, d}, mesh.coords.data());
  py::array_t<double> sizes(static_cast<py::ssize_t>(mesh.sizes.size()), mesh.sizes.data());
  py::list curves;
  for (const MeshCurve& c : mesh.curves) {
    py::array_t<std::int64_t> chain(static_cast<py::ssize_t>(c.chain.size()));
    std::copy(c.chain.begin(), c.chain.end(), chain.mutable_data());
    curves.append(py::make_tuple(c.name, kind_name(c.kind), chain, c.max_deviation));
  }
  return py::make_tuple(py::none(), points, sizes, curves, job.table);
}

}  // namespace

void bind_network(py::module_& m) {
  m.def("assign_intervals", &assign_intervals);
  m.def("mesh_job", &mesh_job);
}

}  // namespace linegen_py
