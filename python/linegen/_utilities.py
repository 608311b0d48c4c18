"""Utilities: interpolation, connectivities, orientation, geometry, metrics, parameter lists."""

from __future__ import annotations

import numpy as np
from numpy.typing import ArrayLike

from . import _checks as c
from . import _core
from ._results import EdgeMesh, Reorientation, Sorted, Subdivision

_POINTS = ("points", "must have 2 or 3 columns")
_EDGES = ("edges", "needs 2 or more nodes per edge, each a row of points")


def interpolate_metrics(params: ArrayLike, values: ArrayLike, new_params: ArrayLike) -> np.ndarray:
    """Sizes or metrics at new parameters.

    Parameters
    ----------
    params : array_like (n,)
        Source parameters (non-decreasing for metrics).
    values : array_like (n,) sizes, or (n, d, d) / packed (n, 3|6) metrics
        One per source parameter. Sizes are linear between the bracketing
        sources; metrics are linear in size along their common directions.
    new_params : array_like (m,)
        Targets (non-decreasing for metrics).

    Returns
    -------
    ndarray (m,) sizes or (m, d, d) metrics.
    """
    f = "interpolate_metrics"
    ps, targets = c.values(f, params, "params"), c.values(f, new_params, "new_params")
    if np.ndim(values) == 1:
        status, out = _core.interpolate_metrics(ps, c.values(f, values, "values"), targets)
        c.check(status, f, {1: ("values", "needs one size per parameter, and at least one")})
        return out
    status, out = _core.interpolate_metrics(ps, c.metrics(f, values, "values"), targets)
    c.check(status, f, {1: ("params", "needs one non-decreasing parameter per metric, and at least one"),
                        2: ("values", "metrics must be 2 x 2 or 3 x 3"),
                        3: ("new_params", "must be non-decreasing")})
    return c.full_metrics(out)


def indices_to_connectE2(chain: ArrayLike) -> np.ndarray:
    """Two-node edges (chain[k], chain[k + 1]) of a chain, as an (n - 1, 2) array."""
    f = "indices_to_connectE2"
    status, out = _core.chain_to_edges(c.ids(f, chain, "chain"), 2)
    c.check(status, f, {1: ("chain", "has a single entry")})
    return out.reshape(-1, 2)


def indices_to_connectE3(chain: ArrayLike) -> np.ndarray:
    """Three-node edges of a chain read end, middle, end, ...: rows (end, end, middle)."""
    f = "indices_to_connectE3"
    status, out = _core.chain_to_edges(c.ids(f, chain, "chain"), 3)
    c.check(status, f, {1: ("chain", "needs an odd number of entries, at least 3")})
    return out.reshape(-1, 3)


def E3_to_2E2(edges: ArrayLike) -> np.ndarray:
    """Split each three-node edge (a, b, mid) into (a, mid) and (mid, b)."""
    f = "E3_to_2E2"
    status, out = _core.E3_to_2E2(c.ids(f, edges, "edges", 2))
    c.check(status, f, {1: ("edges", "must have 3 nodes per edge")})
    return out.reshape(-1, 2)


def convert_E2(points: ArrayLike, edges: ArrayLike, added_nodes: int) -> EdgeMesh:
    """Add `added_nodes` equally spaced nodes inside every two-node edge.

    Returns EdgeMesh(points, cells): cells row j is (A, B, n1, ..., np), the new
    nodes appended to points (edges sharing an end get separate nodes).
    """
    f = "convert_E2"
    status, out, cells = _core.convert_E2(c.points(f, points), c.ids(f, edges, "edges", 2),
                                          c.count(f, added_nodes, "added_nodes"))
    c.check(status, f, {1: ("points", "must have 1, 2 or 3 columns"),
                        2: ("edges", "has a node that is not a row of points")})
    return EdgeMesh(out, cells)


def flip(edges: ArrayLike) -> np.ndarray:
    """Reverse every two-node edge (a new array)."""
    f = "flip"
    status, out = _core.flip(c.ids(f, edges, "edges", 2))
    c.check(status, f, {1: ("edges", "must have exactly 2 nodes per edge")})
    return out


