#include <linegen/linegen.h>

#include <algorithm>
#include <random>
#include <vector>

#include "test_support.h"

using namespace testing_support;
using namespace zarn::linegen;
using zarn::dense2D;

namespace {
constexpr unsigned int none = 4294967295u;

dense2D<unsigned int> cols(std::initializer_list<std::initializer_list<unsigned int>> list) {
  dense2D<unsigned int> m(list.begin()->size(), list.size());
  std::size_t j = 0;
  for (const auto& c : list) {
    std::size_t i = 0;
    for (unsigned int v : c) m(i++, j) = v;
    ++j;
  }
  return m;
}

// Neighbour matrix from the edges: row 0 through the second node, row 1
// through the first (every node here is shared by at most two edges).
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

// True when every edge of [from, to) runs head to tail with its neighbours:
// its row-0 neighbour starts where it ends, its row-1 neighbour ends where it
// starts.
bool consistent(const dense2D<unsigned int>& c, const dense2D<unsigned int>& nb, std::size_t from,
                std::size_t to) {
  for (std::size_t e = from; e < to; ++e) {
    if (nb(0, e) != none && c(0, nb(0, e)) != c(1, e)) return false;
    if (nb(1, e) != none && c(1, nb(1, e)) != c(0, e)) return false;
  }
  return true;
}
}  // namespace

TEST(Flip, ReversesTwoNodeEdgesOnly) {
  auto c = cols({{0, 1}, {1, 2}});
  EXPECT_EQ(flip(c), 0);
  EXPECT_TRUE(same_matrix(c, cols({{1, 0}, {2, 1}})));
  dense2D<unsigned int> empty(3, 0);
  EXPECT_EQ(flip(empty), 0);
  auto e3 = cols({{0, 2, 1}});
  EXPECT_EQ(flip(e3), -1);
  EXPECT_TRUE(same_matrix(e3, cols({{0, 2, 1}})));
}

TEST(MeshReorient, WorkedExamplesFromEitherReference) {
  auto c = cols({{0, 1}, {2, 1}, {2, 3}});
  auto nb = cols({{1, none}, {0, 2}, {none, 1}});
  EXPECT_EQ(mesh_reorient(c, nb, 0, 0), 1);
  EXPECT_TRUE(same_matrix(c, cols({{0, 1}, {1, 2}, {2, 3}})));
  EXPECT_TRUE(same_matrix(nb, cols({{1, none}, {2, 0}, {none, 1}})));
  EXPECT_EQ(mesh_reorient(c, nb, 0, 0), 0);  // already consistent

  c = cols({{0, 1}, {2, 1}, {2, 3}});
  nb = cols({{1, none}, {0, 2}, {none, 1}});
  EXPECT_EQ(mesh_reorient(c, nb, 1, 0), 2);
  EXPECT_TRUE(same_matrix(c, cols({{1, 0}, {2, 1}, {3, 2}})));
  EXPECT_TRUE(consistent(c, nb, 0, 3));
}

TEST(MeshReorient, ClosedLoopAndComponents) {
  // A loop of 5 edges with edges 1 and 3 reversed.
  auto loop = cols({{0, 1}, {2, 1}, {2, 3}, {4, 3}, {4, 0}});
  auto nb = neighbours_of(loop);
  EXPECT_EQ(mesh_reorient(loop, nb, 0, 0), 2);
  EXPECT_TRUE(same_matrix(loop, cols({{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 0}})));
  EXPECT_TRUE(consistent(loop, nb, 0, 5));

  // Chain A: edges 0, 1; chain B: edges 2, 3, 4 (edge 3 reversed against 2).
  const auto two = cols({{0, 1}, {2, 1}, {10, 11}, {12, 11}, {12, 13}});
  auto c = two;
  c.copy(two);
  nb = neighbours_of(c);
  EXPECT_EQ(mesh_reorient(c, nb, 0, 0), 1);
  EXPECT_TRUE(consistent(c, nb, 0, 2));
  EXPECT_EQ(column(c, 3), (std::vector<unsigned int>{12, 11}));  // other part untouched
  c.copy(two);
  nb = neighbours_of(c);
  EXPECT_EQ(mesh_reorient(c, nb, 0, 1), 2);
  EXPECT_TRUE(consistent(c, nb, 0, 5));
  EXPECT_EQ(column(c, 2), (std::vector<unsigned int>{10, 11}));  // lowest edge of B kept
  // From start edge 3: chain A (edges below 3 only) is never started; B
  // follows edge 3.
  c.copy(two);
  nb = neighbours_of(c);
  EXPECT_EQ(mesh_reorient(c, nb, 3, 1), 2);
  EXPECT_TRUE(same_matrix(c, cols({{0, 1}, {2, 1}, {11, 10}, {12, 11}, {13, 12}})));
}

