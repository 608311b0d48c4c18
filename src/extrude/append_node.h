// Appending one node to a coordinate matrix, the way every generator does.
#pragma once

#include <zarn/containers.h>

namespace zarn {
namespace linegen {

// Appends `point` as a new last column of `coords`; its identifier is the old
// column count. An empty matrix (rows x columns = 0) of any row count is
// accepted and becomes a 2-row (resp. 3-row) matrix. When the storage has no
// spare column the capacity is first doubled, with a floor of 4 columns, so
// that appending n nodes one by one costs O(n). False, with `coords`
// unchanged, when a non-empty matrix has another row count, when the matrix
// already holds max_node_count columns (identifiers are 32-bit), or when memory
// is lacking.
bool append_node(const vector_fixed<double, 2>& point, dense2D<double>& coords);
bool append_node(const vector_fixed<double, 3>& point, dense2D<double>& coords);

}  // namespace linegen
}  // namespace zarn
