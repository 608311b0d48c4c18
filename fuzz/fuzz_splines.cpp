// Fuzzes the splines: spline_point in 2D and 3D, and mesh_spline with sizes
// and with metrics.
#include <cfloat>

#include "fuzz_lines.h"
#include "spline/spline_sampling.h"

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

// The work a mesh_spline request costs, estimated with the library's own
// spline and chordal-size rules: the sample count (sub-intervals of each
// segment, as the sampling counts them) and a bound of the element count
// (the sampled length over the smallest size any source can give).
template <int D>
void spline_work(const dense2D<double>& coords, const dense1D<unsigned int, 8>& ids, double chordal,
                 double min_size, double smallest_given, double& samples, double& elements) {
  namespace lg = zarn::linegen;
  constexpr double x[4] = {-0.8611363115940526, -0.3399810435848563, 0.3399810435848563, 0.8611363115940526};
  constexpr double w[4] = {0.3478548451374538, 0.6521451548625461, 0.6521451548625461, 0.3478548451374538};
  const bool tolerance = !(chordal == 0 || std::isnan(chordal) || chordal == DBL_MAX || chordal == -DBL_MAX);
  const double delta = 0.1 * chordal, floor = 0.5 * min_size;
  samples = 1;
  double length = 0, smallest = smallest_given;
  for (std::size_t k = 0; k + 3 < ids.size(); ++k) {
    lg::spline_segment<D> seg;
    lg::spline_coefficients(coords, ids[k], ids[k + 1], ids[k + 2], ids[k + 3], seg);
    double S = 0;
    for (int i = 0; i < 4; ++i) {
      const double t = (x[i] + 1) / 2;
      double d2 = 0;
      for (int c = 0; c < D; ++c) {
        const double d = seg.a1[c] + 2 * seg.a2[c] * t + 3 * seg.a3[c] * t * t;
        d2 += d * d;
      }
      S += 0.5 * w[i] * std::sqrt(d2);
    }
    double h = DBL_MAX, kappa = 0;
    for (double t : {0.0, 0.25, 0.5, 0.75, 1.0}) {
      const double kt = lg::spline_curvature<D>(seg, t);
      kappa = std::fmax(kappa, kt);
      if (tolerance) h = std::fmin(h, lg::chordal_size(kt, delta));
    }
    h = std::fmax(floor, h);
    samples += h >= DBL_MAX ? 2 : std::fmax(2, std::ceil(S / h));
    length += S;
    if (tolerance) smallest = std::fmin(smallest, std::fmax(min_size, lg::chordal_size(kappa, chordal)));
  }
  if (std::isnan(samples)) samples = INFINITY;
  elements = smallest > 0 ? length / smallest : INFINITY;
  if (std::isnan(elements)) elements = INFINITY;
}

