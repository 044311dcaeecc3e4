#!/usr/bin/env bash
# Installs the dependencies, builds meltsim and starts it: the window where a
# display is available, otherwise the default calculation on the command line
# (writing result.txt in the current directory).
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

bash "$ROOT/scripts/install-deps.sh"
cmake -S "$ROOT" -B "$ROOT/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$ROOT/build" -j"$(nproc)"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x "$ROOT/build/ui/qt/meltsim" ]; then
  exec "$ROOT/build/ui/qt/meltsim" "$@"
fi
echo "No display: running the default calculation on the command line."
"$ROOT/build/meltsim-cli" run -o result.txt "$@"
echo "Wrote $(pwd)/result.txt"
