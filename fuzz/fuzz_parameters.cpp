// Fuzzes the parameter utilities: sort and subdivide.
#include <algorithm>
#include <utility>
#include <vector>

#include "fuzz_common.h"
#include "progression/progression.h"

namespace {

using namespace fuzzing;
namespace lg = zarn::linegen;

bool finite(double x) { return std::isfinite(x); }

// Keys that repeat, tie and include NaN and -0.
dense1D<double, 8> keys(FuzzedDataProvider& in, std::size_t n) {
  dense1D<double, 8> v(n);
  for (std::size_t k = 0; k < n; ++k) {
    const int pick = in.ConsumeIntegralInRange<int>(0, 5);
    if (pick == 0 && k > 0)
      v[k] = v[k - 1];
    else if (pick == 1)
      v[k] = awkward_double(in);
    else
      v[k] = double(in.ConsumeIntegralInRange<int>(-3, 3)) * 0.5;
  }
  return v;
}

void sorting(FuzzedDataProvider& in) {
  const std::size_t n = in.ConsumeIntegralInRange<std::size_t>(0, max_columns);
  auto params = keys(in, n);
  auto ids = id_list(in, 4294967295u);
  if (in.ConsumeIntegralInRange<int>(0, 4) != 0) {
    require(ids.resize(n), "allocation");
    for (std::size_t k = 0; k < n; ++k) ids[k] = in.ConsumeIntegralInRange<unsigned int>(0, 9);
  }
  const auto p0 = snapshot(params);
  const auto i0 = snapshot(ids);
  const int status = lg::sort(params, ids);
  require(one_of(status, {0, -1, -199}), "sort: status outside the documented codes");
  if (status != 0) {
    require(same(p0, params) && same(i0, ids), "sort: lists changed by a failed call");
    return;
  }
  require(p0.size() == i0.size() && params.size() == n && ids.size() == n, "sort: lengths");
  // The same pairs, in order: by parameter, ties by identifier, NaN last.
  std::vector<std::pair<double, unsigned int>> was, now;
  for (std::size_t k = 0; k < n; ++k) {
    was.emplace_back(p0[k], i0[k]);
    now.emplace_back(params[k], ids[k]);
  }
  auto key = [](const std::pair<double, unsigned int>& a) {
    return std::make_pair(std::isnan(a.first) ? 1 : 0, a.second);
  };
  for (std::size_t k = 0; k + 1 < n; ++k) {
    const auto& a = now[k];
    const auto& b = now[k + 1];
    const bool an = std::isnan(a.first), bn = std::isnan(b.first);
    require(!an || bn, "sort: NaN before a number");
    if (!an && !bn) {
      require(a.first <= b.first, "sort: parameters not ascending");
      if (a.first == b.first) require(a.second <= b.second, "sort: tie not ordered by identifier");
    } else if (an && bn) {
      require(a.second <= b.second, "sort: NaNs not ordered by identifier");
    }
  }
  auto canon = [&](std::vector<std::pair<double, unsigned int>> v) {
    std::sort(v.begin(), v.end(), [&](const auto& a, const auto& b) {
      if (key(a).first != key(b).first) return key(a).first < key(b).first;
      if (!std::isnan(a.first) && a.first != b.first) return a.first < b.first;
      if (a.second != b.second) return a.second < b.second;
      return std::signbit(a.first) > std::signbit(b.first);
    });
    return v;
  };
  const auto cw = canon(was), cn = canon(now);
  for (std::size_t k = 0; k < n; ++k)
    require(cw[k].second == cn[k].second &&
                (cw[k].first == cn[k].first || (std::isnan(cw[k].first) && std::isnan(cn[k].first))),
            "sort: pairs lost or altered");
}

// An upper count: none (4294967295) often, small or anything otherwise.
unsigned int upper_count(FuzzedDataProvider& in) {
  switch (in.ConsumeIntegralInRange<int>(0, 3)) {
    case 0:
      return 4294967295u;
    case 1:
      return in.ConsumeIntegralInRange<unsigned int>(0, 4294967295u);
    default:
      return in.ConsumeIntegralInRange<unsigned int>(0, 300);
  }
}

// The element count subdivide will settle on, computed with the library's own
// laws, to skip valid requests for millions of nodes.
double expected_count(const dense1D<double, 8>& params, const dense1D<double, 8>& sizes,
                      const dense1D<unsigned int, 8>& chain, bool even, unsigned int nmin,
                      unsigned int nmax) {
  double T = 0;
  for (std::size_t k = 1; k < chain.size(); ++k)
    T += lg::ideal_segment_count(std::fabs(params[chain[k]] - params[chain[k - 1]]), sizes[chain[k - 1]],
                                 sizes[chain[k]]);
  double n = double(lg::round_count(T, even ? 2 : 1));
  n = std::fmin(std::fmax(std::fmax(n, 1.0), double(nmin)), double(nmax));
  return n + 2;
}

void subdividing(FuzzedDataProvider& in) {
  const std::size_t n = in.ConsumeIntegralInRange<std::size_t>(0, max_columns);
  auto params = increasing_params(in, n);
  auto sizes = value_list(
      in, in.ConsumeIntegralInRange<int>(0, 7) == 0 ? in.ConsumeIntegralInRange<std::size_t>(0, n) : n, true);
  const auto nodes = in.ConsumeBool() ? chain(in, n) : id_list(in, n + 1);
  auto out = id_list(in, 100);
  const bool round_up = in.ConsumeBool(), even = in.ConsumeBool();
  unsigned int nmin = in.ConsumeIntegralInRange<unsigned int>(0, 6), nmax = upper_count(in);
  if (in.ConsumeIntegralInRange<int>(0, 7) == 0)
    nmin = in.ConsumeIntegralInRange<unsigned int>(0, 4294967295u);
  bool valid_chain = nodes.size() >= 2;
  for (std::size_t k = 0; k < nodes.size(); ++k)
    valid_chain = valid_chain && nodes[k] < params.size() && nodes[k] < sizes.size();
  if (valid_chain && nmin != 0 && nmin <= nmax) {
    // Past 2e8 new nodes the reservations exceed the allocation limit (or
    // the identifier range) and must fail with -199.
    const double count = expected_count(params, sizes, nodes, even, nmin, nmax);
    if (count > 1e5 && count < 2e8) return;
  }
  const auto p0 = snapshot(params), s0 = snapshot(sizes);
  const auto o0 = snapshot(out);
  const int status = lg::subdivide(params, sizes, nodes, round_up, even, nmin, nmax, out);
  require(one_of(status, {0, -2, -6, -199}), "subdivide: status outside the documented codes");
  if (status != 0) {
    require(same(p0, params) && same(s0, sizes) && same(o0, out),
            "subdivide: lists changed by a failed call");
    return;
  }
  require(valid_chain && nmin != 0 && nmin <= nmax, "subdivide: accepted invalid arguments");
  const std::size_t created = params.size() - p0.size();
  require(prefix_kept(p0, params) && prefix_kept(s0, sizes) && prefix_kept(o0, out),
          "subdivide: not appended");
  require(sizes.size() - s0.size() == created && out.size() - o0.size() == created + 2,
          "subdivide: counts disagree");
  require(created + 1 >= nmin, "subdivide: fewer elements than nmin");
  require(!even || (created + 1) % 2 == 0, "subdivide: odd count with force_even");
  require(out[o0.size()] == nodes[0] && out[out.size() - 1] == nodes[nodes.size() - 1],
          "subdivide: chain ends");
  for (std::size_t j = 0; j < created; ++j)
    require(out[o0.size() + 1 + j] == p0.size() + j, "subdivide: new identifiers not consecutive");
  // With finite parameters and positive finite sizes the new nodes stay in
  // the chain's range and the sizes between the chain's sizes.
  double plo = INFINITY, phi = -INFINITY, slo = INFINITY, shi = -INFINITY;
  bool tame = true;
  for (std::size_t k = 0; k < nodes.size(); ++k) {
    const double p = p0[nodes[k]], s = s0[nodes[k]];
    tame = tame && finite(p) && finite(s) && s > 0;
    plo = std::fmin(plo, p), phi = std::fmax(phi, p), slo = std::fmin(slo, s), shi = std::fmax(shi, s);
  }
  if (!tame) return;
  const double pt = 1e-12 * std::fmax(1.0, std::fmax(std::fabs(plo), std::fabs(phi)));
  const double st = 1e-12 * shi;
  for (std::size_t j = 0; j < created; ++j) {
    const double p = params[p0.size() + j], s = sizes[s0.size() + j];
    require(p >= plo - pt && p <= phi + pt, "subdivide: new parameter outside the chain's range");
    require(s >= slo - st && s <= shi + st, "subdivide: new size outside the chain's sizes");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  if (in.ConsumeBool())
    sorting(in);
  else
    subdividing(in);
  return 0;
}
