#include "spline/spline_sampling.h"

#include <algorithm>
#include <cassert>
#include <cfloat>
#include <cmath>
#include <cstdint>

#include "append/append.h"
#include "progression/progression.h"

namespace zarn {
namespace linegen {

namespace {

using detail::dot;

// Cross products: a scalar (one component) in the plane, a vector in space.
template <int D>
using cross_vector = vector_fixed<double, D == 2 ? 1 : 3>;

inline cross_vector<2> cross(const vector_fixed<double, 2>& u, const vector_fixed<double, 2>& v) {
  cross_vector<2> w;
  w[0] = u[0] * v[1] - u[1] * v[0];
  return w;
}
inline cross_vector<3> cross(const vector_fixed<double, 3>& u, const vector_fixed<double, 3>& v) {
  return cross_vector<3>(u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]);
}

template <int D>
double cross_norm2(const vector_fixed<double, D>& u, const vector_fixed<double, D>& v) {
  const auto w = cross(u, v);
  return dot(w, w);
}

template <int D>
vector_fixed<double, D> column(const dense2D<double>& coords, unsigned int id) {
  vector_fixed<double, D> p;
  const double* x = coords.col(id);
  for (int c = 0; c < D; ++c) p[c] = x[c];
  return p;
}

// Curvature of one segment at any t, its cross products computed once:
// kappa(t) = 2 |w(t)| / |P'(t)|^3 with w = P' x P'' / 2 expanded in the
// coefficients, a1 x a2 + 3t a1 x a3 + 3t^2 a2 x a3.
template <int D>
struct segment_curvature {
  const spline_segment<D>& seg;
  const cross_vector<D> c12, c13, c23;

  explicit segment_curvature(const spline_segment<D>& s)
      : seg(s), c12(cross(s.a1, s.a2)), c13(cross(s.a1, s.a3)), c23(cross(s.a2, s.a3)) {}

  double at(double t) const { return at(t, -1.0, 0.0); }
  // As at(t), given the square root `root` of one value `square` that the
  // squared speed may take (at t = 0 it is |a1|^2, whose root the caller
  // holds): that root is not taken again.
  double at(double t, double square, double root) const {
    vector_fixed<double, D> d;
    for (int c = 0; c < D; ++c) d[c] = seg.a1[c] + 2.0 * seg.a2[c] * t + 3.0 * seg.a3[c] * t * t;
    cross_vector<D> w;
    for (std::size_t c = 0; c < w.size(); ++c) w[c] = c12[c] + 3.0 * t * c13[c] + 3.0 * t * t * c23[c];
    const double speed2 = dot(d, d);
    const double speed = speed2 == square ? root : std::sqrt(speed2);
    if (speed == 0.0) return DBL_MAX;
    return 2.0 * std::sqrt(dot(w, w)) / (speed * speed2);
  }
};

template <int D>
double speed(const spline_segment<D>& seg, double t) {
  vector_fixed<double, D> d;
  for (int c = 0; c < D; ++c) d[c] = seg.a1[c] + 2.0 * seg.a2[c] * t + 3.0 * seg.a3[c] * t * t;
  return std::sqrt(dot(d, d));
}

// Arc length of a segment by the 4-point Gauss-Legendre rule mapped to
// [0, 1]; it only sets the sample count, so a few digits are plenty.
template <int D>
double arc_length(const spline_segment<D>& seg) {
  constexpr double x[4] = {-0.8611363115940526, -0.3399810435848563, 0.3399810435848563, 0.8611363115940526};
  constexpr double w[4] = {0.3478548451374538, 0.6521451548625461, 0.6521451548625461, 0.3478548451374538};
  double sum = 0.0;
  for (int i = 0; i < 4; ++i) sum += w[i] * speed(seg, (x[i] + 1.0) / 2.0);
  return 0.5 * sum;
}

// The chordal-size rule for one tolerance delta (see chordal_size). For a
// fraction of the radius (delta < 0) the size is one constant over kappa,
// formed once; correctly rounded division is monotone, so the smallest size
// over several curvatures is that constant over the largest positive one:
// one division per segment instead of one square root and division per
// curvature, with the same bits.
struct chordal_rule {
  double delta;
  bool per_radius;
  double scale = 0.0;  // sqrt(4c (2 - c)) for c = -delta < 1, else 0 (no size)

