// A right-handed orthonormal frame around a direction in space.
#pragma once

namespace zarn {
namespace linegen {

// Unit t along `direction`, and unit p, q across it, with q = t x hint
// (normalised) and p = q x t, so that p lies in the plane of t and the hint.
// A zero direction counts as the x axis. Without a hint (null), or with a
// hint parallel to t, the hint becomes the coordinate axis along which t has
// its smallest component (the first such axis on ties).
void orthonormal_frame(const double (&direction)[3], const double* hint, double (&t)[3], double (&p)[3],
                       double (&q)[3]);

}  // namespace linegen
}  // namespace zarn