def mesh_reorient(edges: ArrayLike, neighbors: ArrayLike, start_edge: int = 0, all_components: bool = False) -> Reorientation:
    """Orient an edge mesh consistently, starting from `start_edge`.

    Parameters
    ----------
    edges : array_like of int (E, 2|3)
    neighbors : array_like of int (E, 2|3)
        neighbors[e, 0]: the edge met through e's second node, neighbors[e, 1]
        the one through its first node; -1 (or any value >= E): none.
    start_edge : int
        The reference edge, whose orientation is kept.
    all_components : bool
        Go on with every further connected part.

    Returns Reorientation(edges, neighbors, reversals), neighbours -1 for none.
    """
    f = "mesh_reorient"
    nb = np.asarray(neighbors)
    if nb.dtype.kind in "iu" and nb.size:
        nb = np.where(nb < 0, c.NO_COUNT - 1, nb)
    status, out, out_nb = _core.mesh_reorient(c.ids(f, edges, "edges", 2), c.ids(f, nb, "neighbors", 2),
                                              c.count(f, start_edge, "start_edge"), bool(all_components))
    c.check(status, f, {1: ("edges", "needs 2 or more nodes per edge"),
                        2: ("neighbors", "must match edges in shape and name edges that share the node"),
                        3: ("start_edge", "is not an edge")})
    out_nb = out_nb.reshape(out.shape[0], -1)
    out_nb[out_nb >= out.shape[0]] = -1
    return Reorientation(out.reshape(-1, nb.shape[1] if nb.ndim == 2 else 2), out_nb, status)


def length(points: ArrayLike, chain_or_edges: ArrayLike) -> float:
    """Length of a chain (1-D) or total length of the edges of a connectivity (2-D)."""
    f = "length"
    a = np.asarray(chain_or_edges)
    edges = a.ndim == 2
    status, L = _core.length(c.points(f, points), c.ids(f, a, "chain_or_edges", 2 if edges else 1))
    c.check(status, f, {1: _POINTS, 2: ("chain_or_edges", "needs 2 or more nodes, each a row of points")})
    return L


def interpolate_coordinates(points: ArrayLike, chain: ArrayLike, params: ArrayLike, nodes: ArrayLike,
                            node_params: ArrayLike) -> np.ndarray:
    """Place the rows `nodes` of points at `node_params` along a parametrised chain.

    Returns a copy of points with those rows overwritten (linear between the
    chain nodes that bracket each parameter; clamped to the ends).
    """
    f = "interpolate_coordinates"
    status, out = _core.interpolate_coordinates(
        c.points(f, points), c.ids(f, chain, "chain"), c.values(f, params, "params"),
        c.ids(f, nodes, "nodes"), c.values(f, node_params, "node_params"))
    c.check(status, f, {2: ("chain", "needs one parameter per entry, and entries that are rows of points"),
                        3: ("params", "must be non-decreasing"),
                        4: ("nodes", "needs one parameter per entry, and entries that are rows of points"),
                        5: ("node_params", "must be non-decreasing")})
    return out


def curvatures(points: ArrayLike, chain: ArrayLike) -> np.ndarray:
    """Discrete curvature (1/length) at every chain node."""
    f = "curvatures"
    status, out = _core.curvatures(c.points(f, points), c.ids(f, chain, "chain"))
    c.check(status, f, {1: _POINTS, 2: ("chain", "has an entry that is not a row of points")})
    return out


def normals(points: ArrayLike, edges: ArrayLike, p: float = 1.0, normalize: bool = True) -> np.ndarray:
    """Normal at each point of a plane edge mesh, (N, 2).

    The mean of its edges' normals (direction turned a quarter turn
    counter-clockwise) weighted by edge length to the power p; p = inf: the
    longest edge's, p = -inf: the shortest's.
    """
    f = "normals"
    pw = min(max(float(p), -c.NO_BOUND), c.NO_BOUND)
    status, out = _core.normals(c.points(f, points), c.ids(f, edges, "edges", 2), pw, bool(normalize))
    c.check(status, f, {1: ("points", "must have 2 columns"), 2: _EDGES})
    return out.reshape(-1, 2)


def parametric_curvatures(params: ArrayLike, edges: ArrayLike, derivatives: ArrayLike) -> np.ndarray:
    """Curvature at each node of a parametrised curve from its parameters and first derivatives."""
    f = "parametric_curvatures"
    status, out = _core.parametric_curvatures(c.values(f, params, "params"), c.ids(f, edges, "edges", 2),
                                              c.points(f, derivatives, "derivatives"))
    c.check(status, f, {2: ("edges", "needs 2 or more nodes per edge, each below the parameter count"),
                        3: ("derivatives", "needs 2 or 3 columns and one row per parameter")})
    return out


