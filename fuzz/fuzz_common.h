// Shared pieces of the fuzz harnesses: decoding bytes into containers of any
// shape (with awkward values), snapshots of the caller's containers, and the
// contract checks every harness applies.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <limits>

#include <linegen/linegen.h>

namespace fuzzing {

using zarn::dense1D;
using zarn::dense2D;

// Limits that keep one run fast: no container above this many entries, no
// requested count that would mesh more than this many elements on purpose.
constexpr std::size_t max_columns = 48;
constexpr std::size_t max_rows = 7;

[[noreturn]] inline void contract_broken(const char* what) {
  std::fprintf(stderr, "contract broken: %s\n", what);
  std::abort();
}
inline void require(bool ok, const char* what) {
  if (!ok) contract_broken(what);
}

// A double drawn mostly from values that break numerical code.
inline double awkward_double(FuzzedDataProvider& in) {
  switch (in.ConsumeIntegralInRange<int>(0, 15)) {
    case 0:
      return std::numeric_limits<double>::quiet_NaN();
    case 1:
      return std::numeric_limits<double>::infinity();
    case 2:
      return -std::numeric_limits<double>::infinity();
    case 3:
      return 1e308;
    case 4:
      return -1e308;
    case 5:
      return std::numeric_limits<double>::denorm_min();
    case 6:
      return 0.0;
    case 7:
      return -0.0;
    case 8:
      return 1e-300;
    case 9:
      return 1.7976931348623157e308;
    case 10:
      return -1.0;
    default:
      return in.ConsumeFloatingPointInRange<double>(-4.0, 4.0);
  }
}

// A size or length that is usually reasonable and sometimes hostile.
inline double size_value(FuzzedDataProvider& in) {
  if (in.ConsumeIntegralInRange<int>(0, 3) == 0) return awkward_double(in);
  return in.ConsumeFloatingPointInRange<double>(0.01, 2.0);
}

inline unsigned int id_value(FuzzedDataProvider& in, std::size_t bound) {
  if (in.ConsumeIntegralInRange<int>(0, 15) == 0)
    return in.ConsumeBool() ? 4294967295u : static_cast<unsigned int>(bound);
  return bound == 0 ? 0u : in.ConsumeIntegralInRange<unsigned int>(0, static_cast<unsigned int>(bound - 1));
}

inline dense2D<double> matrix(FuzzedDataProvider& in, std::size_t rows, std::size_t cols) {
  dense2D<double> m(rows, cols);
  for (std::size_t j = 0; j < cols; ++j)
    for (std::size_t i = 0; i < rows; ++i) {
      const int pick = in.ConsumeIntegralInRange<int>(0, 7);
      if (pick == 0 && j > 0)
        m(i, j) = m(i, j - 1);  // coincident nodes
      else if (pick == 1)
        m(i, j) = awkward_double(in);
      else
        m(i, j) = in.ConsumeFloatingPointInRange<double>(-10.0, 10.0);
    }
  return m;
}

// A coordinate matrix: usually 2 or 3 rows, sometimes any other shape.
inline dense2D<double> coordinates(FuzzedDataProvider& in) {
  std::size_t rows = in.ConsumeBool() ? 2 : 3;
  if (in.ConsumeIntegralInRange<int>(0, 9) == 0) rows = in.ConsumeIntegralInRange<std::size_t>(0, max_rows);
  const std::size_t cols = in.ConsumeIntegralInRange<std::size_t>(0, max_columns);
  return matrix(in, rows, cols);
}

inline dense1D<unsigned int, 8> id_list(FuzzedDataProvider& in, std::size_t bound) {
  const std::size_t n = in.ConsumeIntegralInRange<std::size_t>(0, max_columns);
  dense1D<unsigned int, 8> v(n);
  for (std::size_t k = 0; k < n; ++k) v[k] = id_value(in, bound);
  return v;
}

// An index chain of distinct-ish nodes that is valid most of the time.
inline dense1D<unsigned int, 8> chain(FuzzedDataProvider& in, std::size_t bound) {
  if (in.ConsumeIntegralInRange<int>(0, 7) == 0 || bound == 0) return id_list(in, bound);
  const std::size_t n = in.ConsumeIntegralInRange<std::size_t>(0, bound);
  dense1D<unsigned int, 8> v(n);
  for (std::size_t k = 0; k < n; ++k) v[k] = static_cast<unsigned int>(k);
  return v;
}

inline dense1D<double, 8> value_list(FuzzedDataProvider& in, std::size_t n, bool sizes) {
  dense1D<double, 8> v(n);
  for (std::size_t k = 0; k < n; ++k) v[k] = sizes ? size_value(in) : awkward_double(in);
  return v;
}

inline dense1D<double, 8> increasing_params(FuzzedDataProvider& in, std::size_t n) {
  dense1D<double, 8> v(n);
  double t = 0;
  for (std::size_t k = 0; k < n; ++k) {
    if (in.ConsumeIntegralInRange<int>(0, 15) == 0)
      t = awkward_double(in);
    else
      t += in.ConsumeFloatingPointInRange<double>(0.0, 1.0);
    v[k] = t;
  }
  return v;
}

// Deep snapshots, compared entry by entry (NaN equal to NaN).
template <class C>
C snapshot(const C& c) {
  C copy;
  require(copy.copy(c), "snapshot allocation");
  return copy;
}

template <class T>
bool same(const dense2D<T>& a, const dense2D<T>& b) {
  if (a.rows() != b.rows() || a.cols() != b.cols()) return false;
  for (std::size_t j = 0; j < a.cols(); ++j)
    for (std::size_t i = 0; i < a.rows(); ++i) {
      const double x = double(a(i, j)), y = double(b(i, j));
      if (!(x == y) && !(std::isnan(x) && std::isnan(y))) return false;
    }
  return true;
}

template <class T>
bool same(const dense1D<T, 8>& a, const dense1D<T, 8>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t k = 0; k < a.size(); ++k) {
    const double x = double(a[k]), y = double(b[k]);
    if (!(x == y) && !(std::isnan(x) && std::isnan(y))) return false;
  }
  return true;
}

// The first `n` columns (entries) of `after` are those of `before`.
template <class T>
bool prefix_kept(const dense2D<T>& before, const dense2D<T>& after) {
  if (after.cols() < before.cols()) return false;
  if (before.empty()) return true;
  return same(before, after.sub_matrix(0, 0, before.rows(), before.cols()));
}
template <class T>
bool prefix_kept(const dense1D<T, 8>& before, const dense1D<T, 8>& after) {
  return after.size() >= before.size() && same(before, after.sub_vector(0, before.size()));
}

inline bool one_of(int status, std::initializer_list<int> codes) {
  for (int c : codes)
    if (status == c) return true;
  return false;
}

// Every identifier appended to `ids` past `from` names a column of coords.
inline bool valid_new_ids(const dense1D<unsigned int, 8>& ids, std::size_t from, std::size_t cols) {
  for (std::size_t k = from; k < ids.size(); ++k)
    if (ids[k] >= cols) return false;
  return true;
}

}  // namespace fuzzing
