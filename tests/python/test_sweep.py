"""meltsim.sweep against the CSV of `meltsim-cli sweep`, case for case."""

import csv
import math
import os
import signal
import subprocess
import sys
import threading
import time

import numpy as np
import pytest

import meltsim
from cli_reference import run_cli

# Number columns of the CSV; an empty cell is a case without results.
NUMBER_COLUMNS = ["NSTEP", "QSQT", "FLIGHT", "PTOTAL", "PTOT", "PVIS", "PPRE", "PSCREW", "TAVM",
                  "VSZ"]


def cli_sweep_rows(tmp_path, *args):
    out = tmp_path / "cli.csv"
    done = run_cli("sweep", *args, "-o", out)
    assert done.returncode == 0, done.stderr
    with open(out, newline="", encoding="utf-8") as file:
        return list(csv.DictReader(file))


def assert_same_as_csv(result, rows, varied):
    header = list(rows[0])
    assert result.keys() == header  # the same columns in the same order
    assert len(result) == len(rows)
    for i, row in enumerate(rows):
        assert result["case"][i] == int(row["case"])
        for symbol in varied:
            assert result[symbol][i] == float(row[symbol])
        for column in ["status", "message", "series"]:
            assert result[column][i] == row[column], (i, column)
        assert (result["end"][i] or "") == row["end"]
        for column in NUMBER_COLUMNS:
            value = result[column][i]
            if row[column] == "":
                assert math.isnan(value), (i, column)
            else:  # 17 significant digits in the CSV: the same double
                assert value == float(row[column]), (i, column)
        # The CSV joins the notices (and the warnings) of a case with "; ".
        assert "; ".join(result["notices"][i]) == row["notices"]
        assert "; ".join(result["warnings"][i]) == row["warnings"]


def test_sweep_equals_the_command_line_case_for_case(tmp_path):
    rows = cli_sweep_rows(tmp_path, "--vary", "RPM=30,38,60", "--vary", "OUTPUT=200:300:50")
    result = meltsim.sweep(vary={"RPM": [30, 38, 60], "OUTPUT": np.arange(200.0, 301.0, 50.0)})
    assert_same_as_csv(result, rows, ["RPM", "OUTPUT"])
    # RPM outermost: the first three cases share the first speed.
    assert result["RPM"].tolist()[:4] == [30, 30, 30, 38]
    assert any(result["warnings"])  # the grid holds cases with warnings (see the CSV)


def test_failed_cases_are_rows_with_status_and_message(tmp_path):
    # D=0 is refused by the checks; KS=0.00003 fails at step 84 with the written series.
    args = ["--vary", "D=0,15", "--vary", "KS=0.00003,0.00035", "--set", "RPM=38",
            "--series", "written"]
    rows = cli_sweep_rows(tmp_path, *args)
    result = meltsim.sweep({"D": [0, 15], "KS": [0.00003, 0.00035]}, 2, RPM=38, series="written")
    assert_same_as_csv(result, rows, ["D", "KS"])
    assert result["status"] == ["input error", "input error", "calculation error", "ok"]
    assert result["message"][0] == "Value of Screw Diameter is not correct"
    assert "at step 84" in result["message"][2]


def test_sweep_arguments_are_checked_before_any_case_runs():
    with pytest.raises(ValueError, match="unknown input symbol"):
        meltsim.sweep({"SPEED": [1, 2]})
    with pytest.raises(ValueError, match="varied twice"):
        meltsim.sweep({"RPM": [30], "rpm": [40]})
    with pytest.raises(ValueError, match="both varied and fixed"):
        meltsim.sweep({"RPM": [30]}, RPM=40)
    with pytest.raises(ValueError, match="no values"):
        meltsim.sweep({"RPM": []})
    with pytest.raises(TypeError):
        meltsim.sweep({"RPM": ["30"]})
    with pytest.raises(ValueError, match="jobs"):
        meltsim.sweep({"RPM": [30]}, jobs=0)
    assert len(meltsim.sweep({"RPM": 30})) == 1  # one number is a list of one, as in --vary


def test_a_fresh_interpreter_gets_numpy_columns(tmp_path):
    # There NumPy is imported while the cases run; the columns are arrays all the same.
    script = ("import meltsim\n"
              "study = meltsim.sweep({'RPM': [30, 38]})\n"
              "print(type(study['QSQT']).__module__, *study['NSTEP'].tolist())")
    done = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True,
                          timeout=120, check=True)
    rows = cli_sweep_rows(tmp_path, "--vary", "RPM=30,38")
    assert done.stdout.split() == ["numpy"] + [str(float(row["NSTEP"])) for row in rows]


def test_sweep_releases_the_gil():
    # While the sweep runs, another Python thread keeps ticking: with the GIL
    # held for the whole sweep, the longest pause would be the sweep itself.
    # A sweep of a second or more, so that a busy machine that leaves the
    # ticker waiting for a core now and then does not look like a held GIL.
    ticks = []
    done = threading.Event()

    def tick():
        while not done.is_set():
            ticks.append(time.perf_counter())
            time.sleep(0.005)

    ticker = threading.Thread(target=tick)
    ticker.start()
    start = time.perf_counter()
    meltsim.sweep({"OUTPUT": np.linspace(290.0, 310.0, 1500)}, jobs=2)
    duration = time.perf_counter() - start
    done.set()
    ticker.join()
    inside = [t for t in ticks if start <= t <= start + duration]
    gaps = np.diff([start, *inside, start + duration])
    assert gaps.max() < duration / 2


def test_ctrl_c_stops_a_long_sweep():
    timer = threading.Timer(0.3, os.kill, (os.getpid(), signal.SIGINT))
    start = time.perf_counter()
    timer.start()
    with pytest.raises(KeyboardInterrupt):
        # 20 000 cases: some 15 s on two cores (1000 take 0.8 s), far longer than the wait.
        meltsim.sweep({"RPM": np.linspace(36.0, 40.0, 200), "OUTPUT": np.linspace(295, 305, 100)})
    timer.join()
    assert time.perf_counter() - start < 10


def test_sweep_to_dataframe():
    pytest.importorskip("pandas")
    result = meltsim.sweep({"RPM": [30, 38]})
    frame = result.to_dataframe()
    assert list(frame.columns) == result.keys() and len(frame) == 2
