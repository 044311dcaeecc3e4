"""The engineering studies: goal seek, melting capacity and sensitivity.

The same studies as ``meltsim-cli solve``, ``capacity`` and ``sensitivity``,
computed in C++ on every core with the GIL released; their tables have the
columns of the command line's CSV, in its order, and its status words.
"""

from __future__ import annotations

import numbers
from typing import Any, Dict, List, Mapping, Optional, Sequence, Tuple, Union

# The package's __init__ imports this module after defining these.
from . import (MAX_JOBS, _SYMBOLS, Error, InputError, Run, _axis_values, _check_series, _core,
               _field_texts, _require_pandas, _symbol_index)

QUANTITIES = ("MELTEND", "TAVM", "PTOTAL", "PTOT", "PVIS", "QSQT", "TSAVSTEP")

Target = Union[str, Tuple[str, float], Mapping[str, float]]


class StudyResult:
    """The table of a study: its columns by name, in the order of the CSV.

    Numbers are NumPy float64 arrays (NaN where the CSV cell is empty), texts
    lists. ``units`` gives each column's unit ("" for a text or a pure number).
    """

    def __init__(self, columns: Dict[str, Any], units: Dict[str, str], runs: int) -> None:
        self.columns: Dict[str, Any] = columns
        self.units: Dict[str, str] = units
        self.runs: int = runs

    def __len__(self) -> int:
        first = next(iter(self.columns.values()), [])
        return len(first)

    def __getitem__(self, column: str) -> Any:
        return self.columns[column]

    def keys(self) -> List[str]:
        """The column names, in CSV order."""
        return list(self.columns)

    def to_dataframe(self) -> Any:
        """The columns as a pandas DataFrame."""
        return _require_pandas().DataFrame(self.columns)

    def __repr__(self) -> str:
        return f"<meltsim.{type(self).__name__} {len(self)} rows, {self.runs} runs>"


class CapacityResult(StudyResult):
    """The melting capacity at each grid point: the varied inputs, ``OUTPUT``
    (kg/hr; NaN where nothing melts in time), ``FLIGHT`` (where melting
    completes at it), ``status`` and ``message``."""


class SensitivityResult(StudyResult):
    """One row per input, ranked by the size of the MELTEND elasticity:
    ``symbol``, ``value``, ``step`` (%), then for MELTEND, TAVM, PTOTAL and
    QSQT the values ``Q_minus`` and ``Q_plus`` and ``Q_elasticity``, then
    ``status`` and ``message``. ``base`` holds the four values of the run
    with the inputs as given, ``base_status`` its status."""

    def __init__(self, native: Dict[str, Any]) -> None:
        super().__init__(native["columns"], native["units"], native["runs"])
        self.base: Dict[str, Optional[float]] = native["base"]
        self.base_status: str = native["base_status"]
        self.base_message: str = native["base_message"]


class SolveError(Error):
    """A goal seek found no answer.

    ``outcome`` is "no solution" (nothing in the range gives the target),
    "not monotonic" (the quantity rises and falls over the range) or "failed"
    (a run of the search failed); ``message`` says which, naming the range
    (``low``, ``high``) and the quantity at its ends (``at_low``,
    ``at_high``; None where a run did not melt or failed).
    """

    def __init__(self, message: str, outcome: str, low: float, high: float,
                 at_low: Optional[float], at_high: Optional[float]) -> None:
        super().__init__(message)
        self.outcome = outcome
        self.low = low
        self.high = high
        self.at_low = at_low
        self.at_high = at_high


