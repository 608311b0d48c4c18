#include "progression/progression.h"

#include <cmath>
#include <limits>

namespace zarn {
namespace linegen {

double progression_fraction(double x, double h0, double h1) {
  const double r = h1 / h0;
  double f;
  if (r >= 0.999 && r <= 1.001) {
    // Near r = 1, (r^x - 1)/(r - 1) cancels catastrophically; its binomial
    // series in d = r - 1, to the third power, is accurate to about 1e-12.
    const double d = r - 1.0;
    const double t1 = d * 0.5 * (x - 1.0);
    const double t2 = d * 0.16666666666666666 * (x - 1.0) * d * (x - 2.0);
    const double t3 = d * 0.041666666666666664 * (x - 1.0) * d * (x - 2.0) * d * (x - 3.0);
    f = (t3 + t2 + t1 + 1.0) * x;
  } else if (r == 0.0 || r == std::numeric_limits<double>::infinity()) {
    // The ratio itself overflows or underflows (a subnormal or a huge size):
    // the same fraction from the logarithm of the ratio, written so that no
    // power overflows.
    const double lr = std::log(h1) - std::log(h0);
    f = lr > 0.0 ? std::exp((x - 1.0) * lr) * -std::expm1(-x * lr) / -std::expm1(-lr)
                 : std::expm1(x * lr) / std::expm1(lr);
  } else {
    f = (std::pow(r, x) - 1.0) / (r - 1.0);
  }
  if (x >= 0.0 && x <= 1.0) {
    // Rounding may push the fraction just outside [0, 1]; a node must not
    // land outside its segment.
    if (!(f >= 0.0)) f = 0.0;
    if (f > 1.0) f = 1.0;
  }
  return f;
}

double ideal_segment_count(double L, double h0, double h1) {
  double a = h0, b = h1;
  if (h0 > h1) {
    a = h1;
    b = h0;
  }
  // Equal finite sizes: t = 0 gives g = 1 exactly below, so the mean is a.
  if (a == b && a > 0.0 && a < HUGE_VAL) return L / a;
  const double t = (b - a) / a;
  if (!std::isfinite(t)) {
    // The ratio b / a overflows (a subnormal or a huge size): the logarithmic
    // mean (b - a) / log(b / a) with the logarithm taken as a difference,
    // which stays finite.
    const double mean = (b - a) / (std::log(b) - std::log(a));
    return mean > 0.0 ? L / mean : 0.0;
  }
  double g;  // t / log(1 + t): the logarithmic mean of a and b divided by a
  if (t >= 0.1) {
    g = t / std::log(1.0 + t);
  } else {
    // For small t, log(1 + t) loses digits; the series of t / log(1 + t) in
    // u = t/2 does not.
    const double u = t * 0.5;
    g = (1.0 - (0.3333333333333333 - (0.3333333333333333 - u * 0.42222222222222217) * u) * u) * u + 1.0;
  }
  const double mean = a * g;
  if (mean > 0.0) return L / mean;
  return 0.0;
}

std::uint64_t round_count(double x, std::uint64_t m) {
  constexpr std::uint64_t top = std::numeric_limits<std::uint64_t>::max();
  constexpr double two_pow_64 = 18446744073709551616.0;
  if (m == 0) m = 1;
  const double q_real = x / static_cast<double>(m);
  if (!(q_real >= 0.0)) return 0;  // negative or NaN: no count
  // Beyond 64 bits (or infinite) the truncation would be undefined: saturate.
  if (q_real >= two_pow_64) return top / m * m;
  const std::uint64_t q = static_cast<std::uint64_t>(q_real);
  if (q > top / m) return top / m * m;
  const std::uint64_t lo = q * m;
  if (lo > top - m) return lo;  // the next multiple is not representable
  const std::uint64_t hi = lo + m;
  // Below the first multiple the square x * x may underflow to 0, which would
  // round a tiny positive count down to none.
  if (lo == 0) return x > 0.0 ? hi : 0;
  // Rounding at the geometric mean sqrt(lo * hi) rather than the arithmetic
  // one balances the size error by ratio: at x = sqrt(lo * hi), lo elements
  // come out x/lo times the wanted size and hi elements hi/x times smaller,
  // the same factor. The product is formed in 64 bits where it fits and in
  // double otherwise, so it never wraps.
  const double product = (hi == 0 || lo <= top / hi) ? static_cast<double>(lo * hi)
                                                     : static_cast<double>(lo) * static_cast<double>(hi);
  return x * x > product ? hi : lo;
}

std::uint64_t bounded_element_count(double total, const count_bounds& bounds) {
  std::uint64_t n = round_count(total, bounds.force_even ? 2 : 1);
  if (n == 0) n = 1;
  if (n < bounds.nmin) n = bounds.nmin;
  if (n > bounds.nmax) n = bounds.nmax;
  if (bounds.round_up && static_cast<double>(n) < total) n += 1;
  if (bounds.force_even && n % 2 == 1) n += 1;
  return n;
}

bool checked_segment_count(double x, std::uint64_t m, std::uint64_t minimum, std::uint64_t used,
                           unsigned int& count) {
  if (!std::isfinite(x) || x < 0.0) return false;
  std::uint64_t n = round_count(x, m);
  // Raised to the first multiple of m at or above the minimum: a count that
  // rounds to 0 under force_even (m = 2) becomes 2, not an odd 1.
  if (n < minimum) n = (minimum + m - 1) / m * m;
  if (!fits_node_count(used, n)) return false;
  count = static_cast<unsigned int>(n);
  return true;
}

}  // namespace linegen
}  // namespace zarn
