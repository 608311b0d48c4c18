// Rotational extrusion: a point, new or existing, swept about a centre (2D)
// or an axis (3D) into a meshed circular arc.
#include "extrude/extrude_rotate.h"

#include <cmath>

#include <densekit/vectors.h>
#include <linegen/linegen.h>

#include "extrude/extrusion.h"

namespace zarn {
namespace linegen {

matrix3 rotation_matrix(const vector_fixed<double, 3>& w) {
  const double wx = w[0], wy = w[1], wz = w[2];
  const double theta = std::sqrt(wx * wx + wy * wy + wz * wz);
  const double x = theta * theta;
  // Rodrigues: R = I + A S + B S^2 with A = sin(theta)/theta and
  // B = (1 - cos(theta))/theta^2. For small angles both quotients lose
  // their digits to cancellation (and are 0/0 at theta = 0), so their
  // Taylor series in theta^2 take over, to the 11th power.
  double a, b;
  if (theta > 0.1) {
    const double inv = 1.0 / theta;
    a = std::sin(theta) * inv;
    b = (1.0 - std::cos(theta)) * (inv * inv);
  } else {
    a = ((((2.7557319223985893e-06 - x * 2.505210838544172e-08) * x - 0.0001984126984126984) * x +
          0.008333333333333333) *
             x -
         0.16666666666666666) *
            x +
        1.0;
    b = (((x * 2.755731922398589e-07 - 2.48015873015873e-05) * x + 0.001388888888888889) * x -
         0.041666666666666664) *
            x +
        0.5;
  }
  // S v = w x v.
  const matrix3 s = {{{0.0, -wz, wy}, {wz, 0.0, -wx}, {-wy, wx, 0.0}}};
  matrix3 r;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      const double s2 = s[i][0] * s[0][j] + s[i][1] * s[1][j] + s[i][2] * s[2][j];
      r[i][j] = (i == j ? 1.0 : 0.0) + a * s[i][j] + b * s2;
    }
  return r;
}

namespace {

// The arc about `centre` by `angle` radians, counter-clockwise when positive.
struct planar_arc {
  vector_fixed<double, 2> centre;
  double angle;

  struct from_start {
    vector_fixed<double, 2> d;  // start - centre
    vector_fixed<double, 2> centre;
    double angle;

    double length() const { return std::sqrt(d[0] * d[0] + d[1] * d[1]) * std::fabs(angle); }
    vector_fixed<double, 2> point(double t) const {
      const double theta = t * angle;
      const double c = std::cos(theta), s = std::sin(theta);
      return vector_fixed<double, 2>(d[0] * c - d[1] * s + centre[0], d[1] * c + d[0] * s + centre[1]);
    }
  };

  from_start from(const vector_fixed<double, 2>& p0) const {
    return from_start{vector_fixed<double, 2>(p0[0] - centre[0], p0[1] - centre[1]), centre, angle};
  }
};

// The arc about the axis through `centre` along `rotation`, by the angle
// |rotation| (right-hand rule).
struct spatial_arc {
  vector_fixed<double, 3> centre;
  vector_fixed<double, 3> rotation;

  struct from_start {
    vector_fixed<double, 3> d;  // start - centre
    vector_fixed<double, 3> centre;
    vector_fixed<double, 3> w;

    // |d x w|: the distance to the axis times the angle.
    double length() const { return std::sqrt(densekit::squared_cross_norm(d.data(), w.data())); }
    vector_fixed<double, 3> point(double t) const {
      const matrix3 r = rotation_matrix(vector_fixed<double, 3>(t * w[0], t * w[1], t * w[2]));
      vector_fixed<double, 3> p;
      for (int k = 0; k < 3; ++k) p[k] = (d[0] * r[k][0] + d[1] * r[k][1]) + d[2] * r[k][2] + centre[k];
      return p;
    }
  };

  from_start from(const vector_fixed<double, 3>& p0) const {
    return from_start{vector_fixed<double, 3>(p0[0] - centre[0], p0[1] - centre[1], p0[2] - centre[2]),
                      centre, rotation};
  }
};

// The status of an invalid h0 in the size overloads (h1: the next one).
constexpr int h0_code = status_bad_argument(5);

}  // namespace

int extrude_rotate(dense2D<double>& coords, const vector_fixed<double, 2>& start,
                   const vector_fixed<double, 2>& centre, double angle, unsigned int count,
                   dense1D<unsigned int, 8>& indices) {
  return detail::point_with_count<2>(coords, start, planar_arc{centre, angle}, count, indices);
}

int extrude_rotate(dense2D<double>& coords, const vector_fixed<double, 2>& start,
                   const vector_fixed<double, 2>& centre, double angle, double h0, double h1, bool force_even,
                   dense1D<unsigned int, 8>& indices) {
  return detail::point_with_sizes<2>(coords, start, planar_arc{centre, angle}, {h0, h1, force_even, h0_code},
                                     indices);
}

int extrude_rotate(dense2D<double>& coords, const vector_fixed<double, 3>& start,
                   const vector_fixed<double, 3>& centre, const vector_fixed<double, 3>& rotation,
                   unsigned int count, dense1D<unsigned int, 8>& indices) {
  return detail::point_with_count<3>(coords, start, spatial_arc{centre, rotation}, count, indices);
}

int extrude_rotate(dense2D<double>& coords, const vector_fixed<double, 3>& start,
                   const vector_fixed<double, 3>& centre, const vector_fixed<double, 3>& rotation, double h0,
                   double h1, bool force_even, dense1D<unsigned int, 8>& indices) {
  return detail::point_with_sizes<3>(coords, start, spatial_arc{centre, rotation},
                                     {h0, h1, force_even, h0_code}, indices);
}

int extrude_rotate(dense2D<double>& coords, unsigned int start_node, const vector_fixed<double, 2>& centre,
                   double angle, unsigned int count, dense1D<unsigned int, 8>& indices) {
  return detail::node_with_count<2>(coords, start_node, planar_arc{centre, angle}, count, status_ok, indices);
}

int extrude_rotate(dense2D<double>& coords, unsigned int start_node, const vector_fixed<double, 2>& centre,
                   double angle, double h0, double h1, bool force_even, dense1D<unsigned int, 8>& indices) {
  return detail::node_with_sizes<2>(coords, start_node, planar_arc{centre, angle},
                                    {h0, h1, force_even, h0_code}, indices);
}

// Unlike its 2D twin, this overload treats a zero count as an invalid fifth
// argument; hosts rely on that.
int extrude_rotate(dense2D<double>& coords, unsigned int start_node, const vector_fixed<double, 3>& centre,
                   const vector_fixed<double, 3>& rotation, unsigned int count,
                   dense1D<unsigned int, 8>& indices) {
  return detail::node_with_count<3>(coords, start_node, spatial_arc{centre, rotation}, count,
                                    status_bad_argument(5), indices);
}

int extrude_rotate(dense2D<double>& coords, unsigned int start_node, const vector_fixed<double, 3>& centre,
                   const vector_fixed<double, 3>& rotation, double h0, double h1, bool force_even,
                   dense1D<unsigned int, 8>& indices) {
  return detail::node_with_sizes<3>(coords, start_node, spatial_arc{centre, rotation},
                                    {h0, h1, force_even, h0_code}, indices);
}

}  // namespace linegen
}  // namespace zarn
