// Groups with sums over several classes (sides made of several curves): a
// depth-first branch and bound over the classes' count ranges. Each node
// narrows the ranges by interval reasoning on every sum and parity, then
// halves the smallest open range; when the sum of deviations is minimised,
// a node whose least possible sum (every class at its best count within its
// range, the constraints relaxed) reaches the best result so far is cut.
#include <algorithm>
#include <cmath>
#include <numeric>

#include "intervals/network.h"

namespace zarn {
namespace linegen {
namespace intervals {

namespace {

__extension__ typedef __int128 wide;  // sums of coefficient x count need 94+ bits

wide floor_div(wide a, wide b) {
  wide q = a / b;
  if (a % b != 0 && ((a < 0) != (b < 0))) --q;
  return q;
}
wide ceil_div(wide a, wide b) {
  wide q = a / b;
  if (a % b != 0 && ((a < 0) == (b < 0))) ++q;
  return q;
}

enum class result { found, none, stopped };

class searcher {
 public:
  searcher(const group& g, bool minimise_sum, long long budget)
      : g_(g), sum_(minimise_sum), budget_(budget), lo_(g.classes.size()), hi_(g.classes.size()) {
    for (const auto& t : g.sums) pass_work_ += static_cast<long long>(t.size());
    for (const auto& t : g.parities) pass_work_ += static_cast<long long>(t.size());
  }

  // The ranges of largest deviation at most R; false when a class has none.
  bool start(double R) {
    bound_ = 0;
    for (std::size_t k = 0; k < lo_.size(); ++k) {
      if (!class_range(g_.classes[k], R, lo_[k], hi_[k])) return false;
      if (sum_) bound_ += least(static_cast<int>(k));
    }
    return true;
  }
  // Feasibility: the first result found. Sum: results below best_cost
  // replace best.
  result run(std::vector<count_t>& best, double& best_cost);

 private:
  struct change {
    int k;
    count_t lo, hi;
  };
  struct frame {  // the branch still to visit
    int k;
    count_t lo, hi;
    std::size_t mark;
    double bound;
  };

  double least(int k) const {
    const curve_class& c = g_.classes[k];
    return class_sum(c, std::min(std::max(c.best_sum, lo_[k]), hi_[k]));
  }
  bool narrow(int k, count_t lo, count_t hi, bool& changed) {
    lo = std::max(lo, lo_[k]);
    hi = std::min(hi, hi_[k]);
    if (lo > hi) return false;
    if (lo == lo_[k] && hi == hi_[k]) return true;
    trail_.push_back({k, lo_[k], hi_[k]});
    const double before = sum_ ? least(k) : 0;
    lo_[k] = lo;
    hi_[k] = hi;
    if (sum_) {
      bound_ += least(k) - before;
      budget_ -= 2 * static_cast<long long>(g_.classes[k].goals.size());  // the two sums just taken
    }
    changed = true;
    return true;
  }
  void undo(std::size_t mark) {
    for (; trail_.size() > mark; trail_.pop_back()) {
      lo_[trail_.back().k] = trail_.back().lo;
      hi_[trail_.back().k] = trail_.back().hi;
    }
  }
  bool tighten_sum(const std::vector<class_term>& t, bool& changed);
  bool tighten_parity(const std::vector<int>& t, bool& changed);
  bool propagate();
  bool meets_all() const;
  int pick() const;

