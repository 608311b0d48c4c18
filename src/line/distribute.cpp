#include "line/distribute.h"

#include <densekit/vectors.h>

#include <cassert>
#include <cmath>
#include <cstring>

#include "metric/metric_algebra.h"

namespace zarn {
namespace linegen {

namespace {

// What placing nodes on a segment may do: go ahead, give the chain no
// interior node at all, or fail the call.
enum class segment_entry { ok, no_nodes, failed };

// Finds the segment that holds a point of the cumulative element count
// c[0] = 0, c[i + 1] = c[i] + count(i), which it forms as it goes instead of
// storing it. The points are visited in increasing order, so the search
// never moves backwards: placing all nodes costs one walk along the chain,
// with each segment's count taken once. A point equal to a cumulative value
// falls at the end of the earlier segment.
template <class Count>
class segment_cursor {
 public:
  // c[1] is formed as the total's first sum is, from 0.
  segment_cursor(Count count, std::size_t last) : count_(count), last_(last), high_(0.0 + count_(0)) {}
  // The segment s (between chain positions s and s + 1) whose cumulative
  // range holds x; low() and high() are then c[s] and c[s + 1].
  std::size_t segment_of(double x) {
    while (j_ < last_ && high_ < x) {
      low_ = high_;
      high_ = high_ + count_(j_);
      ++j_;
    }
    return j_ - 1;
  }
  double low() const { return low_; }
  double high() const { return high_; }

 private:
  Count count_;
  std::size_t last_;
  std::size_t j_ = 1;
  double low_ = 0.0;
  double high_;
};

// p kept between the segment's end parameters a and b: a + t (b - a) can
// round past b at t = 1. A NaN p stays as it is.
inline double within(double p, double a, double b) {
  const double lo = a < b ? a : b, hi = a < b ? b : a;
  if (p > hi) return hi;
  if (p < lo) return lo;
  return p;
}

// The isotropic size field: a size per chain position, linear in arc length
// along each segment.
template <int D>
class iso_field {
 public:
  iso_field(const dense1D<double, 8>& sizes, double* out, std::size_t) : h_(sizes.data()), out_(out) {}
  double segment_count(std::size_t i, const double* a, const double* b) const {
    return ideal_segment_count(densekit::distance(a, b, D), h_[i], h_[i + 1]);
  }
  segment_entry enter_segment(std::size_t, const double*, const double*) { return segment_entry::ok; }
  double position(double f, std::size_t s, const double*, const double*) const {
    return progression_fraction(f, h_[s], h_[s + 1]);
  }
  void set(std::size_t k, std::size_t s, double t) { out_[k] = h_[s] + t * (h_[s + 1] - h_[s]); }

 private:
  const double* h_;
  double* out_;
};

// The anisotropic size field: a metric per chain position. Along a segment
// the size in the segment's direction varies linearly between its values in
// the two end metrics; a new node's metric comes from the pair of end
// metrics reduced to a common basis, which is formed once per segment that
// receives nodes. Two end metrics that cannot be reduced (nearly singular,
// or so large that the solve loses them) leave the segment to the isotropic
// law of its directional sizes: positions as for sizes, and each new node
// takes the metric of the nearer end, scaled to the linear size at its
// position along the segment.
template <int D>
class aniso_field {
 public:
  using metric = symmetric_fixed<double, D>;
  static constexpr std::size_t rows = metric::packed;

