"""meltsim: the melting of a polymer in a single-screw extruder, from Python.

The same model, input checks, messages and result file as the window's GO and
``meltsim-cli run``, without a process per run::

    import meltsim
    run = meltsim.run(RPM=60)
    run.nstep, run.end
    run.rows["FLIGHT"][-1]      # where the melting ended, in screw turns
    study = meltsim.sweep(vary={"RPM": [30, 40, 50], "OUTPUT": [200, 300]})
    study["QSQT"]               # one value per case, in grid order

Inputs are the 31 symbols of the window's fields (``meltsim.fields()``). A number
is given to its field as a text with 17 significant digits, a text as it is, so
the checks and their messages are those of GO.
"""

from __future__ import annotations

import importlib
import numbers
import os
import sys
import threading
import warnings as _warnings
from typing import Any, Dict, Iterable, List, Mapping, Optional, Sequence, Union

from . import _core

__version__: str = _core.version

__all__ = [
    "CalculationError",
    "CapacityResult",
    "Error",
    "InputError",
    "InputWarning",
    "ResultFile",
    "ResultFileError",
    "ResultWarning",
    "Run",
    "SensitivityResult",
    "Solution",
    "SolveError",
    "StudyResult",
    "SweepResult",
    "__version__",
    "capacity",
    "defaults",
    "fields",
    "read_data_file",
    "read_result_file",
    "run",
    "sensitivity",
    "solve",
    "sweep",
]

InputValue = Union[float, int, str]
PathLike = Union[str, "os.PathLike[str]"]

SERIES_MODES = ("written", "rescue", "stable")
MAX_JOBS = 1024  # threads of one sweep, as meltsim-cli sweep --jobs allows

_SYMBOLS: List[str] = [entry["symbol"] for entry in _core.field_table()]
_EDITABLE: List[bool] = [entry["editable"] for entry in _core.field_table()]


class Error(Exception):
    """Base class of the errors of meltsim."""

    def __init__(self, message: str) -> None:
        super().__init__(message)
        self.message = message


class InputError(Error, ValueError):
    """An input was refused: the exact message of the input checks, e.g.
    "Value of Screw Diameter is not correct" or "Input value is not correct!",
    or of the data file rules ("Data file can not open!").

    ``symbol`` names the refused field ("D", ..., "SaveFileName"), or is None
    where the message is about no single field (a data file)."""

    def __init__(self, message: str, symbol: Optional[str] = None) -> None:
        super().__init__(message)
        self.symbol = symbol


class CalculationError(Error, RuntimeError):
    """The calculation failed (a floating-point fault, an iteration that did
    not settle).

    ``message`` is the text the window shows, ``step`` the step being computed
    (1 for the first), ``flight`` its FLIGHT in turns, and ``run`` the partial
    ``Run`` with the rows recorded before the failure (its summary is empty).
    """

    def __init__(self, message: str, step: Optional[int], flight: Optional[float],
                 run: "Run") -> None:
        super().__init__(message)
        self.step = step
        self.flight = flight
        self.run = run


class ResultFileError(Error):
    """A file that cannot be read as a result file: the reader's message."""


class InputWarning(UserWarning):
    """A fixed line of a data file was ignored (give all_fields=True to take it)."""


class ResultWarning(UserWarning):
    """A result deserves a second look (the warnings the command line prints)."""


def _require_pandas() -> Any:
    try:
        import pandas  # noqa: PLC0415 - optional dependency, imported when asked for
    except ImportError as error:
        raise ImportError(
            "to_dataframe() needs pandas, which is not installed "
            "(Debian: apt install python3-pandas)") from error
    return pandas


