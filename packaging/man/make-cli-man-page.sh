#!/bin/sh
# Writes the man page of meltsim-cli with help2man: the top level from
# `meltsim-cli --help`, then a COMMANDS section with every subcommand that
# the top-level help lists, each from its own `--help`, so that a new
# subcommand or option reaches the page at the next build.
#   make-cli-man-page.sh MELTSIM_CLI PAGE.1 EXTRA.h2m
set -eu
cli="$1"
page="$2"
extra="$3"
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# The help as a user who typed `meltsim-cli` sees it (not the build path),
# with "-h, --help" spaced so that help2man sets both flags in bold.
tidy() {
  sed -e 's|^Usage: [^ ]*meltsim-cli|Usage: meltsim-cli|' -e 's|^\(  -[^ ,]*\),--|\1, --|'
}

# help2man runs a program called meltsim-cli: this one answers for the build.
cat >"$work/meltsim-cli" <<WRAPPER
#!/bin/sh
case "\$1" in
  --version) exec "$cli" --version ;;
  *) "$cli" --help | sed -e 's|^Usage: [^ ]*meltsim-cli|Usage: meltsim-cli|' -e 's|^\\(  -[^ ,]*\\),--|\\1, --|' ;;
esac
WRAPPER
chmod +x "$work/meltsim-cli"

subcommands="$("$cli" --help | awk '/^Subcommands:$/ { on = 1; next } /^$/ { on = 0 } on && /^  [a-z]/ { print $1 }')"
if [ -z "$subcommands" ]; then
  echo "make-cli-man-page: $cli --help lists no subcommands" >&2
  exit 1
fi

{
  echo "[COMMANDS]"
  echo "Each subcommand has options of its own, given after its name."
  for name in $subcommands; do
    "$cli" "$name" --help | tidy | awk -f "$here/subcommand-help.awk"
  done
} >"$work/commands.h2m"

help2man --no-info --section=1 \
  --name="melting of a polymer in a single-screw extruder, from the command line" \
  --include="$work/commands.h2m" --include="$extra" \
  --output="$page" "$work/meltsim-cli"
