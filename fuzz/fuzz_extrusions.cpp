// Fuzzes extrude_translate and extrude_rotate, all sixteen overloads.
#include "fuzz_common.h"

namespace {

using namespace fuzzing;
using zarn::vector_fixed;

template <int D>
vector_fixed<double, D> fixed_vector(FuzzedDataProvider& in) {
  vector_fixed<double, D> v;
  for (int i = 0; i < D; ++i)
    v[i] = in.ConsumeIntegralInRange<int>(0, 5) == 0 ? awkward_double(in)
                                                     : in.ConsumeFloatingPointInRange<double>(-5, 5);
  return v;
}

// A count that either meshes quickly or can never fit 32-bit identifiers.
unsigned int count_value(FuzzedDataProvider& in) {
  switch (in.ConsumeIntegralInRange<int>(0, 7)) {
    case 0:
      return 0;
    case 1:
      return 4294967295u - in.ConsumeIntegralInRange<unsigned int>(0, 8);
    default:
      return in.ConsumeIntegralInRange<unsigned int>(1, 300);
  }
}

// Skips size requests that are valid yet would mesh millions of elements:
// they would only measure the machine. Astronomical ones are kept: they must
// come back as -199 without allocating.
bool reasonable(double length, double h0, double h1) {
  const double lo = std::fmin(std::fabs(h0), std::fabs(h1)), hi = std::fmax(std::fabs(h0), std::fabs(h1));
  if (!(lo > 0) || !std::isfinite(length)) return true;
  return length / lo < 1e5 || length / hi > 1e10;
}

template <int D>
double norm(const vector_fixed<double, D>& v) {
  double s = 0;
  for (int i = 0; i < D; ++i) s += v[i] * v[i];
  return std::sqrt(s);
}

// The contract common to every overload: codes from the documented set; on
// failure coords and indices as at entry; on success both grew, the old
// entries kept, the chain of count + 1 valid identifiers appended.
void check(int status, std::initializer_list<int> codes, const dense2D<double>& before,
           const dense2D<double>& coords, const dense1D<unsigned int, 8>& ids_before,
           const dense1D<unsigned int, 8>& ids) {
  require(one_of(status, codes), "status outside the documented codes");
  if (status != 0) {
    require(same(before, coords), "coords changed by a failed call");
    require(same(ids_before, ids), "indices changed by a failed call");
    return;
  }
  require(prefix_kept(ids_before, ids), "indices not appended to");
  require(valid_new_ids(ids, ids_before.size(), coords.cols()), "new identifier is not a column");
  if (ids.size() == ids_before.size()) {
    require(same(before, coords), "nothing appended but coords changed");
    return;
  }
  require(before.empty() || prefix_kept(before, coords), "existing columns changed");
  require(ids.size() - ids_before.size() == coords.cols() - before.cols() ||
              ids.size() - ids_before.size() == coords.cols() - before.cols() + 1,
          "chain and new columns disagree");
}

template <int D>
void run(FuzzedDataProvider& in) {
  dense2D<double> coords = coordinates(in);
  if (in.ConsumeIntegralInRange<int>(0, 3) == 0) coords = matrix(in, D, coords.cols());
  dense1D<unsigned int, 8> ids = id_list(in, coords.cols() + 1);
  const auto before = snapshot(coords);
  const auto ids_before = snapshot(ids);
  const auto start = fixed_vector<D>(in);
  const unsigned int node = id_value(in, coords.cols() + 1);
  const double h0 = size_value(in), h1 = size_value(in);
  const bool even = in.ConsumeBool();
  const unsigned int count = count_value(in);
  const int shape = in.ConsumeIntegralInRange<int>(0, 3);
  const bool rotate = in.ConsumeBool();

  int status;
  if (!rotate) {
    const auto v = fixed_vector<D>(in);
    if (!reasonable(norm(v), h0, h1)) return;
    switch (shape) {
      case 0:
        status = zarn::linegen::extrude_translate(coords, start, v, count, ids);
        break;
      case 1:
        status = zarn::linegen::extrude_translate(coords, start, v, h0, h1, even, ids);
        break;
      case 2:
        status = zarn::linegen::extrude_translate(coords, node, v, count, ids);
        break;
      default:
        status = zarn::linegen::extrude_translate(coords, node, v, h0, h1, even, ids);
        break;
    }
    check(status, {0, -1, -2, -3, -4, -5, -199}, before, coords, ids_before, ids);
    return;
  }
  const auto centre = fixed_vector<D>(in);
  if constexpr (D == 2) {
    const double angle = in.ConsumeIntegralInRange<int>(0, 5) == 0
                             ? awkward_double(in)
                             : in.ConsumeFloatingPointInRange<double>(-7, 7);
    if (!reasonable(100.0 * std::fabs(angle), h0, h1)) return;
    switch (shape) {
      case 0:
        status = zarn::linegen::extrude_rotate(coords, start, centre, angle, count, ids);
        break;
      case 1:
        status = zarn::linegen::extrude_rotate(coords, start, centre, angle, h0, h1, even, ids);
        break;
      case 2:
        status = zarn::linegen::extrude_rotate(coords, node, centre, angle, count, ids);
        break;
      default:
        status = zarn::linegen::extrude_rotate(coords, node, centre, angle, h0, h1, even, ids);
        break;
    }
  } else {
    const auto w = fixed_vector<3>(in);
    if (!reasonable(100.0 * norm(w), h0, h1)) return;
    switch (shape) {
      case 0:
        status = zarn::linegen::extrude_rotate(coords, start, centre, w, count, ids);
        break;
      case 1:
        status = zarn::linegen::extrude_rotate(coords, start, centre, w, h0, h1, even, ids);
        break;
      case 2:
        status = zarn::linegen::extrude_rotate(coords, node, centre, w, count, ids);
        break;
      default:
        status = zarn::linegen::extrude_rotate(coords, node, centre, w, h0, h1, even, ids);
        break;
    }
  }
  check(status, {0, -1, -2, -3, -5, -6, -199}, before, coords, ids_before, ids);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  if (in.ConsumeBool())
    run<2>(in);
  else
    run<3>(in);
  return 0;
}