  aniso_field(const dense2D<double>& metrics, double* out, std::size_t ld)
      : metrics_(metrics), out_(out), ld_(ld) {}
  double segment_count(std::size_t i, const double* a, const double* b) const {
    // Coordinate differences that overflow: an infinite segment, as its
    // Euclidean length is for sizes (a quadratic form would turn 0 * inf
    // into NaN and count the segment as 0).
    for (int r = 0; r < D; ++r)
      if (std::isinf(b[r] - a[r])) return HUGE_VAL;
    double la2, lb2;
    squared_lengths(i, a, b, la2, lb2);
    if (la2 > 0.0 && lb2 > 0.0) {
      // A length that overflows in either end metric: the directional size
      // there is 0 against the segment, and the count has no finite value.
      if (la2 == HUGE_VAL || lb2 == HUGE_VAL) return HUGE_VAL;
      const double la = std::sqrt(la2), lb = std::sqrt(lb2);
      measured_ = {i, la, lb};
      // la * lb / logmean(la, lb) is the segment length over the logarithmic
      // mean of its directional sizes L/la and L/lb.
      return ideal_segment_count(la * lb, la, lb);
    }
    return 0.0;
  }
  segment_entry enter_segment(std::size_t s, const double* a, const double* b) {
    if (s == pair_segment_) return segment_entry::ok;
    pair_segment_ = s;
    fallback_ = false;
    if (reduce_metric_pair(pair_, column(s), column(s + 1))) return segment_entry::ok;
    // A metric with a negative or NaN diagonal entry is no metric at all:
    // the chain gets no interior node. The metrics this library computes
    // keep their diagonals >= 0 (a sum of lambda q^2 terms) even where
    // rounding costs them definiteness or an entry underflows to 0; those
    // take the fallback.
    if (!(signed_diagonal(metrics_.col(s)) && signed_diagonal(metrics_.col(s + 1))))
      return segment_entry::no_nodes;
    double la2, lb2;
    squared_lengths(s, a, b, la2, lb2);
    const double length = densekit::distance(a, b, D);
    size_a_ = length / std::sqrt(la2);
    size_b_ = length / std::sqrt(lb2);
    if (!(usable_size(size_a_) && usable_size(size_b_))) return segment_entry::failed;
    fallback_ = true;
    return segment_entry::ok;
  }
  double position(double f, std::size_t s, const double* a, const double* b) const {
    if (fallback_) return progression_fraction(f, size_a_, size_b_);
    // The walk to the segment has just measured it.
    if (s == measured_.segment) return progression_fraction(f, measured_.lb, measured_.la);
    double la2, lb2;
    squared_lengths(s, a, b, la2, lb2);
    if (la2 > 0.0 && lb2 > 0.0) return progression_fraction(f, std::sqrt(lb2), std::sqrt(la2));
    return 0.0;
  }
  void set(std::size_t k, std::size_t s, double t) {
    if (fallback_) {
      // The nearer end's metric, scaled so that its size along the segment
      // is the linear one the node was placed with: the next pass then
      // measures the same sizes (the factor lies in (0, 4]).
      const bool first = t < 0.5;
      const double* end = metrics_.col(first ? s : s + 1);
      const double ratio = (first ? size_a_ : size_b_) / (size_a_ + t * (size_b_ - size_a_));
      const double factor = ratio * ratio;
      double* m = out_ + k * ld_;
      bool finite = true;
      for (std::size_t r = 0; r < rows; ++r) {
        m[r] = end[r] * factor;
        finite = finite && std::isfinite(m[r]);
      }
      if (!finite) std::memcpy(m, end, rows * sizeof(double));
      return;
    }
    metric m;
    [[maybe_unused]] const bool interpolated = interpolate_metric_pair(pair_, t, m);
    assert(interpolated && "a fraction in [0, 1] always interpolates");
    store_metric(m, out_ + k * ld_);
  }

 private:
  static bool usable_size(double h) { return h > 0.0 && h < HUGE_VAL; }
  static bool signed_diagonal(const double* m) {
    return m[0] >= 0.0 && m[2] >= 0.0 && (D == 2 || m[rows - 1] >= 0.0);
  }
  metric column(std::size_t i) const { return load_metric<D>(metrics_.col(i)); }
  // Squared length of the segment a -> b in the metrics of positions i and
  // i + 1.
  void squared_lengths(std::size_t i, const double* a, const double* b, double& la2, double& lb2) const {
    double u[D];
    for (int r = 0; r < D; ++r) u[r] = b[r] - a[r];
    la2 = quadratic_form(metrics_.col(i), u);
    lb2 = quadratic_form(metrics_.col(i + 1), u);
  }
  static double quadratic_form(const double* m, const double (&u)[D]) {
    if (D == 2) return m[0] * u[0] * u[0] + 2.0 * m[1] * u[0] * u[1] + m[2] * u[1] * u[1];
    const double x = u[0], y = u[1], z = u[D - 1];
    return m[0] * x * x + 2.0 * m[1] * x * y + m[2] * y * y + 2.0 * m[3] * x * z + 2.0 * m[4] * y * z +
           m[5] * z * z;
  }

