"""The field table, the version and the readers of data and result files."""

import os

import pytest

import meltsim
from cli_reference import cli_error, cli_json, run_cli, write_data_file


def test_fields_follow_the_command_line_inputs(tmp_path):
    fields = meltsim.fields()
    reference = cli_json(tmp_path)["inputs"]
    reference.pop("SaveFileName")
    # The JSON's inputs list the 31 symbols in field order with the default numbers.
    assert [f["symbol"] for f in fields] == list(reference)
    assert {f["symbol"]: f["default"] for f in fields} == reference == meltsim.defaults()
    # Lines 15 to 27 of a data file, the polymer data, are the fixed fields (docs/cli.md).
    assert [i + 1 for i, f in enumerate(fields) if not f["editable"]] == list(range(15, 28))
    by_symbol = {f["symbol"]: f for f in fields}
    # Labels as the window shows them (its label "  Screw Diameter (cm) :").
    assert by_symbol["D"]["label"] == "Screw Diameter (cm)"
    # Units from the field help table: a unit per field, matched by symbol, not by position.
    units = {symbol: by_symbol[symbol]["unit"] for symbol in ["D", "RPM", "OUTPUT", "TM", "SBAP"]}
    assert units == {"D": "cm", "RPM": "1/min", "OUTPUT": "kg/hr", "TM": "\u2103", "SBAP": "-"}
    assert all(f["unit"] for f in fields)


def test_version_is_the_programs():
    done = run_cli("--version")
    assert done.returncode == 0
    assert done.stdout.split()[-1] == meltsim.__version__  # "meltsim-cli 1.2.0"
    expected = os.environ.get("MELTSIM_PROJECT_VERSION")  # project() of CMake, set by ctest
    if expected:
        assert meltsim.__version__ == expected


def test_read_data_file_applies_the_data_file_rules(tmp_path):
    # The value is the text after the first "=", without leading blanks, up to the next blank.
    path = write_data_file(tmp_path / "data.txt", {"RPM": "  45.0 rpm = fast", "OUTPUT": "3e2"})
    texts = meltsim.read_data_file(path)
    assert list(texts) == [f["symbol"] for f in meltsim.fields()]
    assert (texts["RPM"], texts["OUTPUT"], texts["D"]) == ("45.0", "3e2", "15.0")

    no_equals = tmp_path / "notes.txt"
    no_equals.write_text("just a note\n")
    missing = tmp_path / "missing.txt"
    for path in (no_equals, missing):
        with pytest.raises(meltsim.InputError) as caught:
            meltsim.read_data_file(path)
        assert caught.value.message == cli_error(path)  # the window's messages, as the CLI prints
        with pytest.raises(meltsim.InputError):
            meltsim.run(datafile=path)
    assert cli_error(missing) == "Data file can not open!"


def test_read_result_file_gives_back_the_run(tmp_path):
    run = meltsim.run()
    path = tmp_path / "result.txt"
    run.write_result_file(path)
    read = meltsim.read_result_file(path)
    assert read.nstep == run.nstep
    inputs = dict(read.inputs)
    assert inputs.pop("SaveFileName") == str(path)
    run_inputs = dict(run.inputs)
    run_inputs.pop("SaveFileName")
    assert inputs == run_inputs  # every default prints exactly in its format
    assert read.input_texts["D"] == "15.0"  # 5 digits, 1 decimal: the input section's format
    # The table prints FLIGHT with 2 decimals and QS/QT with 3 (the result columns).
    for symbol, decimals in (("FLIGHT", 2), ("QSQT", 3)):
        for printed, exact in zip(read.rows[symbol], run.rows[symbol]):
            assert abs(printed - exact) <= 0.5 * 10**-decimals + 1e-12
    assert abs(read.summary["QSQT"] - run.summary["QSQT"]) <= 0.0005
    assert read.summary_lines[7].startswith("Final solid ratio = ")

    not_result = tmp_path / "data.txt"
    write_data_file(not_result, {})
    with pytest.raises(meltsim.ResultFileError, match=f"^{not_result} is not a result file: "):
        meltsim.read_result_file(not_result)
