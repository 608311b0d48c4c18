#include <linegen/linegen.h>

#include "test_support.h"

using namespace testing_support;
using namespace zarn::linegen;
using zarn::dense2D;

namespace {
constexpr unsigned int none = 4294967295u;

// Neighbour matrix of edges whose nodes are each shared by at most two edges:
// row 0 through the second node, row 1 through the first.
dense2D<unsigned int> neighbours_of(const dense2D<unsigned int>& c) {
  dense2D<unsigned int> nb(c.rows(), c.cols(), none);
  for (std::size_t e = 0; e < c.cols(); ++e)
    for (std::size_t f = 0; f < c.cols(); ++f) {
      if (f == e) continue;
      if (c(1, e) == c(0, f) || c(1, e) == c(1, f)) nb(0, e) = unsigned(f);
      if (c(0, e) == c(0, f) || c(0, e) == c(1, f)) nb(1, e) = unsigned(f);
    }
  return nb;
}

// Every edge of [from, to) runs head to tail with its neighbours.
bool consistent(const dense2D<unsigned int>& c, const dense2D<unsigned int>& nb, std::size_t from,
                std::size_t to) {
  for (std::size_t e = from; e < to; ++e) {
    if (nb(0, e) != none && c(0, nb(0, e)) != c(1, e)) return false;
    if (nb(1, e) != none && c(1, nb(1, e)) != c(0, e)) return false;
  }
  return true;
}
}  // namespace

TEST(MeshReorient, WorkedExamplesFromEitherReference) {
  auto c = edges({{0, 1}, {2, 1}, {2, 3}});
  auto nb = edges({{1, none}, {0, 2}, {none, 1}});
  EXPECT_EQ(mesh_reorient(c, nb, 0, 0), 1);
  EXPECT_TRUE(same_matrix(c, edges({{0, 1}, {1, 2}, {2, 3}})));
  EXPECT_TRUE(same_matrix(nb, edges({{1, none}, {2, 0}, {none, 1}})));
  EXPECT_EQ(mesh_reorient(c, nb, 0, 0), 0);  // already consistent

  c = edges({{0, 1}, {2, 1}, {2, 3}});
  nb = edges({{1, none}, {0, 2}, {none, 1}});
  EXPECT_EQ(mesh_reorient(c, nb, 1, 0), 2);
  EXPECT_TRUE(same_matrix(c, edges({{1, 0}, {2, 1}, {3, 2}})));
  EXPECT_TRUE(consistent(c, nb, 0, 3));
}

TEST(MeshReorient, WrongNeighbourMatrixChangesNothing) {
  // Edge 2's entry through its node 3 names edge 4, which does not hold node
  // 3; it is read only after edges 1 and 2 have been reversed.
  const auto c0 = edges({{0, 1}, {2, 1}, {3, 2}, {4, 3}, {7, 8}});
  dense2D<unsigned int> c, nb0 = neighbours_of(c0), nb;
  nb0(1, 2) = 4;
  c.copy(c0);
  nb.copy(nb0);
  EXPECT_EQ(mesh_reorient(c, nb, 0, 1), -2);
  EXPECT_TRUE(same_matrix(c, c0));
  EXPECT_TRUE(same_matrix(nb, nb0));

  EXPECT_EQ(mesh_reorient(c, nb, 5, 0), -3);
  dense2D<unsigned int> wide(2, 6, none);
  EXPECT_EQ(mesh_reorient(c, wide, 0, 0), -2);
  auto bad = edges({{0, none}});
  dense2D<unsigned int> nb1(2, 1, none), empty;
  EXPECT_EQ(mesh_reorient(bad, nb1, 5, 0), -1);
  EXPECT_EQ(mesh_reorient(empty, nb1, 5, 0), 0);
}
