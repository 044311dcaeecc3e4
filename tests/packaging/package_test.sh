#!/usr/bin/env bash
# The Debian package as a user gets it: cpack builds it from the build folder
# into a scratch folder, and the checks read the .deb and the tree that
# `dpkg -x` unpacks from it, never the build folder.
#   package_test.sh BUILD_DIR VERSION LIBDIR GOLDEN_DEFAULT_RESULT [PYTHON]
# PYTHON, given when the build has the Python module, is the interpreter the
# module is built for.
set -euo pipefail
build="$(realpath "$1")"
version="$2"
libdir="$3"
golden="$(realpath "$4")"
python="${5:-}"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
source "$(dirname "${BASH_SOURCE[0]}")/../support/checks.sh"

# --- build the package -------------------------------------------------------
arch="$(dpkg --print-architecture)"
if ! (cd "$build" && cpack -G DEB -B "$work/out") >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log" >&2
  echo "FAIL: cpack could not build the package" >&2
  exit 1
fi
# The name Debian tools expect: package_version_architecture.deb, the version
# being project()'s.
deb="$work/out/meltsim_${version}_${arch}.deb"
if [ ! -f "$deb" ]; then
  echo "FAIL: no $(basename "$deb"); cpack made: $(ls "$work/out")" >&2
  exit 1
fi
echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes"

# --- what the package holds ----------------------------------------------------
dpkg-deb -c "$deb" | awk '{ print $NF }' | sed 's|^\./|/|' >"$work/contents"
icon_sizes="16 24 32 48 64 128 256"
expected=(
  /usr/bin/meltsim
  /usr/bin/meltsim-cli
  "/usr/$libdir/meltsim/libmeltsim-plot.so"
  /usr/share/applications/meltsim.desktop
  /usr/share/metainfo/io.github.meltsim.metainfo.xml
  /usr/share/icons/hicolor/scalable/apps/meltsim.svg
  /usr/share/man/man1/meltsim.1.gz
  /usr/share/man/man1/meltsim-cli.1.gz
  /usr/share/doc/meltsim/copyright
  /usr/share/doc/meltsim/README.md
)
for size in $icon_sizes; do expected+=("/usr/share/icons/hicolor/${size}x${size}/apps/meltsim.png"); done
for path in "${expected[@]}"; do
  check "the package lacks $path" grep -qxF "$path" "$work/contents"
done

# --- control data ----------------------------------------------------------------
dpkg-deb -f "$deb" Package Version Architecture Section Depends >"$work/control"
echo "$(grep '^Depends:' "$work/control")"
check "Package is not meltsim" grep -qx 'Package: meltsim' "$work/control"
check "Version is not $version" grep -qx "Version: $version" "$work/control"
check "Architecture is not $arch" grep -qx "Architecture: $arch" "$work/control"
check "Section is not science" grep -qx 'Section: science' "$work/control"
depends="$(sed -n 's/^Depends: //p' "$work/control")"
# libc6 and the Qt libraries come from dpkg-shlibdeps (the programs link
# them); the platform plugin is the dependency it can not see.
for dep in libc6 libqt6core6 libqt6charts6 qt6-qpa-plugins; do
  check "Depends lacks $dep: $depends" grep -qE "(^|, )$dep( |,|$)" <<<"$depends"
done

# --- unpacked, as files on disk ---------------------------------------------------
root="$work/root"
dpkg -x "$deb" "$root"
cli="$root/usr/bin/meltsim-cli"
gui="$root/usr/bin/meltsim"
module="$root/usr/$libdir/meltsim/libmeltsim-plot.so"

# Stripped (no symbol table, no debug information) and without a run path:
# the libraries are the system's.
for elf in "$cli" "$gui" "$module"; do
  sections="$(readelf -S -W "$elf")"
  check "$(basename "$elf") is not stripped" \
    bash -c '! grep -qE "\.(symtab|debug_info)( |$)" <<<"$1"' _ "$sections"
  check "$(basename "$elf") has a run path" \
    bash -c '! readelf -d "$1" | grep -qE "RPATH|RUNPATH"' _ "$elf"