def _merge_in(f, metrics):
    if metrics is None:
        return np.empty((0, 0))
    return c.metrics(f, metrics)


def metrics_gen_aniso2d(points_or_vectors: ArrayLike, edges_or_nodes: ArrayLike, h: float,
                        h_across: float | None = None, *, metrics: ArrayLike | None = None) -> np.ndarray:
    """Anisotropic plane metrics, merged (intersected) into `metrics`.

    Two forms:
    - ``metrics_gen_aniso2d(points, edges, h_normal)``: at both ends of every
      edge, the edge length along it and across it h_normal (> 0), -h_normal
      times the edge length (< 0) or the edge length (0).
    - ``metrics_gen_aniso2d(vectors, nodes, h_along, h_across)``: at each listed
      node, size h_along along its vector (row of `vectors`) and h_across across.

    Returns (M, 2, 2) metrics, M the largest node + 1 (zero: no constraint).
    """
    f = "metrics_gen_aniso2d"
    merged = _merge_in(f, metrics)
    if h_across is None:
        status, out = _core.metrics_gen_edges(2, c.points(f, points_or_vectors), c.ids(f, edges_or_nodes, "edges", 2),
                                              float(h), np.nan, merged)
        c.check(status, f, {1: ("points", "must have 2 or more columns"),
                            2: ("edges", "must have 2 nodes per edge, each a row of points"),
                            4: ("metrics", "must be 2 x 2")})
    else:
        status, out = _core.metrics_gen_vectors(c.points(f, points_or_vectors, "vectors"),
                                                c.ids(f, edges_or_nodes, "nodes"), float(h), float(h_across), merged)
        c.check(status, f, {1: ("vectors", "must have 2 columns"), 2: ("nodes", "has an entry without a vector"),
                            3: ("h_along", "must be > 0"), 4: ("h_across", "must be > 0"),
                            5: ("metrics", "must be 2 x 2")})
    return c.full_metrics(out.reshape(-1, 3))


def metrics_gen_aniso3d(points: ArrayLike, edges: ArrayLike, h_normal: float, h_binormal: float | None = None, *,
                        metrics: ArrayLike | None = None) -> np.ndarray:
    """Anisotropic space metrics at both ends of every edge, merged into `metrics`.

    Along each edge its length; across it h_normal (same rule as the plane
    form); with h_binormal, where the line bends h_normal applies in the plane
    of the two edges and h_binormal perpendicular to it. Returns (M, 3, 3).
    """
    f = "metrics_gen_aniso3d"
    hb = np.nan if h_binormal is None else float(h_binormal)
    status, out = _core.metrics_gen_edges(3, c.points(f, points), c.ids(f, edges, "edges", 2), float(h_normal), hb,
                                          _merge_in(f, metrics))
    c.check(status, f, {1: ("points", "must have 3 columns"),
                        2: ("edges", "must have 2 nodes per edge, each a row of points"),
                        4 if h_binormal is None else 5: ("metrics", "must be 3 x 3")})
    return c.full_metrics(out.reshape(-1, 6))


def sort(params: ArrayLike, ids: ArrayLike) -> Sorted:
    """Sort parameters ascending (ties by identifier, NaN last) and carry the identifiers along."""
    f = "sort"
    status, ps, out = _core.sort(c.values(f, params, "params"), c.ids(f, ids, "ids"))
    c.check(status, f, {1: ("ids", "must have one entry per parameter")})
    return Sorted(ps, out)


def subdivide(params: ArrayLike, sizes: ArrayLike, chain: ArrayLike, *, round_up: bool = False,
              force_even: bool = False, nmin: int = 1, nmax: int | None = None) -> Subdivision:
    """Subdivide the parameter range of a chain into elements that follow the sizes.

    params, sizes: one per identifier; chain: at least 2 identifiers. Returns
    the lists with the new nodes' parameters and sizes appended (identifiers
    len(params), len(params) + 1, ...) and the new chain (first, new nodes, last).
    """
    f = "subdivide"
    status, ps, hs, out = _core.subdivide(c.values(f, params, "params"), c.values(f, sizes, "sizes"),
                                          c.ids(f, chain, "chain"), bool(round_up), bool(force_even),
                                          c.count(f, nmin, "nmin"), c.count(f, nmax, "nmax"))
    c.check(status, f, {2: ("chain", "needs 2 or more entries, each below the length of params and sizes"),
                        6: ("nmin", "need 1 <= nmin <= nmax")})
    return Subdivision(ps, hs, out)
