// Straight extrusion: a point, new or existing, extruded along a vector into
// a meshed segment.
#include <cmath>

#include <linegen/linegen.h>

#include "extrude/extrusion.h"

namespace zarn {
namespace linegen {
namespace {

// The segment from a start point along `vector`.
template <int D>
struct straight_path {
  vector_fixed<double, D> vector;

  struct from_start {
    vector_fixed<double, D> p0;
    vector_fixed<double, D> v;

    double length() const {
      double s = 0.0;
      for (int i = 0; i < D; ++i) s += v[i] * v[i];
      return std::sqrt(s);
    }
    vector_fixed<double, D> point(double t) const {
      vector_fixed<double, D> p;
      for (int i = 0; i < D; ++i) p[i] = t * v[i] + p0[i];
      return p;
    }
  };

  from_start from(const vector_fixed<double, D>& p0) const { return from_start{p0, vector}; }
};

template <int D>
straight_path<D> along(const vector_fixed<double, D>& vector) {
  return straight_path<D>{vector};
}

// The status of an invalid h0 in the size overloads (h1: the next one).
constexpr int h0_code = status_bad_argument(4);

}  // namespace

int extrude_translate(dense2D<double>& coords, const vector_fixed<double, 2>& start,
                      const vector_fixed<double, 2>& vector, unsigned int count,
                      dense1D<unsigned int, 8>& indices) {
  return detail::point_with_count<2>(coords, start, along(vector), count, indices);
}

int extrude_translate(dense2D<double>& coords, const vector_fixed<double, 2>& start,
                      const vector_fixed<double, 2>& vector, double h0, double h1, bool force_even,
                      dense1D<unsigned int, 8>& indices) {
  return detail::point_with_sizes<2>(coords, start, along(vector), {h0, h1, force_even, h0_code}, indices);
}

int extrude_translate(dense2D<double>& coords, const vector_fixed<double, 3>& start,
                      const vector_fixed<double, 3>& vector, unsigned int count,
                      dense1D<unsigned int, 8>& indices) {
  return detail::point_with_count<3>(coords, start, along(vector), count, indices);
}

int extrude_translate(dense2D<double>& coords, const vector_fixed<double, 3>& start,
                      const vector_fixed<double, 3>& vector, double h0, double h1, bool force_even,
                      dense1D<unsigned int, 8>& indices) {
  return detail::point_with_sizes<3>(coords, start, along(vector), {h0, h1, force_even, h0_code}, indices);
}

int extrude_translate(dense2D<double>& coords, unsigned int start_node, const vector_fixed<double, 2>& vector,
                      unsigned int count, dense1D<unsigned int, 8>& indices) {
  return detail::node_with_count<2>(coords, start_node, along(vector), count, status_ok, indices);
}

int extrude_translate(dense2D<double>& coords, unsigned int start_node, const vector_fixed<double, 2>& vector,
                      double h0, double h1, bool force_even, dense1D<unsigned int, 8>& indices) {
  return detail::node_with_sizes<2>(coords, start_node, along(vector), {h0, h1, force_even, h0_code},
                                    indices);
}

int extrude_translate(dense2D<double>& coords, unsigned int start_node, const vector_fixed<double, 3>& vector,
                      unsigned int count, dense1D<unsigned int, 8>& indices) {
  return detail::node_with_count<3>(coords, start_node, along(vector), count, status_ok, indices);
}

int extrude_translate(dense2D<double>& coords, unsigned int start_node, const vector_fixed<double, 3>& vector,
                      double h0, double h1, bool force_even, dense1D<unsigned int, 8>& indices) {
  return detail::node_with_sizes<3>(coords, start_node, along(vector), {h0, h1, force_even, h0_code},
                                    indices);
}

}  // namespace linegen
}  // namespace zarn
