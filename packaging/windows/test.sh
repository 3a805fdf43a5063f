#!/usr/bin/env bash
# The tests of the Windows build, under Wine: the unit and command tests
# through ctest, then ptool.exe against the Linux ptool (wine_test.sh).
#   packaging/windows/test.sh WINDOWS_BUILD_DIR LINUX_BUILD_DIR
# WINDOWS_BUILD_DIR is the build packaging/windows/build.sh made
# (build-windows/varnholt); LINUX_BUILD_DIR holds bin/ptool.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
export WINEDEBUG=-all
# Wine's services first, their output sent away: ctest would wait for ever
# on the pipe they inherit.
(wineserver -p && wineboot) >/dev/null 2>&1 </dev/null
ctest --test-dir "$1" --output-on-failure --timeout 300
"$root/packaging/windows/wine_test.sh" "$1/bin" "$2/bin/ptool"
