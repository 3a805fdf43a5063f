#!/usr/bin/env bash
# The tests of the Windows build, under Wine: the unit tests without the
# window (core_tests, png_tests, cli_tests), then ptool.exe against the
# Linux ptool (wine_test.sh). Fails when any of them fails.
#   packaging/windows/test.sh WINDOWS_BUILD_DIR LINUX_BUILD_DIR
# WINDOWS_BUILD_DIR is the build packaging/windows/build.sh made
# (build-windows/varnholt); LINUX_BUILD_DIR holds bin/ptool.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
bin=$(realpath "$1/bin")
export WINEDEBUG=-all
# Wine's services first, their output sent away: a runner that reads a
# test's output would otherwise wait for ever on the pipe they inherit.
(wineserver -p && wineboot) >/dev/null 2>&1 </dev/null

failed=()
for t in core_tests png_tests cli_tests; do
  echo "== $t.exe under Wine"
  # Written to a file, then shown: each test's result, the failures in full,
  # and why a test was skipped.
  log=$(mktemp)
  (cd "$bin" && timeout 600 wine "./$t.exe" </dev/null >"$log" 2>&1)
  status=$?
  tr -d '\r' <"$log"
  rm -f "$log"
  [ "$status" -eq 0 ] || failed+=("$t.exe (exit status $status)")
done

echo "== ptool.exe against the Linux ptool"
"$root/packaging/windows/wine_test.sh" "$bin" "$2/bin/ptool" || failed+=(wine_test.sh)

if [ ${#failed[@]} -gt 0 ]; then
  printf 'FAILED under Wine: %s\n' "${failed[@]}"
  exit 1
fi
