// The bound that node identifiers are checked against.
#pragma once

#include <cstddef>

namespace zarn {
namespace linegen {

// A count of nodes (columns, list entries) as an identifier bound: identifiers
// are unsigned 32-bit and 4294967295 means "none", so larger counts saturate
// there instead of wrapping to a small bound.
constexpr unsigned int id_bound(std::size_t count) noexcept {
  return count < 4294967295u ? static_cast<unsigned int>(count) : 4294967295u;
}

}  // namespace linegen
}  // namespace zarn