  explicit chordal_rule(double d) : delta(d), per_radius(d < 0.0) {
    const double c = -d;  // sagitta / radius
    if (per_radius && c < 1.0) scale = std::sqrt(4.0 * c * (2.0 - c));
  }

  double size(double kappa) const {
    if (!(kappa > 0.0)) return DBL_MAX;
    if (per_radius) return scale > 0.0 ? scale / kappa : DBL_MAX;
    const double c = kappa * delta;  // sagitta / radius
    return c < 1.0 ? std::sqrt(4.0 * c * (2.0 - c)) / kappa : DBL_MAX;
  }

  // The smallest size over the five curvatures, taken in order.
  double smallest(const double (&kappa)[5]) const {
    if (!per_radius) {
      double h = size(kappa[0]);
      for (int i = 1; i < 5; ++i) h = std::min(h, size(kappa[i]));
      return h;
    }
    double largest = 0.0;  // NaN and kappa <= 0 give no size
    for (double k : kappa)
      if (k > largest) largest = k;
    return size(largest);
  }
};

template <int D>
double l1_norm(const vector_fixed<double, D>& v) {
  double s = 0.0;
  for (int c = 0; c < D; ++c) s += std::fabs(v[c]);
  return s;
}

// True when the segment certainly gets the coarse sampling (m = 2) under a
// chordal size per radius, from bounds that hold for every t in [0, 1]
// instead of the five curvatures and the arc length: the speed lies within
// |a1| -+ (2 |a2| + 3 |a3|) (norms bounded by their sums of magnitudes), so
// the arc length S is at most the upper speed v_hi and every curvature
// 2 |w(t)| / speed^3 at most kappa_hi = 2 (|c12| + 3 |c13| + 3 |c23|) /
// v_lo^3. The size is then at least scale / kappa_hi, and S / h <= 2 when
// v_hi kappa_hi stays below 2 scale; a margin of half a percent covers the
// rounding of both sides many times over. False (undecided) whenever a
// bound is not finite and positive: the exact count is taken then.
template <int D>
bool surely_coarse(const segment_curvature<D>& kappa, double lead, double scale) {
  const spline_segment<D>& seg = kappa.seg;
  const double tail = 2.0 * l1_norm(seg.a2) + 3.0 * l1_norm(seg.a3);
  const double v_lo = lead - tail, v_hi = lead + tail;
  if (!(v_lo > 0.0 && v_hi < DBL_MAX)) return false;
  const double w = l1_norm(kappa.c12) + 3.0 * l1_norm(kappa.c13) + 3.0 * l1_norm(kappa.c23);
  const double kappa_hi = 2.0 * w / (v_lo * v_lo * v_lo);
  return v_hi * kappa_hi <= 1.99 * scale;
}

// Sub-intervals of one segment, or false when their count is not a number or
// exceeds `limit`. A segment without a finite target size keeps the coarse
// sampling t = 0, 1/2. kappa0 and kappa1: its curvatures at t = 0 and 1;
// ell = |a1|.
template <int D>
bool sample_count(const segment_curvature<D>& kappa, double kappa0, double kappa1, double ell,
                  const chordal_rule& rule, double floor, std::uint64_t limit, std::uint64_t& m) {
  m = 2;
  if (rule.delta == DBL_MAX) return true;
  if (rule.per_radius && rule.scale > 0.0 && limit >= 2 && surely_coarse(kappa, ell, rule.scale)) return true;
  const double h =
      std::max(floor, rule.smallest({kappa0, kappa.at(0.25), kappa.at(0.5), kappa.at(0.75), kappa1}));
  if (h >= DBL_MAX) return true;
  const double S = arc_length(kappa.seg);
  // ceil(S / h) is huge for a tiny tolerance without a floor and NaN for
  // coordinates that are not finite: it is range-checked before it becomes
  // an integer. A point-like segment (S = 0) needs no more than two.
  const double q = S == 0.0 ? 0.0 : std::ceil(S / h);
  if (!(q <= static_cast<double>(limit))) return false;
  if (q > 2.0) m = static_cast<std::uint64_t>(q);
  return true;
}

}  // namespace

double chordal_size(double kappa, double delta) { return chordal_rule(delta).size(kappa); }

template <int D>
double spline_curvature(const spline_segment<D>& seg, double t) {
  return segment_curvature<D>(seg).at(t);
}

namespace {

// Chordal sizes at the nodes of a chain of spline segments, one segment at
// a time: at each interior node the curvatures of the two segments meeting
// there, weighted by their squared chords (each side is scaled to its own
// chord, so the longer weighs more); entry 0 takes the size of entry 1, the
// last two entries the size at the end of the last segment.
class node_size_walk {
 public:
  node_size_walk(double delta, double* out) : rule_(delta), out_(out) {}
  // Segment k (from entry k + 1 to entry k + 2): squared chord, curvatures
  // at its two ends.
  void add(std::size_t k, double L2, double kappa0, double kappa1) {
    const double kappa = (weight_ * kappa_end_ + L2 * kappa0) / (weight_ + L2);
    out_[k + 1] = rule_.size(kappa);
    weight_ = L2;
    kappa_end_ = kappa1;
  }
  // After the last segment of a list of n entries.
  void finish(std::size_t n) {
    out_[0] = out_[1];
    const double h = rule_.size(kappa_end_);
    out_[n - 2] = h;
    out_[n - 1] = h;
  }

