// Small fixed-size values passed by value: points, directions, metrics.
#pragma once

#include <cassert>
#include <cstddef>

namespace zarn {

// A point or direction of N components, zero by default.
template <class T, int N>
class vector_fixed {
  static_assert(N >= 1, "a vector has components");

 public:
  vector_fixed() noexcept = default;
  vector_fixed(T x, T y) noexcept : v_{x, y} { static_assert(N == 2, "two components"); }
  vector_fixed(T x, T y, T z) noexcept : v_{x, y, z} { static_assert(N == 3, "three components"); }

  T& operator[](std::size_t i) noexcept {
    assert(i < N && "vector_fixed index out of range");
    return v_[i];
  }
  const T& operator[](std::size_t i) const noexcept {
    assert(i < N && "vector_fixed index out of range");
    return v_[i];
  }
  T* data() noexcept { return v_; }
  const T* data() const noexcept { return v_; }
  static constexpr std::size_t size() noexcept { return N; }

 private:
  T v_[N] = {};
};

// A symmetric N x N matrix in packed upper order: column j holds rows 0 ... j,
// so 2D is (m00, m01, m11) and 3D is (m00, m01, m11, m02, m12, m22).
template <class T, int N>
class symmetric_fixed {
  static_assert(N == 2 || N == 3, "metrics are 2 x 2 or 3 x 3");

 public:
  static constexpr std::size_t packed = N * (N + 1) / 2;

  symmetric_fixed() noexcept = default;
  symmetric_fixed(T m00, T m01, T m11) noexcept : m_{m00, m01, m11} {
    static_assert(N == 2, "three packed values make a 2 x 2 matrix");
  }
  symmetric_fixed(T m00, T m01, T m11, T m02, T m12, T m22) noexcept : m_{m00, m01, m11, m02, m12, m22} {
    static_assert(N == 3, "six packed values make a 3 x 3 matrix");
  }

  // Packed entry k.
  T& operator[](std::size_t k) noexcept {
    assert(k < packed && "packed index out of range");
    return m_[k];
  }
  const T& operator[](std::size_t k) const noexcept {
    assert(k < packed && "packed index out of range");
    return m_[k];
  }
  // Entry (i, j) of the full matrix.
  T& operator()(std::size_t i, std::size_t j) noexcept { return m_[index(i, j)]; }
  const T& operator()(std::size_t i, std::size_t j) const noexcept { return m_[index(i, j)]; }
  T* data() noexcept { return m_; }
  const T* data() const noexcept { return m_; }

 private:
  static std::size_t index(std::size_t i, std::size_t j) noexcept {
    assert(i < N && j < N && "symmetric_fixed index out of range");
    return i <= j ? j * (j + 1) / 2 + i : i * (i + 1) / 2 + j;
  }

  T m_[packed] = {};
};

}  // namespace zarn
