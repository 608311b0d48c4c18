// The library calls of a job: one curve meshed by the generator of its kind,
// with the names of the arguments in call order, for messages.
#pragma once

#include <string>
#include <vector>

#include <linegen/linegen.h>

#include "job.h"

namespace linegen_tool {

using Ids = zarn::dense1D<unsigned int, 8>;
using Values = zarn::dense1D<double, 8>;
using Matrix = zarn::dense2D<double>;

struct Call {
  std::string function;
  std::vector<std::string> arguments;  // names in signature order
};

// What one call returned: its status, the mesh's nodes along the curve, and
// the sizes or metrics the generator gave them (empty when it gives none).
struct CurveOutput {
  Call call;
  int status = 0;
  Ids chain;
  Values params, sizes;
  Matrix metrics;
};

// Meshes curve `c` of a job of `dimension`; new nodes are appended to coords.
CurveOutput mesh_curve(Matrix& coords, CurveJob const& c, int dimension);

// A spline's index list (or its sizes, stride 1, or metrics, stride 3 or 6)
// with the neighbours before the first and after the last node.
template <class T>
std::vector<T> with_ends(std::vector<T> const& v, SplineEnds ends, std::size_t stride) {
  if (ends == SplineEnds::given) return v;
  const std::size_t n = v.size() / stride;
  std::vector<T> out;
  auto entry = [&](std::size_t i) {
    out.insert(out.end(), v.begin() + i * stride, v.begin() + (i + 1) * stride);
  };
  entry(ends == SplineEnds::closed ? n - 1 : 0);
  for (std::size_t i = 0; i < n; ++i) entry(i);
  entry(ends == SplineEnds::closed ? 0 : n - 1);
  if (ends == SplineEnds::closed) entry(1);
  return out;
}

// Column after column: `rows` entries per column.
Matrix matrix_of(std::vector<double> const& v, std::size_t rows);
Ids ids_of(std::vector<unsigned int> const& v);

}  // namespace linegen_tool
