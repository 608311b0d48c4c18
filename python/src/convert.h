// Conversions between NumPy arrays and the library's containers.
//
// A C-ordered (N, d) array of points has the memory layout of a d x N
// column-major matrix, so points, packed metrics and edge tables cross in
// both directions as one block copy (inputs) or no copy at all (outputs: the
// array owns the container's storage). The Python layer has already checked
// dtypes and the number of dimensions; what remains here guards memory only.
#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cstdint>
#include <cstring>
#include <new>
#include <stdexcept>
#include <utility>

#include <linegen/linegen.h>

namespace linegen_py {

namespace py = pybind11;

using Doubles = py::array_t<double, py::array::c_style | py::array::forcecast>;
using Ids = py::array_t<std::uint32_t, py::array::c_style>;
using Matrix = zarn::dense2D<double>;
using Edges = zarn::dense2D<unsigned int>;
using Values = zarn::dense1D<double, 8>;
using Chain = zarn::dense1D<unsigned int, 8>;

// (N, k) rows -> k x N columns. A (0, 0) array gives the 0 x 0 matrix.
template <class T, class Array>
zarn::dense2D<T> to_columns(const Array& a) {
  if (a.ndim() != 2) throw std::invalid_argument("expected a 2-dimensional array");
  const auto n = static_cast<std::size_t>(a.shape(0)), k = static_cast<std::size_t>(a.shape(1));
  zarn::dense2D<T> m;
  if (!m.resize(k, n)) throw std::bad_alloc();
  if (n * k > 0) std::memcpy(m.data(), a.data(), n * k * sizeof(T));
  return m;
}
inline Matrix matrix_in(const Doubles& a) { return to_columns<double>(a); }
inline Edges edges_in(const Ids& a) { return to_columns<unsigned int>(a); }

template <class T, class Array>
zarn::dense1D<T, 8> to_vector(const Array& a) {
  if (a.ndim() != 1) throw std::invalid_argument("expected a 1-dimensional array");
  const auto n = static_cast<std::size_t>(a.shape(0));
  zarn::dense1D<T, 8> v;
  if (!v.resize(n)) throw std::bad_alloc();
  if (n > 0) std::memcpy(v.data(), a.data(), n * sizeof(T));
  return v;
}
inline Values values_in(const Doubles& a) { return to_vector<double>(a); }
inline Chain chain_in(const Ids& a) { return to_vector<unsigned int>(a); }

template <int D>
zarn::vector_fixed<double, D> point_in(const Doubles& a) {
  if (a.size() != D) throw std::invalid_argument("expected a point of matching dimension");
  zarn::vector_fixed<double, D> p;
  for (int i = 0; i < D; ++i) p[i] = a.data()[i];
  return p;
}

// The matrix handed over to NumPy: the array keeps the container alive and
// reads its columns in place, as rows of an (N, rows) array.
inline py::array matrix_out(Matrix&& m) {
  const auto rows = static_cast<py::ssize_t>(m.rows()), cols = static_cast<py::ssize_t>(m.cols());
  if (m.data() == nullptr || rows == 0 || cols == 0) return py::array_t<double>({cols, rows});
  auto* held = new Matrix(std::move(m));
  py::capsule owner(held, [](void* p) { delete static_cast<Matrix*>(p); });
  const auto ld = static_cast<py::ssize_t>(held->ld() * sizeof(double));
  return py::array_t<double>({cols, rows}, {ld, static_cast<py::ssize_t>(sizeof(double))}, held->data(),
                             owner);
}

inline py::array values_out(Values&& v) {
  const auto n = static_cast<py::ssize_t>(v.size());
  if (v.data() == nullptr || n == 0) return py::array_t<double>(0);
  auto* held = new Values(std::move(v));
  py::capsule owner(held, [](void* p) { delete static_cast<Values*>(p); });
  return py::array_t<double>({n}, {static_cast<py::ssize_t>(sizeof(double))}, held->data(), owner);
}

// Identifiers leave as int64, so that arithmetic on them does not wrap.
inline py::array chain_out(const Chain& v) {
  py::array_t<std::int64_t> a(static_cast<py::ssize_t>(v.size()));
  std::int64_t* out = a.mutable_data();
  for (std::size_t k = 0; k < v.size(); ++k) out[k] = v[k];
  return std::move(a);
}

inline py::array edges_out(const Edges& m) {
  const auto rows = static_cast<py::ssize_t>(m.rows()), cols = static_cast<py::ssize_t>(m.cols());
  py::array_t<std::int64_t> a({cols, rows});
  std::int64_t* out = a.mutable_data();
  for (std::size_t j = 0; j < m.cols(); ++j)
    for (std::size_t i = 0; i < m.rows(); ++i) *out++ = m(i, j);
  return std::move(a);
}

// Runs a library call with the GIL released: every argument is a container
// of this call's own, so other Python threads may run meanwhile.
template <class Call>
int unlocked(Call&& call) {
  py::gil_scoped_release release;
  return call();
}

}  // namespace linegen_py
