#!/usr/bin/env bash
# usage: fuzz/run_fuzz.sh BUILD_DIR [SECONDS]
# Replays the regression inputs of every fuzz target, then fuzzes each for
# SECONDS (60 by default) from its seed corpus. Exits non-zero on any crash;
# the crashing input is kept in the printed folder.
set -euo pipefail
build=${1:?usage: run_fuzz.sh BUILD_DIR [SECONDS]}
seconds=${2:-60}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
status=0

# Inputs as long as the longest file each reader takes whole: a container
# (1,409,024 bytes, a little more for trailing bytes), a bitmap of a
# 256 x 512 picture with a long information header, and a manifest.
max_len_of() {
  case $1 in
    container_reader) echo 1409100 ;;
    bitmap_import_*) echo 140000 ;;
    raw_import|slot_clip) echo 70000 ;;
    manifest_reader) echo 65536 ;;
  esac
}

corpus_of() {
  case $1 in
    container_reader) echo container ;;
    bitmap_import_*) echo bitmap ;;
    raw_import) echo raw ;;
    png_import) echo png ;;
    slot_clip) echo slot_clip ;;
    manifest_reader) echo manifest ;;
  esac
}

for target in container_reader bitmap_import_normal bitmap_import_lowres bitmap_import_slot10 raw_import png_import slot_clip manifest_reader; do
  bin="$build/bin/${target}_fuzz"
  [ -x "$bin" ] || { echo "!! $bin is missing: build $build first"; status=1; continue; }
  mkdir -p "$work/$target/corpus" "$work/$target/artifacts"
  regressions=("$here/regressions/$target"/*)
  if [ -e "${regressions[0]}" ]; then
    echo "== $target: replaying ${#regressions[@]} regression inputs"
    "$bin" -runs=0 "${regressions[@]}" >"$work/$target/replay.log" 2>&1 || {
      cat "$work/$target/replay.log"; status=1; continue; }
  fi
  echo "== $target: fuzzing for ${seconds}s"
  if ! "$bin" -max_total_time="$seconds" -max_len="$(max_len_of "$target")" -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 \
      -artifact_prefix="$work/$target/artifacts/" \
      "$work/$target/corpus" "$here/corpus/$(corpus_of "$target")" >"$work/$target/fuzz.log" 2>&1; then
    tail -40 "$work/$target/fuzz.log"
    echo "!! $target found a crash; inputs in $work/$target/artifacts/"
    status=1
    continue
  fi
  grep -E 'stat::number_of_executed_units|stat::average_exec_per_sec|stat::peak_rss_mb' "$work/$target/fuzz.log" | tr '\n' ' '
  echo
done
[ $status -eq 0 ] && rm -rf "$work"
exit $status
