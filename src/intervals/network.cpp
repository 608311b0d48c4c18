// From the caller's terms to groups of classes: constraints are merged per
// curve, two-curve equalities join classes, and every constraint joins its
// curves into one group.
#include <algorithm>
#include <cstdlib>
#include <limits>
#include <map>
#include <numeric>

#include "intervals/network.h"

namespace zarn {
namespace linegen {
namespace intervals {

namespace {

struct disjoint_sets {
  std::vector<int> parent;
  explicit disjoint_sets(std::size_t n) : parent(n) { std::iota(parent.begin(), parent.end(), 0); }
  int find(int i) {
    while (parent[i] != i) i = parent[i] = parent[parent[i]];
    return i;
  }
  void join(int i, int j) { parent[find(i)] = find(j); }
};

struct curve_term {
  int curve;
  long long coef;
};

// One constraint's terms with each curve once and no zero coefficient (for
// parity, coefficients taken modulo 2).
void merge_terms(std::vector<curve_term>& t, bool parity) {
  std::sort(t.begin(), t.end(), [](const curve_term& a, const curve_term& b) { return a.curve < b.curve; });
  std::size_t out = 0;
  for (std::size_t k = 0; k < t.size();) {
    long long coef = 0;
    const int curve = t[k].curve;
    for (; k < t.size() && t[k].curve == curve; ++k) coef += parity ? (t[k].coef & 1) : t[k].coef;
    if (parity) coef &= 1;
    if (coef != 0) t[out++] = {curve, coef};
  }
  t.resize(out);
}

// Sums are written side against side: the positive terms, and the negative
// ones negated. A side of several curves (or one curve with a coefficient
// other than 1) becomes a count of its own, numbered from n, defined by a
// sum, and shared by every constraint with the same side. Then the two
// faces on either side of a side made of several curves give two-count
// equalities (y1 = s, s = y2), which join classes, instead of two sums over
// the same curves, on which interval reasoning loses that y1 = y2.
class side_counts {
 public:
  explicit side_counts(std::size_t n) : next_(static_cast<int>(n)) {}
  int of(const std::vector<curve_term>& side, std::vector<std::vector<curve_term>>& sums,
         disjoint_sets& groups) {
    if (side.size() == 1 && side[0].coef == 1) return side[0].curve;
    std::vector<std::pair<int, long long>> key;
    for (const curve_term& t : side) key.push_back({t.curve, t.coef});
    const auto found = known_.emplace(key, next_);
    if (!found.second) return found.first->second;
    std::vector<curve_term> definition = side;
    definition.push_back({next_, -1});
    for (const curve_term& t : side) groups.join(t.curve, next_);
    sums.push_back(std::move(definition));
    return next_++;
  }
  int count() const { return next_; }

