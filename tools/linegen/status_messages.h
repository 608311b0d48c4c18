// What the library's answer for one curve means to the person who wrote
// the job.
#pragma once

#include <optional>

#include "library_calls.h"

namespace linegen_tool {

// Why a curve could not be meshed: the job asks for something the library
// rejects, memory ran out, or the library answered 0 with a mesh that does
// not join the curve's ends (it broke its own contract: a fault in the
// library, not in the job).
enum class FaultCause { bad_input, out_of_memory, broken_contract };

struct CurveFault {
  Fault fault;
  FaultCause cause = FaultCause::bad_input;
};

// The fault of a curve's call, or nothing when its mesh is whole.
std::optional<CurveFault> curve_fault(CurveJob const& c, CurveOutput const& mesh);

}  // namespace linegen_tool
