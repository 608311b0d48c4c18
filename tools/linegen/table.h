// The summary table of a meshed job.
#pragma once

#include <string>

#include "mesh.h"

namespace linegen_tool {

// Per curve: kind, input nodes, elements, shortest and longest element,
// largest deviation from the followed curve, the existing nodes its ends
// were joined to, time in the library.
std::string summary_table(Mesh const& mesh);

}  // namespace linegen_tool