class Run:
    """One finished run (or, as ``CalculationError.run``, the rows before a failure).

    Attributes:
        rows: one float64 array per result column, keyed FLIGHT, DEPTH, XW, QSQT,
            TB, T121, TAV, FILM, PSAIINV, PTOT, PVIS; one element per recorded
            step, at full precision.
        summary: PTOTAL, PTOT, PVIS, PPRE, PSCREW, VSZ0, VSZ, SBAP, TAVM,
            TSAVSTEP, QSQT (empty for a failed calculation).
        nstep: the number of recorded steps.
        end: how the march ended, as the command line's JSON "marchEnd" says it
            ("solid ratio below 3 %", "end of the screw", ...).
        status: "ok" (solved and physical) or "warning" (a result with a
            warning); a failed calculation raises instead.
        notices: the calculation's notices, in order.
        warnings: warnings on suspect results, in order.
        notes: what the series mode did for the run (a step computed again
            with the converged series sums), in order; not a doubt on the results.
        accounting: unsolved_steps (steps whose film was not solved),
            rescued_at_step (or None), wide_bed_steps (X/W above 1) and
            recomputed (computed again from the first step).
        inputs: the 31 converted inputs by symbol, and SaveFileName.
        series: the series mode, "written", "rescue" or "stable".
    """

    def __init__(self, native: _core.NativeRun) -> None:
        self._native = native
        self.rows: Dict[str, Any] = native.rows()
        self.summary: Dict[str, float] = native.summary()
        self.nstep: int = native.nstep
        self.end: str = native.end
        self.status: str = native.status
        self.notices: List[str] = native.notices
        self.warnings: List[str] = native.warnings
        self.notes: List[str] = native.notes
        self.accounting: Dict[str, Any] = native.accounting
        self.inputs: Dict[str, Union[float, str]] = native.inputs()
        self.series: str = native.series

    def result_file_bytes(self) -> bytes:
        """The bytes of the result file, as ``meltsim-cli run -o FILE`` writes them
        for the same inputs (the input section alone after a failed calculation)."""
        return self._native.result_file()

    def write_result_file(self, path: PathLike) -> None:
        """Writes the result file to ``path``, byte for byte as ``meltsim-cli run -o path``."""
        with open(os.fspath(path), "wb") as file:
            file.write(self.result_file_bytes())

    def to_dataframe(self) -> Any:
        """The rows as a pandas DataFrame, one column per result column."""
        return _require_pandas().DataFrame(self.rows)

    def __repr__(self) -> str:
        return (f"<meltsim.Run nstep={self.nstep} end={self.end!r} series={self.series!r} "
                f"status={self.status!r}>")


class ResultFile:
    """A result file read back: its inputs, its table and its summary.

    ``rows`` holds the numbers as printed in the table (FLIGHT with 2 decimals,
    ...), ``input_texts`` the value texts of the input section, ``inputs`` those
    converted (SaveFileName is the file's name), ``summary`` the numbers of the
    summary lines and ``summary_lines`` those lines as written.
    """

    def __init__(self, contents: Dict[str, Any]) -> None:
        self.input_texts: Dict[str, str] = contents["input_texts"]
        self.inputs: Dict[str, Union[float, str]] = contents["inputs"]
        self.rows: Dict[str, Any] = contents["rows"]
        self.summary: Dict[str, float] = contents["summary"]
        self.summary_lines: List[str] = contents["summary_lines"]
        self.nstep: int = len(self.rows["FLIGHT"])

    def to_dataframe(self) -> Any:
        """The table as a pandas DataFrame."""
        return _require_pandas().DataFrame(self.rows)

    def __repr__(self) -> str:
        return f"<meltsim.ResultFile nstep={self.nstep}>"


class SweepResult:
    """The rows of a parameter study, one per case in grid order, as columns.

    The columns are those of the CSV of ``meltsim-cli sweep``: case (1-based),
    the varied symbols, status ("ok", "input error", "calculation error"),
    message, NSTEP, end, QSQT, FLIGHT, PTOTAL, PTOT, PVIS, PPRE, PSCREW, TAVM,
    VSZ, notices, series, warnings. Numbers are NumPy arrays (NaN where the CSV
    cell is empty: a case that did not finish has no results), texts are lists
    (end is None without results), notices and warnings lists of lists.
    """

    def __init__(self, columns: Dict[str, Any], varied: Sequence[str]) -> None:
        self.columns: Dict[str, Any] = columns
        self.varied: List[str] = list(varied)

    def __len__(self) -> int:
        return len(self.columns["case"])

    def __getitem__(self, column: str) -> Any:
        return self.columns[column]

    def keys(self) -> List[str]:
        """The column names, in CSV order."""
        return list(self.columns)

    def to_dataframe(self) -> Any:
        """The columns as a pandas DataFrame."""
        return _require_pandas().DataFrame(self.columns)

    def __repr__(self) -> str:
        ok = sum(1 for status in self.columns["status"] if status == "ok")
        return f"<meltsim.SweepResult {len(self)} cases, {ok} ok, varied {self.varied}>"


