#!/bin/sh
# Builds and runs the benchmarks in the given build folder and prints the
# table of each operation against its baseline.
#
#   bench/run_bench.sh [BUILD_FOLDER] [extra Google Benchmark flags...]
#
# BUILD_FOLDER defaults to build-bench; it is (re)configured here so that
# programs added since the last configuration are measured too.
# The benchmark files go to $TMPDIR (default /tmp): point it at the disk to
# measure. REPETITIONS and MIN_TIME (seconds per repetition) can be set in the
# environment. The copy benchmark starts each program once per repetition, at
# least 30 times. The batch benchmark runs its BATCH_REPETITIONS (default 3)
# in order, not interleaved (its plain writes copy what export-all wrote); it
# takes minutes with the default 500 containers, BATCH_BENCH_CONTAINERS=200
# shortens it.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build-bench}
[ $# -gt 0 ] && shift
case $build in /*) ;; *) build=$(pwd)/$build ;; esac
repetitions=${REPETITIONS:-10}
min_time=${MIN_TIME:-0.1}

if [ -f "$build/CMakeCache.txt" ]; then
  cmake "$build" >/dev/null
else
  cmake -S "$root" -B "$build" -G Ninja >/dev/null
fi

has_target() { ninja -C "$build" -t targets all 2>/dev/null | grep -q "^$1:"; }

targets="varnholt_bench varnholt_png_bench varnholt_copy_bench varnholt_batch_bench"
has_target varnholt_window_bench && targets="$targets varnholt_window_bench"
has_target varnholt && targets="$targets varnholt"
# shellcheck disable=SC2086
ninja -C "$build" $targets >/dev/null

out=$build/bench-results
mkdir -p "$out"
rm -f "$out"/*.json "$out"/*.log

# run NAME [flags]: repeated and interleaved; run_once NAME [flags]: one pass
# in the order the program registers its benchmarks.
run() {
  name=$1
  shift
  run_once "$name" \
    --benchmark_repetitions="$repetitions" \
    --benchmark_min_time="$min_time" \
    --benchmark_enable_random_interleaving=true \
    --benchmark_report_aggregates_only=true \
    "$@"
}

run_once() {
  name=$1
  shift
  echo "running $name ..." >&2
  "$build/bin/$name" \
    --benchmark_out="$out/$name.json" --benchmark_out_format=json \
    "$@" >"$out/$name.log" 2>&1 || {
    echo "$name failed; its output:" >&2
    cat "$out/$name.log" >&2
    exit 1
  }
}

# Other work on the machine disturbs the wall-clock figures, the start-up most.
if [ -r /proc/loadavg ]; then
  read -r load _ </proc/loadavg
  busy=$(awk -v l="$load" -v n="$(nproc)" 'BEGIN { print (l > n / 2) ? 1 : 0 }')
  [ "$busy" = 1 ] && echo "warning: load average $load on $(nproc) processors; figures will be noisy" >&2
fi

run varnholt_bench "$@"
run varnholt_png_bench "$@"
run varnholt_copy_bench "$@"
if [ -x "$build/bin/varnholt_window_bench" ]; then
  QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} run varnholt_window_bench "$@"
else
  echo "Qt 6 was not found: preview and start-up are not measured." >&2
fi
run_once varnholt_batch_bench --benchmark_repetitions="${BATCH_REPETITIONS:-3}" \
  --benchmark_report_aggregates_only=true "$@"

/usr/bin/python3 "$root/bench/ratios.py" "$out"/*.json
echo "" >&2
echo "Raw results: $out" >&2
