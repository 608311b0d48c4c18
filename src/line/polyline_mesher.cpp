#include "line/polyline_mesher.h"

#include <densekit/vectors.h>
#include <linegen/linegen.h>

#include <algorithm>
#include <cassert>
#include <cfloat>
#include <cmath>
#include <utility>

#include "geometry/curve_kernels.h"
#include "progression/progression.h"

namespace zarn {
namespace linegen {

namespace {

// A mesh as the refinement assembles it. chain: local identifiers, where
// i < n is polyline position i and n + q is new node q (column q of
// `nodes`, new nodes numbered in chain order); params, field: one entry per
// chain node.
template <class Field>
struct line_mesh {
  dense1D<unsigned int, 8> chain;
  dense1D<double, 8> params;
  typename Field::values field;
  dense2D<double> nodes;
};

// Where a mesh's chain, parameters and field go: behind the entries the
// containers held when the store was made (the caller's outputs), or from
// their start (working storage).
template <class Field>
struct mesh_store {
  using values = typename Field::values;

  mesh_store(dense1D<unsigned int, 8>& c, dense1D<double, 8>& p, values& f, bool behind)
      : chain(c),
        params(p),
        field(f),
        chain_at(behind ? c.size() : 0),
        params_at(behind ? p.size() : 0),
        field_at(behind ? Field::count(f) : 0),
        field_shape(Field::shape_of(f)) {}

  // Room for the parameters and field of a mesh of k new nodes (k + 2
  // entries), those of its two ends written. False when memory is lacking.
  bool open(std::size_t k, double first_param, double last_param, const typename Field::entry& first,
            const typename Field::entry& last) {
    if (!params.resize_for_overwrite(params_at + k + 2) ||
        !Field::resize_for_overwrite(field, field_at + k + 2))
      return false;
    params[params_at] = first_param;
    params[params_at + k + 1] = last_param;
    Field::put(field, field_at, first);
    Field::put(field, field_at + k + 1, last);
    return true;
  }
  // The chain of a mesh of k new nodes: first_id, new_id, new_id + 1, ...,
  // last_id. False when memory is lacking.
  bool write_chain(std::size_t k, unsigned int first_id, unsigned int new_id, unsigned int last_id) {
    if (!chain.resize_for_overwrite(chain_at + k + 2)) return false;
    unsigned int* ids = chain.data() + chain_at;
    ids[0] = first_id;
    fill_consecutive(ids + 1, k, new_id);
    ids[k + 1] = last_id;
    return true;
  }
  // The k new nodes' chain identifiers and parameters.
  dense1D<unsigned int, 8> new_ids(std::size_t k) const { return chain.sub_vector(chain_at + 1, k); }
  dense1D<double, 8> new_params(std::size_t k) const { return params.sub_vector(params_at + 1, k); }
  // Where the engine writes the new nodes' parameters and field.
  node_destination destination() {
    node_destination out;
    out.params = params.data() + params_at + 1;
    out.field = Field::at(field, field_at + 1);
    out.field_ld = Field::stride(field);
    return out;
  }
  // The containers as they were when the store was made (storage kept).
  void restore() {
    chain.resize(chain_at);
    params.resize(params_at);
    Field::restore(field, field_shape);
  }

  dense1D<unsigned int, 8>& chain;
  dense1D<double, 8>& params;
  values& field;
  const std::size_t chain_at, params_at, field_at;
  const typename Field::shape field_shape;
};

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

// The meshing of a polyline, or of any piece of it, in the caller's
// coordinate matrix: its nodes are read there through the caller's
// identifiers, and the new nodes of the pass being made are written behind
// the caller's columns, so that no copy of the polyline or of a mesh's
// nodes is made. A pass reads the previous mesh (chain, parameters, field)
// while it writes the next one; the previous mesh's nodes, once the new
// ones are placed, are no longer needed and the new ones take their place.
// The last pass of a whole mesh writes straight into the caller's outputs.
// The refinement meshes pieces of the polyline instead of copies of copies,
// and runs over an explicit list of pieces instead of recursing, so that
// neither its memory nor its stack depth grows with the number of splits.
template <int D, class Field>
class polyline_mesher {
  using values = typename Field::values;
  using entry = typename Field::entry;
  using store = mesh_store<Field>;

