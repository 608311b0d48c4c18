"""Generators: extrusions, line and straight meshing, splines."""

from __future__ import annotations


import numpy as np
from numpy.typing import ArrayLike

from . import _checks as c
from . import _core
from ._results import Mesh

_EXTRUDE = {1: ("points", "must be empty or have one column per component of the vector"),
            2: ("start", "is not a row of points"), 3: ("vector", "has length 0 or is not a number"),
            4: ("h0", "must be finite and > 0"), 5: ("h1", "must be finite and > 0")}
_ROTATE = {1: ("points", "must be empty or have one column per component of the centre"),
           2: ("start", "is not a row of points"),
           3: ("rotation", "the arc has length 0 or is not a number (start on the axis, or no turn)"),
           5: ("h0", "must be finite and > 0"), 6: ("h1", "must be finite and > 0")}
_ROTATE_COUNT_3D = {**_ROTATE, 5: ("count", "must be at least 1 for a start node in space")}


def version() -> str:
    """The library's version string."""
    return _core.version()


def _start(function, start, d, points_value):
    """(points, start node or -1, start point) of an extrusion."""
    if isinstance(start, (int, np.integer)):
        if points_value is None:
            raise TypeError(f"{function}: a start node needs points")
        node = c.count(function, start, "start")
        return c.points(function, points_value), node, np.zeros(d)
    return c.points(function, points_value), -1, c.vector(function, start, "start", (d,))


def _grading(function, count, h0, h1, force_even):
    if (count is None) == (h0 is None or h1 is None):
        raise TypeError(f"{function}: give either count or both h0 and h1")
    if count is not None:
        return c.count(function, count, "count"), 0.0, 0.0, False
    return -1, float(h0), float(h1), bool(force_even)


def extrude_translate(start: int | ArrayLike, vector: ArrayLike, count: int | None = None, *, h0: float | None = None,
                      h1: float | None = None, force_even: bool = False, points: ArrayLike | None = None) -> Mesh:
    """Mesh the straight segment from `start` to `start + vector`.

    Parameters
    ----------
    start : int or array_like (d,)
        A row of `points` (the chain's first node) or a new point (d = 2 or 3).
    vector : array_like (d,)
        From the first node to the last, in the units of the points.
    count : int, optional
        That many equal elements (0: nothing appended).
    h0, h1 : float, optional
        Instead of a count: the element sizes wanted at the start and at the
        end (> 0, units of the points); the lengths grow geometrically.
    force_even : bool
        With h0 and h1, make the element count even.
    points : array_like (N, d), optional
        Existing points; a start node is one of its rows.

    Returns
    -------
    Mesh
        `points` (the input rows, then the start point if new, then the new
        nodes in order) and `chain` (start, new nodes).
    """
    f = "extrude_translate"
    vec = c.vector(f, vector, "vector")
    pts, node, point = _start(f, start, vec.shape[0], points)
    n, a, b, even = _grading(f, count, h0, h1, force_even)
    status, out, chain = _core.extrude_translate(pts, node, point, vec, n, a, b, even)
    c.check(status, f, _EXTRUDE)
    return Mesh(out, chain)


def extrude_rotate(start: int | ArrayLike, centre: ArrayLike, rotation: float | ArrayLike, count: int | None = None, *,
                   h0: float | None = None, h1: float | None = None, force_even: bool = False,
                   points: ArrayLike | None = None) -> Mesh:
    """Mesh the circular arc that `start` sweeps about `centre`.

    Parameters
    ----------
    start : int or array_like (d,)
        A row of `points` or a new point.
    centre : array_like (d,)
        In the plane the centre of rotation; in space a point of the axis.
    rotation : float or array_like (3,)
        In the plane the angle in radians (counter-clockwise when positive);
        in space the axis (right-hand rule), its length the angle in radians.
    count, h0, h1, force_even, points
        As for `extrude_translate`; h0 and h1 are lengths along the arc.

    Returns
    -------
    Mesh
        `points` and `chain` (start, new nodes); a full turn ends with a node
        on top of the start.
    """
    f = "extrude_rotate"
    ctr = c.vector(f, centre, "centre")
    d = ctr.shape[0]
    turn = np.array([float(rotation)]) if d == 2 else c.vector(f, rotation, "rotation", (3,))
    pts, node, point = _start(f, start, d, points)
    n, a, b, even = _grading(f, count, h0, h1, force_even)
    status, out, chain = _core.extrude_rotate(pts, node, point, ctr, turn, n, a, b, even)
    c.check(status, f, _ROTATE_COUNT_3D if d == 3 and node >= 0 and n >= 0 else _ROTATE)
    return Mesh(out, chain)


def _absent(x: float | None) -> float:
    return 0.0 if x is None else float(x)


