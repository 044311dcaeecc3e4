"""The worked study of docs/python.md runs as written and prints the table the
page shows, so the page stays in step with the model."""

import re
import subprocess
import sys
from pathlib import Path

import pytest

DOC = Path(__file__).resolve().parents[2] / "docs" / "python.md"


def study_blocks():
    """The study's code and the table printed under it: the first python block
    and the first plain block after the heading of the worked study."""
    text = DOC.read_text(encoding="utf-8")
    study = text[text.index("## A worked study"):]
    code = re.search(r"```python\n(.*?)```", study, re.S)
    table = re.search(r"```\n(.*?)```", study[code.end():], re.S)
    return code.group(1), table.group(1)


def test_the_worked_study_prints_the_table_of_the_page(tmp_path):
    code, table = study_blocks()
    done = subprocess.run([sys.executable, "-c", code], cwd=tmp_path, capture_output=True,
                          text=True, timeout=300, check=False)
    assert done.returncode == 0, done.stderr
    assert done.stdout == table


def test_the_worked_study_draws_its_plot(tmp_path):
    pytest.importorskip("matplotlib")
    code, _ = study_blocks()
    subprocess.run([sys.executable, "-c", code], cwd=tmp_path, capture_output=True, timeout=300,
                   check=True)
    # A PNG file starts with these eight bytes (the PNG signature).
    assert (tmp_path / "melting-length.png").read_bytes()[:8] == b"\x89PNG\r\n\x1a\n"
