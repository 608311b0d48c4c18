// Registration of the binding functions, one family per source file.
#pragma once

#include "convert.h"

namespace linegen_py {

void bind_generators(py::module_& m);
void bind_utilities(py::module_& m);
void bind_network(py::module_& m);

}  // namespace linegen_py