def mesh_line(points: ArrayLike, chain: ArrayLike, sizes: ArrayLike | None = None, *, metrics: ArrayLike | None = None,
              params: ArrayLike | None = None, force_even: bool = False, nmin: int = 1, nmax: int | None = None,
              chordal_error: float | None = None, min_size: float = 0.0) -> Mesh:
    """Mesh the polyline through the rows `chain` of `points`.

    Parameters
    ----------
    points : array_like (N, d)
        d = 2 or 3.
    chain : array_like of int (n,)
        The polyline, n >= 2 rows of `points` (0-based).
    sizes : array_like (n,), optional
        The element size wanted at each chain node (> 0, units of the points).
    metrics : array_like (n, d, d) or packed (n, 3|6), optional
        Instead of sizes: a symmetric positive definite tensor at each chain
        node; a size h in a direction is the eigenvalue 1/h**2.
    params : array_like (n,), optional
        Non-decreasing parameters of the chain nodes (default: normalised
        chord length, 0 at the first node and 1 at the last).
    force_even : bool
        Make the element count even.
    nmin, nmax : int
        Bounds on the element count (nmax None: none); refinement against the
        chordal error keeps at least nmin elements but may pass nmax.
    chordal_error : float, optional
        > 0: refine until the polyline's nodes lie within that distance of the
        mesh; < 0: cap the sizes where the line bends at a chord deviation of
        -chordal_error times the local radius (not below min_size).

    Returns
    -------
    Mesh
        `points` (input rows, then the new nodes), `chain` (first node, new
        nodes, last node), `params`, and `sizes` or `metrics` per chain node.
    """
    f = "mesh_line"
    pts = c.points(f, points)
    ids = c.ids(f, chain, "chain")
    data, name = c.field(f, sizes, metrics)
    ps = None if params is None else c.values(f, params, "params")
    low, high = c.count(f, nmin, "nmin"), c.count(f, nmax, "nmax")
    status, out, out_chain, out_params, out_field = _core.mesh_line(
        pts, ids, ps, data, bool(force_even), low, high, _absent(chordal_error), float(min_size))
    shift = 0 if ps is not None else 1  # without params the later arguments move one place left
    codes = {1: ("points", "must have 2 or 3 columns"),
             2: ("chain", "needs 2 or more rows of points, and a length that is finite and not 0"),
             4 - shift: (name, "too few entries, or not all finite and positive (definite)"),
             6 - shift: ("nmin", "need 1 <= nmin <= nmax")}
    if ps is not None:
        codes[3] = ("params", "needs one finite, non-decreasing value per chain node, within a finite range")
    c.check(status, f, codes)
    if name == "sizes":
        return Mesh(out, out_chain, out_params, sizes=out_field)
    return Mesh(out, out_chain, out_params, metrics=c.full_metrics(out_field))


def mesh_straight(points: ArrayLike, chain: ArrayLike, sizes: ArrayLike | None = None, *,
                  metrics: ArrayLike | None = None, count: int | None = None, force_even: bool = False) -> Mesh:
    """Mesh each straight segment of a chain on its own, every chain node kept.

    Parameters
    ----------
    points : array_like (N, d)
    chain : array_like of int (n,)
        Rows of `points` (0-based); an empty chain gives an empty mesh.
    sizes : array_like (n,), optional
        The element size at each chain node, linear along each segment.
    metrics : array_like (n, d, d) or packed, optional
        Instead of sizes: a metric tensor at each chain node.
    count : int, optional
        Instead of sizes: one size for the whole chain, its length / count
        (each segment rounds its own count, so the total may differ).
    force_even : bool
        Make each segment's element count even.

    Returns
    -------
    Mesh
        `points` and `chain` (first node, new nodes of the first segment,
        second node, ..., last node).
    """
    f = "mesh_straight"
    pts = c.points(f, points)
    ids = c.ids(f, chain, "chain")
    node = ("chain", "has an entry that is not a row of points")
    if count is not None:
        if sizes is not None or metrics is not None:
            raise TypeError(f"{f}: give one of sizes, metrics and count")
        n = c.count(f, count, "count")
        data = np.empty(0)
        form = "count"
        if not force_even and len(ids) in (2, 3):
            form = "pair" if len(ids) == 2 else "triple"
        codes = {1: ("points", "must have 2 or 3 columns"), 2: ("chain", "needs 2 or more rows of points"),
                 3: ("count", "gives sizes that are not finite and > 0 (a chain of length 0?)")}
        if form == "pair":
            codes = {**codes, 2: node, 3: node, 4: ("chain", "has two nodes that coincide")}
        elif form == "triple":
            codes = {**codes, 2: node, 3: node, 4: node}
    else:
        data, name = c.field(f, sizes, metrics)
        n = 0
        form = "sizes" if name == "sizes" else "metrics"
        codes = {1: ("points", "must have 2 or 3 columns"), 2: ("chain", "needs 2 or more rows of points"),
                 3: (name, "too few entries, or not all finite and positive (definite)")}
        if form == "sizes" and len(ids) == 2 == len(data):
            form = "pair_sizes"
            codes = {**codes, 2: node, 3: node, 4: ("sizes", "must be finite and > 0"),
                     5: ("sizes", "must be finite and > 0")}
    status, out, out_chain = _core.mesh_straight(pts, form, ids, data, n, bool(force_even))
    c.check(status, f, codes)
    return Mesh(out, out_chain)


