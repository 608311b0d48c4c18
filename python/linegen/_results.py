"""The small named results that the functions return."""

from __future__ import annotations

from typing import NamedTuple, Optional

import numpy as np


def chain_edges(chain) -> np.ndarray:
    """The elements (chain[k], chain[k + 1]) of a chain, one row each."""
    chain = np.asarray(chain)
    return np.column_stack((chain[:-1], chain[1:]))


class Mesh(NamedTuple):
    """A meshed line.

    points : (N, d) float64
        The input points followed by the new ones (the input rows unchanged).
    chain : (M,) int64
        The mesh, 0-based rows of `points` in order along the line; element k
        runs from chain[k] to chain[k + 1].
    params : (M,) float64 or None
        The parameter of each chain node, where the generator gives one.
    sizes : (M,) float64 or None
        The element size at each chain node (sizes given as input).
    metrics : (M, d, d) float64 or None
        The metric tensor at each chain node (metrics given as input).
    max_deviation : float or None
        mesh_spline: the largest distance from the spline to its sampling chords.
    """

    points: np.ndarray
    chain: np.ndarray
    params: Optional[np.ndarray] = None
    sizes: Optional[np.ndarray] = None
    metrics: Optional[np.ndarray] = None
    max_deviation: Optional[float] = None

    @property
    def edges(self) -> np.ndarray:
        """(M - 1, 2) int64: the two-node elements along the chain."""
        return chain_edges(self.chain)


class EdgeMesh(NamedTuple):
    """Points and edge cells (one row per edge, 0-based rows of points)."""

    points: np.ndarray
    cells: np.ndarray


class Reorientation(NamedTuple):
    """Consistently oriented edges, their neighbours (-1: none) and the count of reversals."""

    edges: np.ndarray
    neighbors: np.ndarray
    reversals: int


class Sorted(NamedTuple):
    """Parameters in ascending order and the identifiers carried along."""

    params: np.ndarray
    ids: np.ndarray


class Subdivision(NamedTuple):
    """The parameter and size lists with the new nodes' entries appended, and the new chain."""

    params: np.ndarray
    sizes: np.ndarray
    chain: np.ndarray


class Intervals(NamedTuple):
    """Element counts over a network of curves.

    counts : (C,) int64, one per curve. optimal : False when the search stopped
    at its work bound before proving the largest deviation minimal.
    """

    counts: np.ndarray
    optimal: bool


class JobCurve(NamedTuple):
    """One curve of a meshed job: its name, kind, chain (rows of the job's points) and
    largest deviation from the curve it follows (None when not measured or not applicable)."""

    name: str
    kind: str
    chain: np.ndarray
    max_deviation: Optional[float]

    @property
    def edges(self) -> np.ndarray:
        """(M - 1, 2) int64: the curve's two-node elements."""
        return chain_edges(self.chain)


class JobMesh(NamedTuple):
    """A meshed job: all points (the job's nodes first), the size at each point, the curves,
    and the summary table of the command-line tool."""

    points: np.ndarray
    sizes: np.ndarray
    curves: list
    table: str = ""
