// Fuzzes the metric generation: metrics_gen_aniso2d (vectors and edges) and
// metrics_gen_aniso3d (straight and bent).
#include "fuzz_lines.h"
#include "fuzz_shapes.h"

namespace {

using namespace fuzzing;
namespace lg = zarn::linegen;

// A metric output: empty, of the right row count, or of another one.
dense2D<double> metric_output(FuzzedDataProvider& in, std::size_t rows) {
  switch (in.ConsumeIntegralInRange<int>(0, 3)) {
    case 0:
      return dense2D<double>();
    case 1:
      return matrix(in, in.ConsumeIntegralInRange<std::size_t>(0, 7),
                    in.ConsumeIntegralInRange<std::size_t>(0, 4));
    default:
      return metric_matrix(in, rows, in.ConsumeIntegralInRange<std::size_t>(0, max_columns));
  }
}

double h_value(FuzzedDataProvider& in) {
  if (in.ConsumeIntegralInRange<int>(0, 3) == 0) return awkward_double(in);
  return in.ConsumeBool() ? size_value(in) : -in.ConsumeFloatingPointInRange<double>(0.01, 1.0);
}

// On success: `rows` rows, grown to cover every named node, and every column
// no node names as before (or zero when new).
void check_grown(const dense2D<double>& before, const dense2D<double>& after, std::size_t rows,
                 const std::vector<bool>& named, const char* who) {
  std::size_t needed = before.cols();
  for (std::size_t j = 0; j < named.size(); ++j)
    if (named[j]) needed = std::max(needed, j + 1);
  require(after.rows() == rows && after.cols() == needed, who);
  for (std::size_t j = 0; j < after.cols(); ++j) {
    if (j < named.size() && named[j]) continue;
    for (std::size_t i = 0; i < rows; ++i) {
      const double was = j < before.cols() && !before.empty() ? before(i, j) : 0.0;
      require(after(i, j) == was || (std::isnan(was) && std::isnan(after(i, j))), who);
    }
  }
}

void along_vectors(FuzzedDataProvider& in) {
  auto vectors = coordinates(in);
  if (in.ConsumeIntegralInRange<int>(0, 3) != 0) vectors = matrix(in, 2, vectors.cols());
  const auto ids = id_list(in, vectors.cols() + 1);
  const double h_along = h_value(in), h_across = h_value(in);
  auto metrics = metric_output(in, 3);
  const auto before = snapshot(metrics);
  const int status = lg::metrics_gen_aniso2d(vectors, ids, h_along, h_across, metrics);
  require(one_of(status, {0, -1, -2, -3, -4, -5, -199}),
          "metrics_gen_aniso2d (vectors): status outside the codes");
  if (status != 0 || ids.empty())
    return require(same(before, metrics),
                   "metrics_gen_aniso2d (vectors): metrics changed by a failed or empty call");
  std::vector<bool> named(vectors.cols(), false);
  for (std::size_t k = 0; k < ids.size(); ++k) {
    require(ids[k] < vectors.cols(), "metrics_gen_aniso2d (vectors): accepted a bad identifier");
    named[ids[k]] = true;
  }
  check_grown(before, metrics, 3, named, "metrics_gen_aniso2d (vectors): output shape or untouched columns");
}

void along_edges(FuzzedDataProvider& in) {
  const int form = in.ConsumeIntegralInRange<int>(0, 2);
  auto coords = coordinates(in);
  if (in.ConsumeIntegralInRange<int>(0, 3) != 0) coords = matrix(in, form == 0 ? 2 : 3, coords.cols());
  const auto edges = chain_edges(in, coords.cols() + 1);
  const double h_normal = h_value(in), h_binormal = h_value(in);
  const std::size_t rows = form == 0 ? 3 : 6;
  auto metrics = metric_output(in, rows);
  const auto before = snapshot(metrics);
  int status;
  const char* who;
  if (form == 0) {
    who = "metrics_gen_aniso2d (edges)";
    status = lg::metrics_gen_aniso2d(coords, edges, h_normal, metrics);
    require(one_of(status, {0, -1, -2, -4, -199}), "metrics_gen_aniso2d (edges): status outside the codes");
  } else if (form == 1) {
    who = "metrics_gen_aniso3d";
    status = lg::metrics_gen_aniso3d(coords, edges, h_normal, metrics);
    require(one_of(status, {0, -1, -2, -4, -199}), "metrics_gen_aniso3d: status outside the codes");
  } else {
    who = "metrics_gen_aniso3d (bent)";
    status = lg::metrics_gen_aniso3d(coords, edges, h_normal, h_binormal, metrics);
    require(one_of(status, {0, -1, -2, -5, -199}), "metrics_gen_aniso3d (bent): status outside the codes");
  }
  if (status != 0 || edges.empty()) return require(same(before, metrics), who);
  require(edges.rows() == 2 && coords.rows() >= (form == 0 ? 2u : 3u), who);
  std::vector<bool> named(coords.cols(), false);
  for (std::size_t j = 0; j < edges.cols(); ++j)
    for (std::size_t i = 0; i < 2; ++i) {
      require(edges(i, j) < coords.cols(), who);
      named[edges(i, j)] = true;
    }
  check_grown(before, metrics, rows, named, who);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  if (in.ConsumeIntegralInRange<int>(0, 2) == 0)
    along_vectors(in);
  else
    along_edges(in);
  return 0;
}
