// The extension module linegen._core: one thin function per family of
// overloads. The package's Python layer gives them their public shape.
#include "bindings.h"

PYBIND11_MODULE(_core, m) {
  m.doc() = "Bindings of the linegen library; use the functions of the linegen package instead.";
  m.def("version", [] { return std::string(zarn::linegen::version()); });
  m.attr("no_bound") = zarn::linegen::no_bound;
  m.attr("no_count") = zarn::linegen::no_count;
  linegen_py::bind_generators(m);
  linegen_py::bind_utilities(m);
}
