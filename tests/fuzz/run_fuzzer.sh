#!/usr/bin/env bash
# Runs one libFuzzer target for a bounded time: FUZZER SEEDS WORKDIR SECONDS.
# It starts from the committed seeds and from what earlier runs in WORKDIR
# found (new inputs go to WORKDIR/corpus, never into the source tree). A
# crash, a sanitizer report, a leak, a failed property, an input that takes
# longer than 10 s or more than 2 GB fails the test; the input is kept in
# WORKDIR/artifacts, and goes into the seeds once the fault is mended.
set -euo pipefail
fuzzer="$1"
seeds="$2"
work="$3"
seconds="$4"
mkdir -p "$work/corpus" "$work/artifacts"
exec "$fuzzer" "$work/corpus" "$seeds" -max_total_time="$seconds" -timeout=10 \
  -rss_limit_mb=2048 -artifact_prefix="$work/artifacts/" -print_final_stats=1