done
check "the plot module is executable" test ! -x "$module"

# Each icon is drawn at the size of its folder: width and height are the two
# big-endian 32-bit numbers at bytes 16 to 23 of a PNG (its IHDR chunk).
for size in $icon_sizes; do
  png="$root/usr/share/icons/hicolor/${size}x${size}/apps/meltsim.png"
  dims="$(od -An -tu1 -j16 -N8 "$png" | awk '{ print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8 }')"
  check "icon ${size}x${size} is $dims" test "$dims" = "$size $size"
done

# The desktop entry starts a program and shows an icon that the package has.
desktop="$root/usr/share/applications/meltsim.desktop"
exec_name="$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")"
icon_name="$(sed -n 's/^Icon=//p' "$desktop")"
check "Exec=$exec_name is not in usr/bin" test -x "$root/usr/bin/$exec_name"
check "Icon=$icon_name has no scalable icon" \
  test -f "$root/usr/share/icons/hicolor/scalable/apps/$icon_name.svg"
if command -v desktop-file-validate >/dev/null; then
  check "desktop-file-validate refuses the desktop entry" desktop-file-validate "$desktop"
fi
metainfo="$root/usr/share/metainfo/io.github.meltsim.metainfo.xml"
if command -v appstreamcli >/dev/null; then
  check "appstreamcli refuses the metainfo" appstreamcli validate --no-net "$metainfo" >/dev/null
fi
# The metainfo is written by hand: its newest release (the first listed) must
# be this version.
newest="$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$metainfo" | head -n 1)"
check "the metainfo's newest release is $newest, not $version" test "$newest" = "$version"

# --- the unpacked programs run ---------------------------------------------------
cd "$work"
out="$("$cli" --version)"
check "meltsim-cli --version printed '$out'" test "$out" = "meltsim-cli $version"
gui_version="$(QT_QPA_PLATFORM=offscreen "$gui" --version)"
check "meltsim --version printed '$gui_version'" test "$gui_version" = "meltsim $version"

# The default inputs: the result file is the checked one of the default run.
if "$cli" run -o r.txt >run.log 2>&1; then
  if cmp -s r.txt "$golden"; then pass; else
    fail "the default run differs from $(basename "$golden"):"
    diff "$golden" r.txt | head -n 6 >&2 || true
  fi
else
  fail "meltsim-cli run -o r.txt exited $? ($(cat run.log))"
fi

# --plot loads the unpacked plot module, found relative to the unpacked program
# (the loader's trace names the file it opened), and draws a PNG: its first
# eight bytes are the PNG signature 89 50 4E 47 0D 0A 1A 0A.
unset MELTSIM_PLOT_MODULE
if LD_DEBUG=files LD_DEBUG_OUTPUT="$work/ld" "$cli" run -o p.txt --plot p.png >plot.log 2>&1; then
  signature="$(od -An -tx1 -N8 p.png | tr -d ' \n')"
  check "p.png is not a PNG (starts $signature)" test "$signature" = "89504e470d0a1a0a"
  check "the module loaded is not the unpacked one" \
    bash -c 'cat "$1"/ld.* | grep -F libmeltsim-plot.so | grep -qF "file=$2/"' _ "$work" "$root"
else
  fail "meltsim-cli run --plot p.png exited non-zero: $(cat plot.log)"
fi

