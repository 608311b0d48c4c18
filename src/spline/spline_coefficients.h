// The cubic piece of the spline through a node chain, between two nodes and
// shaped by their neighbours, as polynomial coefficients.
#pragma once

#include <cmath>

#include <zarn/containers.h>

namespace zarn {
namespace linegen {

// One spline segment P(t) = a0 + a1 t + a2 t^2 + a3 t^3 of dimension D, with
// its squared chord length L2 = |P(1) - P(0)|^2.
template <int D>
struct spline_segment {
  vector_fixed<double, D> a0, a1, a2, a3;
  double L2 = 0.0;
};

namespace detail {

template <int D>
inline double dot(const vector_fixed<double, D>& u, const vector_fixed<double, D>& v) {
  double s = 0.0;
  for (int c = 0; c < D; ++c) s += u[c] * v[c];
  return s;
}

// Backtracking guard of the cubic piece, given d_k = D.a_k for the chord D:
// true when D.P'(t) = d1 + 2 d2 t + 3 d3 t^2 dips below 0.0001 |D|^2 at its
// minimum s = -d2 / (3 d3) strictly inside the segment, that is when the curve
// would (almost) stop or run backwards along its chord. Only a convex
// projection (d3 > 0) has an interior minimum; the comparisons are strict.
// With both end tangents of the chord's length, Cauchy-Schwarz gives
// d3 = D.T1 + D.T2 - 2 |D|^2 <= 0, so the guard is a safety net for rounding.
inline bool runs_backwards(double d1, double d2, double d3, double L2) {
  if (!(d3 > 0.0)) return false;
  constexpr double minus_third = -1.0 / 3.0;  // the double nearest to -1/3
  const double s = (minus_third / d3) * d2;
  return s > 0.0 && s < 1.0 && d1 + d2 * s < 0.0001 * L2;
}

template <int D>
inline void spline_coefficients(const dense2D<double>& coords, unsigned int i0, unsigned int i1,
                                unsigned int i2, unsigned int i3, spline_segment<D>& seg) {
  const double* p0 = coords.col(i0);
  const double* p1 = coords.col(i1);
  const double* p2 = coords.col(i2);
  const double* p3 = coords.col(i3);
  vector_fixed<double, D> chord, t1, t2;
  for (int c = 0; c < D; ++c) {
    chord[c] = p2[c] - p1[c];
    t1[c] = p2[c] - p0[c];  // central difference at the start node
    t2[c] = p3[c] - p1[c];  // central difference at the end node
  }
  const double L2 = dot(chord, chord);
  seg.L2 = L2;

  // A tangent that does not point forward along the chord (a neighbour
  // turning back) cannot shape the piece: that end is left free. The test
  // passing implies a non-zero tangent, so the rescaling never divides by 0.
  bool start_fixed = false, end_fixed = false;
  if (i0 != i1 && dot(chord, t1) > 0.0001 * L2) {
    const double scale = std::sqrt(L2 / dot(t1, t1));
    for (int c = 0; c < D; ++c) t1[c] = t1[c] * scale;
    start_fixed = true;
  }
  if (i3 != i2 && dot(chord, t2) > 0.0001 * L2) {
    const double scale = std::sqrt(L2 / dot(t2, t2));
    for (int c = 0; c < D; ++c) t2[c] = t2[c] * scale;
    end_fixed = true;
  }

  for (int c = 0; c < D; ++c) seg.a0[c] = p1[c];
  if (start_fixed && end_fixed) {
    // Cubic Hermite with end tangents t1 and t2.
    for (int c = 0; c < D; ++c) {
      seg.a1[c] = t1[c];
      seg.a2[c] = 3.0 * chord[c] - 2.0 * t1[c] - t2[c];
      seg.a3[c] = t1[c] + t2[c] - 2.0 * chord[c];
    }
    if (runs_backwards(dot(chord, seg.a1), dot(chord, seg.a2), dot(chord, seg.a3), L2)) {
      for (int c = 0; c < D; ++c) {
        seg.a1[c] = chord[c];
        seg.a2[c] = 0.0;
        seg.a3[c] = 0.0;
      }
    }
  } else if (start_fixed) {
    // Quadratic leaving the start along t1.
    for (int c = 0; c < D; ++c) {
      seg.a1[c] = t1[c];
      seg.a2[c] = chord[c] - t1[c];
      seg.a3[c] = 0.0;
    }
  } else if (end_fixed) {
    // Quadratic arriving at the end along t2.
    for (int c = 0; c < D; ++c) {
      seg.a1[c] = 2.0 * chord[c] - t2[c];
      seg.a2[c] = t2[c] - chord[c];
      seg.a3[c] = 0.0;
    }
  } else {
    for (int c = 0; c < D; ++c) {
      seg.a1[c] = chord[c];
      seg.a2[c] = 0.0;
      seg.a3[c] = 0.0;
    }
  }
}

}  // namespace detail

// Coefficients of the spline segment from node i1 (t = 0) to node i2 (t = 1),
// with i0 the node before (i0 = i1: free start) and i3 the node after
// (i3 = i2: free end). Node tangents are central differences rescaled to the
// chord's length; a free end makes the piece quadratic, two free ends make it
// the straight chord, and a cubic that would run backwards along its chord is
// replaced by the chord. No checks: the indices are columns of `coords`, which
// has 2 (resp. 3) rows.
inline void spline_coefficients(const dense2D<double>& coords, unsigned int i0, unsigned int i1,
                                unsigned int i2, unsigned int i3, spline_segment<2>& seg) {
  detail::spline_coefficients<2>(coords, i0, i1, i2, i3, seg);
}
inline void spline_coefficients(const dense2D<double>& coords, unsigned int i0, unsigned int i1,
                                unsigned int i2, unsigned int i3, spline_segment<3>& seg) {
  detail::spline_coefficients<3>(coords, i0, i1, i2, i3, seg);
}

}  // namespace linegen
}  // namespace zarn