 public:
  polyline_mesher(dense2D<double>& coords, const dense1D<unsigned int, 8>& indices,
                  const dense1D<double, 8>& params, const values& field, store& out)
      : coords_(coords),
        ids_(indices),
        params_(params),
        field_(field),
        n_(params.size()),
        first_new_(coords.cols()),
        out_(out) {}

  // Meshes the piece a ... b by passes of node distribution. The result: k_
  // new nodes in coords' columns first_new_ ... first_new_ + k_ - 1, and the
  // chain, parameters and field of the mesh (k_ + 2 entries each): in the
  // outputs when to_outputs is set (delivered() is then true), else in I_,
  // P_ and S_.
  int mesh(std::size_t a, std::size_t b, bool force_even, std::uint64_t nmin, std::uint64_t nmax,
           double chordal_error, double min_size, bool reuse_counts = false, bool to_outputs = false) {
    const std::size_t count = b - a + 1;
    const dense1D<unsigned int, 8> polyline = ids_.sub_vector(a, count);
    const dense1D<double, 8> polyline_params = params_.sub_vector(a, count);
    // The field of the first pass: the caller's, or a copy capped by
    // curvature.
    values polyline_field = Field::view(field_, a, count);
    if (chordal_error < 0.0) {
      if (!Field::copy(polyline_field, capped_)) return status_out_of_memory;
      const int code = limit_sizes_by_curvature<Field>(coords_, polyline, capped_, chordal_error, min_size);
      if (code != 0) return code;
      polyline_field = capped_;
      reuse_counts = false;
    }
    // Pieces of one polyline share its segments: their element counts are
    // measured once.
    if (reuse_counts && counts_.empty() &&
        !node_distributor<D, Field>(coords_, ids_, field_).segment_counts(counts_))
      return status_out_of_memory;
    const ends end{ids_[a],
                   ids_[b],
                   params_[a],
                   params_[b],
                   Field::get(polyline_field, 0),
                   Field::get(polyline_field, count - 1)};

    const count_bounds bounds{force_even, nmin, nmax};
    std::uint64_t previous = no_count;
    // Stop when the node count no longer falls; the last mesh is kept.
    auto last_pass = [&](std::uint64_t k) { return count == 2 || count + k >= previous || k + 1 == nmin; };
    for (unsigned pass = 0;; ++pass) {
      // The first pass measures along the polyline, later ones along the
      // chords of the previous pass's mesh.
      const bool first = pass == 0;
      const source from{first ? polyline : I_, first ? polyline_params : P_, first ? polyline_field : S_,
                        first && reuse_counts ? counts_.data() + a : nullptr};
      store* target = nullptr;
      const int code = place_pass(from, first, bounds, last_pass, to_outputs, end, target);
      if (code != 0) return code;
      if (!first) {
        // Put the new nodes back onto the polyline at their parameters. The
        // end nodes are the polyline's own and stay exactly where they are.
        detail::interpolate_coordinates_unchecked(coords_, polyline, polyline_params, target->new_ids(k_),
                                                  target->new_params(k_));
      }
      if (target == &out_) {
        delivered_ = true;
        return 0;
      }
      std::swap(I_, I2_);
      std::swap(P_, P2_);
      std::swap(S_, S2_);
      if (last_pass(k_)) return 0;
      previous = count + k_;
    }
  }

  bool delivered() const { return delivered_; }
  bool refined() const { return refined_; }
  std::size_t new_nodes() const { return k_; }

