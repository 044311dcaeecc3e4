#!/usr/bin/env bash
# Installs the dependencies, builds meltsim (only the programs, no tests or
# benchmarks) and starts it: the window where a display is available,
# otherwise the default calculation on the command line (writing result.txt
# in the current directory).
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

bash "$ROOT/scripts/install-deps.sh"
cmake -S "$ROOT" -B "$ROOT/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  cmake --build "$ROOT/build" -j"$(nproc)" --target meltsim meltsim-cli meltsim_plot_module
  exec "$ROOT/build/meltsim" "$@"
fi
cmake --build "$ROOT/build" -j"$(nproc)" --target meltsim-cli
echo "No display: running the default calculation on the command line."
"$ROOT/build/meltsim-cli" run -o result.txt "$@"
echo "Wrote $(pwd)/result.txt"
