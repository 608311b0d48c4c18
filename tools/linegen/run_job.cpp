#include "run_job.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <limits>
#include <mutex>
#include <new>
#include <thread>
#include <unordered_map>

#include "assemble.h"
#include "estimate.h"
#include "faces.h"
#include "measure.h"

namespace linegen_tool {

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();

// A curve meshed on its own coordinate matrix: the job nodes it uses first
// (in the order of `inputs`), then the nodes the library appended. The
// library sees the same coordinates as in one shared matrix, so it gives the
// same nodes whatever else the job holds.
LocalCurve mesh_alone(Job const& job, CurveJob const& c, bool measure) {
  const int dim = job.dimension;
  LocalCurve local;
  CurveJob mine = c;
  std::unordered_map<unsigned int, unsigned int> numbers;  // job node -> local column
  auto local_of = [&](unsigned int node) {
    const auto [at, added] = numbers.emplace(node, static_cast<unsigned int>(local.inputs.size()));
    if (added) local.inputs.push_back(node);
    return at->second;
  };
  for (auto& n : mine.chain) n = local_of(n);
  if (mine.start_node) mine.start_node = local_of(*mine.start_node);
  std::vector<double> nodes;
  for (unsigned int n : local.inputs)
    nodes.insert(nodes.end(), job.nodes.begin() + std::ptrdiff_t{n} * dim,
                 job.nodes.begin() + std::ptrdiff_t{n + 1} * dim);
  local.coords = matrix_of(nodes, static_cast<std::size_t>(dim));
  const auto begin = std::chrono::steady_clock::now();
  local.out = mesh_curve(local.coords, mine, dim);
  local.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  if ((local.fault = curve_fault(mine, local.out))) return local;
  local.sizes.assign(local.coords.cols(), infinity);
  lower_node_sizes(local.coords, local.out, dim, local.sizes);
  const auto start = mine.start_node ? *mine.start_node : static_cast<unsigned int>(local.inputs.size());
  if (measure) local.max_deviation = max_deviation(local.coords, mine, local.out.chain, start, dim);
  return local;
}

// Meshes every curve on `threads` threads while the calling thread reports
// progress; stops taking new curves after a fault.
std::vector<LocalCurve> mesh_all(Job const& job, RunOptions const& options) {
  const std::size_t total = job.curves.size();
  std::vector<LocalCurve> curves(total);
  std::atomic<std::size_t> next{0}, done{0}, elements{0};
  std::atomic<bool> failed{false};
  auto one = [&] {
    const std::size_t k = next++;
    if (k >= total || failed) return false;
    try {
      curves[k] = mesh_alone(job, job.curves[k], options.measure);
    } catch (std::bad_alloc const&) {  // the tool's own copies, under the memory budget
      curves[k].fault = CurveFault{{job.curves[k].place, "out of memory while meshing the curve"},
                                   FaultCause::out_of_memory};
    }
    if (curves[k].fault) failed = true;
    elements += curves[k].out.chain.size() > 0 ? curves[k].out.chain.size() - 1 : 0;
    ++done;
    return true;
  };
  auto report = [&] {
    if (options.progress) options.progress(done, total, elements);
  };
  const auto threads = static_cast<unsigned int>(std::min<std::size_t>(options.threads, total));
  if (threads <= 1) {
    while (one()) report();
    return curves;
  }
  std::mutex mutex;
  std::condition_variable finished;
  unsigned int running = threads;
  std::vector<std::thread> pool;
  for (unsigned int t = 0; t < threads; ++t)
    pool.emplace_back([&] {
      while (one()) {
      }
      std::lock_guard<std::mutex> lock(mutex);
      --running;
      finished.notify_one();
    });
  {
    std::unique_lock<std::mutex> lock(mutex);
    while (running > 0) {
      finished.wait_for(lock, std::chrono::milliseconds(100));
      report();
    }
  }
  for (auto& t : pool) t.join();
  return curves;
}

}  // namespace

RunResult run_job(Job const& job, RunOptions const& options) {
  return job.faces.empty() ? run_curves(job, options) : run_with_faces(job, options);
}

RunResult run_curves(Job const& job, RunOptions const& options) {
  RunResult result;
  if (auto refusal = refuse_large(job, options.max_elements)) {
    result.fault = refusal;
    result.cause = FaultCause::out_of_memory;
    return result;
  }
  std::vector<LocalCurve> curves = mesh_all(job, options);
  for (std::size_t k = 0; k < curves.size(); ++k)
    if (curves[k].fault) {
      result.fault = curves[k].fault->fault;
      result.cause = curves[k].fault->cause;
      return result;
    }
  result.mesh = assemble(job, curves);
  return result;
}

}  // namespace linegen_tool
