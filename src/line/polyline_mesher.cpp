#include "line/polyline_mesher.h"

#include <densekit/vectors.h>
#include <linegen/linegen.h>

#include <algorithm>
#include <cassert>
#include <cfloat>
#include <cmath>
#include <cstring>

#include "geometry/curve_kernels.h"
#include "progression/progression.h"

namespace zarn {
namespace linegen {

namespace {

// How far the interior nodes of a polyline piece lie from its current mesh.
struct deviation {
  double largest = 0.0;  // the largest distance
  double mean = 0.0;     // the mean distance over the interior nodes
  double scale = 0.0;    // length of the mesh element of the last node examined
  std::size_t split;     // the node of largest weighted distance (the piece's last when none)
};

// A piece of the polyline (positions a ... b) with its current mesh: k new
// nodes, stored in the work arena from column `nodes_at` (coordinates) and
// entry `values_at` (k + 2 parameters and field entries, ends included).
struct piece {
  std::size_t a, b;
  std::size_t nodes_at, values_at;
  std::size_t k;
  bool refinable;
};

// The polyline copied once (its nodes are columns 0 ... n - 1 of a working
// matrix W, whose further columns hold the new nodes of the pass being
// made), and the meshing of any piece of it. The refinement meshes pieces
// of this one copy instead of copies of copies, and runs over an explicit
// list of pieces instead of recursing, so that neither its memory nor its
// stack depth grows with the number of splits.
template <int D, class Field>
class polyline_mesher {
  using values = typename Field::values;
  using entry = typename Field::entry;

 public:
  polyline_mesher(const dense1D<double, 8>& params, const values& field)
      : params_(params), field_(field), n_(params.size()) {}

  bool copy_polyline(const dense2D<double>& coords, const dense1D<unsigned int, 8>& indices) {
    if (!append_selected_columns(coords, indices, W_) || !positions_.resize(n_)) return false;
    fill_consecutive(positions_.data(), n_, 0);
    return true;
  }

  // Meshes the piece a ... b by passes of node distribution. The result: k_
  // new nodes in W's columns n ... n + k_ - 1, and the chain I_, parameters
  // P_ and field S_ of the mesh (k_ + 2 entries each).
  int mesh(std::size_t a, std::size_t b, bool force_even, std::uint64_t nmin, std::uint64_t nmax,
           double chordal_error, double min_size, bool reuse_counts = false) {
    const std::size_t count = b - a + 1;
    const dense1D<unsigned int, 8> polyline = positions_.sub_vector(a, count);
    const dense1D<double, 8> polyline_params = params_.sub_vector(a, count);
    // The field of the first pass: the caller's, or a copy capped by
    // curvature.
    values polyline_field = Field::view(field_, a, count);
    if (chordal_error < 0.0) {
      if (!Field::copy(polyline_field, S_)) return status_out_of_memory;
      const int code = limit_sizes_by_curvature<Field>(W_, polyline, S_, chordal_error, min_size);
      if (code != 0) return code;
      polyline_field = S_;
      reuse_counts = false;
    }
    // Pieces of one polyline share its segments: their element counts are
    // measured once.
    if (reuse_counts && counts_.empty() &&
        !node_distributor<D, Field>(W_, positions_, field_).segment_counts(counts_))
      return status_out_of_memory;
    const entry first = Field::get(polyline_field, 0);
    const entry last = Field::get(polyline_field, count - 1);

    std::uint64_t previous = no_count;
    for (unsigned pass = 0;; ++pass) {
      // The first pass measures along the polyline, later ones along the
      // chords of the previous pass's mesh.
      const dense1D<unsigned int, 8>& chain = pass == 0 ? polyline : I_;
      const dense1D<double, 8>& chain_params = pass == 0 ? polyline_params : P_;
      const values& chain_field = pass == 0 ? polyline_field : S_;
      const double* known = pass == 0 && reuse_counts ? counts_.data() + a : nullptr;
      const node_distributor<D, Field> engine(W_, chain, chain_field);
      if (!engine.distribute(chain_params, {force_even, nmin, nmax}, new_coords_, new_field_, new_params_,
                             cumulative_, known))
        return status_out_of_memory;
      const std::size_t k = new_coords_.empty() ? 0 : new_coords_.cols();
      if (!fits_node_count(n_, k)) return status_out_of_memory;  // local identifiers are 32-bit
      k_ = k;
      W_.resize(D, n_);
      if (!append_columns(new_coords_, W_)) return status_out_of_memory;
      if (!I_.resize_for_overwrite(k + 2) || !P_.resize_for_overwrite(k + 2) ||
          !Field::rebuild(S_, first, new_field_, last))
        return status_out_of_memory;
      I_[0] = static_cast<unsigned int>(a);
      fill_consecutive(I_.data() + 1, k, static_cast<unsigned int>(n_));
      I_[k + 1] = static_cast<unsigned int>(b);
      P_[0] = params_[a];
      if (k > 0) std::memcpy(P_.data() + 1, new_params_.data(), k * sizeof(double));
      P_[k + 1] = params_[b];
      if (count == 2) break;
      if (pass > 0) {
        // Put the new nodes back onto the polyline at their parameters. The
        // end nodes are the polyline's own and stay exactly where they are.
        detail::interpolate_coordinates_unchecked(W_, polyline, polyline_params, I_.sub_vector(1, k),
                                                  P_.sub_vector(1, k));
      }
      // Stop when the node count no longer falls; the last mesh is kept.
      if (count + k >= previous || k + 1 == nmin) break;
      previous = count + k;
    }
    return 0;
  }