TEST(MeshReorient, WrongNeighbourMatrixChangesNothing) {
  // Edge 2's entry through its node 3 names edge 4, which does not hold node
  // 3; it is read only after edges 1 and 2 have been reversed.
  auto c = cols({{0, 1}, {2, 1}, {3, 2}, {4, 3}, {7, 8}});
  auto nb = neighbours_of(c);
  nb(1, 2) = 4;
  const auto c0 = cols({{0, 1}, {2, 1}, {3, 2}, {4, 3}, {7, 8}});
  dense2D<unsigned int> nb0;
  nb0.copy(nb);
  EXPECT_EQ(mesh_reorient(c, nb, 0, 1), -2);
  EXPECT_TRUE(same_matrix(c, c0));
  EXPECT_TRUE(same_matrix(nb, nb0));

  nb = neighbours_of(c);
  EXPECT_EQ(mesh_reorient(c, nb, 5, 0), -3);
  dense2D<unsigned int> wide(2, 6, none);
  EXPECT_EQ(mesh_reorient(c, wide, 0, 0), -2);
  auto bad = cols({{0, none}});
  dense2D<unsigned int> nb1(2, 1, none);
  EXPECT_EQ(mesh_reorient(bad, nb1, 5, 0), -1);
  dense2D<unsigned int> empty;
  EXPECT_EQ(mesh_reorient(empty, nb1, 5, 0), 0);
}

TEST(MeshReorient, ThreeNodeEdgesKeepTheirMiddleNode) {
  auto c = cols({{0, 2, 1}, {4, 2, 3}, {4, 6, 5}});
  auto nb = cols({{1, none, none}, {0, 2, none}, {none, 1, none}});
  EXPECT_EQ(mesh_reorient(c, nb, 0, 0), 1);
  EXPECT_TRUE(same_matrix(c, cols({{0, 2, 1}, {2, 4, 3}, {4, 6, 5}})));
  EXPECT_TRUE(same_matrix(nb, cols({{1, none, none}, {2, 0, none}, {none, 1, none}})));
}

TEST(MeshReorient, ShuffledRandomChain) {
  const unsigned n = 2000;
  std::mt19937 rng(7);
  std::vector<unsigned> order(n);
  for (unsigned i = 0; i < n; ++i) order[i] = i;
  std::shuffle(order.begin(), order.end(), rng);
  dense2D<unsigned int> c(2, n), nb(2, n, none);
  unsigned flipped = 0;
  std::vector<unsigned> column_of(n);
  for (unsigned j = 0; j < n; ++j) column_of[order[j]] = j;
  for (unsigned j = 0; j < n; ++j) {
    const unsigned piece = order[j];  // chain piece from node piece to piece + 1
    const bool reverse = rng() % 2 == 1;
    flipped += reverse;
    c(0, j) = reverse ? piece + 1 : piece;
    c(1, j) = reverse ? piece : piece + 1;
    const unsigned next = piece + 1 < n ? column_of[piece + 1] : none;
    const unsigned prev = piece > 0 ? column_of[piece - 1] : none;
    nb(0, j) = reverse ? prev : next;
    nb(1, j) = reverse ? next : prev;
  }
  const unsigned start = column_of[0];
  const bool start_reversed = c(0, start) == 1;
  const int result = mesh_reorient(c, nb, start, 0);
  EXPECT_EQ(unsigned(result), start_reversed ? n - flipped : flipped);
  EXPECT_TRUE(consistent(c, nb, 0, n));
}