 private:
  chordal_rule rule_;
  double* out_;
  double weight_ = 0.0;     // squared chord of the previous segment
  double kappa_end_ = 0.0;  // curvature at the end of the previous segment
};

// The samples of one segment after its start, at t = j / m for j = 1 ... m - 1,
// written to the m - 1 columns from `points` (D entries each) with the
// chord-length parameters s + ell t from `params`; the largest squared
// distance of a sample from the segment's chord is kept in deviation2.
template <int D>
void sample_segment(const spline_segment<D>& seg, unsigned int m, double s, double ell, double* points,
                    double* params, double& deviation2) {
  vector_fixed<double, D> chord;
  for (int c = 0; c < D; ++c) chord[c] = seg.a1[c] + seg.a2[c] + seg.a3[c];
  const double chord2 = dot(chord, chord);
  const double step = 1.0 / m;
  // The squared distance of a sample from the chord line is its cross norm
  // over chord2. Correctly rounded division by one divisor is monotone, so
  // the largest quotient is the largest cross norm over chord2: one division
  // per segment. A point-like segment gives 0 / 0 = NaN, which the
  // comparison skips, as it skips a NaN cross norm.
  double largest = 0.0;
  for (unsigned int j = 1; j < m; ++j) {
    const double t = j * step;
    params[j - 1] = s + ell * t;
    vector_fixed<double, D> q;
    for (int c = 0; c < D; ++c) q[c] = ((seg.a3[c] * t + seg.a2[c]) * t + seg.a1[c]) * t;
    const double c2 = cross_norm2(q, chord);
    if (c2 > largest) largest = c2;
    double* p = points + (j - 1) * D;
    for (int c = 0; c < D; ++c) p[c] = seg.a0[c] + q[c];
  }
  const double d2 = largest / chord2;
  if (d2 > deviation2) deviation2 = d2;
}

}  // namespace

template <int D>
bool sample_spline(const dense2D<double>& coords, const dense1D<unsigned int, 8>& indices, double tolerance,
                   double floor, dense2D<double>& samples, dense1D<double, 8>& sample_params,
                   dense1D<double, 8>& node_params, dense1D<unsigned int, 8>& node_positions,
                   double& max_deviation, double& length, dense1D<double, 8>* node_sizes, double node_delta) {
  samples.clear();
  sample_params.clear();
  node_params.clear();
  node_positions.clear();
  const std::size_t N = indices.size();
  const std::size_t segments = N - 3;
  // Every segment has at least two sub-intervals: room for that many samples
  // first, grown (doubling) when a segment needs more. Samples are numbered
  // by 32-bit identifiers downstream.
  const std::size_t least = 2 * segments + 1;
  if (least > max_node_count) return false;
  if (!samples.resize_for_overwrite(D, least) || !sample_params.resize_for_overwrite(least) ||
      !node_params.resize_for_overwrite(N - 2) || !node_positions.resize_for_overwrite(N - 2) ||
      (node_sizes != nullptr && !node_sizes->resize_for_overwrite(N)))
    return false;
  node_size_walk sizes(node_delta, node_sizes != nullptr ? node_sizes->data() : nullptr);

  // One pass: each segment's coefficients, end curvatures and sub-interval
  // count, then its samples with chord-length parameters, written through
  // raw pointers (the containers' accessors test their storage every time).
  const chordal_rule rule(tolerance);
  const unsigned int* list = indices.data();
  double* node_param = node_params.data();
  unsigned int* position = node_positions.data();
  double s = 0.0;
  double deviation2 = 0.0;
  std::uint64_t total = 1;  // samples so far, the end sample included
  std::size_t at = 0;       // the next sample
  for (std::size_t k = 0; k < segments; ++k) {
    spline_segment<D> seg;
    spline_coefficients(coords, list[k], list[k + 1], list[k + 2], list[k + 3], seg);
    const segment_curvature<D> kappa(seg);
    // |P'(0)|: the chord's length when the start tangent is constrained or
    // the piece is straight.
    const double ell2 = dot(seg.a1, seg.a1), ell = std::sqrt(ell2);
    const double kappa0 = kappa.at(0.0, ell2, ell), kappa1 = kappa.at(1.0);
    std::uint64_t m = 0;
    if (!sample_count(kappa, kappa0, kappa1, ell, rule, floor, max_node_count - total, m)) return false;
    total += m;
    const std::size_t room = at + static_cast<std::size_t>(m) + 1;
    if (room > samples.cols() && (!samples.resize_for_overwrite(D, room) || !sample_params.reserve(room, 2) ||
                                  !sample_params.resize_for_overwrite(room)))
      return false;
    if (node_sizes != nullptr) sizes.add(k, seg.L2, kappa0, kappa1);
    double* point = samples.data() + at * D;
    double* param = sample_params.data() + at;
    node_param[k] = s;
    param[0] = s;
    position[k] = static_cast<unsigned int>(at);
    for (int c = 0; c < D; ++c) point[c] = seg.a0[c];
    sample_segment(seg, static_cast<unsigned int>(m), s, ell, point + D, param + 1, deviation2);
    at += static_cast<std::size_t>(m);
    s += ell;
  }
  // Coordinates whose differences overflow give an infinite or NaN length:
  // the chord-length parameters could not be represented.
  if (!std::isfinite(s)) return false;
  if (node_sizes != nullptr) sizes.finish(N);
  const std::size_t F = at + 1;
  // Shrinking keeps the storage and cannot fail.
  samples.resize_for_overwrite(D, F);
  sample_params.resize_for_overwrite(F);
  max_deviation = std::sqrt(deviation2);
  position[segments] = static_cast<unsigned int>(at);
  double* point = samples.data();
  assert((F < 2 || samples.col(1) == point + D) && "cleared, then sized: one column after another");
  const double* end = coords.col(indices[N - 2]);
  for (int c = 0; c < D; ++c) point[at * D + c] = end[c];

  double* param = sample_params.data();
  if (s > 0.0) {
    const double inv = 1.0 / s;
    for (std::size_t j = 0; j + 1 < F; ++j) param[j] *= inv;
    for (std::size_t k = 0; k < segments; ++k) node_param[k] *= inv;
  }
  param[F - 1] = 1.0;
  node_param[segments] = 1.0;
  length = s;
  return true;
}

template <int D>
bool spline_turning_nodes(const dense2D<double>& coords, const dense1D<unsigned int, 8>& indices,
                          dense1D<unsigned int, 8>& nodes, dense1D<double, 8>& params) {
  nodes.clear();
  params.clear();
  const std::size_t N = indices.size();
  // At most every entry turns: the lists are written in place, then cut.
  if (!nodes.resize_for_overwrite(N) || !params.resize_for_overwrite(N)) return false;
  const unsigned int* list = indices.data();
  unsigned int* node = nodes.data();
  double* param = params.data();
  node[0] = list[0];
  node[1] = list[1];
  param[0] = 0.0;
  param[1] = 0.0;
  std::size_t kept = 2;
  auto edge = [&](std::size_t k) {
    vector_fixed<double, D> e;
    const double* a = coords.col(list[k]);
    const double* b = coords.col(list[k + 1]);
    for (int c = 0; c < D; ++c) e[c] = b[c] - a[c];
    return e;
  };
  vector_fixed<double, D> previous = edge(0);
  double r = 0.0;
  for (std::size_t k = 1; k + 2 < N; ++k) {
    const vector_fixed<double, D> e = edge(k);
    if (k > 1 && cross_norm2(previous, e) > 1e-24 * dot(previous, previous)) {
      node[kept] = list[k];
      param[kept] = r;
      ++kept;
    }
    r += std::sqrt(dot(e, e));
    previous = e;
  }
  if (r > 0.0) {
    const double inv = 1.0 / r;
    for (std::size_t k = 0; k < kept; ++k) param[k] *= inv;
  }
  node[kept] = list[N - 2];
  node[kept + 1] = list[N - 1];
  param[kept] = 1.0;
  param[kept + 1] = 1.0;
  nodes.resize(kept + 2);
  params.resize(kept + 2);
  return true;
}

template <int D>
bool spline_node_sizes(const dense2D<double>& coords, const dense1D<unsigned int, 8>& nodes, double delta,
                       dense1D<double, 8>& sizes) {
  sizes.clear();
  const std::size_t NR = nodes.size();
  if (!sizes.resize_for_overwrite(NR)) return false;
  const unsigned int* list = nodes.data();
  node_size_walk walk(delta, sizes.data());
  for (std::size_t k = 0; k + 3 < NR; ++k) {
    spline_segment<D> seg;
    spline_coefficients(coords, list[k], list[k + 1], list[k + 2], list[k + 3], seg);
    const segment_curvature<D> curvature(seg);
    walk.add(k, seg.L2, curvature.at(0.0), curvature.at(1.0));
  }
  walk.finish(NR);
  return true;
}

template double spline_curvature<2>(const spline_segment<2>&, double);
template double spline_curvature<3>(const spline_segment<3>&, double);
template bool sample_spline<2>(const dense2D<double>&, const dense1D<unsigned int, 8>&, double, double,
                               dense2D<double>&, dense1D<double, 8>&, dense1D<double, 8>&,
                               dense1D<unsigned int, 8>&, double&, double&, dense1D<double, 8>*, double);
template bool sample_spline<3>(const dense2D<double>&, const dense1D<unsigned int, 8>&, double, double,
                               dense2D<double>&, dense1D<double, 8>&, dense1D<double, 8>&,
                               dense1D<unsigned int, 8>&, double&, double&, dense1D<double, 8>*, double);
template bool spline_turning_nodes<2>(const dense2D<double>&, const dense1D<unsigned int, 8>&,
                                      dense1D<unsigned int, 8>&, dense1D<double, 8>&);
template bool spline_turning_nodes<3>(const dense2D<double>&, const dense1D<unsigned int, 8>&,
                                      dense1D<unsigned int, 8>&, dense1D<double, 8>&);
template bool spline_node_sizes<2>(const dense2D<double>&, const dense1D<unsigned int, 8>&, double,
                                   dense1D<double, 8>&);
template bool spline_node_sizes<3>(const dense2D<double>&, const dense1D<unsigned int, 8>&, double,
                                   dense1D<double, 8>&);

}  // namespace linegen
}  // namespace zarn
