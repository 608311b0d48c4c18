// The out-of-line operations of the field policies, and the cap of a field
// by the curvature of the chain it lies on.
#include "line/field_policies.h"

#include <cfloat>
#include <cmath>

#include <linegen/linegen.h>

#include "geometry/curve_kernels.h"
#include "line/polyline_mesher.h"

namespace zarn {
namespace linegen {

void size_field::cap(values& v, std::size_t i, double h) {
  double& s = v[i];
  if (s >= 0.0) {
    if (h < s) s = h;
  } else {
    s = 0.0;  // a negative or NaN size
  }
}

template <int D>
void metric_field<D>::cap(values& v, std::size_t i, double h) {
  entry m = get(v, i);
  // Only the sizes above h change; a metric that cannot be decomposed is
  // left as it is.
  if (cap_metric_sizes(m, h)) store_metric(m, v.col(i));
}

template <class Field>
int limit_sizes_by_curvature(const dense2D<double>& coords, const dense1D<unsigned int, 8>& chain,
                             typename Field::values& field, double tolerance, double min_size) {
  const std::size_t n = chain.size();
  dense1D<double, 8> curvature;
  if (!curvature.resize(n)) return status_out_of_memory;
  detail::curvatures_unchecked(coords, chain, curvature);
  const double c = std::sqrt(-8.0 * tolerance);
  for (std::size_t i = 0; i < n; ++i) {
    double h = curvature[i] > 0.0 ? c / curvature[i] : DBL_MAX;
    if (h < min_size) h = min_size;
    Field::cap(field, i, h);
  }
  return 0;
}

template struct metric_field<2>;
template struct metric_field<3>;
template int limit_sizes_by_curvature<size_field>(const dense2D<double>&, const dense1D<unsigned int, 8>&,
                                                  dense1D<double, 8>&, double, double);
template int limit_sizes_by_curvature<metric_field<2>>(const dense2D<double>&,
                                                       const dense1D<unsigned int, 8>&, dense2D<double>&,
                                                       double, double);
template int limit_sizes_by_curvature<metric_field<3>>(const dense2D<double>&,
                                                       const dense1D<unsigned int, 8>&, dense2D<double>&,
                                                       double, double);
}  // namespace linegen
}  // namespace zarn