# The Python module of the package imports from the unpacked tree and runs the
# default inputs to as many steps as the package's command line reports.
if [ -n "$python" ]; then
  "$cli" run -o j.txt --json j.json >json.log 2>&1
  cli_nstep="$(grep -o '"NSTEP": *[0-9]*' j.json | grep -o '[0-9]*$')"
  py_out="$(PYTHONPATH="$root/usr/lib/python3/dist-packages" PYTHONNOUSERSITE=1 "$python" -c \
    'import meltsim; print(meltsim.__file__); print(meltsim.run().nstep)' 2>&1)" || true
  check "the module imported is not the unpacked one: $py_out" \
    test "$(head -n 1 <<<"$py_out")" = "$root/usr/lib/python3/dist-packages/meltsim/__init__.py"
  check "meltsim.run().nstep is '$(tail -n 1 <<<"$py_out")', the command line's NSTEP $cli_nstep" \
    test "$(tail -n 1 <<<"$py_out")" = "$cli_nstep"
fi

# --- the man pages against the programs' options --------------------------------
# A page as plain text: the formatter's minus signs and font changes removed.
page_text() { zcat "$1" | sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' -e 's/\\%//g' -e 's/\\(em/--/g'; }
# The tags of a page's (or a section's) tagged paragraphs: the lines after .TP,
# where an option list names its options. An option mentioned only in a
# description or an example does not count.
tags_of() { awk 'previous == ".TP" { print } { previous = $0 }' "$1"; }
# True when the tags name the option as a whole word.
tagged() { # OPTION TAGS_FILE
  grep -qE -- "(^|[ ,])$1($|[ ,=])" "$2"
}
# The options an option list names: the flags before the text column of the
# lines that start with an option ("  -o,--output FILE   ...", "  -h, --help").
options_of() {
  sed -n 's/^  \(-[^ ].*\)$/\1/p' | sed 's/   .*//' | grep -oE -- '(^|[ ,])--?[A-Za-z][A-Za-z0-9-]*' |
    sed 's/^[ ,]//' | sort -u
}

page_text "$root/usr/share/man/man1/meltsim-cli.1.gz" >cli.man
check "meltsim-cli(1) is not of version $version" grep -q "^\.TH .*meltsim-cli $version" cli.man
"$cli" --help >top.help
tags_of cli.man >cli.tags
for option in $(options_of <top.help); do
  check "meltsim-cli(1) lacks $option" tagged "$option" cli.tags
done
# Every subcommand that the help lists has a subsection of its own, holding
# every option of that subcommand's help.
subcommands="$(awk '/^Subcommands:$/ { on = 1; next } /^$/ { on = 0 } on && /^  [a-z]/ { print $1 }' top.help)"
check "meltsim-cli --help lists no subcommands" test -n "$subcommands"
for name in $subcommands; do
  awk -v head=".SS \"meltsim-cli $name " 'index($0, head) == 1 { on = 1; next }
    /^\.S[SH] / { on = 0 } on' cli.man >"section-$name"
  check "meltsim-cli(1) has no subsection for $name" test -s "section-$name"
  tags_of "section-$name" >"tags-$name"
  "$cli" "$name" --help >"$name.help"
  count=0
  for option in $(options_of <"$name.help"); do
    count=$((count + 1))
    check "meltsim-cli(1) lacks $name $option" tagged "$option" "tags-$name"
  done
  check "meltsim-cli $name --help lists no options" test "$count" -gt 0
done

page_text "$root/usr/share/man/man1/meltsim.1.gz" >gui.man
check "meltsim(1) is not of version $version" grep -q "^\.TH .*meltsim $version" gui.man
QT_QPA_PLATFORM=offscreen "$gui" --help >gui.help
tags_of gui.man >gui.tags
count=0
for option in $(options_of <gui.help); do
  count=$((count + 1))
  check "meltsim(1) lacks $option" tagged "$option" gui.tags
done
check "meltsim --help lists no options" test "$count" -gt 0

# --- lintian ---------------------------------------------------------------------
if command -v lintian >/dev/null; then
  lintian_rc=0
  lintian --fail-on error "$deb" >lintian.log 2>&1 || lintian_rc=$?
  sed 's/^/lintian: /' lintian.log
  check "lintian reports errors (exit $lintian_rc)" test "$lintian_rc" -eq 0
else
  echo "lintian is not installed: not run"
fi

checks_summary
