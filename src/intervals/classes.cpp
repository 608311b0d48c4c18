// Deviations of a class of equal curves as functions of its count.
#include <algorithm>
#include <cmath>
#include <limits>

#include "intervals/network.h"

namespace zarn {
namespace linegen {
namespace intervals {

double class_sum(const curve_class& c, count_t x) {
  double sum = 0;
  for (double g : c.goals) sum += deviation(static_cast<double>(x), g);
  return sum;
}

namespace {

count_t clamp_count(double x, count_t lo, count_t hi) {
  if (!(x > static_cast<double>(lo))) return lo;  // also NaN
  if (x >= static_cast<double>(hi)) return hi;
  return static_cast<count_t>(x);
}

}  // namespace

void settle_class(curve_class& c) {
  // The largest deviation max(x / gmin, gmax / x) falls then rises; its real
  // minimum is at the geometric mean of the two goals.
  count_t x = clamp_count(std::floor(std::sqrt(c.gmin) * std::sqrt(c.gmax)), c.lower, c.upper);
  while (x < c.upper && class_largest(c, x + 1) < class_largest(c, x)) ++x;
  while (x > c.lower && class_largest(c, x - 1) < class_largest(c, x)) --x;
  c.best_max = x;
  // The sum of deviations is convex in x: the first count from which it no
  // longer decreases.
  count_t lo = c.lower, hi = c.upper;
  while (lo < hi) {
    const count_t mid = lo + (hi - lo) / 2;
    if (class_sum(c, mid + 1) >= class_sum(c, mid))
      hi = mid;
    else
      lo = mid + 1;
  }
  c.best_sum = lo;
}

bool class_range(const curve_class& c, double R, count_t& a, count_t& b) {
  // x / gmin <= R bounds the count from above, gmax / x <= R from below; the
  // estimates are corrected by the exact comparisons the deviations use.
  b = clamp_count(std::floor(R * c.gmin), 0, c.upper);
  while (b > 0 && static_cast<double>(b) / c.gmin > R) --b;
  while (b < c.upper && static_cast<double>(b + 1) / c.gmin <= R) ++b;
  a = clamp_count(std::ceil(c.gmax / R), c.lower, max_count);
  while (a > c.lower && c.gmax / static_cast<double>(a - 1) <= R) --a;
  while (a <= b && c.gmax / static_cast<double>(a) > R) ++a;
  return a <= b;
}

double two_count_threshold(const curve_class& c) {
  double R = std::numeric_limits<double>::infinity();
  if (c.best_max > c.lower) R = std::min(R, class_largest(c, c.best_max - 1));
  if (c.best_max < c.upper) R = std::min(R, class_largest(c, c.best_max + 1));
  return R;
}

}  // namespace intervals
}  // namespace linegen
}  // namespace zarn