def spline_point(points: ArrayLike, nodes: ArrayLike, t: float | ArrayLike) -> np.ndarray:
    """Points of the spline segment from nodes[1] (t = 0) to nodes[2] (t = 1).

    Parameters
    ----------
    points : array_like (N, d)
    nodes : array_like of int (4,)
        Rows of `points`: nodes[0] and nodes[3] shape the end tangents (equal to
        their neighbour for a free end).
    t : float or array_like (T,)
        Parameters; outside [0, 1] the same polynomial is extrapolated.

    Returns
    -------
    ndarray (d,) for a scalar t, (T, d) for an array.
    """
    f = "spline_point"
    pts = c.points(f, points)
    ids = c.ids(f, nodes, "nodes")
    if ids.shape[0] != 4:
        raise c.ArgumentError(f"{f}: nodes: expected 4 rows of points, got {ids.shape[0]}", "nodes")
    scalar = np.ndim(t) == 0
    status, out = _core.spline_point(pts, ids, c.values(f, np.atleast_1d(t), "t"))
    codes = {1: ("points", "must have 2 or 3 columns")}
    codes.update({k + 2: ("nodes", f"entry {k} is not a row of points") for k in range(4)})
    c.check(status, f, codes)
    return out[0] if scalar else out


def _with_ends(a: np.ndarray, ends: str) -> np.ndarray:
    """The library's list: a neighbour before the first entry and after the last."""
    if ends == "given" or len(a) == 0:
        return a
    if ends == "closed":
        return np.ascontiguousarray(np.concatenate((a[-1:], a, a[:2])))
    return np.ascontiguousarray(np.concatenate((a[:1], a, a[-1:])))


def mesh_spline(points: ArrayLike, chain: ArrayLike, sizes: ArrayLike | None = None, *,
                metrics: ArrayLike | None = None, force_even: bool = False, nmin: int = 1, nmax: int | None = None,
                chordal_error: float | None = None, min_size: float = 0.0, default_size: float = 0.0,
                gradation: float | None = None, ends: str = "free") -> Mesh:
    """Mesh the smooth spline through the rows `chain` of `points`.

    Parameters
    ----------
    points : array_like (N, d)
    chain : array_like of int (n,)
        The curve's nodes, rows of `points` in order (see `ends`).
    sizes : array_like (n,), optional
        The element size at each chain entry (> 0).
    metrics : array_like (n, d, d) or packed, optional
        Instead of sizes: a metric tensor at each chain entry.
    ends : {"free", "closed", "given"}
        "free": the curve runs from chain[0] to chain[-1]; "closed": it
        returns to chain[0] (listed once); "given": chain is the library's
        own list, chain[1:-1] the curve's nodes and chain[0], chain[-1] the
        neighbours that shape the end tangents (n >= 4).
    force_even, nmin, nmax
        As for `mesh_line`.
    chordal_error : float, optional
        > 0: the largest sagitta of an element (a length); < 0: minus a
        fraction of the local radius; None: no tolerance.
    min_size : float
        The smallest size the curvature rule gives (>= 0).
    default_size, gradation : float
        gradation > 0 bounds the growth of the sizes (h grows by at most
        gradation per unit length); with default_size > 0 too, the samples
        between nodes start isotropic at default_size.

    Returns
    -------
    Mesh
        `points`, `chain` (first node, new nodes, last node), `params` in [0, 1],
        `sizes` or `metrics`, and `max_deviation`.
    """
    f = "mesh_spline"
    pts = c.points(f, points)
    ids = c.ids(f, chain, "chain")
    data, name = c.field(f, sizes, metrics)
    if ends not in ("free", "closed", "given"):
        raise c.ArgumentError(f'{f}: ends: expected "free", "closed" or "given", got {ends!r}', "ends")
    ids, data = _with_ends(ids, ends), _with_ends(data, ends)
    low, high = c.count(f, nmin, "nmin"), c.count(f, nmax, "nmax")
    status, out, out_chain, out_params, out_field, deviation = _core.mesh_spline(
        pts, ids, data, bool(force_even), low, high, _absent(chordal_error), float(min_size),
        float(default_size), _absent(gradation))
    c.check(status, f, {1: ("points", "must have 2 or 3 columns"),
                        2: ("chain", "needs 2 or more rows of points (4 with ends='given')"),
                        3: (name, "too few entries, or not all finite and positive (definite)"),
                        5: ("nmin", "need 1 <= nmin <= nmax"), 8: ("min_size", "must be >= 0")})
    if name == "sizes":
        return Mesh(out, out_chain, out_params, sizes=out_field, max_deviation=deviation)
    return Mesh(out, out_chain, out_params, metrics=c.full_metrics(out_field), max_deviation=deviation)