  // The mesh of the last call of mesh() on the whole polyline, as the result.
  void take_mesh(line_mesh<Field>& mesh) {
    mesh.chain = I_;
    mesh.params = P_;
    mesh.field = S_;
    mesh.nodes = W_.sub_matrix(0, n_, D, k_);
  }

  // Refines the mesh of the last call of mesh() on the whole polyline until
  // its polyline nodes lie within `tolerance` (> 0) of it; the result goes
  // to `mesh`.
  int refine(bool force_even, double tolerance, double min_size, line_mesh<Field>& mesh) {
    mesh.chain.clear();
    mesh.params.clear();
    Field::truncate(mesh.field, 0);
    mesh.nodes.clear();
    // A mesh that needs no refinement is returned as it is, without a copy.
    piece whole{0, n_ - 1, n_, 0, k_, true};
    if (!needs_refinement(measure(whole, W_, P_.data()), k_ + 2, force_even, tolerance)) {
      take_mesh(mesh);
      return 0;
    }
    if (!stack_.reserve(16)) return status_out_of_memory;
    if (!store_piece(whole)) return status_out_of_memory;

    // Pieces are taken left to right: a piece replaced by its halves is
    // followed by its first half, so finished pieces come out in polyline
    // order. The arena holds the meshes of the pending pieces, the top one
    // last, so that a piece's storage is released as soon as it is taken.
    while (!stack_.empty()) {
      const piece x = stack_.back();
      stack_.pop_back();
      const std::size_t m = x.k + 2;  // mesh nodes
      if (x.refinable) {
        const deviation dev = measure(x, arena_nodes_, arena_params_.data() + x.values_at);
        if (needs_refinement(dev, m, force_even, tolerance)) {
          // The next admissible element count above the current m - 1.
          const std::uint64_t next = (force_even && m % 2 == 1) ? m + 1 : m;
          std::size_t split = dev.split;
          std::uint64_t bound = 1;
          const double shrink = static_cast<double>(m - 1) / static_cast<double>(next);
          // A deviation spread along the whole piece that more elements
          // would bring within the tolerance (it goes with the square of
          // the element length): remesh the whole piece instead of
          // splitting it.
          if (dev.largest * 0.5 < dev.mean &&
              shrink * shrink * dev.largest - tolerance <= 1e-12 * dev.scale) {
            split = x.b;
            bound = next;
          }
          release(x);
          if (split < x.b) {
            piece second{split, x.b, 0, 0, 0, true};
            const int code = mesh_piece(second, force_even, bound, tolerance, min_size);
            if (code != 0) return code;
          }
          piece first{x.a, split, 0, 0, 0, true};
          const int code = mesh_piece(first, force_even, bound, tolerance, min_size);
          if (code != 0) return code;
          if (split == x.b) {
            // A remesh of the whole piece that gives fewer elements than
            // asked, or as many as before, cannot progress (no node could be
            // placed): keep it as it is.
            piece& whole_again = stack_.back();
            const std::uint64_t elements = whole_again.k + 1;
            if (elements < bound || elements == m - 1) whole_again.refinable = false;
          }
          continue;
        }
      }
      if (!emit(x, mesh)) return status_out_of_memory;
      release(x);
    }
    return 0;
  }

