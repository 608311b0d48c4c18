"""Argument conversion and the mapping of status codes to exceptions."""

from __future__ import annotations

import operator

import numpy as np

from . import _core

NO_COUNT = int(_core.no_count)
NO_BOUND = float(_core.no_bound)

# Packed upper order of a symmetric matrix (m00, m01, m11[, m02, m12, m22])
# and, for each entry (i, j) of the full matrix, its place in that order.
_UPPER = {2: ([0, 0, 1], [0, 1, 1]), 3: ([0, 0, 1, 0, 1, 2], [0, 1, 1, 2, 2, 2])}
_FULL = {3: np.array([[0, 1], [1, 2]]), 6: np.array([[0, 1, 3], [1, 2, 4], [3, 4, 5]])}


class ArgumentError(ValueError):
    """An invalid argument.

    Attributes
    ----------
    code : int or None
        The library's status code (-k for its k-th argument), or None when
        the binding refused the value before calling the library.
    argument : str
        The name of the Python argument at fault.
    """

    def __init__(self, message: str, argument: str, code: int | None = None):
        super().__init__(message)
        self.argument = argument
        self.code = code


def check(status: int, function: str, codes: dict) -> int:
    """Raise for a failed status; `codes` maps k to (argument, what is wrong)."""
    if status >= 0:
        return status
    if status == -199:
        raise MemoryError(f"{function}: not enough memory, or an element count too large to represent")
    argument, problem = codes.get(-status, (f"argument {-status}", "invalid"))
    raise ArgumentError(f"{function}: {argument}: {problem} (status {status})", argument, status)


def _refuse(function: str, argument: str, problem: str):
    raise ArgumentError(f"{function}: {argument}: {problem}", argument)


def _real_array(function: str, argument: str, value) -> np.ndarray:
    a = np.asarray(value)
    if a.dtype.kind not in "iuf" and not (a.size == 0 and a.dtype == object):
        raise TypeError(f"{function}: {argument}: expected real numbers, got dtype {a.dtype}")
    return a


def points(function: str, value, argument: str = "points") -> np.ndarray:
    """An (N, d) float64 C-ordered array, one row per point."""
    if value is None:
        return np.empty((0, 0))
    a = _real_array(function, argument, value)
    if a.ndim != 2:
        _refuse(function, argument, f"expected an (N, d) array, one row per point, got shape {a.shape}")
    return np.ascontiguousarray(a, dtype=np.float64)


def values(function: str, value, argument: str) -> np.ndarray:
    """A 1-D float64 array."""
    a = _real_array(function, argument, value)
    if a.ndim != 1:
        _refuse(function, argument, f"expected a 1-D array, got shape {a.shape}")
    return np.ascontiguousarray(a, dtype=np.float64)


def vector(function: str, value, argument: str, sizes=(2, 3)) -> np.ndarray:
    """A point or direction of 2 or 3 components."""
    a = _real_array(function, argument, value)
    if a.ndim != 1 or a.shape[0] not in sizes:
        _refuse(function, argument, f"expected {' or '.join(map(str, sizes))} components, got shape {a.shape}")
    return np.ascontiguousarray(a, dtype=np.float64)


def ids(function: str, value, argument: str, ndim: int = 1) -> np.ndarray:
    """Node or edge identifiers: integers in [0, 2**32 - 1), as uint32."""
    a = np.asarray(value)
    if a.size == 0 and a.dtype.kind in "fO":
        a = a.astype(np.int64)  # an empty list
    if a.dtype.kind not in "iu":
        raise TypeError(f"{function}: {argument}: expected integer identifiers, got dtype {a.dtype}")
    if a.ndim != ndim:
        shape = "a 1-D array" if ndim == 1 else "an (E, k) array, one row per edge"
        _refuse(function, argument, f"expected {shape}, got shape {a.shape}")
    if a.dtype == np.uint32:
        return np.ascontiguousarray(a)
    checked = _core.to_ids(a)
    if checked is None:
        _refuse(function, argument, "identifiers must lie in [0, 4294967295)")
    return checked


def count(function: str, value, argument: str, default: int | None = None) -> int:
    """A whole count in [0, 4294967295]; None gives the default."""
    if value is None:
        return NO_COUNT if default is None else default
    try:
        n = operator.index(value)
    except TypeError:
        raise TypeError(f"{function}: {argument}: expected an integer, got {type(value).__name__}") from None
    if not 0 <= n <= NO_COUNT:
        _refuse(function, argument, f"{n} is outside [0, 4294967295]")
    return n


def metrics(function: str, value, argument: str = "metrics") -> np.ndarray:
    """Packed (N, 3) or (N, 6) float64 metrics from (N, d, d) symmetric or packed input."""
    a = _real_array(function, argument, value)
    if a.ndim == 2:
        return np.ascontiguousarray(a, dtype=np.float64)
    if a.ndim != 3 or a.shape[1] != a.shape[2] or a.shape[1] not in (2, 3):
        _refuse(function, argument, f"expected (N, d, d) symmetric or (N, 3|6) packed metrics, got {a.shape}")
    a = a.astype(np.float64, copy=False)
    scale = np.abs(a).max(axis=(1, 2), initial=0.0)[:, None, None]
    if np.any(np.abs(a - a.transpose(0, 2, 1)) > 1e-12 * scale):
        _refuse(function, argument, "metric tensors must be symmetric")
    rows, cols = _UPPER[a.shape[1]]
    return np.ascontiguousarray(a[:, rows, cols])


def full_metrics(packed: np.ndarray) -> np.ndarray:
    """(N, d, d) symmetric tensors from packed (N, 3) or (N, 6) rows."""
    if packed.shape[1] not in _FULL:
        return packed
    return packed[:, _FULL[packed.shape[1]]]


def field(function: str, sizes, metrics_value) -> tuple[np.ndarray, str]:
    """The sizes or the packed metrics of a generator, and the argument's name."""
    if (sizes is None) == (metrics_value is None):
        raise TypeError(f"{function}: give exactly one of sizes and metrics")
    if sizes is not None:
        return values(function, sizes, "sizes"), "sizes"
    return metrics(function, metrics_value), "metrics"