class Solution:
    """The answer of a goal seek.

    Attributes:
        symbol, value: the input and the value found.
        quantity, target: the quantity and its target.
        achieved: the quantity at ``value``; for MELTEND the FLIGHT of the last
            recorded step, no more than one step short of the target.
        other_value, other_achieved: the other end of the final bracket, on the
            other side of the target.
        step_turns: MELTEND: the length of a step where melting ends (turns).
        answer: "OUTPUT = 362.90 kg/hr gives MELTEND = 19.90 turns".
        details: where the quantity crosses the target, and the number of runs.
        status: the status of the run at ``value`` ("ok" or "warning").
        runs: the search's runs as columns: run, the input, the quantity, status.
        run: the ``Run`` at ``value``, with its rows and result file.
    """

    def __init__(self, native: Dict[str, Any], symbol: str, quantity: str, target: float,
                 run: Any) -> None:
        self.symbol = symbol
        self.quantity = quantity
        self.target = target
        self.value: float = native["value"]
        self.achieved: Optional[float] = native["achieved"]
        self.other_value: float = native["other_value"]
        self.other_achieved: Optional[float] = native["other_achieved"]
        self.step_turns: float = native["step_turns"]
        self.answer: str = native["answer"]
        self.details: str = native["details"]
        self.status: str = native["status"]
        self.runs: Dict[str, Any] = native["runs"]
        self.run = run

    def __repr__(self) -> str:
        return f"<meltsim.Solution {self.answer!r}>"


def _parse_target(target: Target) -> Tuple[str, float]:
    if isinstance(target, str):
        name, sep, value = target.partition("=")
        if not sep:
            raise ValueError(f"a target is QUANTITY=VALUE, e.g. 'MELTEND=20', got {target!r}")
        number = _core.convert_number(value)
        if number is None:
            raise ValueError(f"the target value {value!r} is not a number")
        return _check_quantity(name), number
    if isinstance(target, Mapping):
        if len(target) != 1:
            raise ValueError("a target names one quantity, e.g. {'MELTEND': 20}")
        ((name, value),) = target.items()
        return _check_quantity(name), _number(name, value)
    if isinstance(target, (tuple, list)) and len(target) == 2:
        return _check_quantity(target[0]), _number(target[0], target[1])
    raise TypeError(f"a target is 'QUANTITY=VALUE', (QUANTITY, VALUE) or {{QUANTITY: VALUE}}, "
                    f"not {target!r}")


def _check_quantity(name: Any) -> str:
    if not isinstance(name, str) or name.strip().upper() not in QUANTITIES:
        raise ValueError(f"unknown quantity {name!r}; the quantities are {' '.join(QUANTITIES)}")
    return name.strip().upper()


def _number(name: Any, value: Any) -> float:
    if isinstance(value, bool) or not isinstance(value, numbers.Real):
        raise TypeError(f"the value of {name} must be a number, got {value!r}")
    return float(value)


def _check_jobs(jobs: Optional[int]) -> int:
    if jobs is not None and (not isinstance(jobs, int) or isinstance(jobs, bool)
                             or not 1 <= jobs <= MAX_JOBS):
        raise ValueError(f"jobs must be a whole number from 1 to {MAX_JOBS}, got {jobs!r}")
    return jobs or 0


def solve(find: str, target: Target, within: Optional[Sequence[float]] = None, *,
          datafile: Any = None, all_fields: bool = False, series: str = "rescue",
          jobs: Optional[int] = None, **fixed: Any) -> Solution:
    """Goal seek: the value of the input ``find`` that gives a quantity its target.

    ``target`` is ``"MELTEND=20"``, ``("MELTEND", 20)`` or ``{"MELTEND": 20}``;
    the quantities are MELTEND (the FLIGHT where melting completes, turns),
    TAVM, PTOTAL, PTOT, PVIS, QSQT and TSAVSTEP. ``within`` is the range
    searched, (low, high); by default half to twice the input's value. The
    other inputs come from the defaults, ``datafile`` and the ``fixed``
    keywords, as for ``run``.

    MELTEND moves in whole steps (0.1 or 0.2 turn): the answer is the input
    value where the melting end crosses the target, within 0.01 % of the
    input, and its run melts by the target, no more than one step short of
    it. Returns a ``Solution``; raises ``SolveError`` when no value in the
    range gives the target, the quantity is not monotonic over it, or a run
    of the search fails (its ``message`` names the range and the values at
    its ends), and ``InputError`` when the inputs as given are refused.
    """
    mode = _check_series(series)
    symbol = _SYMBOLS[_symbol_index(find)]
    quantity, value = _parse_target(target)
    bounds: Optional[Tuple[float, float]] = None
    if within is not None:
        low, high = (_number("within", v) for v in within)
        if not low < high:
            raise ValueError(f"within is (low, high) with low < high, got {tuple(within)!r}")
        bounds = (low, high)
    texts = _field_texts(datafile, all_fields, [fixed])
    _check_inputs(texts)
    native = _core.goal_seek(texts, symbol, quantity, value, bounds, mode, _check_jobs(jobs))
    if native["outcome"] != "solved":
        raise SolveError(native["message"], native["outcome"], native["low"], native["high"],
                         native["at_low"], native["at_high"])
    answer_run = _core.simulate(native["texts"], _core.default_save_file_name, mode)
    return Solution(native, symbol, quantity, value, Run(answer_run))


