#!/usr/bin/env bash
# Installs the dependencies, builds meltsim and runs every test: once in the
# normal build, once more with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
JOBS="$(nproc)"

bash "$ROOT/scripts/install-deps.sh"

echo "== build and test =="
cmake -S "$ROOT" -B "$ROOT/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$ROOT/build" -j"$JOBS"
ctest --test-dir "$ROOT/build" --output-on-failure -j"$JOBS"

echo "== sanitizer build and test =="
cmake -S "$ROOT" -B "$ROOT/build-sanitize" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DMELTSIM_SANITIZE=ON -DMELTSIM_BENCH=OFF >/dev/null
cmake --build "$ROOT/build-sanitize" -j"$JOBS"
# Any report fails its test: ASan and LSan abort the process, UBSan halts
# (the code is built with -fno-sanitize-recover=all as well).
ASAN_OPTIONS="halt_on_error=1:abort_on_error=1:detect_leaks=1" \
UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1" \
  ctest --test-dir "$ROOT/build-sanitize" --output-on-failure -j"$JOBS"
