"""meltsim.run against `meltsim-cli run`: the numbers, the result file, the
errors and the data file rules."""

import math
import subprocess
import sys
import warnings as _warnings

import pytest

import meltsim
from cli_reference import (assert_rows_equal, cli_error, cli_json, run_cli, write_data_file)

# Runs off the default point warn of suspect steps; the tests compare the
# warnings with the command line's instead.
pytestmark = pytest.mark.filterwarnings("ignore::meltsim.ResultWarning")


def test_default_run_matches_the_command_line_json(tmp_path):
    run = meltsim.run()
    reference = cli_json(tmp_path)
    # 96 rows: the default run of the README and of the command line's NSTEP.
    assert run.nstep == 96 == reference["NSTEP"]
    assert_rows_equal(run.rows, reference["rows"])
    assert list(run.rows) == list(reference["rows"][0])  # the result columns, in order
    assert run.summary == reference["summary"]
    assert run.end == reference["marchEnd"]
    assert run.notices == reference["notices"]
    assert run.warnings == reference["warnings"]
    assert run.series == reference["series"] == "rescue"
    inputs = dict(run.inputs)
    assert inputs.pop("SaveFileName") == "result.txt"  # the window's default name
    reference["inputs"].pop("SaveFileName")
    assert inputs == reference["inputs"]


def test_numbers_and_texts_reach_the_fields_as_the_command_line_gives_them(tmp_path):
    reference = cli_json(tmp_path, "--set", "RPM=60", "--set", "OUTPUT=350")
    for run in (meltsim.run(RPM=60, OUTPUT=350.0), meltsim.run({"rpm": "60.0", "OUTPUT": "350"}),
                meltsim.run({"RPM": 1}, rpm=60, OUTPUT=350)):  # keywords after the dict
        assert_rows_equal(run.rows, reference["rows"])
        assert run.summary == reference["summary"]
        assert run.warnings == reference["warnings"]
    # 17 significant digits give the same double back, however many it needs.
    value = 38.123456789012345
    assert meltsim.run(RPM=value).inputs["RPM"] == value


def test_write_result_file_gives_the_bytes_of_the_command_line(tmp_path):
    for args, symbols in ([], {}), (["--set", "RPM=60", "--set", "TS0=45"], {"RPM": 60, "TS0": 45}):
        cli_file = tmp_path / "cli.txt"
        assert run_cli("run", *args, "-o", cli_file).returncode == 0
        run = meltsim.run(**symbols)
        run.write_result_file(tmp_path / "py.txt")
        assert (tmp_path / "py.txt").read_bytes() == cli_file.read_bytes()
        assert run.result_file_bytes() == cli_file.read_bytes()


def test_refused_inputs_raise_input_error_with_the_message_of_the_checks():
    cases = [({"D": 0}, ["--set", "D=0"]),            # a check of the input set
             ({"D": "15,0"}, ["--set", "D=15,0"]),    # the input grammar
             ({"KS": -1e-5}, ["--set", "KS=-1e-5"])]  # a check late in the order
    for symbols, args in cases:
        with pytest.raises(meltsim.InputError) as caught:
            meltsim.run(**symbols)
        assert caught.value.message == str(caught.value) == cli_error(*args)
        assert caught.value.symbol == next(iter(symbols))  # the field refused
    # The command line's own texts for the first two (the window's messages).
    assert cli_error("--set", "D=0") == "Value of Screw Diameter is not correct"
    assert cli_error("--set", "D=15,0") == "Input value is not correct!"
    assert issubclass(meltsim.InputError, ValueError)


def test_wrong_arguments_are_python_errors():
    with pytest.raises(ValueError, match="unknown input symbol 'SPEED'"):
        meltsim.run(SPEED=60)
    with pytest.raises(TypeError):
        meltsim.run(RPM=True)  # a bool is no number of revolutions
    with pytest.raises(TypeError):
        meltsim.run(RPM=[60])
    with pytest.raises(ValueError, match="series"):
        meltsim.run(series="fast")


