// Fuzzes the interpolation along parameters: interpolate_coordinates and
// interpolate_metrics (sizes and metrics).
#include <vector>

#include "fuzz_lines.h"

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

bool all_finite(const dense1D<double, 8>& v) {
  for (std::size_t k = 0; k < v.size(); ++k)
    if (!std::isfinite(v[k])) return false;
  return true;
}
bool non_decreasing(const dense1D<double, 8>& v) {
  for (std::size_t k = 1; k < v.size(); ++k)
    if (!(v[k] >= v[k - 1])) return false;
  return true;
}

void sizes_at_params(FuzzedDataProvider& in) {
  const std::size_t n = in.ConsumeIntegralInRange<std::size_t>(0, max_columns);
  const auto params = params_of(in, n);
  const auto sizes = value_list(in, length_near(in, n), true);
  const auto targets = params_of(in, in.ConsumeIntegralInRange<std::size_t>(0, max_columns));
  auto out = value_list(in, in.ConsumeIntegralInRange<std::size_t>(0, 3), true);
  const auto before = snapshot(out);
  const int status = lg::interpolate_metrics(params, sizes, targets, out);
  require(one_of(status, {0, -1, -199}), "interpolate_metrics (sizes): status outside the documented codes");
  if (status != 0)
    return require(same(before, out), "interpolate_metrics (sizes): output changed by a failed call");
  require(params.size() == sizes.size() && (targets.empty() || !params.empty()),
          "interpolate_metrics (sizes): accepted sources of different lengths or no source");
  require(out.size() == targets.size(), "interpolate_metrics (sizes): not one size per target");
  // Sorted finite sources and targets: every size lies between the sources'.
  if (!all_finite(params) || !all_finite(sizes) || !all_finite(targets) || !non_decreasing(params) ||
      !non_decreasing(targets))
    return;
  double lo = INFINITY, hi = -INFINITY;
  for (std::size_t k = 0; k < sizes.size(); ++k) lo = std::fmin(lo, sizes[k]), hi = std::fmax(hi, sizes[k]);
  if (std::fmax(std::fabs(lo), std::fabs(hi)) > 1e300) return;
  const double tol = 1e-12 * std::fmax(std::fabs(lo), std::fabs(hi));
  for (std::size_t k = 0; k < out.size(); ++k)
    require(out[k] >= lo - tol && out[k] <= hi + tol,
            "interpolate_metrics (sizes): size outside the sources'");
}

void metrics_at_params(FuzzedDataProvider& in) {
  const std::size_t n = in.ConsumeIntegralInRange<std::size_t>(0, max_columns);
  const auto params = params_of(in, n);
  const auto metrics = metric_matrix(in, in.ConsumeBool() ? 3 : 6, length_near(in, n));
  const auto targets = params_of(in, in.ConsumeIntegralInRange<std::size_t>(0, max_columns));
  dense2D<double> out;
  switch (in.ConsumeIntegralInRange<int>(0, 3)) {
    case 0:
      break;
    case 1:
      out = matrix(in, in.ConsumeIntegralInRange<std::size_t>(0, 7),
                   in.ConsumeIntegralInRange<std::size_t>(0, 3));
      break;
    default:
      out = metric_matrix(in, metrics.rows(), in.ConsumeIntegralInRange<std::size_t>(0, 3));
  }
  const auto before = snapshot(out);
  const int status = lg::interpolate_metrics(params, metrics, targets, out);
  require(one_of(status, {0, -1, -2, -3, -4, -199}),
          "interpolate_metrics (metrics): status outside the documented codes");
  if (status != 0)
    return require(same(before, out), "interpolate_metrics (metrics): output changed by a failed call");
  if (targets.empty() || metrics.rows() == 0)
    return require(out.rows() == 0 || out.cols() == 0, "interpolate_metrics (metrics): output of no targets");
  require(
      metrics.cols() == params.size() && non_decreasing(params) && non_decreasing(targets) && !params.empty(),
      "interpolate_metrics (metrics): accepted bad parameters");
  require(out.rows() == metrics.rows() && out.cols() == targets.size(),
          "interpolate_metrics (metrics): not one metric per target");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  switch (in.ConsumeIntegralInRange<int>(0, 2)) {
    case 0:
      coordinates_at_params(in);
      break;
    case 1:
      sizes_at_params(in);
      break;
    default:
      metrics_at_params(in);
      break;
  }
  return 0;
}
