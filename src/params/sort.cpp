#include <linegen/linegen.h>
#include <algorithm>
#include <cstddef>

namespace zarn {
namespace linegen {

namespace {

// A parameter with the identifier that travels with it: 16 bytes.
struct keyed_id {
  double param;
  unsigned int id;
};

// Ascending by parameter, then by identifier. NaN parameters come after every
// number, ordered among themselves by identifier, so the order is a strict
// weak order for every input (std::sort would otherwise be undefined).
inline bool before(const keyed_id& a, const keyed_id& b) noexcept {
  if (a.param < b.param) return true;
  if (b.param < a.param) return false;
  const bool a_nan = a.param != a.param;
  const bool b_nan = b.param != b.param;
  if (a_nan != b_nan) return b_nan;  // a number before a NaN
  return a.id < b.id;                // equal numbers (0 and -0 too) or two NaNs
}

}  // namespace

int sort(dense1D<double, 8>& params, dense1D<unsigned int, 8>& indices) {
  const std::size_t n = params.size();
  if (indices.size() != n) return -1;
  dense1D<keyed_id, 8> work;
  if (!work.resize(n)) return status_out_of_memory;
  keyed_id* pairs = work.data();
  for (std::size_t i = 0; i < n; ++i) pairs[i] = keyed_id{params[i], indices[i]};
  std::sort(pairs, pairs + n, before);
  // Written back in place: views sharing the lists' storage see the new order.
  for (std::size_t i = 0; i < n; ++i) {
    params[i] = pairs[i].param;
    indices[i] = pairs[i].id;
  }
  return 0;
}

}  // namespace linegen
}  // namespace zarn
