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
  // The column count itself names no node.
  c.copy(two);
  EXPECT_EQ(mesh_straight(c, 2u, 1u, 4u, out), -2);
  EXPECT_EQ(mesh_straight(c, 0u, 2u, 4u, out), -3);
  EXPECT_EQ(mesh_straight(c, 2u, 1u, 4.0, 4.0, false, out), -2);
  EXPECT_EQ(mesh_straight(c, 0u, 1u, 2u, 3u, out), -4);
  EXPECT_EQ(mesh_straight(c, ids({0, 1}), values({1, 0}), false, out), -3);  // a zero size
  EXPECT_EQ(c.cols(), 2u);
}

}  // namespace