  // Appends the mesh of the last mesh() call, left in I_, P_ and S_, to the
  // outputs; its nodes are already in place.
  bool deliver() {
    const std::size_t m = I_.size();
    if (!out_.chain.resize_for_overwrite(out_.chain_at + m)) return false;
    std::copy(I_.begin(), I_.end(), out_.chain.data() + out_.chain_at);
    return append_values(P_, out_.params) && Field::append(S_, out_.field);
  }

  // Appends a refined mesh to coords and the outputs, in place of the new
  // nodes of the last mesh() call.
  bool deliver(const line_mesh<Field>& mesh) {
    coords_.resize(D, first_new_);
    const std::size_t added = mesh.nodes.empty() ? 0 : mesh.nodes.cols();
    if (!fits_node_count(first_new_, added) || (added > 0 && !append_columns(mesh.nodes, coords_)))
      return false;
    const std::size_t m = mesh.chain.size();
    if (!out_.chain.resize_for_overwrite(out_.chain_at + m)) return false;
    unsigned int* chain = out_.chain.data() + out_.chain_at;
    for (std::size_t i = 0; i < m; ++i) {
      const unsigned int id = mesh.chain[i];
      chain[i] = id < n_ ? ids_[id] : static_cast<unsigned int>(first_new_ + (id - n_));
    }
    return append_values(mesh.params, out_.params) && Field::append(mesh.field, out_.field);
  }

  // coords and the outputs as they were before the first mesh() call.
  void restore() {
    coords_.resize(D, first_new_);
    out_.restore();
  }

