// Bindings of the generators: extrusions, line and straight meshing, splines.
// Each returns (status, outputs...) and leaves names, dispatch and errors to
// the Python layer.
#include "bindings.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <utility>

namespace linegen_py {

namespace lg = zarn::linegen;

namespace {

// The four forms of an extrusion: from a node (start_node >= 0) or from a
// new point, with a count (count >= 0) or with two end sizes. `call` adds the
// arguments of the kind of extrusion and calls the library.
template <int D, class Call>
py::tuple extrude(Matrix coords, std::int64_t start_node, const Doubles& start, std::int64_t count, double h0,
                  double h1, bool force_even, Call&& call) {
  const auto node = static_cast<unsigned int>(start_node);
  const auto n = static_cast<unsigned int>(count);
  zarn::vector_fixed<double, D> p;
  if (start_node < 0) p = point_in<D>(start);
  Chain chain;
  const int status = unlocked([&] {
    if (start_node >= 0)
      return count >= 0 ? call(coords, node, n, chain) : call(coords, node, h0, h1, force_even, chain);
    return count >= 0 ? call(coords, p, n, chain) : call(coords, p, h0, h1, force_even, chain);
  });
  return py::make_tuple(status, matrix_out(std::move(coords)), chain_out(chain));
}

template <int D>
py::tuple translate(Matrix coords, std::int64_t start_node, const Doubles& start, const Doubles& vector,
                    std::int64_t count, double h0, double h1, bool force_even) {
  const auto v = point_in<D>(vector);
  return extrude<D>(std::move(coords), start_node, start, count, h0, h1, force_even,
                    [&](Matrix& c, const auto& from, auto&&... rest) {
                      return lg::extrude_translate(c, from, v, std::forward<decltype(rest)>(rest)...);
                    });
}

// 2D turns by `angle` about `centre`; 3D by the rotation vector about the
// axis through `centre`.
template <int D, class Turn>
py::tuple rotate(Matrix coords, std::int64_t start_node, const Doubles& start, const Doubles& centre,
                 const Turn& turn, std::int64_t count, double h0, double h1, bool force_even) {
  const auto c = point_in<D>(centre);
  return extrude<D>(std::move(coords), start_node, start, count, h0, h1, force_even,
                    [&](Matrix& m, const auto& from, auto&&... rest) {
                      return lg::extrude_rotate(m, from, c, turn, std::forward<decltype(rest)>(rest)...);
                    });
}

py::tuple extrude_translate(const Doubles& points, std::int64_t start_node, const Doubles& start,
                            const Doubles& vector, std::int64_t count, double h0, double h1,
                            bool force_even) {
  if (vector.size() == 3)
    return translate<3>(matrix_in(points), start_node, start, vector, count, h0, h1, force_even);
  return translate<2>(matrix_in(points), start_node, start, vector, count, h0, h1, force_even);
}

py::tuple extrude_rotate(const Doubles& points, std::int64_t start_node, const Doubles& start,
                         const Doubles& centre, const Doubles& rotation, std::int64_t count, double h0,
                         double h1, bool force_even) {
  if (centre.size() == 3)
    return rotate<3>(matrix_in(points), start_node, start, centre, point_in<3>(rotation), count, h0, h1,
                     force_even);
  if (rotation.size() != 1) throw std::invalid_argument("a plane rotation is one angle");
  return rotate<2>(matrix_in(points), start_node, start, centre, rotation.data()[0], count, h0, h1,
                   force_even);
}

// Sizes (a 1-D field) or packed metrics (a 2-D field), with or without
// parameters.
py::tuple mesh_line(const Doubles& points, const Ids& chain, py::object params, const Doubles& field,
                    bool force_even, std::uint32_t nmin, std::uint32_t nmax, double chordal_error,
                    double min_size) {
  Matrix coords = matrix_in(points), out_metrics;
  const Chain ids = chain_in(chain);
  const bool with_params = !params.is_none();
  const Values ps = with_params ? values_in(params.cast<Doubles>()) : Values();
  Chain out_ids;
  Values out_params, out_sizes;
  int status;
  if (field.ndim() == 1) {
    const Values sizes = values_in(field);
    status = unlocked([&] {
      return with_params ? lg::mesh_line(coords, ids, ps, sizes, force_even, nmin, nmax, chordal_error,
                                         min_size, out_ids, out_params, out_sizes)
                         : lg::mesh_line(coords, ids, sizes, force_even, nmin, nmax, chordal_error, min_size,
                                         out_ids, out_params, out_sizes);
    });
  } else {
    const Matrix metrics = matrix_in(field);
    status = unlocked([&] {
      return with_params ? lg::mesh_line(coords, ids, ps, metrics, force_even, nmin, nmax, chordal_error,
                                         min_size, out_ids, out_params, out_metrics)
                         : lg::mesh_line(coords, ids, metrics, force_even, nmin, nmax, chordal_error,
                                         min_size, out_ids, out_params, out_metrics);
    });
  }
  py::object out_field =
      field.ndim() == 1 ? values_out(std::move(out_sizes)) : matrix_out(std::move(out_metrics));
  return py::make_tuple(status, matrix_out(std::move(coords)), chain_out(out_ids),
                        values_out(std::move(out_params)), out_field);
}

// form: "sizes", "metrics", "count" (chain forms), "pair", "triple" (a count
// between two or three nodes), "pair_sizes" (two nodes, two end sizes).
py::tuple mesh_straight(const Doubles& points, const std::string& form, const Ids& chain,
                        const Doubles& field, std::uint32_t count, bool force_even) {
  Matrix coords = matrix_in(points);
  const Chain ids = chain_in(chain);
  Chain out;
  int status;
  if (form == "metrics") {
    const Matrix metrics = matrix_in(field);
    status = unlocked([&] { return lg::mesh_straight(coords, ids, metrics, force_even, out); });
  } else if (form == "sizes" || form == "pair_sizes") {
    const Values sizes = values_in(field);
    status = unlocked([&] {
      if (form == "sizes") return lg::mesh_straight(coords, ids, sizes, force_even, out);
      return lg::mesh_straight(coords, ids[0], ids[1], sizes[0], sizes[1], force_even, out);
    });
  } else {
    status = unlocked([&] {
      if (form == "pair") return lg::mesh_straight(coords, ids[0], ids[1], count, out);
      if (form == "triple") return lg::mesh_straight(coords, ids[0], ids[1], ids[2], count, out);
      return lg::mesh_straight(coords, ids, count, force_even, out);
    });
  }
  return py::make_tuple(status, matrix_out(std::move(coords)), chain_out(out));
}

// The spline segment of four nodes at every parameter of t; stops at the
// first failure.
py::tuple spline_point(const Doubles& points, const Ids& nodes, const Doubles& t) {
  const Matrix coords = matrix_in(points);
  const Chain ids = chain_in(nodes);
  if (ids.size() != 4) throw std::invalid_argument("a spline segment is given by four nodes");
  const Values ts = values_in(t);
  const std::size_t d = coords.rows() == 3 ? 3 : 2;
  Matrix out;
  if (!out.resize(d, ts.size())) throw std::bad_alloc();
  const int status = unlocked([&] {
    for (std::size_t k = 0; k < ts.size(); ++k) {
      int s;
      if (d == 3) {
        zarn::vector_fixed<double, 3> p;
        s = lg::spline_point(coords, ids[0], ids[1], ids[2], ids[3], ts[k], p);
        std::copy(p.data(), p.data() + 3, out.col(k));
      } else {
        zarn::vector_fixed<double, 2> p;
        s = lg::spline_point(coords, ids[0], ids[1], ids[2], ids[3], ts[k], p);
        std::copy(p.data(), p.data() + 2, out.col(k));
      }
      if (s != 0) return s;
    }
    return 0;
  });
  return py::make_tuple(status, matrix_out(std::move(out)));
}

py::tuple mesh_spline(const Doubles& points, const Ids& chain, const Doubles& field, bool force_even,
                      std::uint32_t nmin, std::uint32_t nmax, double chordal_error, double min_size,
                      double default_size, double gradation) {
  Matrix coords = matrix_in(points), out_metrics;
  const Chain ids = chain_in(chain);
  Chain out_ids;
  Values out_params, out_sizes;
  double deviation = 0;
  int status;
  if (field.ndim() == 1) {
    const Values sizes = values_in(field);
    status = unlocked([&] {
      return lg::mesh_spline(coords, ids, sizes, force_even, nmin, nmax, chordal_error, min_size,
                             default_size, gradation, out_ids, out_params, out_sizes, deviation);
    });
  } else {
    const Matrix metrics = matrix_in(field);
    status = unlocked([&] {
      return lg::mesh_spline(coords, ids, metrics, force_even, nmin, nmax, chordal_error, min_size,
                             default_size, gradation, out_ids, out_params, out_metrics, deviation);
    });
  }
  py::object out_field =
      field.ndim() == 1 ? values_out(std::move(out_sizes)) : matrix_out(std::move(out_metrics));
  return py::make_tuple(status, matrix_out(std::move(coords)), chain_out(out_ids),
                        values_out(std::move(out_params)), out_field, deviation);
}

}  // namespace

void bind_generators(py::module_& m) {
  m.def("extrude_translate", &extrude_translate);
  m.def("extrude_rotate", &extrude_rotate);
  m.def("mesh_line", &mesh_line);
  m.def("mesh_straight", &mesh_straight);
  m.def("spline_point", &spline_point);
  m.def("mesh_spline", &mesh_spline);
}

}  // namespace linegen_py
