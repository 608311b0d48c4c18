// Fuzzes the spline evaluation: spline_point in 2D and 3D.
#include "fuzz_common.h"

namespace {

using namespace fuzzing;
namespace lg = zarn::linegen;
using zarn::vector_fixed;

template <int D>
void point(FuzzedDataProvider& in) {
  auto coords = coordinates(in);
  if (in.ConsumeIntegralInRange<int>(0, 3) != 0) coords = matrix(in, D, coords.cols());
  unsigned int id[4];
  for (auto& i : id) i = id_value(in, coords.cols() + 1);
  double t;
  switch (in.ConsumeIntegralInRange<int>(0, 5)) {
    case 0:
      t = 0.0;
      break;
    case 1:
      t = 1.0;
      break;
    case 2:
      t = awkward_double(in);
      break;
    default:
      t = in.ConsumeFloatingPointInRange<double>(0.0, 1.0);
  }
  vector_fixed<double, D> P;
  for (int i = 0; i < D; ++i) P[i] = 42.0;
  const auto before = snapshot(coords);
  const int status = lg::spline_point(coords, id[0], id[1], id[2], id[3], t, P);
  require(same(before, coords), "spline_point: coords changed");
  require(one_of(status, {0, -1, -2, -3, -4, -5}), "spline_point: status outside the documented codes");
  if (status != 0) {
    for (int i = 0; i < D; ++i) require(P[i] == 42.0, "spline_point: point changed by a failed call");
    return;
  }
  require(coords.rows() == std::size_t(D), "spline_point: accepted a bad row count");
  for (unsigned int i : id) require(i < coords.cols(), "spline_point: accepted a bad identifier");
  // With moderate finite nodes the curve runs from node i1 to node i2 and
  // stays finite on [0, 1].
  double scale = 1;
  for (unsigned int i : id)
    for (int r = 0; r < D; ++r) {
      const double x = coords(r, i);
      if (!std::isfinite(x) || std::fabs(x) > 1e100) return;
      scale = std::fmax(scale, std::fabs(x));
    }
  if (!(t >= 0 && t <= 1)) return;
  for (int r = 0; r < D; ++r) require(std::isfinite(P[r]), "spline_point: point not finite");
  const double tol = 1e-12 * scale;
  if (t == 0)
    for (int r = 0; r < D; ++r)
      require(std::fabs(P[r] - coords(r, id[1])) <= tol, "spline_point: P(0) is not node i1");
  if (t == 1)
    for (int r = 0; r < D; ++r)
      require(std::fabs(P[r] - coords(r, id[2])) <= tol, "spline_point: P(1) is not node i2");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  if (in.ConsumeBool())
    point<2>(in);
  else
    point<3>(in);
  return 0;
}
