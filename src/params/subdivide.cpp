#include <linegen/linegen.h>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "progression/progression.h"

namespace zarn {
namespace linegen {

namespace {

// Cumulative element counts of the chain recomputed with every parameter
// divided and every size multiplied by a power of two, so that the largest
// parameter and the smallest size are near 1: each piece then counts a few
// elements at most. The counts scale by one common factor, so each keeps its
// share of the total. Returns the new total, or NaN (which places nothing
// sensible) when the parameters or sizes are not finite and positive.
double rescaled_counts(const dense1D<double, 8>& P, const dense1D<double, 8>& S, dense1D<double, 8>& N) {
  const std::size_t m = P.size();
  double largest = 0.0, smallest = DBL_MAX;
  for (std::size_t k = 0; k < m; ++k) {
    if (!std::isfinite(P[k]) || !std::isfinite(S[k]) || !(S[k] > 0.0)) return NAN;
    largest = std::fmax(largest, std::fabs(P[k]));
    smallest = std::fmin(smallest, S[k]);
  }
  int ep = 0, es = 0;
  std::frexp(largest, &ep);
  std::frexp(smallest, &es);
  const int down = ep > 0 ? ep : 0;  // parameters divided by 2^down
  const int up = es < 0 ? -es : 0;   // sizes multiplied by 2^up
  N[0] = 0.0;
  for (std::size_t k = 1; k < m; ++k) {
    const double L = std::fabs(std::ldexp(P[k], -down) - std::ldexp(P[k - 1], -down));
    N[k] = N[k - 1] + ideal_segment_count(L, std::ldexp(S[k - 1], up), std::ldexp(S[k], up));
  }
  return N[m - 1];
}

}  // namespace

int subdivide(dense1D<double, 8>& params, dense1D<double, 8>& sizes, const dense1D<unsigned int, 8>& indices,
              bool round_up, bool force_even, unsigned int nmin, unsigned int nmax,
              dense1D<unsigned int, 8>& new_indices) {
  const std::size_t m = indices.size();
  if (m < 2) return -2;
  for (std::size_t k = 0; k < m; ++k)
    if (indices[k] >= params.size() || indices[k] >= sizes.size()) return -2;
  if (nmin == 0 || nmin > nmax) return -6;

  // The chain's parameters, sizes and cumulative element count.
  dense1D<double, 8> P, S, N;
  if (!P.resize(m) || !S.resize(m) || !N.resize(m)) return status_out_of_memory;
  for (std::size_t k = 0; k < m; ++k) {
    P[k] = params[indices[k]];
    S[k] = sizes[indices[k]];
  }
  N[0] = 0.0;
  for (std::size_t k = 1; k < m; ++k)
    N[k] = N[k - 1] + ideal_segment_count(std::fabs(P[k] - P[k - 1]), S[k - 1], S[k]);
  const double T = N[m - 1];

  // Element count: rounded (to an even count if asked), bounded, then
  // possibly raised past nmax by round_up and force_even. 64 bits: nothing
  // wraps when nmax is the largest count.
  const std::uint64_t n = bounded_element_count(T, {force_even, nmin, nmax, round_up});
  const std::uint64_t created = n - 1;
  // Finite parameters far apart (or tiny sizes) can make the counts overflow:
  // T is then infinite and j T / n would place every node at NaN. The count
  // rule above keeps the infinite T; the nodes are placed on counts taken at
  // a scale where they stay finite (the fractions of T do not depend on it).
  const double total = std::isinf(T) ? rescaled_counts(P, S, N) : T;

  // Everything appended is reserved first, so that a failure leaves every
  // list as it was; the new identifiers must stay below no_count.
  const std::size_t first_id = params.size();
  if (!fits_node_count(first_id, created)) return status_out_of_memory;
  const std::size_t c = static_cast<std::size_t>(created);
  if (!params.reserve(params.size() + c) || !sizes.reserve(sizes.size() + c) ||
      !new_indices.reserve(new_indices.size() + c + 2))
    return status_out_of_memory;

  new_indices.push_back(indices[0]);
  // Node j stands where the cumulative count reaches j T / n. The targets
  // grow with j, so the piece search only moves forward, and it stops at the
  // last piece even when the counts are not finite.
  const double step = total / static_cast<double>(n);
  std::size_t k = 1;
  for (std::size_t j = 1; j <= c; ++j) {
    const double target = static_cast<double>(j) * step;
    while (k < m - 1 && !(N[k] >= target)) ++k;
    double t = N[k] > N[k - 1] ? (target - N[k - 1]) / (N[k] - N[k - 1]) : 0.0;
    // Counts among the denormals keep few digits: the fraction of the piece
    // can come out past its ends, which would extrapolate beyond the piece.
    if (t > 1.0) t = 1.0;
    if (t < 0.0) t = 0.0;
    const double F = progression_fraction(t, S[k - 1], S[k]);
    const double span = P[k] - P[k - 1];
    // Across more than the largest double the difference overflows: the
    // weighted mean of the two ends gives the same point.
    params.push_back(std::isfinite(span) ? P[k - 1] + span * F : P[k - 1] * (1.0 - F) + P[k] * F);
    sizes.push_back(S[k - 1] + (S[k] - S[k - 1]) * F);
    new_indices.push_back(static_cast<unsigned int>(first_id + j - 1));
  }
  new_indices.push_back(indices[m - 1]);
  return 0;
}

}  // namespace linegen
}  // namespace zarn
