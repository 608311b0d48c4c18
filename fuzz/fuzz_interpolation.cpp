// Fuzzes the interpolation along parameters: interpolate_coordinates.
#include <vector>

#include "fuzz_common.h"

namespace {

using namespace fuzzing;
namespace lg = zarn::linegen;

// Parameters that are non-decreasing most of the time.
dense1D<double, 8> params_of(FuzzedDataProvider& in, std::size_t n) {
  if (in.ConsumeIntegralInRange<int>(0, 7) == 0) return value_list(in, n, false);
  return increasing_params(in, n);
}

std::size_t length_near(FuzzedDataProvider& in, std::size_t n) {
  return in.ConsumeIntegralInRange<int>(0, 7) == 0 ? in.ConsumeIntegralInRange<std::size_t>(0, max_columns)
                                                   : n;
}

void coordinates_at_params(FuzzedDataProvider& in) {
  auto coords = coordinates(in);
  if (in.ConsumeIntegralInRange<int>(0, 5) == 0) coords = matrix(in, 1, coords.cols());
  const auto ids = in.ConsumeBool() ? chain(in, coords.cols()) : id_list(in, coords.cols() + 1);
  const auto params = params_of(in, length_near(in, ids.size()));
  const auto targets = id_list(in, coords.cols() + 1);
  const auto target_params = params_of(in, length_near(in, targets.size()));
  const auto before = snapshot(coords);
  const int status = lg::interpolate_coordinates(coords, ids, params, targets, target_params);
  require(one_of(status, {0, -2, -3, -4, -5}),
          "interpolate_coordinates: status outside the documented codes");
  if (status != 0)
    return require(same(before, coords), "interpolate_coordinates: coords changed by a failed call");
  require(coords.rows() == before.rows() && coords.cols() == before.cols(), "interpolate_coordinates: shape");
  require(ids.size() == params.size() && targets.size() == target_params.size(),
          "interpolate_coordinates: lengths");
  // Only the named columns change, and with finite data each new position
  // lies within the range of the chain's nodes, row by row.
  std::vector<bool> named(coords.cols(), false);
  for (std::size_t k = 0; k < targets.size(); ++k) {
    require(targets[k] < coords.cols(), "interpolate_coordinates: accepted a bad target");
    named[targets[k]] = true;
  }
  for (std::size_t j = 0; j < coords.cols(); ++j)
    if (!named[j])
      for (std::size_t i = 0; i < coords.rows(); ++i)
        require(coords(i, j) == before(i, j) || (std::isnan(coords(i, j)) && std::isnan(before(i, j))),
                "interpolate_coordinates: an unnamed column changed");
  if (targets.empty()) return;
  bool tame = true;
  for (std::size_t k = 0; k < params.size(); ++k) tame = tame && std::isfinite(params[k]);
  for (std::size_t k = 0; k < target_params.size(); ++k) tame = tame && std::isfinite(target_params[k]);
  for (std::size_t i = 0; i < coords.rows() && tame; ++i) {
    double lo = INFINITY, hi = -INFINITY;
    for (std::size_t k = 0; k < ids.size(); ++k) {
      const double x = before(i, ids[k]);
      if (!std::isfinite(x) || std::fabs(x) > 1e300) tame = false;
      lo = std::fmin(lo, x), hi = std::fmax(hi, x);
    }
    if (!tame) break;
    const double tol = 1e-12 * std::fmax(1.0, std::fmax(std::fabs(lo), std::fabs(hi)));
    for (std::size_t k = 0; k < targets.size(); ++k)
      require(coords(i, targets[k]) >= lo - tol && coords(i, targets[k]) <= hi + tol,
              "interpolate_coordinates: a placed node outside the chain's range");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  coordinates_at_params(in);
  return 0;
}