def _symbol_index(symbol: str) -> int:
    if not isinstance(symbol, str):
        raise TypeError(f"an input symbol is a text, not {type(symbol).__name__}")
    name = symbol.upper()
    if name not in _SYMBOLS:
        raise ValueError(f"unknown input symbol {symbol!r}; the symbols are {' '.join(_SYMBOLS)}")
    return _SYMBOLS.index(name)


def _is_number(value: Any) -> bool:
    # bool is an int to Python, but True as a screw diameter is a mistake.
    return isinstance(value, numbers.Real) and not isinstance(value, bool)


def _field_text(symbol: str, value: Any) -> str:
    if isinstance(value, str):
        return value
    if _is_number(value):
        return _core.value_text(float(value))
    raise TypeError(f"the input {symbol} must be a number or a text, not {type(value).__name__}")


def _check_series(series: str) -> str:
    if not isinstance(series, str) or series.lower() not in SERIES_MODES:
        raise ValueError(f"series must be one of {', '.join(SERIES_MODES)}, got {series!r}")
    return series.lower()


def _apply_data_file(texts: List[str], datafile: PathLike, all_fields: bool) -> None:
    name = os.fspath(datafile)
    values = read_data_file(name)
    for i, symbol in enumerate(_SYMBOLS):
        if _EDITABLE[i] or all_fields:
            texts[i] = values[symbol]
            continue
        file_value = _core.convert_number(values[symbol])
        fixed_text = _core.default_texts()[i]
        if file_value is None or file_value != _core.convert_number(fixed_text):
            _warnings.warn(InputWarning(
                f'line {i + 1} of "{name}" ({symbol} = {values[symbol]}) is ignored; the run '
                f"uses the fixed value {fixed_text} (give all_fields=True to take it)"),
                stacklevel=4)


def _field_texts(datafile: Optional[PathLike], all_fields: bool,
                 assignments: Iterable[Mapping[str, Any]]) -> List[str]:
    """The default texts, then the data file (its fixed lines only with
    all_fields), then each mapping of symbol -> number or text in turn."""
    texts = _core.default_texts()
    if datafile is not None:
        _apply_data_file(texts, datafile, all_fields)
    for mapping in assignments:
        for symbol, value in mapping.items():
            texts[_symbol_index(symbol)] = _field_text(symbol, value)
    return texts


def run(inputs: Optional[Mapping[str, InputValue]] = None, *, datafile: Optional[PathLike] = None,
        all_fields: bool = False, series: str = "rescue", **symbols: InputValue) -> Run:
    """Runs the model once and returns the ``Run``.

    The 31 inputs start from the window's defaults; ``datafile`` (a data file
    of 31 lines "label = value") replaces the editable ones, and the fixed
    polymer lines 15 to 27 too when ``all_fields`` is true; then ``inputs``
    (a dict symbol -> value) and the keywords (``RPM=60`` or ``RPM="60.0"``)
    set single fields. Symbols are those of ``fields()``, in any case.

    ``series`` chooses how the solid bed series is evaluated: "rescue" (the
    default), "written" or "stable", as ``meltsim-cli run --series``.

    Raises ``InputError`` with the message of the input checks when an input is
    refused, and ``CalculationError`` (with the partial run) when the
    calculation fails. Warnings on suspect results are issued as
    ``ResultWarning`` and kept in ``Run.warnings``. The GIL is released while the
    model runs, so runs in several Python threads go on at once.
    """
    mode = _check_series(series)
    texts = _field_texts(datafile, all_fields, [inputs or {}, symbols])
    native = _core.simulate(texts, _core.default_save_file_name, mode)  # raises InputError
    result = Run(native)
    if native.status == "calculation error":
        raise CalculationError(native.message, native.failure_step, native.failure_flight, result)
    for warning in result.warnings:
        _warnings.warn(ResultWarning(warning), stacklevel=2)
    return result


def _axis_values(symbol: str, values: Any) -> List[float]:
    if isinstance(values, str):
        raise TypeError(f"the values of {symbol} must be numbers, not a text")
    if _is_number(values):
        return [float(values)]
    listed = list(values)
    for value in listed:
        if not _is_number(value):
            raise TypeError(f"the values of {symbol} must be numbers, got {value!r}")
    if not listed:
        raise ValueError(f"no values to vary {symbol} over")
    return [float(value) for value in listed]