template <int D>
void mesh(FuzzedDataProvider& in) {
  namespace lg = zarn::linegen;
  auto coords = matrix(in, D, in.ConsumeIntegralInRange<std::size_t>(0, 24));
  if (in.ConsumeIntegralInRange<int>(0, 9) == 0) coords = coordinates(in);
  // Free ends (A, A, ..., Z, Z), a closed curve, or any list.
  dense1D<unsigned int, 8> ids;
  const int shape = in.ConsumeIntegralInRange<int>(0, 3);
  if (shape == 3 || coords.cols() < 2) {
    ids = id_list(in, coords.cols() + 1);
  } else {
    const auto inner = chain(in, coords.cols());
    const std::size_t n = inner.size();
    if (n >= 2) {
      require(ids.resize(n + 2), "allocation");
      for (std::size_t k = 0; k < n; ++k) ids[k + 1] = inner[k];
      const bool closed = shape == 1 && n >= 3;
      ids[0] = closed ? inner[n - 2] : inner[0];
      ids[n + 1] = closed ? inner[1] : inner[n - 1];
    }
  }
  const bool metrics_form = in.ConsumeBool();
  const std::size_t rows = coords.rows() == 3 ? 6 : 3;
  const std::size_t count =
      in.ConsumeIntegralInRange<int>(0, 9) == 0 ? in.ConsumeIntegralInRange<std::size_t>(0, 30) : ids.size();
  const auto metrics = metric_matrix(in, rows, count);
  const auto sizes = value_list(in, count, true);
  const bool even = in.ConsumeBool();
  const unsigned int nmin = lower_count(in), nmax = upper_count(in);
  const double chordal = chordal_value(in);
  const double min_size = in.ConsumeIntegralInRange<int>(0, 3) == 0
                              ? awkward_double(in)
                              : (in.ConsumeBool() ? 0.0 : size_value(in));
  const double default_size = in.ConsumeBool() ? 0.0 : size_value(in);
  const double gradation = in.ConsumeBool() ? 0.0 : awkward_double(in);
  auto out = id_list(in, coords.cols() + 1);
  auto out_params = value_list(in, in.ConsumeIntegralInRange<std::size_t>(0, 2), false);
  auto out_sizes = value_list(in, in.ConsumeIntegralInRange<std::size_t>(0, 2), true);
  dense2D<double> out_metrics;
  if (in.ConsumeBool())
    out_metrics = in.ConsumeIntegralInRange<int>(0, 3) == 0
                      ? matrix(in, in.ConsumeIntegralInRange<std::size_t>(0, 7), 1)
                      : metric_matrix(in, rows, 1);

  // Skip valid requests that sample or mesh millions of points.
  // The library picks its form by the row count of coords, not by the
  // harness's dimension, so the estimate does too.
  const std::size_t dim = coords.rows();
  if ((dim == 2 || dim == 3) && ids.size() >= 4 && valid_new_ids(ids, 0, coords.cols())) {
    double smallest = INFINITY;
    for (std::size_t k = 0; k < ids.size(); ++k) {
      if (metrics_form && k < metrics.cols()) smallest = std::fmin(smallest, smallest_size(metrics, k));
      if (!metrics_form && k < sizes.size()) smallest = std::fmin(smallest, sizes[k]);
    }
    if (default_size > 0 && gradation > 0) smallest = std::fmin(smallest, default_size);
    double samples, elements;
    if (dim == 2)
      spline_work<2>(coords, ids, chordal, min_size, smallest, samples, elements);
    else
      spline_work<3>(coords, ids, chordal, min_size, smallest, samples, elements);
    if (skip_count(samples) || skip_count(nmin)) return;
    if (nmin >= 1 && nmin <= nmax && skip_count(std::fmin(elements, double(nmax) + 1))) return;
  }

  const auto before = snapshot(coords);
  const auto old = snapshot(out);
  const auto old_params = snapshot(out_params);
  const auto old_sizes = snapshot(out_sizes);
  const auto old_metrics = snapshot(out_metrics);
  double deviation = -1;
  int status;
  if (metrics_form) {
    status = lg::mesh_spline(coords, ids, metrics, even, nmin, nmax, chordal, min_size, default_size,
                             gradation, out, out_params, out_metrics, deviation);
    require(one_of(status, {0, -1, -2, -3, -5, -8, -13, -199}),
            "mesh_spline (metrics): status outside the codes");
  } else {
    status = lg::mesh_spline(coords, ids, sizes, even, nmin, nmax, chordal, min_size, default_size, gradation,
                             out, out_params, out_sizes, deviation);
    require(one_of(status, {0, -1, -2, -3, -5, -8, -199}), "mesh_spline (sizes): status outside the codes");
  }
  require(same(old_sizes, out_sizes) || !metrics_form, "mesh_spline (metrics): out_sizes touched");
  require(same(old_metrics, out_metrics) || metrics_form, "mesh_spline (sizes): out_metrics touched");
  if (status != 0) {
    require(same(before, coords), "mesh_spline: coords changed by a failed call");
    require(same(old, out) && same(old_params, out_params) && same(old_sizes, out_sizes) &&
                same(old_metrics, out_metrics),
            "mesh_spline: outputs changed by a failed call");
    require(deviation == 0, "mesh_spline: max_deviation not 0 after a failed call");
    return;
  }
  require(prefix_kept(before, coords) && coords.rows() == before.rows(),
          "mesh_spline: existing nodes changed");
  require(ids.size() >= 4, "mesh_spline: accepted fewer than 4 entries");
  // The chain runs from entry 1 to entry N-2.
  const dense1D<unsigned int, 8> real = ids.sub_vector(1, ids.size() - 2);
  require(prefix_kept(old, out), "mesh_spline: out_indices not appended to");
  const std::size_t m = out.size() - old.size();
  require(m >= 2 && out[old.size()] == real[0] && out[out.size() - 1] == real[real.size() - 1],
          "mesh_spline: chain ends");
  require(valid_new_ids(out, old.size(), coords.cols()), "mesh_spline: new identifier is not a column");
  std::size_t next = before.cols();
  for (std::size_t k = old.size() + 1; k + 1 < out.size(); ++k) {
    require(out[k] == next, "mesh_spline: new nodes not numbered in order");
    ++next;
  }
  require(next == coords.cols(), "mesh_spline: new columns and chain disagree");
  require(prefix_kept(old_params, out_params) && out_params.size() - old_params.size() == m,
          "mesh_spline: out_params not appended one per chain node");
  if (metrics_form)
    // An output without entries (0 rows, any columns) may keep or drop its columns.
    require(out_metrics.rows() == rows &&
                (out_metrics.cols() == old_metrics.cols() + m ||
                 (old_metrics.empty() && out_metrics.cols() == m)) &&
                (old_metrics.empty() || prefix_kept(old_metrics, out_metrics)),
            "mesh_spline (metrics): out_metrics not appended one per chain node");
  else
    require(prefix_kept(old_sizes, out_sizes) && out_sizes.size() - old_sizes.size() == m,
            "mesh_spline (sizes): out_sizes not appended one per chain node");
  require(deviation >= 0, "mesh_spline: negative or NaN deviation");
  // A spline whose length overflows fails; every accepted spline through
  // finite nodes has parameters in [0, 1] and a count within the bounds.
  for (std::size_t k = 0; k < ids.size(); ++k)
    for (std::size_t i = 0; i < coords.rows(); ++i)
      if (!std::isfinite(coords(i, ids[k]))) return;
  for (std::size_t k = old_params.size(); k < out_params.size(); ++k)
    require(std::isfinite(out_params[k]), "mesh_spline: parameter not finite");
  for (std::size_t k = old_params.size(); k < out_params.size(); ++k)
    require(out_params[k] >= 0 && out_params[k] <= 1, "mesh_spline: parameter outside [0, 1]");
  const std::size_t elements = m - 1;
  require(!even || elements % 2 == 0, "mesh_spline: odd count under force_even");
  require(elements >= nmin && elements <= std::size_t(nmax) + (even ? 1 : 0),
          "mesh_spline: count out of bounds");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  switch (in.ConsumeIntegralInRange<int>(0, 3)) {
    case 0:
      point<2>(in);
      break;
    case 1:
      point<3>(in);
      break;
    case 2:
      mesh<2>(in);
      break;
    default:
      mesh<3>(in);
      break;
  }
  return 0;
}
