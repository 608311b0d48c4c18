"""meshio and matplotlib interplay; both are imported only when used."""

from __future__ import annotations

import numpy as np

from ._results import chain_edges


def _meshes(result_or_results):
    """The (points, edges) of one result or of a list of results."""
    x = result_or_results
    single = hasattr(x, "points") or (isinstance(x, tuple) and len(x) == 2 and not any(hasattr(i, "points") for i in x))
    items = [x] if single else list(x)
    out = []
    for r in items:
        if hasattr(r, "curves"):
            edges = [cv.edges for cv in r.curves if len(cv.chain) > 1]
            out.append((np.asarray(r.points), np.concatenate(edges) if edges else np.empty((0, 2), np.int64)))
        elif hasattr(r, "chain"):
            out.append((np.asarray(r.points), chain_edges(r.chain)))
        elif hasattr(r, "cells"):
            out.append((np.asarray(r.points), np.asarray(r.cells)[:, :2]))
        else:
            points, edges = r
            out.append((np.asarray(points), np.asarray(edges)))
    return out


def _merged(result_or_results):
    """One point array and one (E, 2) edge array for all results; points padded to a common dimension."""
    meshes = _meshes(result_or_results)
    d = max((p.shape[1] for p, _ in meshes if p.size), default=2)
    points, edges, offset = [], [], 0
    for p, e in meshes:
        p = p.reshape(-1, p.shape[1] if p.ndim == 2 else d)
        points.append(np.pad(p, ((0, 0), (0, d - p.shape[1]))))
        edges.append(e.reshape(-1, 2) + offset)
        offset += p.shape[0]
    return np.concatenate(points), np.concatenate(edges).astype(np.int64)


def to_meshio(result_or_results):
    """A meshio.Mesh of "line" cells from a result, a list of results, or (points, edges) pairs.

    Results from separate calls keep their own points: their rows are
    concatenated and their cells renumbered. Each result's elements follow its
    chain (or its cells' first two nodes).
    """
    import meshio

    points, edges = _merged(result_or_results)
    return meshio.Mesh(points, [("line", edges)])


def plot(result_or_results, ax=None, cmap="viridis", node_size=6.0, colorbar=True):
    """Draw meshes with matplotlib: elements coloured by length, nodes as dots.

    Plane meshes are drawn as they are; space meshes in their x-y projection.
    Returns the matplotlib Axes.
    """
    import matplotlib.pyplot as plt
    from matplotlib.collections import LineCollection

    points, edges = _merged(result_or_results)
    xy = points[:, :2]
    segments = xy[edges]
    lengths = np.linalg.norm(points[edges[:, 1]] - points[edges[:, 0]], axis=1)
    if ax is None:
        ax = plt.figure().add_subplot()
    lines = LineCollection(segments, array=lengths, cmap=cmap, linewidths=2)
    ax.add_collection(lines)
    used = np.unique(edges)
    ax.scatter(xy[used, 0], xy[used, 1], s=node_size, c="black", zorder=3)
    ax.set_aspect("equal")
    ax.autoscale_view()
    if colorbar:
        ax.figure.colorbar(lines, ax=ax, label="element length")
    return ax
