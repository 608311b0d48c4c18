#include <linegen/linegen.h>

#include "spline/spline_coefficients.h"

namespace zarn {
namespace linegen {

namespace {

template <int D>
int spline_point_of(const dense2D<double>& coords, unsigned int i0, unsigned int i1, unsigned int i2,
                    unsigned int i3, double t, vector_fixed<double, D>& P) {
  if (coords.rows() != static_cast<std::size_t>(D)) return status_bad_argument(1);
  const std::size_t n = coords.cols();
  if (i0 >= n) return status_bad_argument(2);
  if (i1 >= n) return status_bad_argument(3);
  if (i2 >= n) return status_bad_argument(4);
  if (i3 >= n) return status_bad_argument(5);
  spline_segment<D> seg;
  spline_coefficients(coords, i0, i1, i2, i3, seg);
  for (int c = 0; c < D; ++c) P[c] = ((seg.a3[c] * t + seg.a2[c]) * t + seg.a1[c]) * t + seg.a0[c];
  return status_ok;
}

}  // namespace

int spline_point(const dense2D<double>& coords, unsigned int i0, unsigned int i1, unsigned int i2,
                 unsigned int i3, double t, vector_fixed<double, 2>& P) {
  return spline_point_of<2>(coords, i0, i1, i2, i3, t, P);
}

int spline_point(const dense2D<double>& coords, unsigned int i0, unsigned int i1, unsigned int i2,
                 unsigned int i3, double t, vector_fixed<double, 3>& P) {
  return spline_point_of<3>(coords, i0, i1, i2, i3, t, P);
}

}  // namespace linegen
}  // namespace zarn
