#!/usr/bin/env bash
# Installs the dependencies, builds meltsim and runs every test: in the
# normal build, in a build with AddressSanitizer and UndefinedBehaviorSanitizer
# that is also the build without the window toolkit (core, command line,
# Python, tests), and the page in the browser; the WebAssembly build, whose model and io tests run under
# Node and whose command line must give the normal build's files
# (meltsim_web_agreement); then fuzzes every parser for a bounded time in a
# clang sanitizer build. Every build treats compiler warnings as errors.
#
#   bash scripts/test.sh           everything (about 35 minutes on 2 cores once the packages are installed)
#   bash scripts/test.sh --quick   the normal build and its tests, without the
#                                  WebAssembly build, the pip install and the
#                                  package tests (a few minutes once built);
#                                  the packages must be installed already
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
JOBS="$(nproc)"
QUICK=0
case "${1:-}" in
  --quick) QUICK=1 ;;
  "") ;;
  *) echo "usage: bash scripts/test.sh [--quick]" >&2; exit 2 ;;
esac

[ "$QUICK" = 1 ] || bash "$ROOT/scripts/install-deps.sh"

configure() { # BUILD_DIR OPTIONS...
  local dir="$1"
  shift
  cmake -S "$ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMELTSIM_WERROR=ON "$@" >/dev/null
}

WEB_CLI=""
if [ "$QUICK" = 0 ]; then
  echo "== WebAssembly build and its tests under Node =="
  MELTSIM_WEB_BUILD="$ROOT/build-web" MELTSIM_WEB_TESTS=ON bash "$ROOT/scripts/build-web.sh"
  ctest --test-dir "$ROOT/build-web" --output-on-failure -j"$JOBS"
  WEB_CLI="$ROOT/build-web/meltsim-cli.js"
fi

echo "== build and test (with the agreement of the WebAssembly build) =="
configure "$ROOT/build" -DMELTSIM_WEB_CLI="$WEB_CLI"
cmake --build "$ROOT/build" -j"$JOBS"
if [ "$QUICK" = 1 ]; then
  ctest --test-dir "$ROOT/build" --output-on-failure -j"$JOBS" -E 'pip_install|package_test'
  exit 0
fi
ctest --test-dir "$ROOT/build" --output-on-failure -j"$JOBS"

# The sanitizer build leaves the window toolkit out: so it shows that
# everything but the window builds and passes without Qt, and the test
# command builds the core once less (the window's tests run in the normal
# build above).
echo "== sanitizer build and test, without the window toolkit =="
configure "$ROOT/build-sanitize" -DMELTSIM_SANITIZE=ON -DMELTSIM_GUI=OFF -DMELTSIM_BENCH=OFF
cmake --build "$ROOT/build-sanitize" -j"$JOBS"
# Any report fails its test: ASan and LSan abort the process, UBSan halts
# (the code is built with -fno-sanitize-recover=all as well).
ASAN_OPTIONS="halt_on_error=1:abort_on_error=1:detect_leaks=1" \
UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1" \
  ctest --test-dir "$ROOT/build-sanitize" --output-on-failure -j"$JOBS"

# ---- The browser edition ---------------------------------------------------
# The page's unit tests in Node, and its tests in Debian's Chromium against
# the site (built by scripts/build-web.sh above) served on 127.0.0.1,
# compared with the native command line of the normal build.
echo "== the browser edition: unit tests and tests in Chromium =="
(
  cd "$ROOT/web"
  npm run --silent test:unit
  MELTSIM_NATIVE_CLI="$ROOT/build/meltsim-cli" MELTSIM_SITE_DIR="$ROOT/build-web/site" \
    npm run --silent test:browser
)

# --- fuzzing the parsers -------------------------------------------------------
# The libFuzzer targets of tests/fuzz, built with clang and the sanitizers,
# each run for 20 s from its seeds: a crash, a sanitizer report, a leak, a
# failed property or an input slower than 10 s fails its test.
echo "== fuzz the parsers (clang, sanitizers) =="
CC=clang CXX=clang++ configure "$ROOT/build-fuzz" -DMELTSIM_FUZZ=ON -DMELTSIM_SANITIZE=ON \
  -DMELTSIM_TESTS=OFF -DMELTSIM_GUI=OFF -DMELTSIM_PYTHON=OFF -DMELTSIM_BENCH=OFF
cmake --build "$ROOT/build-fuzz" -j"$JOBS" --target meltsim_fuzz_targets
ASAN_OPTIONS="halt_on_error=1:abort_on_error=1:detect_leaks=1" \
UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1" \
  ctest --test-dir "$ROOT/build-fuzz" --output-on-failure -j"$JOBS"
