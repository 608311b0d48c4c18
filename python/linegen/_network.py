"""Network-level entry points: interval assignment and job files."""

from __future__ import annotations

import json
import os

import numpy as np
from numpy.typing import ArrayLike

from . import _checks as c
from . import _core
from ._results import Intervals, JobCurve, JobMesh


def _ints(function, value, argument, ndim, width=None):
    a = np.asarray(value)
    if a.size == 0 and a.dtype.kind in "fO":
        a = a.astype(np.int64).reshape((0, width) if ndim == 2 else (0,))
    if a.dtype.kind not in "iu":
        raise TypeError(f"{function}: {argument}: expected integers, got dtype {a.dtype}")
    if a.ndim != ndim or (width is not None and a.shape[1] != width):
        c._refuse(function, argument, f"expected shape {'(T, 3)' if ndim == 2 else '(K,)'}, got {a.shape}")
    narrow = a.astype(np.int32)
    if not np.array_equal(narrow, a):
        c._refuse(function, argument, "entries must fit 32-bit integers")
    return np.ascontiguousarray(narrow)


def assign_intervals(goals: ArrayLike, terms: ArrayLike = (), kinds: ArrayLike = (), *,
                     lower: ArrayLike | None = None, upper: ArrayLike | None = None) -> Intervals:
    """Element counts for a network of curves that bound faces.

    Every count lies within its bounds and meets every constraint; the
    largest deviation max(x/g, g/x) of a count x from its goal g is as small
    as possible, then the sum of the deviations (exactly up to 16 curves).

    Parameters
    ----------
    goals : array_like (C,)
        Per curve the element count it would like (finite, > 0), usually its
        length over its size, before rounding.
    terms : array_like of int (T, 3)
        Rows (constraint, curve, coefficient), 0-based constraint and curve
        numbers, non-zero coefficients.
    kinds : array_like of int (K,)
        Per constraint: 0, the sum of coefficient * count over its terms is 0
        (opposite sides of a mapped face: +1 on one side, -1 on the other);
        1, that sum is even (the loops of a paved face).
    lower, upper : array_like of int (C,), optional
        Bounds on each count (default 1 and none); lower = upper fixes a curve.

    Returns
    -------
    Intervals
        `counts` (C,) and `optimal`, False when the search reached its work
        bound before proving the largest deviation least.
    """
    f = "assign_intervals"
    status, counts = _core.assign_intervals(
        c.values(f, goals, "goals"), c.ids(f, [] if lower is None else lower, "lower"),
        c.ids(f, [] if upper is None else upper, "upper"), _ints(f, terms, "terms", 2, 3),
        _ints(f, kinds, "kinds", 1))
    c.check(status, f, {1: ("goals", "must be finite and > 0"),
                        2: ("lower", "needs one entry per curve, each >= 1"),
                        3: ("upper", "needs one entry per curve, each >= its lower bound"),
                        4: ("terms", "names a missing constraint or curve, has a zero coefficient, or the "
                                     "constraints cannot be met within the bounds"),
                        5: ("kinds", "entries must be 0 or 1")})
    return Intervals(counts, status == 0)


def mesh_job(path_or_dict: str | os.PathLike | dict, measure: bool = False, threads: int = 1) -> JobMesh:
    """Mesh a job through the same job code as the `linegen mesh` command.

    Parameters
    ----------
    path_or_dict : str, os.PathLike or dict
        A job file (JSON, see docs/job-format.md; "-" reads standard input) or
        the job as a dict.
    measure : bool
        Also measure each curve's largest deviation from the curve it follows.
    threads : int
        Curves meshed on that many threads (the result does not depend on it).

    Returns
    -------
    JobMesh
        `points` (the job's nodes first), `sizes` per point, `curves`, and the
        summary `table` that `linegen mesh --table` prints.

    Raises
    ------
    ArgumentError
        A fault in the job; `argument` is its place, e.g. "curves[2].sizes".
    """
    f = "mesh_job"
    if isinstance(path_or_dict, dict):
        answer = _core.mesh_job(json.dumps(path_or_dict), False, bool(measure), c.count(f, threads, "threads"))
    else:
        answer = _core.mesh_job(os.fspath(path_or_dict), True, bool(measure), c.count(f, threads, "threads"))
    if answer[0] == "memory":
        raise MemoryError(f"{f}: {answer[1]}: {answer[2]}")
    if answer[0] == "contract":
        raise RuntimeError(f"{f}: {answer[1]}: {answer[2]}")
    if answer[0] is not None:
        raise c.ArgumentError(f"{f}: {answer[1] or 'job'}: {answer[2]}", answer[1] or "job")
    _, points, sizes, curves, table = answer
    return JobMesh(points, sizes, [JobCurve(n, k, ch, d if d >= 0 else None) for n, k, ch, d in curves], table)
