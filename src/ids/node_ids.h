// Node identifiers: unsigned 32-bit column indices, where no_count
// (4294967295) stands for "none". The bounds every identifier check and every
// growth of a coordinate matrix use.
#pragma once

#include <cstddef>
#include <cstdint>

#include <linegen/linegen.h>

namespace zarn {
namespace linegen {

// A coordinate matrix never holds more than this many columns.
constexpr std::uint64_t max_node_count = no_count;

// True when `extra` more items fit after `used` without the total passing
// max_node_count; the sum is never formed, so nothing wraps.
constexpr bool fits_node_count(std::uint64_t used, std::uint64_t extra) noexcept {
  return used <= max_node_count && extra <= max_node_count - used;
}

// A count of nodes (columns, list entries) as an identifier bound: larger
// counts saturate at no_count instead of wrapping to a small bound.
constexpr unsigned int id_bound(std::size_t count) noexcept {
  return count < no_count ? static_cast<unsigned int>(count) : no_count;
}

}  // namespace linegen
}  // namespace zarn
