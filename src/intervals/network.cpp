// From the caller's terms to groups of classes: constraints are merged per
// curve, two-curve equalities join classes, and every constraint joins its
// curves into one group.
#include <algorithm>
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

// Constraints as merged curve terms; two-curve equalities go into `classes`
// instead, and every kept constraint joins its curves in `groups`.
void sort_constraints(const int* terms, std::size_t term_count, std::size_t ld, const int* kinds,
                      std::size_t kind_count, std::vector<std::vector<curve_term>>& kept,
                      disjoint_sets& classes, disjoint_sets& groups) {
  std::vector<std::vector<curve_term>> by_constraint(kind_count);
  for (std::size_t j = 0; j < term_count; ++j) {
    const int* column = terms + j * ld;
    by_constraint[column[0]].push_back({column[1], column[2]});
  }
  for (std::size_t k = 0; k < kind_count; ++k) {
    std::vector<curve_term>& t = by_constraint[k];
    merge_terms(t, kinds[k] == 1);
    if (t.empty()) continue;
    if (kinds[k] == 0 && t.size() == 2 && t[0].coef == -t[1].coef) {
      classes.join(t[0].curve, t[1].curve);
      groups.join(t[0].curve, t[1].curve);
      continue;
    }
    for (const curve_term& term : t) groups.join(term.curve, t[0].curve);
    kept.push_back(std::move(t));
    if (kinds[k] == 1) kept.back().push_back({-1, 0});  // marks a parity constraint
  }
}

}  // namespace

bool build_groups(const double* goals, const unsigned int* lower, const unsigned int* upper, std::size_t n,
                  const int* terms, std::size_t term_count, std::size_t term_ld, const int* kinds,
                  std::size_t kind_count, std::vector<group>& groups) {
  disjoint_sets classes(n), sets(n);
  std::vector<std::vector<curve_term>> kept;
  sort_constraints(terms, term_count, term_ld, kinds, kind_count, kept, classes, sets);

  // Number the groups and, inside each, the classes, in curve order.
  std::vector<int> group_of(n, -1), class_of(n, -1);
  for (std::size_t i = 0; i < n; ++i) {
    const int gr = sets.find(static_cast<int>(i)), cr = classes.find(static_cast<int>(i));
    if (group_of[gr] < 0) {
      group_of[gr] = static_cast<int>(groups.size());
      groups.emplace_back();
    }
    group& g = groups[group_of[gr]];
    if (class_of[cr] < 0) {
      class_of[cr] = static_cast<int>(g.classes.size());
      g.classes.emplace_back();
      g.classes.back().gmin = g.classes.back().gmax = goals[i];
    }
    curve_class& c = g.classes[class_of[cr]];
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

  // The kept constraints over classes, merged again (a class may appear
  // through several of its curves).
  for (std::vector<curve_term>& t : kept) {
    const bool parity = t.back().curve < 0;
    if (parity) t.pop_back();
    group& g = groups[group_of[sets.find(t[0].curve)]];
    for (curve_term& term : t) term.curve = class_of[classes.find(term.curve)];
    merge_terms(t, parity);
    if (parity) {
      if (t.empty()) continue;  // an even count of each class: always met
      g.parities.emplace_back();
      for (const curve_term& term : t) g.parities.back().push_back(term.curve);
    } else if (!t.empty()) {  // an empty one is met by any counts
      g.sums.emplace_back();
      for (const curve_term& term : t) g.sums.back().push_back({term.curve, term.coef});
    }
  }
  return true;
}

}  // namespace intervals
}  // namespace linegen
}  // namespace zarn
