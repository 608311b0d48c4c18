// The `linegen` command line: argument handling and the two commands.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "mesh.h"

namespace linegen_tool {

// Exit codes: 0 done; 1 the machine failed us (an output that cannot be
// written, memory); 2 bad input (arguments, a job file, a curve the library
// rejects).
constexpr int exit_ok = 0;
constexpr int exit_failure = 1;
constexpr int exit_bad_input = 2;

// Runs one command line (without the program name); normal output goes to
// `out` (unless the mesh itself goes to standard output), every fault as one
// line to `err`. Returns the exit code. `own_process`: the command line is
// the whole process, which may cap its own address space at the memory
// budget.
int run_cli(std::vector<std::string> const& args, std::ostream& out, std::ostream& err,
            bool own_process = false);

}  // namespace linegen_tool
