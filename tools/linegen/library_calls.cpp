#include "library_calls.h"

namespace linegen_tool {

namespace lg = zarn::linegen;

Ids ids_of(std::vector<unsigned int> const& v) {
  Ids out;
  for (unsigned int x : v) out.push_back(x);
  return out;
}

Matrix matrix_of(std::vector<double> const& v, std::size_t rows) {
  Matrix m(rows, v.size() / rows);
  for (std::size_t j = 0; j < m.cols(); ++j)
    for (std::size_t i = 0; i < rows; ++i) m(i, j) = v[j * rows + i];
  return m;
}

namespace {

Values values_of(std::vector<double> const& v) {
  Values out;
  for (double x : v) out.push_back(x);
  return out;
}

std::size_t metric_rows(int dimension) { return dimension == 2 ? 3 : 6; }

template <int D>
zarn::vector_fixed<double, D> fixed(std::array<double, 3> const& p) {
  if constexpr (D == 2)
    return {p[0], p[1]};
  else
    return {p[0], p[1], p[2]};
}

void mesh_line(Matrix& coords, CurveJob const& c, int dim, CurveOutput& o) {
  const Ids chain = ids_of(c.chain);
  const char* field = c.sizes ? "sizes" : "metrics";
  const char* out_field = c.sizes ? "out_sizes" : "out_metrics";
  std::vector<std::string> names = {"coords",      "indices",    field,           "force_even",
                                    "nmin",        "nmax",       "chordal_error", "min_size",
                                    "out_indices", "out_params", out_field};
  if (c.params) names.insert(names.begin() + 2, "params");
  o.call = {"mesh_line", names};
  // The parameters are optional; the rest is passed alike.
  auto call = [&](auto const&... params) {
    return c.sizes ? lg::mesh_line(coords, chain, params..., values_of(*c.sizes), c.force_even, c.nmin,
                                   c.nmax, c.chordal_error, c.min_size, o.chain, o.params, o.sizes)
                   : lg::mesh_line(coords, chain, params..., matrix_of(*c.metrics, metric_rows(dim)),
                                   c.force_even, c.nmin, c.nmax, c.chordal_error, c.min_size, o.chain,
                                   o.params, o.metrics);
  };
  o.status = c.params ? call(values_of(*c.params)) : call();
}

void mesh_straight(Matrix& coords, CurveJob const& c, int dim, CurveOutput& o) {
  const Ids chain = ids_of(c.chain);
  const char* field = c.elements ? "n_elements" : c.sizes ? "sizes" : "metrics";
  o.call = {"mesh_straight", {"coords", "indices", field, "force_even", "out_indices"}};
  if (c.elements)
    o.status = lg::mesh_straight(coords, chain, *c.elements, c.force_even, o.chain);
  else if (c.sizes)
    o.status = lg::mesh_straight(coords, chain, values_of(*c.sizes), c.force_even, o.chain);
  else
    o.status =
        lg::mesh_straight(coords, chain, matrix_of(*c.metrics, metric_rows(dim)), c.force_even, o.chain);
}

void mesh_spline(Matrix& coords, CurveJob const& c, int dim, CurveOutput& o) {
  const Ids list = ids_of(with_ends(c.chain, c.ends, 1));
  o.call = {"mesh_spline",
            {"coords", "indices", c.sizes ? "sizes" : "metrics", "force_even", "nmin", "nmax",
             "chordal_error", "min_size", "default_size", "gradation", "out_indices", "out_params",
             c.sizes ? "out_sizes" : "out_metrics", "max_deviation"}};
  double deviation = 0;  // of the spline from its chords; the tool measures its own
  const std::size_t rows = metric_rows(dim);
  o.status = c.sizes ? lg::mesh_spline(coords, list, values_of(with_ends(*c.sizes, c.ends, 1)), c.force_even,
                                       c.nmin, c.nmax, c.chordal_error, c.min_size, c.default_size,
                                       c.gradation, o.chain, o.params, o.sizes, deviation)
                     : lg::mesh_spline(coords, list, matrix_of(with_ends(*c.metrics, c.ends, rows), rows),
                                       c.force_even, c.nmin, c.nmax, c.chordal_error, c.min_size,
                                       c.default_size, c.gradation, o.chain, o.params, o.metrics, deviation);
}

// The extrusions: a start node or a new start point, then the kind's own
// arguments, then a count or the two end sizes.
template <int D, class Extrude, class... Shape>
int extrude(Matrix& coords, CurveJob const& c, Extrude const& function, Ids& out, Shape const&... shape) {
  if (c.start_node)
    return c.count ? function(coords, *c.start_node, shape..., *c.count, out)
                   : function(coords, *c.start_node, shape..., c.h0, c.h1, c.force_even, out);
  const auto start = fixed<D>(c.start);
  return c.count ? function(coords, start, shape..., *c.count, out)
                 : function(coords, start, shape..., c.h0, c.h1, c.force_even, out);
}

std::vector<std::string> extrusion_arguments(CurveJob const& c, std::vector<std::string> shape) {
  std::vector<std::string> names = {"coords", c.start_node ? "start_node" : "start"};
  names.insert(names.end(), shape.begin(), shape.end());
  if (c.count)
    names.push_back("count");
  else
    names.insert(names.end(), {"h0", "h1", "force_even"});
  names.push_back("indices");
  return names;
}

void mesh_translate(Matrix& coords, CurveJob const& c, int dim, CurveOutput& o) {
  o.call = {"extrude_translate", extrusion_arguments(c, {"vector"})};
  auto function = [](auto&&... a) { return lg::extrude_translate(a...); };
  o.status = dim == 2 ? extrude<2>(coords, c, function, o.chain, fixed<2>(c.vector))
                      : extrude<3>(coords, c, function, o.chain, fixed<3>(c.vector));
}

void mesh_rotate(Matrix& coords, CurveJob const& c, int dim, CurveOutput& o) {
  o.call = {"extrude_rotate", extrusion_arguments(c, {"centre", dim == 2 ? "angle" : "rotation"})};
  auto function = [](auto&&... a) { return lg::extrude_rotate(a...); };
  o.status = dim == 2 ? extrude<2>(coords, c, function, o.chain, fixed<2>(c.centre), c.angle)
                      : extrude<3>(coords, c, function, o.chain, fixed<3>(c.centre), fixed<3>(c.rotation));
}

}  // namespace

CurveOutput mesh_curve(Matrix& coords, CurveJob const& c, int dimension) {
  CurveOutput o;
  switch (c.kind) {
    case Kind::line:
      mesh_line(coords, c, dimension, o);
      break;
    case Kind::straight:
      mesh_straight(coords, c, dimension, o);
      break;
    case Kind::spline:
      mesh_spline(coords, c, dimension, o);
      break;
    case Kind::extrude_translate:
      mesh_translate(coords, c, dimension, o);
      break;
    case Kind::extrude_rotate:
      mesh_rotate(coords, c, dimension, o);
      break;
  }
  return o;
}

}  // namespace linegen_tool