 private:
  // The coordinates of node p (0 ... k + 1) of a piece's mesh.
  const double* mesh_node(const piece& x, const dense2D<double>& nodes, std::size_t p) const {
    if (p == 0) return W_.col(x.a);
    if (p == x.k + 1) return W_.col(x.b);
    return nodes.col(x.nodes_at + p - 1);
  }

  // Refine when a polyline node lies farther than the tolerance from the
  // mesh (beyond rounding at the mesh's scale), or when an even count is
  // asked for and the mesh of m nodes has an odd one.
  static bool needs_refinement(const deviation& dev, std::size_t m, bool force_even, double tolerance) {
    return dev.largest - tolerance > 1e-12 * dev.scale || (force_even && m % 2 == 0);
  }

  // Distances of the piece's interior polyline nodes from its mesh, each
  // measured to the line through the mesh element that holds the node's
  // parameter.
  // The piece's new nodes are columns x.nodes_at ... of `nodes`, its mesh
  // parameters start at `mesh_params`.
  deviation measure(const piece& x, const dense2D<double>& nodes, const double* mesh_params) const {
    deviation dev;
    dev.split = x.b;
    const std::size_t m = x.k + 2;
    const double p0 = params_[x.a], p1 = params_[x.b];
    double best = 0.0, sum = 0.0;
    std::size_t from = 0;
    // The element of the previous node, kept while nodes fall in it.
    std::size_t element = static_cast<std::size_t>(-1);
    const double* A = nullptr;
    double ab[3] = {0.0, 0.0, 0.0};
    double length = 0.0;
    for (std::size_t i = x.a + 1; i < x.b; ++i) {
      // Both parameter lists are ordered: each search starts where the
      // previous one ended.
      std::size_t j = static_cast<std::size_t>(
          std::lower_bound(mesh_params + from, mesh_params + m, params_[i]) - mesh_params);
      from = j;
      if (j >= m) j = m - 1;
      if (j != element) {
        element = j;
        A = mesh_node(x, nodes, j == 0 ? 0 : j - 1);
        const double* B = mesh_node(x, nodes, j);
        double length_sq = 0.0;
        for (int r = 0; r < D; ++r) {
          ab[r] = B[r] - A[r];
          length_sq += ab[r] * ab[r];
        }
        length = std::sqrt(length_sq);
      }
      const double* Q = W_.col(i);
      double aq[3] = {0.0, 0.0, 0.0};
      for (int r = 0; r < D; ++r) aq[r] = Q[r] - A[r];
      double cross;
      if (D == 2) {
        cross = std::fabs(ab[0] * aq[1] - ab[1] * aq[0]);
      } else {
        cross = std::sqrt(densekit::squared_cross_norm(ab, aq));
      }
      const double delta = length == 0.0 ? cross : cross / length;
      if (delta > dev.largest) dev.largest = delta;
      sum += delta;
      // A node in the middle of the piece counts up to twice as much as one
      // near an end; only a strictly larger weight moves the split.
      const double t = (params_[i] - p0) / (p1 - p0);
      const double w = (4.0 * t * (1.0 - t) + 1.0) * delta;
      if (w > best) {
        best = w;
        dev.split = i;
      }
      dev.scale = length;
    }
    if (x.b - x.a >= 2) dev.mean = sum / static_cast<double>(x.b - x.a - 1);
    return dev;
  }

  // Meshes piece x (bounds: at least `bound` elements, no upper one) and
  // pushes it with its mesh stored at the end of the arena.
  int mesh_piece(piece& x, bool force_even, std::uint64_t bound, double tolerance, double min_size) {
    const int code = mesh(x.a, x.b, force_even, bound, no_count, tolerance, min_size, true);
    if (code != 0) return code;
    x.refinable = k_ + 1 < no_count;
    return store_piece(x) ? status_ok : status_out_of_memory;
  }

  bool store_piece(piece& x) {
    x.k = k_;
    x.nodes_at = arena_nodes_.empty() ? 0 : arena_nodes_.cols();
    x.values_at = arena_params_.size();
    if (!append_columns(W_.sub_matrix(0, n_, D, k_), arena_nodes_) || !append_values(P_, arena_params_) ||
        !Field::append(S_, arena_field_))
      return false;
    if (!reserve_behind(stack_, 1)) return false;
    return stack_.push_back(x);
  }

  // Drops the arena storage of x and everything after it.
  void release(const piece& x) {
    if (!arena_nodes_.empty()) arena_nodes_.resize(D, x.nodes_at);
    arena_params_.resize(x.values_at);
    Field::truncate(arena_field_, x.values_at);
  }

