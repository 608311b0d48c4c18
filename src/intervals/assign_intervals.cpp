// Element counts over a network of curves: the least largest deviation from
// the goals first, then the least sum of deviations at that largest one.
#include <algorithm>
#include <cmath>
#include <new>

#include <linegen/linegen.h>

#include "intervals/network.h"

namespace zarn {
namespace linegen {

namespace {

using intervals::count_t;

// Work each group's branch and bound may spend (terms examined by its bound
// reasoning, goals summed for its bound on the sum, branches) while minimising the largest deviation, and
// again while minimising the sum; a group of more than 16 curves, where the sum is not promised least, gets
// less for the sum.
constexpr long long work_bound = 1LL << 22;
constexpr long long large_sum_work_bound = 1LL << 16;

int check_arguments(const dense1D<double, 8>& goals, const dense1D<unsigned int, 8>& lower,
                    const dense1D<unsigned int, 8>& upper, const dense2D<int>& terms,
                    const dense1D<int, 8>& kinds) {
  const std::size_t n = goals.size();
  for (double g : goals)
    if (!(g > 0) || !std::isfinite(g)) return status_bad_argument(1);
  if (!lower.empty() && lower.size() != n) return status_bad_argument(2);
  for (unsigned int l : lower)
    if (l == 0) return status_bad_argument(2);
  if (!upper.empty() && upper.size() != n) return status_bad_argument(3);
  for (std::size_t i = 0; i < upper.size(); ++i)
    if (upper[i] < (lower.empty() ? 1u : lower[i])) return status_bad_argument(3);
  if (terms.cols() > 0 && terms.rows() != 3) return status_bad_argument(4);
  for (std::size_t j = 0; j < terms.cols(); ++j) {
    const int constraint = terms(0, j), curve = terms(1, j);
    if (constraint < 0 || static_cast<std::size_t>(constraint) >= kinds.size() || curve < 0 ||
        static_cast<std::size_t>(curve) >= n || terms(2, j) == 0)
      return status_bad_argument(4);
  }
  for (int kind : kinds)
    if (kind != 0 && kind != 1) return status_bad_argument(5);
  return status_ok;
}

std::size_t curves_in(const intervals::group& g) {
  std::size_t n = 0;
  for (const intervals::curve_class& c : g.classes) n += c.curves.size();
  return n;
}

// Solves every group; values[g] gets one count per class of group g.
int solve(const std::vector<intervals::group>& groups, std::vector<std::vector<count_t>>& values) {
  using intervals::outcome;
  std::vector<double> largest(groups.size(), 1);
  bool unproven = false;
  for (std::size_t i = 0; i < groups.size(); ++i) {
    if (groups[i].sums.empty()) {
      if (!intervals::parity_minimise_largest(groups[i], largest[i])) return status_bad_argument(4);
      continue;
    }
    const outcome o = intervals::general_minimise_largest(groups[i], work_bound, largest[i], values[i]);
    if (o == outcome::infeasible || o == outcome::not_found) return status_bad_argument(4);
    unproven = unproven || o == outcome::unproven;
  }
  // Every group may use the network's largest deviation to lower its sum.
  const double R = *std::max_element(largest.begin(), largest.end());
  for (std::size_t i = 0; i < groups.size(); ++i) {
    if (groups[i].sums.empty())
      intervals::parity_minimise_sum(groups[i], R, values[i]);
    else
      intervals::general_minimise_sum(
          groups[i], R, curves_in(groups[i]) > 16 ? large_sum_work_bound : work_bound, values[i]);
  }
  return unproven ? status_unproven : status_ok;
}

}  // namespace

int assign_intervals(const dense1D<double, 8>& goals, const dense1D<unsigned int, 8>& lower,
                     const dense1D<unsigned int, 8>& upper, const dense2D<int>& terms,
                     const dense1D<int, 8>& kinds, dense1D<unsigned int, 8>& counts) {
  const int code = check_arguments(goals, lower, upper, terms, kinds);
  if (code != status_ok) return code;
  const std::size_t n = goals.size();
  if (n == 0) {
    counts.clear();
    return status_ok;
  }
  try {
    std::vector<intervals::group> groups;
    if (!intervals::build_groups(goals.data(), lower.empty() ? nullptr : lower.data(),
                                 upper.empty() ? nullptr : upper.data(), n, terms.data(), terms.cols(),
                                 terms.ld(), kinds.data(), kinds.size(), groups))
      return status_bad_argument(4);
    std::vector<std::vector<count_t>> values(groups.size());
    const int status = solve(groups, values);
    if (status < 0) return status;
    if (!counts.resize(n)) return status_out_of_memory;
    for (std::size_t i = 0; i < groups.size(); ++i)
      for (std::size_t k = 0; k < groups[i].classes.size(); ++k)
        for (int curve : groups[i].classes[k].curves) counts[curve] = static_cast<unsigned int>(values[i][k]);
    return status;
  } catch (const std::bad_alloc&) {
    return status_out_of_memory;
  }
}

}  // namespace linegen
}  // namespace zarn
