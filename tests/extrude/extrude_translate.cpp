// Straight extrusion: node positions, counts from sizes, codes in check
// order, outputs appended.
#include <linegen/linegen.h>

#include "extrude_checks.h"

namespace {

using namespace extrude_checks;
using testing_support::ids;
using testing_support::to_vector;
using zarn::linegen::extrude_translate;
using Ids = dense1D<unsigned int, 8>;
using V2 = vector_fixed<double, 2>;
using V3 = vector_fixed<double, 3>;

TEST(ExtrudeTranslate, PointAndNodeWithCountAppendAfterExistingEntries) {
  dense2D<double> coords;
  Ids chain;
  ASSERT_EQ(extrude_translate(coords, V2(1, 2), V2(4, 0), 4u, chain), 0);
  ASSERT_EQ(coords.cols(), 5u);
  for (unsigned int i = 0; i <= 4; ++i) EXPECT_TRUE(node_at<2>(coords, i, V2(1.0 + i, 2), 1e-15));
  EXPECT_EQ(to_vector(chain), (std::vector<unsigned int>{0, 1, 2, 3, 4}));
  // From node 4: the shared node is repeated in the chain.
  ASSERT_EQ(extrude_translate(coords, 4u, V2(0, 2), 2u, chain), 0);
  EXPECT_EQ(to_vector(chain), (std::vector<unsigned int>{0, 1, 2, 3, 4, 4, 5, 6}));
  EXPECT_TRUE(node_at<2>(coords, 6, V2(5, 4), 1e-15));

  dense2D<double> c3 = nodes<3>({V3(9, 9, 9)});
  Ids chain3 = ids({7});
  ASSERT_EQ(extrude_translate(c3, V3(0, 0, 1), V3(0, 0, 3), 3u, chain3), 0);
  EXPECT_EQ(to_vector(chain3), (std::vector<unsigned int>{7, 1, 2, 3, 4}));
  EXPECT_TRUE(node_at<3>(c3, 0, V3(9, 9, 9), 0));
  for (unsigned int i = 0; i <= 3; ++i) EXPECT_TRUE(node_at<3>(c3, 1 + i, V3(0, 0, 1.0 + i), 1e-15));
  // With a count the vector is not checked: a zero vector repeats the start.
  ASSERT_EQ(extrude_translate(c3, 0u, V3(0, 0, 0), 2u, chain3), 0);
  EXPECT_TRUE(node_at<3>(c3, 6, V3(9, 9, 9), 0));
}

TEST(ExtrudeTranslate, CountZeroDoesNothing) {
  // Nothing is examined, not even the matrix.
  dense2D<double> wrong_rows(3, 2, 1.0), empty;
  Ids chain = ids({1});
  EXPECT_CODE(wrong_rows, chain, 0, extrude_translate(c, V2(0, 0), V2(1, 0), 0u, i));
  EXPECT_CODE(empty, chain, 0, extrude_translate(c, V3(0, 0, 0), V3(1, 0, 0), 0u, i));
  EXPECT_CODE(empty, chain, 0, extrude_translate(c, 9u, V2(1, 0), 0u, i));
  EXPECT_CODE(empty, chain, 0, extrude_translate(c, 9u, V3(1, 0, 0), 0u, i));
  EXPECT_TRUE(empty.empty() && wrong_rows.cols() == 2 && chain.size() == 1);
}

// Every overload of dimension D, codes in check order. The other dimension's
// matrix fails the row check.
template <int D>
void check_codes_in_order() {
  using V = vector_fixed<double, D>;
  const V p = vec<D>(1, 2, 3), v = vec<D>(3, 4, 0), zero = vec<D>(0, 0, 0), huge = vec<D>(1e300, 1e300, 0);
  dense2D<double> other_rows(D == 2 ? 3 : 2, 1, 0.0), empty, one = nodes<D>({p}), empty_rows(D, 0);
  Ids chain = ids({42});

  // Point overloads.
  EXPECT_CODE(other_rows, chain, -1, extrude_translate(c, p, v, 2u, i));
  EXPECT_CODE(other_rows, chain, -1, extrude_translate(c, p, zero, -1.0, -1.0, false, i));
  for (auto* m : {&empty, &one}) {
    EXPECT_CODE(*m, chain, -3, extrude_translate(c, p, zero, -1.0, -1.0, false, i));
    for (double bad : {0.0, -1.0, inf, not_a_number}) {
      EXPECT_CODE(*m, chain, -4, extrude_translate(c, p, v, bad, -1.0, false, i)) << bad;
      EXPECT_CODE(*m, chain, -5, extrude_translate(c, p, v, 1.0, bad, true, i)) << bad;
    }
    // 1e300 / 1e-300 segments: far more than 32-bit identifiers can number.
    EXPECT_CODE(*m, chain, -199, extrude_translate(c, p, huge, 1e-300, 1e-300, false, i));
    // The column count would pass 4294967295 (c0 + count + 1 must not wrap).
    EXPECT_CODE(*m, chain, -199, extrude_translate(c, p, v, max_u32, i));
  }

  // Node overloads. An empty matrix with D rows passes the row check and has
  // no node.
  for (auto* m : {&empty, &other_rows}) {
    EXPECT_CODE(*m, chain, -1, extrude_translate(c, 0u, v, 1u, i));
    EXPECT_CODE(*m, chain, -1, extrude_translate(c, 0u, zero, -1.0, -1.0, false, i));
  }
  EXPECT_CODE(one, chain, -2, extrude_translate(c, 1u, v, 1u, i));
  EXPECT_CODE(empty_rows, chain, -2, extrude_translate(c, 0u, zero, -1.0, -1.0, false, i));
  EXPECT_CODE(one, chain, -2, extrude_translate(c, max_u32, zero, -1.0, -1.0, false, i));
  EXPECT_CODE(one, chain, -3, extrude_translate(c, 0u, zero, -1.0, -1.0, false, i));
  EXPECT_CODE(one, chain, -3, extrude_translate(c, 0u, vec<D>(not_a_number, 0, 0), 1.0, 1.0, false, i));
  for (double bad : {0.0, -1.0, inf, -inf, not_a_number}) {
    EXPECT_CODE(one, chain, -4, extrude_translate(c, 0u, v, bad, not_a_number, false, i)) << bad;
    EXPECT_CODE(one, chain, -5, extrude_translate(c, 0u, v, 1.0, bad, false, i)) << bad;
  }
  EXPECT_CODE(one, chain, -199, extrude_translate(c, 0u, huge, 1e-300, 1.0, false, i));
  EXPECT_CODE(one, chain, -199, extrude_translate(c, 0u, v, max_u32, i));
}

TEST(ExtrudeTranslate, CodesInCheckOrder2D) { check_codes_in_order<2>(); }
TEST(ExtrudeTranslate, CodesInCheckOrder3D) { check_codes_in_order<3>(); }

TEST(ExtrudeTranslate, StartPointThatCannotBeAppended) {
  // A 0-row matrix of 4294967295 columns holds no entry, yet no further
  // identifier exists: the start point cannot be appended.
  dense2D<double> full;
  ASSERT_TRUE(full.resize(0, max_u32));
  Ids chain = ids({3});
  EXPECT_CODE(full, chain, -199, extrude_translate(c, V2(0, 0), V2(1, 0), 1.0, 1.0, false, i));
}

TEST(ExtrudeTranslate, CountFromSizes) {
  struct Case {
    double length, h0, h1;
    bool even;
    unsigned int segments;
  };
  for (const Case& k : {Case{10, 1, 1, false, 10}, Case{9.3, 1, 1, true, 10}, Case{10, 1, 4, false, 5},
                        Case{10, 4, 1, false, 5}, Case{0.5, 1, 1, false, 1}, Case{0.5, 1, 2, true, 2},
                        Case{1e-9, 1, 1, false, 1}}) {
    dense2D<double> coords;
    Ids chain;
    ASSERT_EQ(extrude_translate(coords, V3(0, 0, 0), V3(0, k.length, 0), k.h0, k.h1, k.even, chain), 0);
    EXPECT_EQ(chain.size(), k.segments + 1) << k.length << " " << k.h0 << " " << k.h1;
    EXPECT_TRUE(node_at<3>(coords, k.segments, V3(0, k.length, 0), 1e-14));
  }
}

// The nodes of a graded segment stand where the integral of 1/h, h growing
// linearly from h0 to h1, reaches i/n of its total; the same at any scale.
TEST(ExtrudeTranslate, GradedNodesFollowTheSizeIntegral) {
  for (double scale : {1.0, 1e8, 1e-8}) {
    for (bool reverse : {false, true}) {
      const double h0 = (reverse ? 4.0 : 1.0) * scale, h1 = (reverse ? 1.0 : 4.0) * scale, L = 10 * scale;
      dense2D<double> coords = nodes<2>({V2(1 * scale, 1 * scale)});
      Ids chain;
      ASSERT_EQ(extrude_translate(coords, 0u, V2(6 * scale, 8 * scale), h0, h1, false, chain), 0);
      ASSERT_EQ(to_vector(chain), (std::vector<unsigned int>{0, 1, 2, 3, 4, 5})) << scale;
      for (unsigned int i = 1; i <= 5; ++i) {
        const double s = std::hypot(coords(0, i) - scale, coords(1, i) - scale);
        const double h = h0 + (h1 - h0) * s / L;
        EXPECT_NEAR(std::log(h / h0) / std::log(h1 / h0), i / 5.0, 1e-13) << scale << " " << i;
        EXPECT_NEAR((coords(0, i) - scale) * 8, (coords(1, i) - scale) * 6, 1e-13 * L);  // along the vector
      }
    }
  }
}

}  // namespace
