// Small vector kernels on raw coordinate columns: distance, cross product and
// its norm. Sums run in coordinate order, so that every caller rounds alike.
#pragma once

#include <cmath>
#include <cstddef>

namespace zarn {
namespace densekit {

// Euclidean distance between two points of `rows` coordinates.
inline double distance(const double* a, const double* b, std::size_t rows) noexcept {
  double sum = 0.0;
  for (std::size_t r = 0; r < rows; ++r) {
    const double d = b[r] - a[r];
    sum += d * d;
  }
  return std::sqrt(sum);
}

// c = a x b in space.
inline void cross(const double* a, const double* b, double* c) noexcept {
  c[0] = a[1] * b[2] - a[2] * b[1];
  c[1] = a[2] * b[0] - a[0] * b[2];
  c[2] = a[0] * b[1] - a[1] * b[0];
}

// |v|^2 and |v| of a vector in space.
inline double squared_norm3(const double* v) noexcept { return v[0] * v[0] + v[1] * v[1] + v[2] * v[2]; }
inline double norm3(const double* v) noexcept { return std::sqrt(squared_norm3(v)); }

// |a x b|^2 in space.
inline double squared_cross_norm(const double* a, const double* b) noexcept {
  double c[3];
  cross(a, b, c);
  return squared_norm3(c);
}

}  // namespace densekit
}  // namespace zarn
