#!/usr/bin/env bash
# Builds ptool.exe for 64-bit Windows on Debian 12 and packs it in a zip.
#   packaging/windows/build.sh OUT_DIR
# Run as root: it installs the cross compiler, Wine and the rest with apt-get,
# adds deb-src entries made from this machine's own Debian sources, fetches the
# source packages of libspng and libimagequant and builds them for Windows.
# Leaves OUT_DIR/ptool.exe, OUT_DIR/bmp_header.bin and OUT_DIR/varnholt-*.zip;
# the build itself stays in build-windows/ (VARNHOLT_WINDOWS_BUILD to move it),
# its tests run under Wine with packaging/windows/test.sh build-windows/varnholt.
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 OUT_DIR" >&2; exit 2; }
root=$(cd "$(dirname "$0")/../.." && pwd)
out=$(realpath -m "$1")
work=$(realpath -m "${VARNHOLT_WINDOWS_BUILD:-$root/build-windows}")
jobs=${VARNHOLT_JOBS:-$(nproc)}
source "$root/.ci/deps.sh"
ensure_packages "${WINDOWS_PACKAGES[@]}"

# deb-src entries: the same archives, suites and components as the binary
# entries of this Debian release, written as a file of our own.
add_source_entries() {
  local codename list=/etc/apt/sources.list.d/varnholt-deb-src.sources
  codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
  [ -e "$list" ] && return 0
  local entries
  entries=$(
    for f in /etc/apt/sources.list.d/*.sources; do
      [ -e "$f" ] || continue
      # One deb822 stanza per paragraph: keep those of this release that
      # carry binary packages, and ask for source packages instead.
      awk -v RS= -v ORS='\n\n' -v codename="$codename" '
        /(^|\n)Types:[^\n]*deb([ \t\n]|$)/ && $0 ~ ("(^|\n)Suites:[^\n]*" codename) &&
        $0 !~ /(^|\n)Enabled: *no/ {
          gsub(/(^|\n)#[^\n]*/, "")
          sub(/Types:[^\n]*/, "Types: deb-src")
          print
        }' "$f"
    done
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
      [ -e "$f" ] || continue
      awk -v codename="$codename" '
        $1 == "deb" && $0 ~ (" " codename "[ -]") {
          sub(/^deb /, ""); print "Types: deb-src"
          sub(/^\[[^]]*\] +/, "")  # options such as [arch=amd64]
          print "URIs: " $1; print "Suites: " $2
          comp = ""; for (i = 3; i <= NF; i++) comp = comp " " $i
          print "Components:" comp; print ""
        }' "$f"
    done)
  if [ -z "$entries" ]; then
    echo "No Debian $codename entries in /etc/apt to derive source entries from." >&2
    exit 1
  fi
  printf '%s\n' "$entries" >"$list"
  apt-get update -qq
}

fetch_source() {  # PACKAGE -> prints the unpacked folder
  local pkg=$1 dir=$work/sources
  mkdir -p "$dir"
  if ! ls -d "$dir/$pkg"-*/ >/dev/null 2>&1; then
    add_source_entries
    (cd "$dir" && apt-get source -qq "$pkg" >/dev/null 2>&1) ||
      (cd "$dir" && apt-get source "$pkg")
  fi
  ls -d "$dir/$pkg"-*/ | head -n1
}

spng=$(fetch_source libspng)
imagequant=$(fetch_source libimagequant)
toolchain=$root/packaging/windows/mingw-w64-x86_64.cmake
prefix=$work/prefix

echo "== libspng, libimagequant and GoogleTest for Windows"
cmake -S "$root/packaging/windows/deps" -B "$work/deps" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DVARNHOLT_WINDOWS_PREFIX="$prefix" \
  -DCMAKE_INSTALL_PREFIX="$prefix" -DSPNG_SOURCE="$spng" -DIMAGEQUANT_SOURCE="$imagequant" >/dev/null
ninja -C "$work/deps" -j"$jobs" install >/dev/null

echo "== ptool.exe and the unit tests"
# Through ccache where there is one, like the Linux builds.
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$work/varnholt" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DVARNHOLT_WINDOWS_PREFIX="$prefix" \
  -DVARNHOLT_UI=OFF -DVARNHOLT_BENCH=OFF "${launcher[@]}" >/dev/null
# ptool.exe, the unit tests without the window and the program the Wine
# test needs (packaging/windows/test.sh runs them).
ninja -C "$work/varnholt" -j"$jobs" ptool hold_file core_tests png_tests cli_tests

echo "== zip"
mkdir -p "$out"
cp "$work/varnholt/bin/ptool.exe" "$work/varnholt/bin/bmp_header.bin" "$out/"
x86_64-w64-mingw32-strip "$out/ptool.exe"  # as in the zip
(cd "$work/varnholt" && cpack -G ZIP -B "$out" >/dev/null)
rm -rf "$out/_CPack_Packages"
ls -l "$out"
