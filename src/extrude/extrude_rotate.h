// Rotation matrices of the rotational extrusion.
#pragma once

#include <array>

#include <zarn/containers.h>

namespace zarn {
namespace linegen {

// A 3 x 3 matrix, row by row: m[r][c].
using matrix3 = std::array<std::array<double, 3>, 3>;

// The matrix that turns a vector about the axis w by the angle |w|, counter-
// clockwise seen from the tip of w (right-hand rule). The zero vector gives
// the identity.
matrix3 rotation_matrix(const vector_fixed<double, 3>& w);

}  // namespace linegen
}  // namespace zarn
