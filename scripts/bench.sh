#!/usr/bin/env bash
# Builds the benchmarks and prints the speed figures of meltsim as a table:
# the model (a default run, one solid bed series call), the whole
# `meltsim-cli run` process (wall time and callgrind instructions), a
# 1000-case sweep on one worker and on every core, a capacity curve of 13
# screw speeds against a sweep of the same speeds, and the peak memory of a
# sweep of 200 and of 2000 cases.
#
#   bash scripts/bench.sh              # build in build-bench, run, print the table
#   BUILD_DIR=build bash scripts/bench.sh
#
# Needs valgrind and GNU time (/usr/bin/time), both in scripts/install-deps.sh.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${BUILD_DIR:-$ROOT/build-bench}"
JOBS="$(nproc)"
RUNS="${RUNS:-50}"

cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMELTSIM_GUI=OFF \
  -DMELTSIM_BENCH=ON >/dev/null
cmake --build "$BUILD" -j"$JOBS" --target meltsim_bench meltsim-cli >/dev/null
CLI="$BUILD/meltsim-cli"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT

echo "Running the benchmarks (about a minute) ..." >&2
"$BUILD/bench/meltsim_bench" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
  --benchmark_color=false >"$WORK/bench.txt" 2>/dev/null

# Median of a benchmark in the unit it reports: the console lines read
# "NAME_median  REAL UNIT  CPU UNIT  ITERATIONS ..."; column 2 is the wall
# time, column 4 the CPU time of the calling thread.
median() { # NAME COLUMN
  awk -v name="$1_median" -v col="$2" '$1 == name { print $col }' "$WORK/bench.txt"
}
RUN_MS="$(median BM_DefaultRun 4)"
SERIES_US="$(median BM_SolidBedSeries200 4)"
SWEEP1_MS="$(median BM_Sweep1000/1/iterations:2/real_time 2)"
SWEEPN_MS="$(median BM_Sweep1000/0/iterations:2/real_time 2)"
CAPACITY_MS="$(median BM_CapacityCurve13Speeds/iterations:3/real_time 2)"
SWEEP13_MS="$(median BM_Sweep13SpeedsAtFixedOutput/iterations:10/real_time 2)"

# The whole process, started anew each time.
cd "$WORK"
"$CLI" run -o run.txt >/dev/null # warm the file cache
start=$(date +%s%N)
for _ in $(seq "$RUNS"); do "$CLI" run -o run.txt >/dev/null; done
end=$(date +%s%N)
PROCESS_MS="$(awk -v t=$((end - start)) -v n="$RUNS" 'BEGIN { printf "%.2f", t / n / 1e6 }')"

INSTRUCTIONS="$(valgrind --tool=callgrind --callgrind-out-file="$WORK/callgrind.out" \
  "$CLI" run -o run.txt 2>&1 >/dev/null | awk '/Collected :/ { print $NF }')"

max_rss_kb() { # ARGS...
  /usr/bin/time -v "$CLI" sweep "$@" -o /dev/null 2>&1 >/dev/null |
    awk -F: '/Maximum resident set size/ { gsub(/ /, "", $2); print $2 }'
}
RSS200="$(max_rss_kb --vary RPM=36:40.9:0.1 --vary OUTPUT=295:298:1)"
RSS2000="$(max_rss_kb --vary RPM=36:40.9:0.1 --vary OUTPUT=295:314.5:0.5)"

SWEEP_LIMIT_MS="$(awk -v r="$RUN_MS" -v j="$JOBS" 'BEGIN { printf "%.0f", 1.1 * 1000 * r / j }')"
SPEEDUP="$(awk -v a="$SWEEP1_MS" -v b="$SWEEPN_MS" 'BEGIN { printf "%.2f", a / b }')"
CAPACITY_RATIO="$(awk -v a="$CAPACITY_MS" -v b="$SWEEP13_MS" 'BEGIN { printf "%.1f", a / b }')"

row() { printf '| %-44s | %14s | %-22s |\n' "$1" "$2" "$3"; }
echo
row "figure ($JOBS cores)" "measured" "target"
row "--------------------------------------------" "--------------" "----------------------"
row "default run, model only (CPU)" "$RUN_MS ms" "<= 5 ms"
row "solid bed series, 200 terms (CPU)" "$SERIES_US us" ""
row "meltsim-cli run, whole process (mean of $RUNS)" "$PROCESS_MS ms" "<= 15 ms"
row "meltsim-cli run, instructions (callgrind)" "$INSTRUCTIONS" "<= 40000000"
row "1000-case sweep, 1 worker (wall)" "$SWEEP1_MS ms" ""
row "1000-case sweep, $JOBS workers (wall)" "$SWEEPN_MS ms" "<= $SWEEP_LIMIT_MS ms"
row "sweep speed-up, $JOBS workers over 1" "$SPEEDUP x" ""
row "capacity curve, 13 speeds (wall)" "$CAPACITY_MS ms" ""
row "sweep of the 13 speeds at fixed output (wall)" "$SWEEP13_MS ms" ""
row "capacity curve over that sweep" "$CAPACITY_RATIO x" "<= 15 x"
row "sweep of 200 cases, peak memory" "$RSS200 kB" "flat"
row "sweep of 2000 cases, peak memory" "$RSS2000 kB" "flat"
