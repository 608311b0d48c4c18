#include "status_messages.h"

#include "writers.h"

namespace linegen_tool {

namespace {

// What a library status code means for one argument of a call.
std::string reason(std::string const& function, std::string const& argument) {
  if (argument == "coords") return "the coordinate matrix has the wrong number of rows";
  if (argument == "indices") {
    if (function == "mesh_spline") return "the index list needs at least 4 existing nodes";
    if (function == "mesh_line") return "the chain needs at least 2 nodes and a length above 0";
    return "the chain needs at least 2 existing nodes";
  }
  if (argument == "params") return "the parameters must not decrease along the chain";
  if (argument == "sizes") return "a size is not positive";
  if (argument == "metrics") return "a metric is not positive definite";
  if (argument == "nmin") return "nmin must be at least 1 and at most nmax";
  if (argument == "min_size") return "min_size must not be negative";
  if (argument == "vector") return "the vector has length 0";
  if (argument == "h0" || argument == "h1") return argument + " must be positive";
  if (argument == "centre")
    return "the arc has length 0: the start lies on the centre or the axis, or the angle is 0";
  if (argument == "count" || argument == "n_elements") return "the count must be at least 1";
  if (argument == "start_node") return "the node does not exist";
  if (argument == "start") return "the start point could not be added";
  return "the output container has the wrong shape";
}

// Where the job's own lists show the fault, the first entry at fault.
std::string detail(CurveJob const& c, std::string const& argument) {
  if (argument == "sizes" && c.sizes)
    for (std::size_t i = 0; i < c.sizes->size(); ++i)
      if (!((*c.sizes)[i] > 0)) return " (sizes[" + std::to_string(i) + "] is " + exact((*c.sizes)[i]) + ")";
  if (argument == "params" && c.params)
    for (std::size_t i = 1; i < c.params->size(); ++i)
      if (!((*c.params)[i] >= (*c.params)[i - 1]))
        return " (params[" + std::to_string(i) + "] is below params[" + std::to_string(i - 1) + "])";
  if ((argument == "h0" || argument == "h1")) return " (it is " + exact(argument == "h0" ? c.h0 : c.h1) + ")";
  return "";
}

// A mesh always joins the two ends of its curve (an extrusion with a count
// has count + 1 nodes).
bool whole(CurveJob const& c, Ids const& out) {
  if (out.size() < 2) return false;
  if (c.kind == Kind::line || c.kind == Kind::straight)
    return out[0] == c.chain.front() && out[out.size() - 1] == c.chain.back();
  if (c.kind == Kind::spline) {
    const std::vector<unsigned int> list = with_ends(c.chain, c.ends, 1);
    return out[0] == list[1] && out[out.size() - 1] == list[list.size() - 2];
  }
  return !c.count || out.size() == std::size_t{*c.count} + 1;
}

}  // namespace

std::optional<CurveFault> curve_fault(CurveJob const& c, CurveOutput const& mesh) {
  Call const& call = mesh.call;
  if (mesh.status == zarn::linegen::status_out_of_memory)
    return CurveFault{{c.place, call.function + " ran out of memory: the curve asks for more nodes than fit"},
                      FaultCause::out_of_memory};
  if (mesh.status != 0) {
    const int k = -mesh.status;
    const std::string argument =
        k >= 1 && static_cast<std::size_t>(k) <= call.arguments.size() ? call.arguments[k - 1] : "?";
    return CurveFault{{c.place, call.function + " rejected argument " + std::to_string(k) + " (" + argument +
                                    "): " + reason(call.function, argument) + detail(c, argument)},
                      FaultCause::bad_input};
  }
  if (!whole(c, mesh.chain))
    return CurveFault{
        {c.place, call.function + " returned success with a mesh of " + std::to_string(mesh.chain.size()) +
                      " nodes that does not join the curve's two ends: the library broke its "
                      "contract (a fault in linegen, not in the job)"},
        FaultCause::broken_contract};
  return std::nullopt;
}

}  // namespace linegen_tool