def capacity(vary: Optional[Mapping[str, Any]] = None, by: Optional[float] = None,
             jobs: Optional[int] = None, *, datafile: Any = None, all_fields: bool = False,
             series: str = "rescue", **fixed: Any) -> CapacityResult:
    """Melting capacity: at each point of the grid of ``vary`` the largest
    OUTPUT (kg/hr) that melts completely by the FLIGHT ``by`` (default: on the
    screw), to 0.05 %.

    ``vary`` maps other inputs to their values, as for ``sweep`` (OUTPUT is
    what the study finds and cannot be varied); without it, one point. Every
    point is a search of about ten runs, on ``jobs`` threads (default: every
    core). Returns the ``CapacityResult`` table (one row per grid point, in
    grid order): a point where nothing melts in time has NaN for OUTPUT and
    says so in ``message``; a failed run is the point's ``status``.
    """
    mode = _check_series(series)
    axes = []
    for symbol, values in (vary or {}).items():
        name = _SYMBOLS[_symbol_index(symbol)]
        if name == "OUTPUT":
            raise ValueError("the capacity study finds OUTPUT; it cannot be varied")
        if any(name == varied for varied, _ in axes):
            raise ValueError(f"{name} is varied twice")
        axes.append((name, _axis_values(name, values)))
    for symbol in fixed:
        if _SYMBOLS[_symbol_index(symbol)] in [name for name, _ in axes]:
            raise ValueError(f"{symbol.upper()} is both varied and fixed")
    position = None if by is None else _number("by", by)
    texts = _field_texts(datafile, all_fields, [fixed])
    _check_inputs(texts)
    native = _core.capacity(texts, axes, position, mode, _check_jobs(jobs))
    return CapacityResult(native["columns"], native["units"], native["runs"])


def sensitivity(step: float = 5.0, jobs: Optional[int] = None, *, datafile: Any = None,
                all_fields: bool = False, series: str = "rescue",
                **fixed: Any) -> SensitivityResult:
    """Sensitivity: MELTEND, TAVM, PTOTAL and QSQT with each editable input
    ``step`` percent below and above its value (the polymer values too with
    ``all_fields``, which also takes them from ``datafile``), and the
    elasticities (Q+ - Q-)/Q0/(2 step), ranked by the size of the MELTEND
    elasticity. Returns the ``SensitivityResult``."""
    mode = _check_series(series)
    percent = _number("step", step)
    if not 0 < percent < 100:
        raise ValueError(f"step is a percentage between 0 and 100, got {step!r}")
    texts = _field_texts(datafile, all_fields, [fixed])
    _check_inputs(texts)
    native = _core.sensitivity(texts, percent, bool(all_fields), mode, _check_jobs(jobs))
    return SensitivityResult(native)


def _check_inputs(texts: List[str]) -> None:
    """The inputs as given must pass the checks of GO."""
    _core.check_texts(texts)