  // Appends the mesh of a finished piece to the result. Consecutive pieces
  // share their end node: the earlier piece's copy is dropped.
  bool emit(const piece& x, line_mesh<Field>& mesh) const {
    const std::size_t m = x.k + 2;
    if (!mesh.chain.empty()) {
      mesh.chain.pop_back();
      mesh.params.pop_back();
      Field::drop_last(mesh.field);
    }
    const std::size_t first_new = mesh.nodes.empty() ? 0 : mesh.nodes.cols();
    const std::size_t at = mesh.chain.size();
    if (!fits_node_count(n_ + first_new, x.k)) return false;
    if (!reserve_behind(mesh.chain, m) || !mesh.chain.resize(at + m)) return false;
    unsigned int* chain = mesh.chain.data() + at;
    chain[0] = static_cast<unsigned int>(x.a);
    fill_consecutive(chain + 1, x.k, static_cast<unsigned int>(n_ + first_new));
    chain[m - 1] = static_cast<unsigned int>(x.b);
    return append_values(arena_params_.sub_vector(x.values_at, m), mesh.params) &&
           Field::append(Field::view(arena_field_, x.values_at, m), mesh.field) &&
           append_columns(
               arena_nodes_.empty() ? dense2D<double>() : arena_nodes_.sub_matrix(0, x.nodes_at, D, x.k),
               mesh.nodes);
  }

  const dense1D<double, 8>& params_;
  const values& field_;
  const std::size_t n_;
  dense2D<double> W_;
  dense1D<unsigned int, 8> positions_;
  // The mesh of the last mesh() call.
  dense1D<unsigned int, 8> I_;
  dense1D<double, 8> P_;
  values S_;
  std::size_t k_ = 0;
  // Outputs of the distribution engine.
  dense2D<double> new_coords_;
  values new_field_;
  dense1D<double, 8> new_params_;
  dense1D<double, 8> cumulative_;
  dense1D<double, 8> counts_;  // element count of each polyline segment
  // Refinement: pending pieces and their meshes.
  dense1D<piece, 8> stack_;
  dense2D<double> arena_nodes_;
  dense1D<double, 8> arena_params_;
  values arena_field_;
};

}  // namespace

template <int D, class Field>
int mesh_polyline(const dense2D<double>& coords, const dense1D<unsigned int, 8>& indices,
                  const dense1D<double, 8>& params, const typename Field::values& field, bool force_even,
                  unsigned int nmin, unsigned int nmax, double chordal_error, double min_size,
                  line_mesh<Field>& mesh) {
  assert(indices.size() >= 2 && params.size() == indices.size() && Field::count(field) >= indices.size());
  polyline_mesher<D, Field> mesher(params, field);
  if (!mesher.copy_polyline(coords, indices)) return status_out_of_memory;
  const std::size_t n = indices.size();
  int code = mesher.mesh(0, n - 1, force_even, nmin, nmax, chordal_error, min_size);
  if (code != 0) return code;
  line_mesh<Field> first;
  mesher.take_mesh(first);
  if (chordal_error > 0.0 && first.chain.size() - 1 < nmax)
    return mesher.refine(force_even, chordal_error, min_size, mesh);
  mesh = first;
  return 0;
}

template int mesh_polyline<2, size_field>(const dense2D<double>&, const dense1D<unsigned int, 8>&,
                                          const dense1D<double, 8>&, const dense1D<double, 8>&, bool,
                                          unsigned int, unsigned int, double, double, line_mesh<size_field>&);
template int mesh_polyline<3, size_field>(const dense2D<double>&, const dense1D<unsigned int, 8>&,
                                          const dense1D<double, 8>&, const dense1D<double, 8>&, bool,
                                          unsigned int, unsigned int, double, double, line_mesh<size_field>&);
template int mesh_polyline<2, metric_field<2>>(const dense2D<double>&, const dense1D<unsigned int, 8>&,
                                               const dense1D<double, 8>&, const dense2D<double>&, bool,
                                               unsigned int, unsigned int, double, double,
                                               line_mesh<metric_field<2>>&);
template int mesh_polyline<3, metric_field<3>>(const dense2D<double>&, const dense1D<unsigned int, 8>&,
                                               const dense1D<double, 8>&, const dense2D<double>&, bool,
                                               unsigned int, unsigned int, double, double,
                                               line_mesh<metric_field<3>>&);

}  // namespace linegen
}  // namespace zarn
