// Straight extrusion: node positions, counts from sizes, codes in check
// order, outputs appended.
#include <linegen/linegen.h>

#include "extrude_checks.h"

namespace {

using namespace extrude_checks;
using testing_support::to_vector;
using zarn::linegen::extrude_translate;
using Ids = dense1D<unsigned int, 8>;
using V2 = vector_fixed<double, 2>;
using V3 = vector_fixed<double, 3>;

TEST(ExtrudeTranslate, CountFromSizes) {
  struct Case {
    double length, h0, h1;
    bool even;
    unsigned int segments;
  };
  for (const Case& k : {Case{10, 1, 1, false, 10}, Case{9.3, 1, 1, true, 10}, Case{10, 1, 4, false, 5},
                        Case{10, 4, 1, false, 5}, Case{0.5, 1, 1, false, 1}, Case{0.5, 1, 2, true, 2},
                        Case{1e-9, 1, 1, false, 1}, Case{1e-150, 1e300, 1e300, true, 2}}) {
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
