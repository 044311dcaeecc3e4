#!/usr/bin/env bash
# Builds the WebAssembly edition of meltsim with Debian's emscripten: the
# core and the command line for Node, build-web/meltsim-cli.js with its
# meltsim-cli.wasm, which takes the arguments of meltsim-cli and writes the
# same files; and the page, build-web/site/ (static files: the core for the
# browser, build-web/web/meltsim-core.*, with the page of web/).
#
#   bash scripts/build-web.sh            # into build-web/
#   bash scripts/build-web.sh --serve    # then serves the page on 127.0.0.1
#   MELTSIM_WEB_BUILD=/tmp/w bash scripts/build-web.sh
#   node build-web/meltsim-cli.js run -o result.txt
#   MELTSIM_WEB_TESTS=ON bash scripts/build-web.sh   # and the tests that run
#   ctest --test-dir build-web                       # under Node
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${MELTSIM_WEB_BUILD:-$ROOT/build-web}"
TESTS="${MELTSIM_WEB_TESTS:-OFF}"

bash "$ROOT/scripts/install-deps.sh"

# Debian's emscripten runs its optimizer under Node with Debian's Node
# packages (acorn) on the module path.
export NODE_PATH="/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}"
# -O2 as the native build; no -g, which would make the module ten times
# larger.
emcmake cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_CXX_FLAGS_RELEASE=-O2 -DMELTSIM_TESTS="$TESTS" -DMELTSIM_WERROR=ON >/dev/null
cmake --build "$BUILD" -j"$(nproc)" --target meltsim-cli meltsim_web_core
if [ "$TESTS" = ON ]; then
  cmake --build "$BUILD" -j"$(nproc)" --target meltsim_node_tests
fi
echo "Built $BUILD/meltsim-cli.js: node $BUILD/meltsim-cli.js run -o result.txt"

# The page (web/build-site.sh): build-web/site/; --serve serves it.
MELTSIM_WEB_BUILD="$BUILD" bash "$ROOT/web/build-site.sh" "$@"
