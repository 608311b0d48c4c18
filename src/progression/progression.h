// The size progression laws: how many segments a length needs when the
// element size varies linearly from h0 at one end to h1 at the other, how to
// round that real count to a whole one, and where the nodes go.
#pragma once

#include <cstdint>

#include "ids/node_ids.h"

namespace zarn {
namespace linegen {

// Fraction of the length reached after the progress x (i/n for node i of n)
// when the segment lengths form a geometric progression of overall ratio
// h1/h0. F(0) = 0, F(1) = 1; for x in [0, 1] the result is clamped into
// [0, 1], outside it is returned as computed. Callers pass h0 > 0, h1 > 0.
double progression_fraction(double x, double h0, double h1);

// Real number of segments of a length L whose size varies linearly from h0 to
// h1: L divided by the logarithmic mean of the two sizes (the integral of
// 1/h). Symmetric in h0 and h1; 0 when the mean is not positive (a size 0).
double ideal_segment_count(double L, double h0, double h1);

// The multiple of m next to the real count x, rounded up when x exceeds the
// geometric mean of the two neighbouring multiples and down otherwise: any
// 0 < x < m gives m, x = 0 gives 0.
// Outside the usual range the result stays defined: a negative or NaN x gives
// 0; an x too large for the multiples to be represented (including +inf)
// gives the largest multiple of m that 64 bits hold; m = 0 is taken as 1.
std::uint64_t round_count(double x, std::uint64_t m);

// The bounds on a chain's element count: at least nmin, at most nmax, with
// force_even an even count, and with round_up never fewer elements than the
// real count.
struct count_bounds {
  bool force_even = false;
  std::uint64_t nmin = 1;
  std::uint64_t nmax = max_node_count;
  bool round_up = false;
};

// The number of elements for a chain whose real element count (the integral
// of 1/size along it) is `total`: the nearest multiple of m (2 with
// force_even, else 1) by the geometric-mean rule of round_count, then raised
// to 1, raised to nmin, lowered to nmax, with round_up raised by one when
// still below the total, and with force_even an odd count raised by one. The
// last two rules come after nmax, so they can pass it by one. A NaN or
// negative total counts as 0 (the bounds still apply).
std::uint64_t bounded_element_count(double total, const count_bounds& bounds);

// Turns the real segment count x into a whole count that can be appended
// after `used` existing nodes: round_count(x, m), raised to the first
// multiple of m at or above `minimum`. False,
// with `count` unchanged, when x is NaN, infinite or negative, or when `used`
// plus the count would pass max_node_count. Callers report false as a
// container that cannot be enlarged, before appending anything.
bool checked_segment_count(double x, std::uint64_t m, std::uint64_t minimum, std::uint64_t used,
                           unsigned int& count);

}  // namespace linegen
}  // namespace zarn
