"""Helpers of the Python module's tests. The command line is the
reference: each test compares the module with what `meltsim-cli` prints or
writes for the same inputs. ctest sets MELTSIM_CLI to the built program and
PYTHONPATH to the built package."""

import json
import os
import subprocess
from pathlib import Path

import pytest


def cli_path() -> str:
    path = os.environ.get("MELTSIM_CLI")
    if not path:
        pytest.fail("MELTSIM_CLI must name the meltsim-cli to compare with (ctest sets it)")
    return path


def run_cli(*args, cwd=None) -> subprocess.CompletedProcess:
    return subprocess.run([cli_path(), *map(str, args)], cwd=cwd, capture_output=True,
                          text=True, timeout=300, check=False)


def cli_json(tmp_path: Path, *args) -> dict:
    """The --json document of `meltsim-cli run ARGS`; the run must finish."""
    out = tmp_path / "cli.json"
    done = run_cli("run", *args, "-o", tmp_path / "cli-result.txt", "--json", out)
    assert done.returncode == 0, done.stderr
    return json.loads(out.read_text())


def cli_error(*args) -> str:
    """The message `meltsim-cli run ARGS` prints on stderr when it refuses or
    fails: the first line of a refusal (the second names the field), the last
    line of a failed calculation (after its notices)."""
    done = run_cli("run", *args, "-o", os.devnull)
    assert done.returncode != 0, "the command line accepted the run"
    lines = done.stderr.strip().splitlines()
    return lines[0] if done.returncode == 1 else lines[-1]


def assert_rows_equal(rows: dict, json_rows: list) -> None:
    """The module's column arrays hold exactly the JSON's numbers (the JSON
    writes doubles so that they read back bit for bit)."""
    assert len(json_rows) == len(rows["FLIGHT"])
    for symbol, column in rows.items():
        assert [row[symbol] for row in json_rows] == column.tolist(), symbol


def write_data_file(path: Path, texts: dict) -> Path:
    """A data file of 31 lines "label = value": the given texts by symbol, the
    default numbers elsewhere (the label is free text to the reader)."""
    import meltsim

    lines = [f"{f['label']} = {texts.get(f['symbol'], repr(f['default']))}"
             for f in meltsim.fields()]
    path.write_bytes(("\r\n".join(lines) + "\r\n").encode())
    return path