  // Refines the mesh of the last call of mesh() on the whole polyline (left
  // in I_, P_, S_) until its polyline nodes lie within `tolerance` (> 0) of
  // it. The result goes to `mesh`; a mesh that needs no refinement is left
  // where it is (mesh stays empty, refined() false). Each piece is meshed
  // with at least one element, and with `spread` > 1 with at least its share
  // of `spread` elements by parameter length, so that the pieces together
  // keep that many.
  int refine(bool force_even, double tolerance, double min_size, line_mesh<Field>& mesh,
             std::uint64_t spread = 1) {
    spread_ = spread;
    mesh.chain.clear();
    mesh.params.clear();
    Field::truncate(mesh.field, 0);
    mesh.nodes.clear();
    piece whole{0, n_ - 1, first_new_, 0, k_, true};
    if (!needs_refinement(measure(whole, coords_, P_.data()), k_ + 2, force_even, tolerance)) return 0;
    refined_ = true;
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
            const int code =
                mesh_piece(second, force_even, std::max(bound, share(split, x.b)), tolerance, min_size);
            if (code != 0) return code;
          }
          piece first{x.a, split, 0, 0, 0, true};
          const std::uint64_t first_bound = std::max(bound, share(x.a, split));
          const int code = mesh_piece(first, force_even, first_bound, tolerance, min_size);
          if (code != 0) return code;
          if (split == x.b) {
            // A remesh of the whole piece that gives fewer elements than
            // asked, or as many as before, cannot progress (no node could be
            // placed): keep it as it is.
            piece& whole_again = stack_.back();
            const std::uint64_t elements = whole_again.k + 1;
            if (elements < first_bound || elements == m - 1) whole_again.refinable = false;
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
  // The identifiers, parameters and field entries of a piece's two ends.
  struct ends {
    unsigned int first_id, last_id;
    double first_param, last_param;
    entry first, last;
  };

  // What a pass reads: the chain it measures along, with its parameters
  // and field, and its segments' counts when they are known.
  struct source {
    const dense1D<unsigned int, 8>& chain;
    const dense1D<double, 8>& params;
    const values& field;
    const double* known;
  };

  // Makes the next mesh from `from`: k_ new nodes, their parameters and
  // field in `target` (the outputs when last_pass(k_) and to_outputs, else
  // the spare working storage) and, in the first pass, their coordinates
  // in their columns; coords gets first_new_ + k_ columns. A later pass's
  // nodes are placed on the chords of the previous mesh, whose nodes it
  // reads from those columns: they get their coordinates after this.
  template <class Last>
  int place_pass(const source& from, bool first, const count_bounds& bounds, const Last& last_pass,
                 bool to_outputs, const ends& end, store*& target) {
    const node_distributor<D, Field> engine(coords_, from.chain, from.field);
    const double total = engine.total_count(from.known);
    std::uint64_t added = 0;
    // New nodes get 32-bit identifiers after the existing ones.
    if (!new_node_count(total, bounds, added) || !fits_node_count(first_new_, added))
      return status_out_of_memory;
    std::size_t k = static_cast<std::size_t>(added);
    target = open_target(last_pass(k) && to_outputs, k, end);
    if (target == nullptr) return status_out_of_memory;
    node_destination out = target->destination();
    if (first) {
      // The first pass reads only the polyline: its nodes go straight to
      // their columns.
      if (!coords_.resize_for_overwrite(D, first_new_ + k)) return status_out_of_memory;
      out.coords = coords_.data() + first_new_ * coords_.ld();
      out.coords_ld = coords_.ld();
    }
    const placement result =
        k == 0 ? placement::ok : engine.place(total, k + 1, from.params, out, from.known);
    if (result == placement::failed) return status_out_of_memory;
    if (result == placement::no_nodes) {
      // No interior node at all: the mesh is its two ends.
      k = 0;
      if (target == &out_) out_.restore();
      target = open_target(last_pass(0) && to_outputs, 0, end);
      if (target == nullptr) return status_out_of_memory;
    }
    k_ = k;
    if (target == &out_) release(I_, P_, S_);  // the previous mesh
    const bool written =
        target->write_chain(k, end.first_id, static_cast<unsigned int>(first_new_), end.last_id) &&
        coords_.resize_for_overwrite(D, first_new_ + k);
    return written ? status_ok : status_out_of_memory;
  }

  // The store of the next mesh, opened for k new nodes (its chain is written
  // once the nodes are placed): the outputs, or the working storage not read
  // by the pass. Null when memory is lacking.
  store* open_target(bool outputs, std::size_t k, const ends& e) {
    if (outputs) release(I2_, P2_, S2_);  // no further pass: the spare storage goes
    store* target = outputs ? &out_ : &next_;
    if (!target->open(k, e.first_param, e.last_param, e.first, e.last)) return nullptr;
    return target;
  }

  static void release(dense1D<unsigned int, 8>& chain, dense1D<double, 8>& params, values& field) {
    chain = dense1D<unsigned int, 8>();
    params = dense1D<double, 8>();
    field = values();
  }

  // The coordinates of node p (0 ... k + 1) of a piece's mesh.
  const double* mesh_node(const piece& x, const dense2D<double>& nodes, std::size_t p) const {
    if (p == 0) return coords_.col(ids_[x.a]);
    if (p == x.k + 1) return coords_.col(ids_[x.b]);
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
    // The loop reads the polyline through raw pointers and keeps its
    // results in locals: the result is written once at the end, so that the
    // compiler need not reload the containers after every store.
    const unsigned int* ids = ids_.data();
    const double* params = params_.data();
    const double* xyz = coords_.data();
    const std::size_t ld = coords_.ld();
    const std::size_t m = x.k + 2;
    const double p0 = params[x.a], p1 = params[x.b];
    double best = 0.0, sum = 0.0, largest = 0.0;
    std::size_t split = x.b;
    std::size_t from = 0;
    // The element of the previous node, kept while nodes fall in it.
    std::size_t element = static_cast<std::size_t>(-1);
    double a[3] = {0.0, 0.0, 0.0};
    double ab[3] = {0.0, 0.0, 0.0};
    double length = 0.0;
    for (std::size_t i = x.a + 1; i < x.b; ++i) {
      // Both parameter lists are ordered: each search starts where the
      // previous one ended.
      std::size_t j = static_cast<std::size_t>(
          std::lower_bound(mesh_params + from, mesh_params + m, params[i]) - mesh_params);
      from = j;
      if (j >= m) j = m - 1;
      if (j != element) {
        element = j;
        const double* A = mesh_node(x, nodes, j == 0 ? 0 : j - 1);
        const double* B = mesh_node(x, nodes, j);
        double length_sq = 0.0;
        for (int r = 0; r < D; ++r) {
          a[r] = A[r];
          ab[r] = B[r] - A[r];
          length_sq += ab[r] * ab[r];
        }
        length = std::sqrt(length_sq);
      }
      const double* Q = xyz + ids[i] * ld;
      double aq[3] = {0.0, 0.0, 0.0};
      for (int r = 0; r < D; ++r) aq[r] = Q[r] - a[r];
      double cross;
      if (D == 2) {
        cross = std::fabs(ab[0] * aq[1] - ab[1] * aq[0]);
      } else {
        cross = std::sqrt(densekit::squared_cross_norm(ab, aq));
      }
      const double delta = length == 0.0 ? cross : cross / length;
      if (delta > largest) largest = delta;
      sum += delta;
      // A node in the middle of the piece counts up to twice as much as one
      // near an end; only a strictly larger weight moves the split.
      const double t = (params[i] - p0) / (p1 - p0);
      const double w = (4.0 * t * (1.0 - t) + 1.0) * delta;
      if (w > best) {
        best = w;
        split = i;
      }
    }
    deviation dev;
    dev.largest = largest;
    dev.split = split;
    // The length of the mesh element of the last node examined.
    if (x.b - x.a >= 2) {
      dev.scale = length;
      dev.mean = sum / static_cast<double>(x.b - x.a - 1);
    }
    return dev;
  }

  // The element count piece a ... b needs so that the pieces of the
  // polyline keep spread_ elements together: its share of spread_ by
  // parameter length, rounded up (the rounded shares of the pieces add up to
  // at least spread_), at least 1. Parameters that are all equal give every
  // piece the whole count.
  std::uint64_t share(std::size_t a, std::size_t b) const {
    if (spread_ <= 1) return 1;
    const double span = params_[n_ - 1] - params_[0];
    if (!(span > 0.0)) return spread_;
    const double q = std::ceil(static_cast<double>(spread_) * ((params_[b] - params_[a]) / span));
    if (!(q > 1.0)) return 1;
    if (q >= static_cast<double>(spread_)) return spread_;
    return static_cast<std::uint64_t>(q);
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
    if (!append_columns(coords_.sub_matrix(0, first_new_, D, k_), arena_nodes_) ||
        !append_values(P_, arena_params_) || !Field::append(S_, arena_field_))
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

  dense2D<double>& coords_;
  const dense1D<unsigned int, 8>& ids_;
  const dense1D<double, 8>& params_;
  const values& field_;
  const std::size_t n_;
  const std::size_t first_new_;  // coords' columns at entry: the first new node's identifier
  store& out_;
  bool delivered_ = false;
  bool refined_ = false;
  values capped_;  // the field capped by curvature
  // The mesh of the last mesh() call (of the pass before, during a pass),
  // and the storage the next pass writes into.
  dense1D<unsigned int, 8> I_, I2_;
  dense1D<double, 8> P_, P2_;
  values S_, S2_;
  store next_{I2_, P2_, S2_, false};
  std::size_t k_ = 0;
  dense1D<double, 8> counts_;  // element count of each polyline segment
  std::uint64_t spread_ = 1;   // the element count the refined pieces keep together
  // Refinement: pending pieces and their meshes.
  dense1D<piece, 8> stack_;
  dense2D<double> arena_nodes_;
  dense1D<double, 8> arena_params_;
  values arena_field_;
};

// Meshes with the outputs as the store of the last pass; a mesh that the
// refinement takes up is refined and then appended.
template <int D, class Field>
int mesh_into(polyline_mesher<D, Field>& mesher, std::size_t n, bool force_even, unsigned int nmin,
              unsigned int nmax, double chordal_error, double min_size) {
  const bool refining = chordal_error > 0.0;
  const int code = mesher.mesh(0, n - 1, force_even, nmin, nmax, chordal_error, min_size, false, !refining);
  if (code != 0 || mesher.delivered()) return code;
  if (refining && mesher.new_nodes() + 1 < nmax) {
    line_mesh<Field> refined;
    int refined_code = mesher.refine(force_even, chordal_error, min_size, refined);
    if (refined_code != 0) return refined_code;
    if (mesher.refined() && refined.chain.size() - 1 < nmin) {
      // Pieces meshed with one element at least can together fall below the
      // caller's minimum (a polyline split at its corners, sizes longer than
      // its pieces). Refine the same first mesh again with each piece held
      // to its share of nmin.
      refined_code = mesher.mesh(0, n - 1, force_even, nmin, nmax, chordal_error, min_size);
      if (refined_code != 0) return refined_code;
      refined_code = mesher.refine(force_even, chordal_error, min_size, refined, nmin);
      if (refined_code != 0) return refined_code;
    }
    if (mesher.refined()) return mesher.deliver(refined) ? status_ok : status_out_of_memory;
  }
  return mesher.deliver() ? status_ok : status_out_of_memory;
}

}  // namespace

template <int D, class Field>
int mesh_polyline(dense2D<double>& coords, const dense1D<unsigned int, 8>& indices,
                  const dense1D<double, 8>& params, const typename Field::values& field, bool force_even,
                  unsigned int nmin, unsigned int nmax, double chordal_error, double min_size,
                  dense1D<unsigned int, 8>& out_indices, dense1D<double, 8>& out_params,
                  typename Field::values& out_field) {
  assert(indices.size() >= 2 && params.size() == indices.size() && Field::count(field) >= indices.size());
  mesh_store<Field> outputs(out_indices, out_params, out_field, true);
  polyline_mesher<D, Field> mesher(coords, indices, params, field, outputs);
  const int code = mesh_into(mesher, indices.size(), force_even, nmin, nmax, chordal_error, min_size);
  if (code != 0) mesher.restore();
  return code;
}

template int mesh_polyline<2, size_field>(dense2D<double>&, const dense1D<unsigned int, 8>&,
                                          const dense1D<double, 8>&, const dense1D<double, 8>&, bool,
                                          unsigned int, unsigned int, double, double,
                                          dense1D<unsigned int, 8>&, dense1D<double, 8>&,
                                          dense1D<double, 8>&);
template int mesh_polyline<3, size_field>(dense2D<double>&, const dense1D<unsigned int, 8>&,
                                          const dense1D<double, 8>&, const dense1D<double, 8>&, bool,
                                          unsigned int, unsigned int, double, double,
                                          dense1D<unsigned int, 8>&, dense1D<double, 8>&,
                                          dense1D<double, 8>&);
template int mesh_polyline<2, metric_field<2>>(dense2D<double>&, const dense1D<unsigned int, 8>&,
                                               const dense1D<double, 8>&, const dense2D<double>&, bool,
                                               unsigned int, unsigned int, double, double,
                                               dense1D<unsigned int, 8>&, dense1D<double, 8>&,
                                               dense2D<double>&);
template int mesh_polyline<3, metric_field<3>>(dense2D<double>&, const dense1D<unsigned int, 8>&,
                                               const dense1D<double, 8>&, const dense2D<double>&, bool,
                                               unsigned int, unsigned int, double, double,
                                               dense1D<unsigned int, 8>&, dense1D<double, 8>&,
                                               dense2D<double>&);

}  // namespace linegen
}  // namespace zarn
