#include <cfloat>
#include <cmath>

#include "test_support.h"

namespace {

using namespace testing_support;
using zarn::linegen::mesh_line;

struct line_outputs {
  dense1D<unsigned int, 8> indices;
  dense1D<double, 8> params, sizes;
};

TEST(MeshLine, TwoNodesTenApart) {
  dense2D<double> coords = points({{0, 0}, {5, 5}, {10, 0}});
  line_outputs out;
  out.indices = ids({42});
  out.sizes = values({-1});
  out.params = values({-1, -2});
  ASSERT_EQ(mesh_line(coords, ids({0, 2}), values({0, 1}), values({1, 1}), false, 1, 100, 0.0, 0.0,
                      out.indices, out.params, out.sizes),
            0);
  ASSERT_EQ(coords.cols(), 12u);
  EXPECT_TRUE(same_vector(out.indices, ids({42, 0, 3, 4, 5, 6, 7, 8, 9, 10, 11, 2})));
  ASSERT_EQ(out.params.size(), 11u);  // replaced, not appended to
  ASSERT_EQ(out.sizes.size(), 12u);   // appended to
  EXPECT_EQ(out.sizes[0], -1.0);
  for (std::size_t i = 0; i <= 10; ++i) {
    EXPECT_NEAR(out.params[i], i / 10.0, 1e-15);
    EXPECT_EQ(out.sizes[i + 1], 1.0);
  }
  for (std::size_t k = 0; k < 9; ++k) EXPECT_NEAR(coords(0, 3 + k), k + 1.0, 1e-12);
  EXPECT_TRUE(same_matrix(coords.sub_matrix(0, 0, 2, 3), points({{0, 0}, {5, 5}, {10, 0}})));
}

TEST(MeshLine, ClosedPolylineStartsAndEndsWithItsNode) {
  dense2D<double> coords = points({{0, 0}, {1, 0}, {1, 1}});
  line_outputs out;
  ASSERT_EQ(
      mesh_line(coords, ids({1, 2, 0, 1}), values({0, 1, 2.414, 3.414}), values({0.25, 0.25, 0.25, 0.25}),
                false, 1, 100, 0.0, 0.0, out.indices, out.params, out.sizes),
      0);
  EXPECT_EQ(out.indices[0], 1u);
  EXPECT_EQ(out.indices[out.indices.size() - 1], 1u);
  EXPECT_EQ(coords.cols(), 3 + out.indices.size() - 2);
}

TEST(MeshLine, ChecksInOrder) {
  dense2D<double> coords = points({{0, 0}, {1, 0}, {2, 0}});
  const dense1D<unsigned int, 8> chain = ids({0, 1, 2});
  const dense1D<double, 8> sizes = values({1, 1, 1});
  const dense1D<double, 8> params = values({0, 0.5, 1});
  auto run = [&](dense2D<double>& c, const dense1D<unsigned int, 8>& ch, const dense1D<double, 8>& p,
                 const dense1D<double, 8>& s, unsigned nmin, unsigned nmax) {
    line_outputs out;
    out.params = values({3});
    const int code = mesh_line(c, ch, p, s, false, nmin, nmax, 0.0, 0.0, out.indices, out.params, out.sizes);
    if (code != 0) {
      EXPECT_TRUE(out.params.empty());  // emptied before the checks
      EXPECT_TRUE(out.indices.empty());
      EXPECT_TRUE(out.sizes.empty());
    }
    return code;
  };
  dense2D<double> one_row(1, 3, 0.0);
  EXPECT_EQ(run(one_row, chain, params, sizes, 1, 9), -1);
  EXPECT_EQ(run(coords, ids({0}), values({0}), sizes, 1, 9), -2);
  EXPECT_EQ(run(coords, ids({0, 3}), values({0, 1}), sizes, 1, 9), -2);  // identifier outside coords
  EXPECT_EQ(run(coords, chain, values({0, 0.5, 0.4}), sizes, 1, 9), -3);
  EXPECT_EQ(run(coords, chain, values({0, 0.5}), sizes, 1, 9), -3);
  EXPECT_EQ(run(coords, chain, values({0, std::nan(""), 1}), sizes, 1, 9), -3);
  EXPECT_EQ(run(coords, chain, params, values({1, 1}), 1, 9), -4);
  EXPECT_EQ(run(coords, chain, params, values({1, 0, 1}), 1, 9), -4);
  EXPECT_EQ(run(coords, chain, params, values({1, INFINITY, 1}), 1, 9), -4);
  EXPECT_EQ(run(coords, chain, params, values({1, 1, 1, -5}), 1, 9), 0);  // only the first n sizes count
  EXPECT_EQ(run(coords, chain, params, sizes, 5, 4), -6);
  EXPECT_EQ(run(coords, chain, params, sizes, 0, 4), -6);
  EXPECT_EQ(run(coords, chain, values({0, 0.5, 0.4}), sizes, 5, 4), -3);
  EXPECT_EQ(coords.cols(), 4u);  // one node from the one successful call
}

TEST(MeshLine, WithoutParametersUsesNormalisedChordLength) {
  dense2D<double> coords = points({{0, 0}, {3, 0}, {3, 4}});
  line_outputs out;
  ASSERT_EQ(mesh_line(coords, ids({0, 1, 2}), values({0.5, 0.5, 0.5}), false, 1, 100, 0.0, 0.0, out.indices,
                      out.params, out.sizes),
            0);
  ASSERT_GT(out.params.size(), 3u);
  EXPECT_EQ(out.params[0], 0.0);
  EXPECT_EQ(out.params[out.params.size() - 1], 1.0);
  // Parameters are carried along: every node stands at 7 * param along the
  // polyline.
  for (std::size_t i = 0; i < out.indices.size(); ++i) {
    const double s = 7.0 * out.params[i];
    const double x = s <= 3.0 ? s : 3.0, y = s <= 3.0 ? 0.0 : s - 3.0;
    EXPECT_NEAR(coords(0, out.indices[i]), x, 1e-12);
    EXPECT_NEAR(coords(1, out.indices[i]), y, 1e-12);
  }
}

TEST(MeshLine, WithoutParametersMapsCodes) {
  dense2D<double> coords = points({{0, 0}, {3, 0}, {3, 4}});
  line_outputs out;
  auto run = [&](const dense1D<unsigned int, 8>& chain, const dense1D<double, 8>& sizes, unsigned nmin,
                 unsigned nmax) {
    return mesh_line(coords, chain, sizes, false, nmin, nmax, 0.0, 0.0, out.indices, out.params, out.sizes);
  };
  EXPECT_EQ(run(ids({0, 0, 0}), values({1, 1, 1}), 1, 9), -2);  // zero length
  EXPECT_EQ(run(ids({0, 7}), values({1, 1}), 1, 9), -2);
  EXPECT_EQ(run(ids({0, 1, 2}), values({1, 1}), 1, 9), -3);
  EXPECT_EQ(run(ids({0, 1, 2}), values({1, 1, 1}), 3, 2), -5);
  // A count that cannot be numbered is a memory failure, passed on as -199.
  EXPECT_EQ(run(ids({0, 1, 2}), values({1e-300, 1e-300, 1e-300}), 1, 4294967295u), -199);
  dense2D<double> far = points({{-1e308, 0}, {1e308, 0}});
  EXPECT_EQ(
      mesh_line(far, ids({0, 1}), values({1, 1}), false, 1, 9, 0.0, 0.0, out.indices, out.params, out.sizes),
      -2);  // infinite length
  EXPECT_EQ(coords.cols(), 3u);
  EXPECT_TRUE(out.indices.empty());
}

TEST(MeshLine, MemoryFailureLeavesEverythingAsAtEntry) {
  dense2D<double> coords = points({{0, 0}, {1, 0}});
  line_outputs out;
  out.indices = ids({5});
  out.sizes = values({6});
  out.params = values({7});
  EXPECT_EQ(mesh_line(coords, ids({0, 1}), values({0, 1}), values({1e-300, 1e-300}), false, 1, 4294967295u,
                      0.0, 0.0, out.indices, out.params, out.sizes),
            -199);
  EXPECT_EQ(coords.cols(), 2u);
  EXPECT_TRUE(same_vector(out.indices, ids({5})));
  EXPECT_TRUE(same_vector(out.sizes, values({6})));
  EXPECT_TRUE(out.params.empty());
}

#ifdef LINEGEN_FAULT_INJECTION
// Makes each container allocation of a call fail in turn (one per run) until
// a run makes fewer allocations than the countdown. A failure may be
// recovered from (a smaller retry) or reported as -199 with everything as
// at entry; it must never give a different successful result.
TEST(MeshLine, EveryAllocationFailureLeavesEverythingAsAtEntry) {
  const dense2D<double> start = points({{0, 0}, {1, 0.2}, {2, 0}, {3, 0.4}, {4, 0}});
  const dense1D<unsigned int, 8> chain = ids({0, 1, 2, 3, 4});
  const dense1D<double, 8> sizes = values({0.3, 0.2, 0.3, 0.25, 0.3});
  for (double chordal : {0.0, -0.05, 0.01}) {
    dense2D<double> reference;
    reference.copy(start);
    line_outputs expected;
    ASSERT_EQ(mesh_line(reference, chain, sizes, true, 1, 100, chordal, 0.0, expected.indices,
                        expected.params, expected.sizes),
              0);
    int failures = 0;
    for (long n = 0;; ++n) {
      dense2D<double> coords;
      coords.copy(start);
      line_outputs out;
      out.indices = ids({9});
      out.sizes = values({8});
      zarn::fail_allocation_after(n);
      const int code =
          mesh_line(coords, chain, sizes, true, 1, 100, chordal, 0.0, out.indices, out.params, out.sizes);
      const bool injected = zarn::detail::allocation_countdown < 0;
      zarn::fail_allocation_after(-1);
      if (!injected) break;
      if (code == 0) {
        EXPECT_TRUE(same_matrix(coords, reference)) << "allocation " << n;
        EXPECT_TRUE(same_vector(out.params, expected.params));
        continue;
      }
      ++failures;
      ASSERT_EQ(code, -199) << "allocation " << n;
      EXPECT_TRUE(same_matrix(coords, start));
      EXPECT_TRUE(same_vector(out.indices, ids({9})));
      EXPECT_TRUE(same_vector(out.sizes, values({8})));
      EXPECT_TRUE(out.params.empty());
    }
    EXPECT_GT(failures, 5);
  }
}
#endif

TEST(MeshLine, LargestDoubleMeansNoGeometricControl) {
  const dense2D<double> start = points({{0, 0}, {1, 0}, {1, 1}});
  for (double chordal : {DBL_MAX, -DBL_MAX, std::nan("")}) {
    dense2D<double> a, b;
    a.copy(start);
    b.copy(start);
    line_outputs oa, ob;
    ASSERT_EQ(mesh_line(a, ids({0, 1, 2}), values({0, 0.5, 1}), values({10, 10, 10}), false, 1, 9, chordal,
                        0.0, oa.indices, oa.params, oa.sizes),
              0);
    ASSERT_EQ(mesh_line(b, ids({0, 1, 2}), values({0, 0.5, 1}), values({10, 10, 10}), false, 1, 9, 0.0, 0.0,
                        ob.indices, ob.params, ob.sizes),
              0);
    EXPECT_TRUE(same_vector(oa.indices, ids({0, 2})));
    EXPECT_TRUE(same_vector(oa.indices, ob.indices));
    EXPECT_TRUE(same_matrix(a, b));
  }
}

// A zig-zag whose first pass is measured along the polyline and whose later
// passes along the chords of the previous mesh: 6 elements, then 5, then 5
// again, which stops the passes. Expected values from an independent
// implementation of the pass rule.
TEST(MeshLine, PassesUntilTheNodeCountStopsFalling) {
  dense2D<double> coords = points({{0, 0}, {1, 0.8}, {2, 0}, {3, 0.8}, {4, 0}});
  dense1D<double, 8> arc(5);
  arc[0] = 0.0;
  for (std::size_t i = 1; i < 5; ++i) arc[i] = arc[i - 1] + std::sqrt(1.0 + 0.64);
  line_outputs out;
  ASSERT_EQ(mesh_line(coords, ids({0, 1, 2, 3, 4}), arc, values({0.9, 1.35, 0.9, 0.63, 0.9}), false, 1, 100,
                      0.0, 0.0, out.indices, out.params, out.sizes),
            0);
  const double expected[6][4] = {
      {0.0, 0.0, 0.0, 0.9},
      {0.8745205639580176, 0.6996164511664141, 1.1199327638426053, 1.220275456691745},
      {1.853116264540661, 0.11750698836747131, 2.373146733652266, 0.9719900614241606},
      {2.5902859324909144, 0.4722287459927317, 3.3171845272427847, 0.7458938301040003},
      {3.325487665851057, 0.5396098673191545, 4.258702134898979, 0.7266341240529931},
      {4.0, 0.0, 5.122499389946279, 0.9}};
  EXPECT_TRUE(same_vector(out.indices, ids({0, 5, 6, 7, 8, 4})));
  ASSERT_EQ(coords.cols(), 9u);
  for (std::size_t i = 0; i < 6; ++i) {
    EXPECT_NEAR(coords(0, out.indices[i]), expected[i][0], 1e-12);
    EXPECT_NEAR(coords(1, out.indices[i]), expected[i][1], 1e-12);
    EXPECT_NEAR(out.params[i], expected[i][2], 1e-12);
    EXPECT_NEAR(out.sizes[i], expected[i][3], 1e-12);
  }
}

TEST(MeshLine, PassesStopAtTheMinimumCount) {
  // With nmin = 7 the first pass already gives nmin elements on this L.
  dense2D<double> coords = points({{0, 0}, {1, 0}, {1, 1}});
  line_outputs out;
  ASSERT_EQ(mesh_line(coords, ids({0, 1, 2}), values({0, 1, 2}), values({0.3, 0.3, 0.3}), false, 7, 100, 0.0,
                      0.0, out.indices, out.params, out.sizes),
            0);
  ASSERT_EQ(out.indices.size(), 8u);
  for (std::size_t i = 0; i < 8; ++i) EXPECT_NEAR(out.params[i], 2.0 * i / 7.0, 1e-12);
}

TEST(MeshLine, EndNodesStayExactWithEqualLastParameters) {
  // The last two parameters are equal. The passes put the new nodes back
  // onto the polyline but leave its end nodes alone; moving the last node to
  // its parameter would put it on the node before and shorten the line that
  // the next pass measures (4 elements instead of 5 here). Expected values
  // from an independent implementation of the pass rule.
  dense2D<double> coords = points({{0.041522324893327356, 0.604530122336367},
                                   {0.7378640931326257, -0.7641625926578779},
                                   {2.1565774669475455, -0.05550951284776673},
                                   {2.9277691339942367, -0.5800903872570458}});
  const double last = 3.1215022011087656;
  line_outputs out;
  ASSERT_EQ(
      mesh_line(coords, ids({0, 1, 2, 3}), values({0.0, 1.5356469666798258, last, last}),
                values({1.2, 0.3, 1.2, 1.2}), false, 1, 100, 0.0, 0.0, out.indices, out.params, out.sizes),
      0);
  const double expected[6][4] = {
      {0.041522324893327356, 0.604530122336367, 0.0, 1.2},
      {0.4624906173800213, -0.22290298802690678, 0.92836407481365, 0.6559116219668942},
      {0.7052746081170029, -0.7001064168534581, 1.463777166399943, 0.4039606621299754},
      {1.1515071850557455, -0.5575461918797061, 1.998022295353669, 0.5624059162350392},
      {1.8561875299400084, -0.20555550376694942, 2.7857226400179935, 1.0094393495566971},
      {2.9277691339942367, -0.5800903872570458, last, 1.2}};
  ASSERT_EQ(out.indices.size(), 6u);
  EXPECT_EQ(out.indices[0], 0u);
  EXPECT_EQ(out.indices[5], 3u);
  for (std::size_t i = 0; i < 6; ++i) {
    EXPECT_NEAR(coords(0, out.indices[i]), expected[i][0], 1e-12);
    EXPECT_NEAR(coords(1, out.indices[i]), expected[i][1], 1e-12);
    EXPECT_NEAR(out.params[i], expected[i][2], 1e-12);
    EXPECT_NEAR(out.sizes[i], expected[i][3], 1e-12);
  }
}

TEST(MeshLine, CurvatureCapsSizesOnACircle) {
  const std::size_t n = 200;
  dense2D<double> coords(2, n);
  dense1D<unsigned int, 8> chain(n);
  for (std::size_t i = 0; i < n; ++i) {
    const double a = 2.0 * M_PI * i / n;
    coords(0, i) = std::cos(a);
    coords(1, i) = std::sin(a);
    chain[i] = static_cast<unsigned int>(i);
  }
  line_outputs out;
  ASSERT_EQ(mesh_line(coords, chain, dense1D<double, 8>(n, 5.0), false, 1, 1000, -0.01, 0.01, out.indices,
                      out.params, out.sizes),
            0);
  // sqrt(8 * 0.01) = 0.283 over the discrete curvature, which is just above 1.
  for (std::size_t i = 0; i < out.sizes.size(); ++i) EXPECT_NEAR(out.sizes[i], std::sqrt(0.08), 1e-3);
  // With a floor above the cap the floor wins.
  line_outputs floored;
  ASSERT_EQ(mesh_line(coords, chain, dense1D<double, 8>(n, 5.0), false, 1, 1000, -0.01, 0.5, floored.indices,
                      floored.params, floored.sizes),
            0);
  for (std::size_t i = 0; i < floored.sizes.size(); ++i) EXPECT_NEAR(floored.sizes[i], 0.5, 1e-12);
}

}  // namespace
