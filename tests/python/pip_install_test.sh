#!/usr/bin/env bash
# The Python package as a pip user gets it, offline from Debian's packages:
# a venv with the system's site packages (NumPy, scikit-build), then
#   pip install --no-build-isolation <checkout>
# and the module imported outside the source tree, also under a comma
# locale; `pip wheel` makes a wheel that declares NumPy and the extras.
#   pip_install_test.sh SOURCE_DIR WORK_DIR PYTHON MELTSIM_CLI GOLDEN_DEFAULT_RESULT
# The checkout is copied to WORK_DIR/src first (the build's scratch folder
# _skbuild stays there between runs, so a second run builds only what
# changed); WORK_DIR/venv is made afresh each time.
set -euo pipefail
source_dir="$(realpath "$1")"
work="$2"
python="$3"
cli="$(realpath "$4")"
golden="$(realpath "$5")"

source "$(dirname "${BASH_SOURCE[0]}")/../support/checks.sh"

mkdir -p "$work/src"
work="$(realpath "$work")"
find "$work/src" -mindepth 1 -maxdepth 1 ! -name _skbuild -exec rm -rf {} +
tar -C "$source_dir" --exclude='./build*' --exclude=./_skbuild --exclude=./.git \
  --exclude='*.egg-info' -cf - . | tar -C "$work/src" -xf -
if command -v ccache >/dev/null; then
  export CMAKE_CXX_COMPILER_LAUNCHER=ccache
fi

# --- install into a fresh venv -------------------------------------------------
rm -rf "$work/venv" "$work/outside" "$work/wheels"
"$python" -m venv --system-site-packages "$work/venv"
if ! "$work/venv/bin/pip" install --no-build-isolation "$work/src" >"$work/pip-install.log" 2>&1; then
  cat "$work/pip-install.log" >&2
  echo "FAIL: pip install --no-build-isolation could not build and install the package" >&2
  exit 1
fi

# --- the module, outside the source tree ---------------------------------------
mkdir -p "$work/outside"
cd "$work/outside"
venv_python="$work/venv/bin/python"
# The default run records as many steps as the stored default result file has rows.
golden_rows="$(awk '/TOT +VIS/ {table = 1; next} table && /^\r?$/ {exit} table {n++} END {print n}' "$golden")"
check "the stored default result has $golden_rows rows, not 96" test "$golden_rows" -eq 96
nstep="$("$venv_python" -c "import meltsim; print(meltsim.run().nstep)")"
check "meltsim.run().nstep gives $nstep, not $golden_rows" test "$nstep" = "$golden_rows"
where="$("$venv_python" -c "import meltsim; print(meltsim.__file__)")"
check "meltsim imported from $where, not the venv" \
  test "$where" = "$("$venv_python" -c "import sysconfig; print(sysconfig.get_path('purelib'))")/meltsim/__init__.py"

# Under a comma locale the same bytes as the command line in the C locale.
LC_ALL=C "$cli" run --set RPM=60.5 -o "$work/outside/cli-60.5.txt" >/dev/null 2>&1
comma_run='
import locale, sys
locale.setlocale(locale.LC_ALL, "de_DE.UTF-8")
import meltsim
run = meltsim.run(RPM=60.5)
print(run.nstep)
open(sys.argv[1], "wb").write(run.result_file_bytes())
'
if "$venv_python" -c "$comma_run" "$work/outside/python-60.5.txt" >"$work/comma.log" 2>&1; then
  check "meltsim.run(RPM=60.5) under de_DE.UTF-8 differs from the command line in C" \
    cmp -s "$work/outside/cli-60.5.txt" "$work/outside/python-60.5.txt"
else
  fail "meltsim.run(RPM=60.5) under de_DE.UTF-8: $(tail -n 1 "$work/comma.log")"
fi

# --- a wheel ---------------------------------------------------------------------
if "$work/venv/bin/pip" wheel --no-build-isolation --no-deps -w "$work/wheels" "$work/src" \
  >"$work/pip-wheel.log" 2>&1; then
  wheel="$(ls "$work/wheels"/meltsim-*.whl)"
  listing="$("$venv_python" -m zipfile -l "$wheel")"
  check "the wheel has no compiled module" grep -q 'meltsim/_core\..*\.so' <<<"$listing"
  check "the wheel has no type stubs" grep -q 'meltsim/py.typed' <<<"$listing"
  metadata="$("$venv_python" - "$wheel" <<'PY'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as wheel:
    name = next(n for n in wheel.namelist() if n.endswith(".dist-info/METADATA"))
    print(wheel.read(name).decode())
PY
)"
  check "the wheel does not require numpy" grep -qx 'Requires-Dist: numpy' <<<"$metadata"
  check "the wheel has no pandas extra" grep -qx 'Provides-Extra: pandas' <<<"$metadata"
  check "the wheel has no matplotlib extra" grep -qx 'Provides-Extra: matplotlib' <<<"$metadata"
else
  cat "$work/pip-wheel.log" >&2
  fail "pip wheel could not build the wheel"
fi

checks_summary
