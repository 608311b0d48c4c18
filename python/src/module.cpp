// The extension module linegen._core: one thin function per family of
// overloads. The package's Python layer gives them their public shape.
#include <cstdint>
#include <vector>

#include "bindings.h"

namespace py = pybind11;

PYBIND11_MODULE(_core, m) {
  m.doc() = "Bindings of the linegen library; use the functions of the linegen package instead.";
  m.def("version", [] { return std::string(zarn::linegen::version()); });
  m.attr("no_bound") = zarn::linegen::no_bound;
  m.attr("no_count") = zarn::linegen::no_count;
  // Identifiers as uint32, or None when one lies outside [0, 4294967295):
  // one pass in C++ instead of NumPy reductions that cost microseconds each.
  m.def("to_ids",
        [](const py::array_t<std::int64_t, py::array::c_style | py::array::forcecast>& a) -> py::object {
          py::array_t<std::uint32_t> out(std::vector<py::ssize_t>(a.shape(), a.shape() + a.ndim()));
          const std::int64_t* in = a.data();
          std::uint32_t* to = out.mutable_data();
          for (py::ssize_t k = 0; k < a.size(); ++k) {
            if (in[k] < 0 || in[k] >= std::int64_t(zarn::linegen::no_count)) return py::none();
            to[k] = static_cast<std::uint32_t>(in[k]);
          }
          return std::move(out);
        });
  linegen_py::bind_generators(m);
  linegen_py::bind_utilities(m);
  linegen_py::bind_network(m);
}
