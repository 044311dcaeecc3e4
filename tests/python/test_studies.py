"""meltsim.solve, capacity and sensitivity against `meltsim-cli solve`,
`capacity` and `sensitivity`: the same tables, answers, result files and
refusals."""

import csv
import math
import os
import re
import signal
import subprocess
import sys
import threading
import time
from pathlib import Path

import numpy as np
import pytest

import meltsim
from cli_reference import run_cli


def cli_table(tmp_path, command, *args):
    out = tmp_path / f"{command}.csv"
    done = run_cli(command, *args, "-o", out)
    assert done.returncode == 0, done.stderr
    with open(out, newline="", encoding="utf-8") as file:
        return list(csv.DictReader(file)), done.stderr


def assert_same_table(result, rows):
    assert result.keys() == list(rows[0])  # the same columns in the same order
    assert len(result) == len(rows)
    for name in result.keys():
        for i, row in enumerate(rows):
            cell = result[name][i]
            if isinstance(cell, str):
                assert cell == row[name], (name, i)
            elif row[name] == "":
                assert math.isnan(cell), (name, i)
            else:
                # The CSV's numbers are the shortest texts that read back exactly.
                assert cell == float(row[name]), (name, i)


def test_capacity_is_the_table_of_the_command_line(tmp_path):
    rows, _ = cli_table(tmp_path, "capacity", "--vary", "RPM=30,45", "--set", "TS0=40")
    result = meltsim.capacity({"RPM": [30, 45]}, TS0=40)
    assert_same_table(result, rows)
    assert result.units["OUTPUT"] == "kg/hr" and result.units["status"] == ""
    assert 8 <= result.runs <= 2 * 60
    # More screw speed, more output melted.
    assert result["OUTPUT"][1] > result["OUTPUT"][0]


def test_capacity_by_a_position_and_where_nothing_melts(tmp_path):
    rows, _ = cli_table(tmp_path, "capacity", "--by", "4")
    result = meltsim.capacity(by=4)
    assert_same_table(result, rows)
    # Melting starts at NDELAY = 5 turns: nothing melts by turn 4.
    assert math.isnan(result["OUTPUT"][0])
    assert result["message"][0].startswith("nothing melts by FLIGHT 4.00")


def test_sensitivity_is_the_table_of_the_command_line(tmp_path):
    rows, stderr = cli_table(tmp_path, "sensitivity", "--step", "4")
    result = meltsim.sensitivity(4)
    assert_same_table(result, rows)
    assert result["symbol"][:1] and set(result["symbol"]) == {
        f["symbol"] for f in meltsim.fields() if f["editable"]}
    assert f"base run ({result.base_status}): MELTEND = {result.base['MELTEND']:.2f}" in stderr
    # The elasticity of each row from its own columns.
    for i in range(len(result)):
        minus, plus = result["MELTEND_minus"][i], result["MELTEND_plus"][i]
        if not math.isnan(result["MELTEND_elasticity"][i]):
            expected = (plus - minus) / result.base["MELTEND"] / (2 * 0.04)
            assert result["MELTEND_elasticity"][i] == pytest.approx(expected, rel=1e-12)


def test_sensitivity_with_all_fields_varies_the_polymer_too():
    result = meltsim.sensitivity(all_fields=True)
    assert len(result) == 31


def test_solve_gives_the_answer_and_the_result_file_of_the_command_line(tmp_path):
    out = tmp_path / "answer.txt"
    done = run_cli("solve", "--find", "OUTPUT", "--target", "MELTEND=20", "-o", out)
    assert done.returncode == 0, done.stderr
    solution = meltsim.solve("OUTPUT", "MELTEND=20")
    assert done.stdout == solution.answer + "\n"
    assert solution.run.result_file_bytes() == out.read_bytes()
    assert solution.achieved <= 20 < solution.other_achieved
    assert 20 - solution.achieved < solution.step_turns
    assert solution.run.rows["FLIGHT"][-1] == solution.achieved
    assert solution.details in done.stderr
    # The same search however the target is written.
    for target in [("MELTEND", 20), {"meltend": 20.0}]:
        assert meltsim.solve("output", target).value == solution.value