  const group& g_;
  bool sum_;
  long long budget_;         // work left: terms examined by propagate, and branches
  long long pass_work_ = 0;  // terms of one propagation pass
  std::vector<count_t> lo_, hi_;
  double bound_ = 0;  // least sum within the ranges
  std::vector<change> trail_;
  std::vector<frame> frames_;
};

// Each term's range follows from the others': c y = -(sum of the rest).
bool searcher::tighten_sum(const std::vector<class_term>& t, bool& changed) {
  wide smin = 0, smax = 0;
  for (const class_term& term : t) {
    const wide a = wide(term.coef) * lo_[term.cls], b = wide(term.coef) * hi_[term.cls];
    smin += std::min(a, b);
    smax += std::max(a, b);
  }
  if (smin > 0 || smax < 0) return false;
  for (const class_term& term : t) {
    const wide c = term.coef, a = c * lo_[term.cls], b = c * hi_[term.cls];
    const wide from = -(smax - std::max(a, b)), to = -(smin - std::min(a, b));
    // Most coefficients are 1 or -1: no 128-bit division for them.
    wide ylo = c == 1 ? from : c == -1 ? -to : c > 0 ? ceil_div(from, c) : ceil_div(to, c);
    wide yhi = c == 1 ? to : c == -1 ? -from : c > 0 ? floor_div(to, c) : floor_div(from, c);
    ylo = std::max<wide>(ylo, lo_[term.cls]);
    yhi = std::min<wide>(yhi, hi_[term.cls]);
    if (!narrow(term.cls, static_cast<count_t>(ylo), static_cast<count_t>(yhi), changed)) return false;
  }
  return true;
}

// With one class left open, its parity is decided.
bool searcher::tighten_parity(const std::vector<int>& t, bool& changed) {
  int open = -1;
  count_t parity = 0;
  for (int k : t) {
    if (lo_[k] == hi_[k]) {
      parity ^= lo_[k] & 1;
    } else {
      if (open >= 0) return true;
      open = k;
    }
  }
  if (open < 0) return parity == 0;
  count_t a = lo_[open], b = hi_[open];
  if ((a & 1) != parity) ++a;
  if ((b & 1) != parity) --b;
  return narrow(open, a, b, changed);
}

bool searcher::propagate() {
  bool changed = true;
  // Bound shaving can crawl one count per pass through long chains; a leaf
  // is checked in full, so stopping early only costs branching.
  for (int pass = 0; changed && pass < 64; ++pass) {
    changed = false;
    budget_ -= pass_work_;
    for (const auto& t : g_.sums)
      if (!tighten_sum(t, changed)) return false;
    for (const auto& t : g_.parities)
      if (!tighten_parity(t, changed)) return false;
  }
  return true;
}

bool searcher::meets_all() const {
  for (const auto& t : g_.sums) {
    wide s = 0;
    for (const class_term& term : t) s += wide(term.coef) * lo_[term.cls];
    if (s != 0) return false;
  }
  for (const auto& t : g_.parities) {
    count_t parity = 0;
    for (int k : t) parity ^= lo_[k] & 1;
    if (parity) return false;
  }
  return true;
}

// The open class with the fewest counts left (-1: all fixed).
int searcher::pick() const {
  int best = -1;
  for (std::size_t k = 0; k < lo_.size(); ++k)
    if (lo_[k] < hi_[k] && (best < 0 || hi_[k] - lo_[k] < hi_[best] - lo_[best])) best = static_cast<int>(k);
  return best;
}

result searcher::run(std::vector<count_t>& best, double& best_cost) {
  frames_.clear();
  trail_.clear();
  bool improved = false, changed = false;
  bool ok = propagate();
  for (;;) {
    if (ok && sum_ && bound_ >= best_cost - 1e-12 * best_cost) ok = false;
    if (ok) {
      const int k = pick();
      if (k < 0) {
        double cost = 0;
        if (meets_all() && sum_)
          for (std::size_t j = 0; j < lo_.size(); ++j) cost += class_sum(g_.classes[j], lo_[j]);
        if (meets_all() && (!sum_ || cost < best_cost)) {
          best = lo_;
          best_cost = cost;
          improved = true;
          if (!sum_) return result::found;
        }
        ok = false;
        continue;
      }
      if (budget_-- <= 0) return result::stopped;
      // Halve the range; the half holding the class's preferred count first.
      const curve_class& c = g_.classes[k];
      const count_t mid = lo_[k] + (hi_[k] - lo_[k]) / 2, want = sum_ ? c.best_sum : c.best_max;
      const bool low_first = want <= mid;
      frames_.push_back({k, low_first ? mid + 1 : lo_[k], low_first ? hi_[k] : mid, trail_.size(), bound_});
      ok = narrow(k, low_first ? lo_[k] : mid + 1, low_first ? mid : hi_[k], changed) && propagate();
      continue;
    }
    if (frames_.empty()) return improved ? result::found : result::none;
    const frame f = frames_.back();
    frames_.pop_back();
    undo(f.mark);
    bound_ = f.bound;
    ok = narrow(f.k, f.lo, f.hi, changed) && propagate();
  }
}

// One class per entry, sorted, no zero coefficient.
void merge_class_terms(std::vector<class_term>& t) {
  std::sort(t.begin(), t.end(), [](const class_term& a, const class_term& b) { return a.cls < b.cls; });
  std::size_t out = 0;
  for (std::size_t k = 0; k < t.size();) {
    const int cls = t[k].cls;
    long long coef = 0;
    for (; k < t.size() && t[k].cls == cls; ++k) coef += t[k].coef;
    if (coef != 0) t[out++] = {cls, coef};
  }
  t.resize(out);
}

// Whether the sums imply a sum whose coefficients all have one sign, which
// no counts >= 1 make 0 (x = y + a with y = x + b gives a + b = 0): a
// contradiction that interval reasoning finds only one count at a time.
// Forward elimination, fraction-free; it gives up (false) when rows grow
// past four times the terms or coefficients past 2^30.
bool sums_contradict(const group& g) {
  constexpr long long coef_limit = 1LL << 30;
  std::size_t room = 64;
  for (const auto& t : g.sums) room += 4 * t.size();
  std::vector<int> pivot_row(g.classes.size(), -1);
  std::vector<std::vector<class_term>> rows;
  for (std::vector<class_term> s : g.sums) {
    for (;;) {
      const auto it =
          std::find_if(s.begin(), s.end(), [&](const class_term& t) { return pivot_row[t.cls] >= 0; });
      if (it == s.end()) break;
      const std::vector<class_term>& p = rows[pivot_row[it->cls]];
      const long long a = p[0].coef, b = it->coef;  // s becomes a s - b p: its term in cls cancels
      for (class_term& t : s) t.coef *= a;
      for (const class_term& t : p) s.push_back({t.cls, -b * t.coef});
      merge_class_terms(s);
      long long divisor = 0;
      for (const class_term& t : s) divisor = std::gcd(divisor, t.coef);
      for (class_term& t : s) t.coef /= divisor == 0 ? 1 : divisor;
      for (const class_term& t : s)
        if (t.coef > coef_limit || t.coef < -coef_limit) return false;
      if (s.size() > room) return false;
      room -= s.size();
    }
    if (s.empty()) continue;
    const bool one_sign =
        std::all_of(s.begin(), s.end(), [&](const class_term& t) { return (t.coef > 0) == (s[0].coef > 0); });
    if (one_sign) return true;
    pivot_row[s[0].cls] = static_cast<int>(rows.size());
    rows.push_back(std::move(s));
  }
  return false;
}

}  // namespace

outcome general_minimise_largest(const group& g, long long budget, double& R, std::vector<count_t>& values) {
  // No result below `lowest` (some class has no count there); every class's
  // whole range is open at `full`.
  double lowest = 1, full = 1;
  for (const curve_class& c : g.classes) {
    lowest = std::max(lowest, class_largest(c, c.best_max));
    full = std::max({full, class_largest(c, c.lower), class_largest(c, c.upper)});
  }
  if (sums_contradict(g)) return outcome::infeasible;
  searcher s(g, false, budget);
  bool unsure = false;
  double lo = std::nextafter(lowest, 0.0), hi = 0, unused = 0;
  auto feasible = [&](double t) {
    const result r = s.start(t) ? s.run(values, unused) : result::none;
    if (r == result::found) {
      hi = 1;
      for (std::size_t k = 0; k < values.size(); ++k)
        hi = std::max(hi, class_largest(g.classes[k], values[k]));
      return true;
    }
    unsure = unsure || r == result::stopped;
    lo = t;
    return false;
  };
  // Grow the threshold until a result appears, then bisect between the last
  // failed threshold and the best result's largest deviation. Near the end
  // the step goes to the next double below the result, so the answer is
  // exact: no count has a largest deviation strictly between lo and hi.
  for (double t = lowest; !feasible(t); t = std::min(2 * t, full))
    if (t >= full) return unsure ? outcome::not_found : outcome::infeasible;
  for (;;) {
    const double mid = hi > lo * (1 + 1e-9) ? std::sqrt(lo) * std::sqrt(hi) : std::nextafter(hi, 0.0);
    if (mid <= lo || mid >= hi) break;
    feasible(mid);
  }
  R = hi;
  return unsure ? outcome::unproven : outcome::proven;
}

void general_minimise_sum(const group& g, double R, long long budget, std::vector<count_t>& values) {
  searcher s(g, true, budget);
  if (!s.start(R)) return;
  double cost = 0;
  for (std::size_t k = 0; k < values.size(); ++k) cost += class_sum(g.classes[k], values[k]);
  s.run(values, cost);
}

}  // namespace intervals
}  // namespace linegen
}  // namespace zarn
