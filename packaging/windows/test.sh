#!/usr/bin/env bash
# The tests of the Windows build, under Wine: ptool.exe against the Linux
# ptool (wine_test.sh). The unit tests are not built for Windows yet.
#   packaging/windows/test.sh WINDOWS_BUILD_DIR LINUX_BUILD_DIR
# WINDOWS_BUILD_DIR is the build packaging/windows/build.sh made
# (build-windows/varnholt); LINUX_BUILD_DIR holds bin/ptool.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
export WINEDEBUG=-all
"$root/packaging/windows/wine_test.sh" "$1/bin" "$2/bin/ptool"