  const dense2D<double>& metrics_;
  double* out_;
  std::size_t ld_;
  // The segment segment_count measured last (not one of a list of known
  // counts) and its lengths in its two end metrics, which position reuses.
  struct lengths {
    std::size_t segment;
    double la, lb;
  };
  mutable lengths measured_{static_cast<std::size_t>(-1), 0.0, 0.0};
  metric_pair<D> pair_{};
  std::size_t pair_segment_ = static_cast<std::size_t>(-1);
  // The segment's pair could not be formed: its directional sizes rule it.
  bool fallback_ = false;
  double size_a_ = 0.0, size_b_ = 0.0;
};

// The element count of chain segment i as the field measures it, or as a
// list of known counts holds it.
template <class Field>
struct measured_count {
  const dense2D<double>& coords;
  const unsigned int* ids;
  const Field& field;
  double operator()(std::size_t i) const {
    return field.segment_count(i, coords.col(ids[i]), coords.col(ids[i + 1]));
  }
};
struct known_count {
  const double* counts;
  double operator()(std::size_t i) const { return counts[i]; }
};

// The sum of the counts of an N-node chain's segments, in chain order.
template <class Count>
double sum_counts(const Count& count, std::size_t N) {
  double c = 0.0;
  for (std::size_t i = 0; i + 1 < N; ++i) c = c + count(i);
  return c;
}

// The new nodes at equal steps of the cumulative count: node k where it
// reaches k * total / n, written in place: no growth per node.
template <int D, class Field, class Count>
placement place_nodes(const dense2D<double>& coords, const dense1D<unsigned int, 8>& chain,
                      const dense1D<double, 8>& params, Field& field, double total, std::uint64_t n,
                      const node_destination& out, const Count& count) {
  const std::size_t N = chain.size();
  assert(N >= 2 && n >= 2 && "a chain has two ends and the mesh an interior node");
  const unsigned int* ids = chain.data();
  const double step = total / static_cast<double>(n);
  segment_cursor<Count> cursor(count, N - 1);
  for (std::uint64_t k = 1; k < n; ++k) {
    const double x = static_cast<double>(k) * step;
    const std::size_t s = cursor.segment_of(x);
    const double* a = coords.col(ids[s]);
    const double* b = coords.col(ids[s + 1]);
    const segment_entry entry = field.enter_segment(s, a, b);
    if (entry != segment_entry::ok)
      return entry == segment_entry::no_nodes ? placement::no_nodes : placement::failed;
    const double c0 = cursor.low(), c1 = cursor.high();
    const double f = c1 > c0 ? (x - c0) / (c1 - c0) : 0.0;
    const double t = field.position(f, s, a, b);
    const std::size_t at = static_cast<std::size_t>(k - 1);
    field.set(at, s, t);
    if (out.coords != nullptr) {
      double* point = out.coords + at * out.coords_ld;
      for (int r = 0; r < D; ++r) point[r] = a[r] + t * (b[r] - a[r]);
    }
    if (out.params != nullptr)
      out.params[at] = within(params[s] + t * (params[s + 1] - params[s]), params[s], params[s + 1]);
  }
  return placement::ok;
}

// The engine's state for each kind of field.
template <int D, class Field>
struct engine_field;
template <int D>
struct engine_field<D, size_field> {
  using type = iso_field<D>;
};
template <int D>
struct engine_field<D, metric_field<D>> {
  using type = aniso_field<D>;
};

// Sizes the engine's own outputs for `added` new nodes (params only when the
// chain has parameters) and points a destination at them.
template <int D>
bool own_outputs(std::size_t added, bool with_params, dense2D<double>& new_coords,
                 dense1D<double, 8>& new_field, dense1D<double, 8>& new_params, node_destination& out) {
  if (!new_coords.resize_for_overwrite(D, added) || !new_field.resize_for_overwrite(added) ||
      (with_params && !new_params.resize_for_overwrite(added)))
    return false;
  out = {new_coords.data(), new_coords.ld(), with_params ? new_params.data() : nullptr, new_field.data(), 1};
  return true;
}
template <int D>
bool own_outputs(std::size_t added, bool with_params, dense2D<double>& new_coords, dense2D<double>& new_field,
                 dense1D<double, 8>& new_params, node_destination& out) {
  if (!new_coords.resize_for_overwrite(D, added) ||
      !new_field.resize_for_overwrite(metric_field<D>::rows, added) ||
      (with_params && !new_params.resize_for_overwrite(added)))
    return false;
  out = {new_coords.data(), new_coords.ld(), with_params ? new_params.data() : nullptr, new_field.data(),
         new_field.ld()};
  return true;
}

}  // namespace

bool new_node_count(double total, const count_bounds& bounds, std::uint64_t& added) {
  // An infinite element count (sizes far below the segment lengths, or
  // coordinate differences that overflow) has no step to place nodes at:
  // like any count that cannot be represented, it fails the call.
  if (std::isinf(total)) return false;
  const std::uint64_t n = bounded_element_count(total, bounds);
  added = total < 0.0 || std::isnan(total) ? 0 : n - 1;
  return true;
}

template <int D, class Field>
bool node_distributor<D, Field>::segment_counts(dense1D<double, 8>& counts) const {
  using engine = typename engine_field<D, Field>::type;
  const engine field(field_, nullptr, 0);
  const std::size_t N = chain_.size();
  if (!counts.resize_for_overwrite(N - 1)) return false;
  // Raw pointers: the containers' accessors test their storage on every
  // call, and the count's call into the size law makes them read it again.
  const double* x = coords_.data();
  const std::size_t ld = coords_.ld();
  const unsigned int* ids = chain_.data();
  double* out = counts.data();
  for (std::size_t i = 0; i + 1 < N; ++i)
    out[i] = field.segment_count(i, x + ids[i] * ld, x + ids[i + 1] * ld);
  return true;
}

template <int D, class Field>
double node_distributor<D, Field>::total_count(const double* known_counts) const {
  if (known_counts != nullptr) return sum_counts(known_count{known_counts}, chain_.size());
  using engine = typename engine_field<D, Field>::type;
  const engine field(field_, nullptr, 0);
  return sum_counts(measured_count<engine>{coords_, chain_.data(), field}, chain_.size());
}

template <int D, class Field>
placement node_distributor<D, Field>::place(double total, std::uint64_t n, const dense1D<double, 8>& params,
                                            const node_destination& out, const double* known_counts) const {
  using engine = typename engine_field<D, Field>::type;
  engine field(field_, out.field, out.field_ld);
  if (known_counts != nullptr)
    return place_nodes<D>(coords_, chain_, params, field, total, n, out, known_count{known_counts});
  return place_nodes<D>(coords_, chain_, params, field, total, n, out,
                        measured_count<engine>{coords_, chain_.data(), field});
}

template <int D, class Field>
bool node_distributor<D, Field>::distribute(const dense1D<double, 8>& params, const count_bounds& bounds,
                                            dense2D<double>& new_coords, values& new_field,
                                            dense1D<double, 8>& new_params,
                                            dense1D<double, 8>& workspace) const {
  auto discard = [&] {
    new_coords.clear();
    new_field.clear();
    new_params.clear();
  };
  discard();
  if (!segment_counts(workspace)) return false;
  const double total = total_count(workspace.data());
  std::uint64_t added = 0;
  if (!new_node_count(total, bounds, added)) return false;
  if (added == 0) return true;
  // New nodes get 32-bit identifiers after the existing ones: a count that
  // cannot be numbered cannot be stored either.
  node_destination out;
  if (!fits_node_count(coords_.cols(), added) ||
      !own_outputs<D>(static_cast<std::size_t>(added), !params.empty(), new_coords, new_field, new_params,
                      out)) {
    discard();
    return false;
  }
  const placement result = place(total, added + 1, params, out, workspace.data());
  if (result != placement::ok) discard();
  return result != placement::failed;
}

template class node_distributor<2, size_field>;
template class node_distributor<3, size_field>;
template class node_distributor<2, metric_field<2>>;
template class node_distributor<3, metric_field<3>>;

}  // namespace linegen
}  // namespace zarn