def sweep(vary: Mapping[str, Any], jobs: Optional[int] = None, *,
          datafile: Optional[PathLike] = None, all_fields: bool = False,
          series: str = "rescue", **fixed: InputValue) -> SweepResult:
    """Runs a parameter study: one calculation per point of the grid of ``vary``.

    ``vary`` maps each varied symbol to its values (a list, a NumPy array, a
    range); the first key is the outermost loop and the last varies fastest,
    as the ``--vary`` options of ``meltsim-cli sweep``. The other inputs come
    from the defaults, ``datafile`` (with ``all_fields`` as for ``run``) and
    the ``fixed`` keywords. ``jobs`` threads run the cases (default: every
    core) in C++ with the GIL released; Ctrl+C stops the study.

    Every case is checked like GO: a refused input, a failed or unconverged
    calculation is a row with its status and message, never an exception.
    Returns the ``SweepResult`` with the columns of the sweep's CSV.
    """
    mode = _check_series(series)
    if jobs is not None and (not isinstance(jobs, int) or isinstance(jobs, bool)
                             or not 1 <= jobs <= MAX_JOBS):
        raise ValueError(f"jobs must be a whole number from 1 to {MAX_JOBS}, got {jobs!r}")
    axes = []
    for symbol, values in vary.items():
        name = _SYMBOLS[_symbol_index(symbol)]
        if any(name == varied for varied, _ in axes):
            raise ValueError(f"{name} is varied twice")
        axes.append((name, _axis_values(name, values)))
    varied = [name for name, _ in axes]
    for symbol in fixed:
        if _SYMBOLS[_symbol_index(symbol)] in varied:
            raise ValueError(f"{symbol.upper()} is both varied and fixed")
    texts = _field_texts(datafile, all_fields, [fixed])
    importer = _import_numpy_meanwhile()
    try:
        rows = _core.run_sweep(texts, axes, mode, jobs or 0)
    finally:
        if importer is not None:
            importer.join()  # before the first array is made
    return SweepResult(rows.columns(), varied)


def _import_numpy_meanwhile() -> Optional[threading.Thread]:
    """The columns are NumPy arrays: in a fresh interpreter NumPy is imported
    on a thread of its own while the cases run without the GIL, rather than
    after them (a tenth of a second of a thousand-case study). A failed import
    shows when the columns are made."""
    if "numpy" in sys.modules:
        return None

    def import_numpy() -> None:
        try:
            importlib.import_module("numpy")
        except ImportError:
            pass

    thread = threading.Thread(target=import_numpy, name="meltsim-numpy-import", daemon=True)
    thread.start()
    return thread


def read_data_file(path: PathLike) -> Dict[str, str]:
    """Reads a data file as the window's Read Data File does: the value text of
    each of the 31 lines, by symbol (the text after the first "=", without
    leading blanks, up to the next blank). Raises ``InputError`` with the
    window's message: "Data file can not open!" or
    '"<path>" is not a correct data file!'."""
    return dict(zip(_SYMBOLS, _core.read_data_file(os.fspath(path))))


def read_result_file(path: PathLike) -> ResultFile:
    """Reads a result file back (inputs, table, summary). Raises
    ``ResultFileError`` with the reader's message when it is not one."""
    return ResultFile(_core.read_result_file(os.fspath(path)))


def defaults() -> Dict[str, float]:
    """The default number of each of the 31 inputs, by symbol."""
    return {entry["symbol"]: entry["default"] for entry in _core.field_table()}


def fields() -> List[Dict[str, Any]]:
    """The 31 inputs in the order of the data file's lines: symbol, label (the
    window's label, e.g. "Screw Diameter (cm)"), unit ("cm", "-" for a pure
    number), default (the number) and editable (False for the fixed polymer
    data, which a data file sets only with all_fields)."""
    return [{"symbol": entry["symbol"], "label": entry["label"], "unit": entry["unit"],
             "default": entry["default"], "editable": entry["editable"]}
            for entry in _core.field_table()]


# The engineering studies (goal seek, capacity, sensitivity) build on the above.
from ._studies import (CapacityResult, SensitivityResult, Solution, SolveError,  # noqa: E402
                       StudyResult, capacity, sensitivity, solve)
