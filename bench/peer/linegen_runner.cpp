// The linegen side of the comparison, through the library's public API only.
#include <cstdio>
#include <cstdlib>

#include <linegen/linegen.h>

#include "peer_jobs.h"

namespace peer {
namespace {

using zarn::dense1D;
using zarn::dense2D;
namespace lg = zarn::linegen;

class LinegenRunner final : public Runner {
 public:
  const char* name() const override { return "linegen"; }
  std::string version() const override { return lg::version(); }

  void prepare(const Job& job) override {
    job_ = &job;
    const std::size_t n = job.x.size();
    input_ = dense2D<double>(2, n);
    for (std::size_t i = 0; i < n; ++i) {
      input_(0, i) = job.x[i];
      input_(1, i) = job.y[i];
    }
    indices_ = dense1D<unsigned int, 8>();
    sizes_ = dense1D<double, 8>();
    if (job.kind == JobKind::closed_spline) {
      // A closed curve through A, B, ..., Z wraps around: Z, A, B, ..., Z, A, B.
      indices_.push_back(static_cast<unsigned int>(n - 1));
      for (std::size_t i = 0; i < n; ++i) indices_.push_back(static_cast<unsigned int>(i));
      indices_.push_back(0u);
      indices_.push_back(1u);
      sizes_.push_back_n(job.max_size, indices_.size());
    } else {
      for (std::size_t i = 0; i < n; ++i) {
        indices_.push_back(static_cast<unsigned int>(i));
        sizes_.push_back(job.sizes[i]);
      }
    }
  }

  void reset() override {
    coords_.copy(input_);
    out_indices_ = dense1D<unsigned int, 8>();
    out_params_ = dense1D<double, 8>();
    out_sizes_ = dense1D<double, 8>();
  }

  void run() override {
    const Job& job = *job_;
    int rc = 0;
    switch (job.kind) {
      case JobKind::straight_uniform:
        rc = lg::mesh_straight(coords_, 0u, 1u, job.count, out_indices_);
        break;
      case JobKind::straight_graded:
        rc = lg::mesh_straight(coords_, 0u, 1u, job.sizes[0], job.sizes[1], false, out_indices_);
        break;
      case JobKind::polyline:
        rc = lg::mesh_straight(coords_, indices_, sizes_, false, out_indices_);
        break;
      case JobKind::closed_spline: {
        double deviation = 0.0;
        rc = lg::mesh_spline(coords_, indices_, sizes_, false, 1u, lg::no_count, job.chordal_error, 0.0, 0.0,
                             0.0, out_indices_, out_params_, out_sizes_, deviation);
        break;
      }
    }
    if (rc != 0) {
      std::fprintf(stderr, "linegen failed on %s with status %d\n", job.name.c_str(), rc);
      std::exit(1);
    }
  }

  std::size_t elements() const override { return out_indices_.empty() ? 0 : out_indices_.size() - 1; }

  void mesh(std::vector<double>& xy, std::vector<std::array<std::size_t, 2>>& edges) const override {
    xy.assign(coords_.data(), coords_.data() + 2 * coords_.cols());
    edges.clear();
    for (std::size_t e = 0; e + 1 < out_indices_.size(); ++e)
      edges.push_back({out_indices_[e], out_indices_[e + 1]});
  }

 private:
  const Job* job_ = nullptr;
  dense2D<double> input_, coords_;
  dense1D<unsigned int, 8> indices_, out_indices_;
  dense1D<double, 8> sizes_, out_params_, out_sizes_;
};

}  // namespace

std::unique_ptr<Runner> make_linegen_runner() { return std::make_unique<LinegenRunner>(); }

}  // namespace peer