def test_no_solution_is_an_error_naming_the_range_and_its_ends(tmp_path):
    done = run_cli("solve", "--find", "OUTPUT", "--target", "MELTEND=30", "--within", "100:300",
                   "-o", tmp_path / "none.txt")
    assert done.returncode == 5
    with pytest.raises(meltsim.SolveError) as error:
        meltsim.solve("OUTPUT", "MELTEND=30", within=(100, 300))
    assert error.value.outcome == "no solution"
    assert (error.value.low, error.value.high) == (100, 300)
    assert error.value.at_low == pytest.approx(10.45) and error.value.at_high == pytest.approx(18.1)
    assert done.stderr.strip().splitlines()[-1] == error.value.message
    assert not (tmp_path / "none.txt").exists()


@pytest.mark.parametrize("call, error", [
    (lambda: meltsim.solve("OUTPUT", "MELTEND"), ValueError),
    (lambda: meltsim.solve("OUTPUT", "SPEED=3"), ValueError),
    (lambda: meltsim.solve("OUTPUT", ("MELTEND", "20")), TypeError),
    (lambda: meltsim.solve("OUTPUT", "MELTEND=20", within=(300, 100)), ValueError),
    (lambda: meltsim.solve("NOSUCH", "MELTEND=20"), ValueError),
    (lambda: meltsim.capacity({"OUTPUT": [100]}), ValueError),
    (lambda: meltsim.capacity({"RPM": [30]}, RPM=40), ValueError),
    (lambda: meltsim.capacity(jobs=0), ValueError),
    (lambda: meltsim.sensitivity(step=0), ValueError),
    (lambda: meltsim.sensitivity(series="fast"), ValueError),
])
def test_wrong_arguments_are_refused_before_anything_runs(call, error):
    with pytest.raises(error):
        call()


def test_refused_inputs_are_the_input_errors_of_go():
    with pytest.raises(meltsim.InputError, match="Value of Screw Diameter is not correct") as error:
        meltsim.capacity(D=-1)
    assert error.value.symbol == "D"
    with pytest.raises(meltsim.InputError, match="Input value is not correct!") as error:
        meltsim.sensitivity(RPM="fast")
    assert error.value.symbol == "RPM"


def test_ctrl_c_stops_a_long_capacity_study():
    timer = threading.Timer(0.3, os.kill, (os.getpid(), signal.SIGINT))
    start = time.perf_counter()
    timer.start()
    with pytest.raises(KeyboardInterrupt):
        # 200 searches of about ten runs each: far longer than the wait.
        meltsim.capacity({"RPM": np.linspace(30.0, 50.0, 200)})
    timer.join()
    assert time.perf_counter() - start < 10


def test_study_tables_to_dataframe():
    pytest.importorskip("pandas")
    frame = meltsim.capacity({"RPM": [38]}).to_dataframe()
    assert list(frame.columns) == ["RPM", "OUTPUT", "FLIGHT", "status", "message"]


def script_blocks():
    """The script of docs/python.md that draws the capacity curve and the map,
    and what the page says it prints."""
    text = (Path(__file__).resolve().parents[2] / "docs" / "python.md").read_text(encoding="utf-8")
    section = text[text.index("### A script that draws the capacity curve and the map"):]
    code = re.search(r"```python\n(.*?)```", section, re.S)
    printed = re.search(r"```\n(.*?)```", section[code.end():], re.S)
    return code.group(1), printed.group(1)


def test_the_studies_script_of_the_page_prints_what_it_shows_and_draws(tmp_path):
    pytest.importorskip("matplotlib")
    code, printed = script_blocks()
    done = subprocess.run([sys.executable, "-c", code], cwd=tmp_path, capture_output=True,
                          text=True, timeout=600, check=False)
    assert done.returncode == 0, done.stderr
    assert done.stdout == printed
    # A PNG file starts with these eight bytes (the PNG signature).
    assert (tmp_path / "studies.png").read_bytes()[:8] == b"\x89PNG\r\n\x1a\n"