 private:
  int next_;
  std::map<std::vector<std::pair<int, long long>>, int> known_;
};

// Constraints as merged curve terms; equalities of two counts go into
// `classes` instead, and every constraint joins its curves in `groups`.
void sort_constraints(const int* terms, std::size_t term_count, std::size_t ld, const int* kinds,
                      std::size_t kind_count, std::vector<std::vector<curve_term>>& sums,
                      std::vector<std::vector<curve_term>>& parities, disjoint_sets& classes,
                      disjoint_sets& groups, side_counts& sides) {
  std::vector<std::vector<curve_term>> by_constraint(kind_count);
  for (std::size_t j = 0; j < term_count; ++j) {
    const int* column = terms + j * ld;
    by_constraint[column[0]].push_back({column[1], column[2]});
  }
  for (std::size_t k = 0; k < kind_count; ++k) {
    std::vector<curve_term>& t = by_constraint[k];
    merge_terms(t, kinds[k] == 1);
    if (t.empty()) continue;
    for (const curve_term& term : t) groups.join(term.curve, t[0].curve);
    std::vector<curve_term> plus, minus;
    for (const curve_term& term : t)
      (term.coef > 0 ? plus : minus).push_back({term.curve, std::abs(term.coef)});
    if (kinds[k] == 1 || plus.empty() || minus.empty()) {  // a sum of one sign cannot be 0
      (kinds[k] == 1 ? parities : sums).push_back(std::move(t));
      continue;
    }
    const int a = sides.of(plus, sums, groups), b = sides.of(minus, sums, groups);
    classes.join(a, b);
    groups.join(a, b);
  }
}

// A constraint over classes into its group, merged again (a class may appear
// through several of its curves).
void add_constraint(std::vector<curve_term>& t, bool parity, disjoint_sets& sets, disjoint_sets& classes,
                    const std::vector<int>& group_of, const std::vector<int>& class_of,
                    std::vector<group>& groups) {
  group& g = groups[group_of[sets.find(t[0].curve)]];
  for (curve_term& term : t) term.curve = class_of[classes.find(term.curve)];
  merge_terms(t, parity);
  if (t.empty()) return;  // met by any counts
  if (parity) {
    g.parities.emplace_back();
    for (const curve_term& term : t) g.parities.back().push_back(term.curve);
  } else {
    g.sums.emplace_back();
    for (const curve_term& term : t) g.sums.back().push_back({term.curve, term.coef});
  }
}

}  // namespace

bool build_groups(const double* goals, const unsigned int* lower, const unsigned int* upper, std::size_t n,
                  const int* terms, std::size_t term_count, std::size_t term_ld, const int* kinds,
                  std::size_t kind_count, std::vector<group>& groups) {
  // Curves, then at most two side counts per constraint.
  disjoint_sets classes(n + 2 * kind_count), sets(n + 2 * kind_count);
  std::vector<std::vector<curve_term>> sums, parities;
  side_counts sides(n);
  sort_constraints(terms, term_count, term_ld, kinds, kind_count, sums, parities, classes, sets, sides);
  const std::size_t counts = static_cast<std::size_t>(sides.count());

  // Number the groups and, inside each, the classes, in curve order.
  std::vector<int> group_of(counts, -1), class_of(counts, -1);
  for (std::size_t i = 0; i < counts; ++i) {
    const int gr = sets.find(static_cast<int>(i)), cr = classes.find(static_cast<int>(i));
    if (group_of[gr] < 0) {
      group_of[gr] = static_cast<int>(groups.size());
      groups.emplace_back();
    }
    group& g = groups[group_of[gr]];
    if (class_of[cr] < 0) {
      class_of[cr] = static_cast<int>(g.classes.size());
      g.classes.emplace_back();
      // No goal yet: a class of side counts alone deviates nowhere (its
      // largest deviation max(x / inf, 0 / x) is 0, its sum 0). Side counts
      // keep the bounds 1 ... max_count.
      g.classes.back().gmin = std::numeric_limits<double>::infinity();
      g.classes.back().gmax = 0;
    }
    curve_class& c = g.classes[class_of[cr]];
    if (i >= n) continue;
    c.curves.push_back(static_cast<int>(i));
    c.goals.push_back(goals[i]);
    c.gmin = std::min(c.gmin, goals[i]);
    c.gmax = std::max(c.gmax, goals[i]);
    if (lower) c.lower = std::max<count_t>(c.lower, lower[i]);
    if (upper) c.upper = std::min<count_t>(c.upper, upper[i]);
  }
  for (group& g : groups)
    for (curve_class& c : g.classes) {
      if (c.lower > c.upper) return false;
      settle_class(c);
    }

  for (std::vector<curve_term>& t : sums) add_constraint(t, false, sets, classes, group_of, class_of, groups);
  for (std::vector<curve_term>& t : parities)
    add_constraint(t, true, sets, classes, group_of, class_of, groups);
  return true;
}

}  // namespace intervals
}  // namespace linegen
}  // namespace zarn
