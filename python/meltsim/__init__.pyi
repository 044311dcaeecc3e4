# Types of the public API of meltsim (the docstrings are in __init__.py).
import os
from typing import Any, Dict, List, Mapping, Optional, Sequence, Union

import numpy as np
import numpy.typing as npt

from . import _core

__version__: str
SERIES_MODES: tuple[str, ...]
MAX_JOBS: int

InputValue = Union[float, int, str]
PathLike = Union[str, os.PathLike[str]]
_FloatArray = npt.NDArray[np.float64]

class Error(Exception):
    message: str
    def __init__(self, message: str) -> None: ...

class InputError(Error, ValueError):
    symbol: Optional[str]
    def __init__(self, message: str, symbol: Optional[str] = ...) -> None: ...

class CalculationError(Error, RuntimeError):
    step: Optional[int]
    flight: Optional[float]
    run: Run
    def __init__(
        self, message: str, step: Optional[int], flight: Optional[float], run: Run
    ) -> None: ...

class ResultFileError(Error): ...
class InputWarning(UserWarning): ...
class ResultWarning(UserWarning): ...

class Run:
    rows: Dict[str, _FloatArray]
    summary: Dict[str, float]
    nstep: int
    end: str
    status: str
    notices: List[str]
    warnings: List[str]
    notes: List[str]
    accounting: Dict[str, Any]
    inputs: Dict[str, Union[float, str]]
    series: str
    def __init__(self, native: _core.NativeRun) -> None: ...
    def result_file_bytes(self) -> bytes: ...
    def write_result_file(self, path: PathLike) -> None: ...
    def to_dataframe(self) -> Any: ...

class ResultFile:
    input_texts: Dict[str, str]
    inputs: Dict[str, Union[float, str]]
    rows: Dict[str, _FloatArray]
    summary: Dict[str, float]
    summary_lines: List[str]
    nstep: int
    def __init__(self, contents: Dict[str, Any]) -> None: ...
    def to_dataframe(self) -> Any: ...

class SweepResult:
    columns: Dict[str, Any]
    varied: List[str]
    def __init__(self, columns: Dict[str, Any], varied: Sequence[str]) -> None: ...
    def __len__(self) -> int: ...
    def __getitem__(self, column: str) -> Any: ...
    def keys(self) -> List[str]: ...
    def to_dataframe(self) -> Any: ...

def run(
    inputs: Optional[Mapping[str, InputValue]] = None,
    *,
    datafile: Optional[PathLike] = None,
    all_fields: bool = False,
    series: str = "rescue",
    **symbols: InputValue,
) -> Run: ...
def sweep(
    vary: Mapping[str, Any],
    jobs: Optional[int] = None,
    *,
    datafile: Optional[PathLike] = None,
    all_fields: bool = False,
    series: str = "rescue",
    **fixed: InputValue,
) -> SweepResult: ...
def read_data_file(path: PathLike) -> Dict[str, str]: ...
def read_result_file(path: PathLike) -> ResultFile: ...
def defaults() -> Dict[str, float]: ...
def fields() -> List[Dict[str, Any]]: ...

# The engineering studies.
Target = Union[str, tuple[str, float], Mapping[str, float]]

class StudyResult:
    columns: Dict[str, Any]
    units: Dict[str, str]
    runs: int
    def __init__(self, columns: Dict[str, Any], units: Dict[str, str], runs: int) -> None: ...
    def __len__(self) -> int: ...
    def __getitem__(self, column: str) -> Any: ...
    def keys(self) -> List[str]: ...
    def to_dataframe(self) -> Any: ...

class CapacityResult(StudyResult): ...

class SensitivityResult(StudyResult):
    base: Dict[str, Optional[float]]
    base_status: str
    base_message: str
    def __init__(self, native: Dict[str, Any]) -> None: ...

class SolveError(Error):
    outcome: str
    low: float
    high: float
    at_low: Optional[float]
    at_high: Optional[float]
    def __init__(
        self,
        message: str,
        outcome: str,
        low: float,
        high: float,
        at_low: Optional[float],
        at_high: Optional[float],
    ) -> None: ...

class Solution:
    symbol: str
    quantity: str
    target: float
    value: float
    achieved: Optional[float]
    other_value: float
    other_achieved: Optional[float]
    step_turns: float
    answer: str
    details: str
    status: str
    runs: Dict[str, Any]
    run: Run

def solve(
    find: str,
    target: Target,
    within: Optional[Sequence[float]] = None,
    *,
    datafile: Optional[PathLike] = None,
    all_fields: bool = False,
    series: str = "rescue",
    jobs: Optional[int] = None,
    **fixed: InputValue,
) -> Solution: ...
def capacity(
    vary: Optional[Mapping[str, Any]] = None,
    by: Optional[float] = None,
    jobs: Optional[int] = None,
    *,
    datafile: Optional[PathLike] = None,
    all_fields: bool = False,
    series: str = "rescue",
    **fixed: InputValue,
) -> CapacityResult: ...
def sensitivity(
    step: float = 5.0,
    jobs: Optional[int] = None,
    *,
    datafile: Optional[PathLike] = None,
    all_fields: bool = False,
    series: str = "rescue",
    **fixed: InputValue,
) -> SensitivityResult: ...
