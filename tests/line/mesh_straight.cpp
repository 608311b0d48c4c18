#include <cmath>
#include <functional>

#include "test_support.h"

namespace {

using namespace testing_support;
using zarn::linegen::mesh_straight;
using Ids = dense1D<unsigned int, 8>;

// Each overload on fresh nodes: the identifiers appended to a list holding
// 99, and the new nodes.
TEST(MeshStraight, EveryOverloadMeshesEachSegment) {
  const dense2D<double> two = points({{0, 0}, {10, 0}}), ell = points({{0, 0}, {1, 0}, {1, 1}});
  const dense2D<double> three_d = points({{0, 0, 0}, {1, 0, 0}, {3, 0, 0}});
  dense2D<double> c;
  Ids out;
  // clang-format off
  const struct {
    const dense2D<double>& start;
    std::function<int()> call;
    Ids expected;
    dense2D<double> added;
  } cases[] = {
      {two, [&] { return mesh_straight(c, 0u, 1u, 4u, out); },
       ids({99, 0, 2, 3, 4, 1}), points({{2.5, 0}, {5, 0}, {7.5, 0}})},
      // Each segment follows its own sizes.
      {three_d, [&] { return mesh_straight(c, ids({0, 1, 2}), values({0.5, 0.5, 0.5}), false, out); },
       ids({99, 0, 3, 1, 4, 5, 6, 2}), points({{0.5, 0, 0}, {1.5, 0, 0}, {2, 0, 0}, {2.5, 0, 0}})},
      // An element count gives one size for the whole chain: h = 2/3, and
      // each unit segment rounds 1.5 up to 2 elements.
      {ell, [&] { return mesh_straight(c, ids({0, 1, 2}), 3u, false, out); },
       ids({99, 0, 3, 1, 4, 2}), points({{0.5, 0}, {1, 0.5}})},
      {ell, [&] { return mesh_straight(c, 0u, 1u, 2u, 3u, out); },
       ids({99, 0, 3, 1, 4, 2}), points({{0.5, 0}, {1, 0.5}})},
      // Even: 10/4 = 2.5 is below sqrt(2 * 4), so 2 elements.
      {two, [&] { return mesh_straight(c, 0u, 1u, 4.0, 4.0, true, out); },
       ids({99, 0, 2, 1}), points({{5, 0}})}};
  // clang-format on
  for (const auto& k : cases) {
    c.copy(k.start);
    out = ids({99});
    ASSERT_EQ(k.call(), 0);
    EXPECT_TRUE(same_vector(out, k.expected));
    ASSERT_EQ(c.cols(), k.start.cols() + k.added.cols());
    EXPECT_TRUE(same_matrix(c.sub_matrix(0, 0, c.rows(), k.start.cols()), k.start));
    for (std::size_t j = 0; j < k.added.cols(); ++j)
      for (std::size_t r = 0; r < c.rows(); ++r) EXPECT_NEAR(c(r, k.start.cols() + j), k.added(r, j), 1e-12);
  }
}

// Codes in check order; an empty request succeeds with nothing done. A
// failure in the last segment undoes the segments before it.
TEST(MeshStraight, StatusCodeOfEachCheckInCheckOrder) {
  const dense2D<double> start = points({{0, 0}, {1, 0}, {1, 1}});
  const dense2D<double> m2 = points({{1, 0, 1}, {1, 0, 1}, {1, 0, 1}});
  const dense2D<double> m3 = points({{1, 0, 1, 0, 0, 1}, {1, 0, 1, 0, 0, 1}});
  dense2D<double> c, one_row(1, 3, 0.0);
  Ids out;
  // clang-format off
  const std::pair<int, std::function<int()>> rows[] = {
      {0, [&] { return mesh_straight(c, 0u, 1u, 0u, out); }},
      {-4, [&] { return mesh_straight(c, 0u, 0u, 4u, out); }},  // zero length, size 0
      {-2, [&] { return mesh_straight(c, 7u, 1u, 4u, out); }},
      {-3, [&] { return mesh_straight(c, 0u, 7u, 4u, out); }},
      {-2, [&] { return mesh_straight(c, 9u, 1u, 2u, 3u, out); }},
      {-3, [&] { return mesh_straight(c, 0u, 9u, 2u, 3u, out); }},
      {-4, [&] { return mesh_straight(c, 0u, 1u, 9u, 3u, out); }},
      {-2, [&] { return mesh_straight(c, ids({0}), 3u, false, out); }},
      {-2, [&] { return mesh_straight(c, ids({0, 50}), 3u, false, out); }},
      {-3, [&] { return mesh_straight(c, ids({0, 0}), 3u, false, out); }},  // length 0: size 0
      {0, [&] { return mesh_straight(c, Ids(), values({}), false, out); }},
      {-2, [&] { return mesh_straight(c, ids({0}), values({1}), false, out); }},
      {-2, [&] { return mesh_straight(c, ids({0, 3}), values({1, 1}), false, out); }},
      {-3, [&] { return mesh_straight(c, ids({0, 1}), values({1}), false, out); }},
      {-3, [&] { return mesh_straight(c, ids({0, 1}), values({1, -1}), false, out); }},
      {-1, [&] { return mesh_straight(one_row, ids({0, 1}), values({1, 1}), false, out); }},
      // The last segment asks for more nodes than identifiers exist.
      {-199, [&] { return mesh_straight(c, ids({0, 1, 2}), values({0.25, 1e-300, 1e-300}), false, out); }},
      // Two sizes: positive and finite.
      {-2, [&] { return mesh_straight(c, 3u, 1u, 1.0, 1.0, false, out); }},
      {-3, [&] { return mesh_straight(c, 0u, 3u, 1.0, 1.0, false, out); }},
      {-4, [&] { return mesh_straight(c, 0u, 1u, 0.0, 1.0, false, out); }},
      {-4, [&] { return mesh_straight(c, 0u, 1u, INFINITY, 1.0, false, out); }},
      {-5, [&] { return mesh_straight(c, 0u, 1u, 1.0, NAN, false, out); }},
      {-5, [&] { return mesh_straight(c, 0u, 1u, 1.0, INFINITY, false, out); }},
      // Metrics: -3 for the wrong rows or too few columns, before any node is made.
      {0, [&] { return mesh_straight(c, Ids(), m2, false, out); }},
      {-2, [&] { return mesh_straight(c, ids({0}), m2, false, out); }},
      {-3, [&] { return mesh_straight(c, ids({0, 1}), m3, false, out); }},
      {-3, [&] { return mesh_straight(c, ids({0, 1, 2}), m2.sub_matrix(0, 0, 3, 2), false, out); }}};
  // clang-format on
  for (const auto& row : rows) {
    c.copy(start);
    out = ids({4});
    EXPECT_EQ(row.second(), row.first) << "row " << (&row - rows);
    EXPECT_EQ(c.cols(), 3u);
  }
}

}  // namespace