def test_failed_calculation_carries_step_flight_and_the_rows_before_it(tmp_path):
    # RPM 50 does not converge at step 36 with the written series. Its film
    # gives up from step 17 on, where the rescue takes the converged sums, so
    # the rows before step 17 are the written ones.
    args = ["--set", "RPM=50"]
    with pytest.raises(meltsim.CalculationError) as caught:
        meltsim.run(RPM=50, series="written")
    error = caught.value
    assert error.message == cli_error(*args, "--series", "written")
    assert error.step == 36 and f"at step {error.step} " in error.message
    partial = error.run
    assert partial.nstep == error.step - 1  # one row per step before the failing one
    assert partial.summary == {} and partial.end == "not run"
    rescued = cli_json(tmp_path, *args)
    assert rescued["rescuedAtStep"] == 17
    first16 = {symbol: column[:16] for symbol, column in partial.rows.items()}
    assert_rows_equal(first16, rescued["rows"][:16])
    # A result file after a failure keeps its input section only, as the command line leaves it.
    cli_file = tmp_path / "cli.txt"
    assert run_cli("run", *args, "--series", "written", "-o", cli_file).returncode == 3
    assert partial.result_file_bytes() == cli_file.read_bytes()

    # The rescue is a note on a result that is ok, not a warning.
    with _warnings.catch_warnings():
        _warnings.simplefilter("error", meltsim.ResultWarning)
        run = meltsim.run(RPM=50)
    assert_rows_equal(run.rows, rescued["rows"])
    assert run.status == rescued["status"] == "ok"
    assert run.warnings == rescued["warnings"] == []
    assert run.notes == rescued["notes"] and len(run.notes) == 1
    assert run.accounting == {"unsolved_steps": 0, "rescued_at_step": 17, "wide_bed_steps": 0,
                              "recomputed": False}


def test_a_result_with_a_warning_says_so_in_its_status():
    # OUTPUT 900 on the default screw: the solid bed is wider than the channel.
    with pytest.warns(meltsim.ResultWarning, match="wider than the channel"):
        run = meltsim.run(OUTPUT=900)
    assert run.status == "warning"
    assert run.accounting["wide_bed_steps"] > 0


def test_data_file_takes_the_fixed_polymer_lines_only_with_all_fields(tmp_path):
    # Line 10 (RPM) is editable, line 27 (TM) one of the fixed polymer lines 15 to 27.
    path = write_data_file(tmp_path / "data.txt", {"RPM": "45.0", "TM": "250.0"})
    with pytest.warns(meltsim.InputWarning, match="line 27"):
        run = meltsim.run(datafile=path)
    assert (run.inputs["RPM"], run.inputs["TM"]) == (45.0, 265.0)  # 265: the fixed TM
    assert_rows_equal(run.rows, cli_json(tmp_path, path)["rows"])

    run = meltsim.run(datafile=path, all_fields=True, OUTPUT=250)
    assert (run.inputs["RPM"], run.inputs["TM"], run.inputs["OUTPUT"]) == (45.0, 250.0, 250.0)
    assert_rows_equal(run.rows, cli_json(tmp_path, path, "--all-fields", "--set", "OUTPUT=250")["rows"])


def test_to_dataframe_needs_pandas(monkeypatch):
    run = meltsim.run()
    monkeypatch.setitem(sys.modules, "pandas", None)  # import pandas then fails
    with pytest.raises(ImportError, match="pandas"):
        run.to_dataframe()


def test_to_dataframe_holds_the_rows():
    pytest.importorskip("pandas")
    run = meltsim.run()
    frame = run.to_dataframe()
    assert frame.shape == (run.nstep, 11)  # 11 result columns
    assert frame["FLIGHT"].tolist() == run.rows["FLIGHT"].tolist()


def test_numbers_do_not_depend_on_the_locale(tmp_path):
    # A comma locale set by the Python program: 60.5 still reaches its field as
    # a number, the messages write a point, the result file is the same bytes.
    script = (
        "import locale, sys, warnings\n"
        "import meltsim\n"
        "c = meltsim.run(RPM=60.5, OUTPUT=900)\n"
        "try:\n"
        "    locale.setlocale(locale.LC_ALL, 'de_DE.UTF-8')\n"
        "except locale.Error:\n"
        "    print('no locale'); sys.exit(0)\n"
        "assert locale.format_string('%.2f', 13.95) == '13,95'\n"
        "with warnings.catch_warnings():\n"
        "    warnings.simplefilter('ignore')\n"
        "    de = meltsim.run(RPM=60.5, OUTPUT=900)\n"
        "    study = meltsim.sweep({'RPM': [30.5, 40.25]})\n"
        "assert de.result_file_bytes() == c.result_file_bytes()\n"
        "assert de.warnings == c.warnings and de.warnings, de.warnings\n"
        "assert all(',' not in w.split('FLIGHT ')[1][:6] for w in de.warnings)\n"
        "assert list(study['status']) in (['ok', 'ok'], ['ok', 'warning'], ['warning', 'ok'],\n"
        "                                 ['warning', 'warning']), study['status']\n"
        "print('same')\n")
    done = subprocess.run([sys.executable, "-c", script], cwd=tmp_path, capture_output=True,
                          text=True, timeout=120, check=False)
    assert done.returncode == 0, done.stderr
    if done.stdout.strip() == "no locale":
        pytest.skip("no de_DE.UTF-8 locale (scripts/install-deps.sh makes it)")
    assert done.stdout.strip() == "same"
