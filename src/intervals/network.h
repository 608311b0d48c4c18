// Interval assignment works on groups: sets of curves that share no
// constraint with the rest of the network, solved one at a time. Inside a
// group, curves that a two-curve equality ties together form a class with one
// common count; the group's remaining constraints are written over classes.
#pragma once

#include <cstdint>
#include <vector>

namespace zarn {
namespace linegen {
namespace intervals {

using count_t = long long;  // a candidate count, 1 ... max_count
constexpr count_t max_count = 4294967295LL;

// How far count x is from goal g: max(x / g, g / x), at least 1.
inline double deviation(double x, double g) {
  const double up = x / g, down = g / x;
  return up > down ? up : down;
}

// Curves whose counts are equal.
struct curve_class {
  std::vector<int> curves;  // curve numbers of the network
  std::vector<double> goals;
  double gmin = 0, gmax = 0;  // smallest and largest goal
  count_t lower = 1, upper = max_count;
  count_t best_max = 1;  // least largest deviation over [lower, upper]
  count_t best_sum = 1;  // least sum of deviations over [lower, upper]
};

struct class_term {
  int cls;
  long long coef;
};

struct group {
  std::vector<curve_class> classes;
  std::vector<std::vector<class_term>> sums;  // sum of coef * count is 0
  std::vector<std::vector<int>> parities;     // sum of the counts is even
};

// Outcome of one group's search for the least largest deviation.
enum class outcome { proven, unproven, infeasible, not_found };

// The largest deviation of the class's curves at count x.
inline double class_largest(const curve_class& c, count_t x) {
  const double up = static_cast<double>(x) / c.gmin, down = c.gmax / static_cast<double>(x);
  return up > down ? up : down;
}
double class_sum(const curve_class& c, count_t x);
// Fills lower/upper-derived fields best_max and best_sum (lower <= upper).
void settle_class(curve_class& c);
// The counts of the class whose largest deviation is at most R: [a, b];
// false when there is none.
bool class_range(const curve_class& c, double R, count_t& a, count_t& b);
// The least R at which the class can take two counts (infinite for a fixed one).
double two_count_threshold(const curve_class& c);

// Splits the network into groups (arguments already checked; lower and upper
// may be null for absent bounds; terms: 3 entries per column, ld apart).
// False when a class has no count within its curves' bounds.
bool build_groups(const double* goals, const unsigned int* lower, const unsigned int* upper, std::size_t n,
                  const int* terms, std::size_t term_count, std::size_t term_ld, const int* kinds,
                  std::size_t kind_count, std::vector<group>& groups);

// Groups without sums of several curves: parity over classes by linear
// algebra over GF(2). minimise_largest gives the least largest deviation
// (false: infeasible, proven); minimise_sum fills one count per class with
// every largest deviation at most R.
bool parity_minimise_largest(const group& g, double& R);
void parity_minimise_sum(const group& g, double R, std::vector<count_t>& values);

// Groups with sums of several curves: branch and bound within `budget` units
// of work (a term examined by the bound reasoning, a goal summed for the
// bound on the sum, or a branch). values: one
// count per class.
outcome general_minimise_largest(const group& g, long long budget, double& R, std::vector<count_t>& values);
void general_minimise_sum(const group& g, double R, long long budget, std::vector<count_t>& values);

}  // namespace intervals
}  // namespace linegen
}  // namespace zarn
