#!/bin/bash
# Installs the build into a scratch prefix and checks the installed tree as a
# desktop would use it. Arguments: the build folder, the project version, and
# "window" when the desktop program was built ("no-window": its program,
# desktop entry, icons and manual page must not be installed).
set -u
build=$(realpath "$1") version=$2 window=$3
tmp=$(mktemp -d) && trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$tmp" >/dev/null || fail "cmake --install"
for f in bin/ptool share/varnholt/bmp_header.bin share/mime/packages/varnholt-pt.xml \
  share/thumbnailers/varnholt.thumbnailer share/doc/varnholt/LICENSE; do
  [ -f "$tmp/$f" ] || fail "$f not installed"
done
for f in bin/varnholt share/applications/varnholt.desktop share/icons/hicolor/scalable/apps/varnholt.svg \
  share/man/man1/varnholt.1.gz; do
  [ -e "$tmp/$f" ] && found=installed || found=missing
  [ "$found" = "$([ "$window" = window ] && echo installed || echo missing)" ] || fail "$f $found in a $window build"
done
[ -e "$tmp/bin/bmp_header.bin" ] && fail "bmp_header.bin beside the installed ptool"
cmp -s "$tmp/share/varnholt/bmp_header.bin" "$(dirname "$0")/../data/bmp_header.bin" ||
  fail "installed bmp_header.bin differs from data/"

if [ "$window" = window ] && command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$tmp/share/applications/varnholt.desktop" || fail "desktop entry"
fi
update-mime-database "$tmp/share/mime" >/dev/null 2>&1 || fail "update-mime-database"
[ -f "$tmp/share/mime/application/x-varnholt-pt.xml" ] || fail "MIME type not registered"
grep -q '^50:application/x-varnholt-pt:\*\.pt$' "$tmp/share/mime/globs2" || fail "no *.pt glob"

cd "$tmp" || fail "cd"
[ "$(bin/ptool --version)" = "$version" ] || fail "ptool --version printed '$(bin/ptool --version 2>&1)'"
bin/ptool sample x.pt >/dev/null && cp x.pt container || fail "ptool sample"
if command -v gio >/dev/null; then  # GLib's reader of the MIME database: the magic, no name
  type=$(XDG_DATA_DIRS=$tmp/share XDG_DATA_HOME=$tmp/none gio info -a standard::content-type container | sed -n 's/.*content-type: //p')
  [[ $type == *application/x-varnholt-pt* ]] || fail "container without extension: $type"
fi
# The installed ptool finds the template under share/varnholt only.
bin/ptool export x.pt 0 y.bmp >/dev/null || fail "installed ptool cannot export a bitmap"
[ "$(stat -c %s y.bmp)" = 66614 ] || fail "y.bmp is not 66614 bytes"

# Every command and option that ptool's help names has its entry in the manual
# page, in its command's section.
man=$(zcat share/man/man1/ptool.1.gz | sed 's/\\-/-/g') || fail "ptool.1.gz"
for cmd in $(bin/ptool --help | sed -n '/^Subcommands:/,/^$/s/^  \([a-z-]*\) .*/\1/p'); do
  section=$(sed -n "/^\.SS $cmd\$/,/^\.S[SH] /p" <<<"$man")
  [ -n "$section" ] || fail "ptool.1 has no section for $cmd"
  for opt in $(bin/ptool "$cmd" --help | sed -n '/^Options:/,$s/^  \(-[a-z]\|--[a-z-]*\)[ ,].*/\1/p'); do
    [ "$opt" = -h ] || grep -A1 '^\.TP$' <<<"$section" | grep -q -- "^\.[A-Z]* $opt\b" || fail "ptool.1 does not describe $cmd $opt"
  done
done
zcat share/doc/varnholt/changelog.gz | head -1 | grep -q "^varnholt ($version) " || fail "changelog does not start with $version"

if [ "$window" = window ]; then
  for n in 16 32 48 64 128 256; do
    size=$(identify -format '%wx%h' "share/icons/hicolor/${n}x$n/apps/varnholt.png") && [ "$size" = "${n}x$n" ] ||
      fail "${n}x$n icon is '$size'"
  done
  # --help and --version need no display.
  nodisplay=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 60)
  out=$("${nodisplay[@]}" bin/varnholt --version 2>&1)
  [ "$out" = "Varnholt $version" ] || fail "varnholt --version printed '$out'"
  out=$("${nodisplay[@]}" bin/varnholt --help 2>&1)
  [[ $out == *"-v, --version"* ]] || fail "varnholt --help printed '$out'"
  # The preview file goes to the user's cache folder, not beside the
  # installed program; beside a build (the template beside the program) it
  # stays there.
  mkdir build && cp bin/varnholt share/varnholt/bmp_header.bin build/ || fail "build copy"
  for case in bin/varnholt:cache/Varnholt/pre.bmp build/varnholt:build/pre.bmp; do
    QT_QPA_PLATFORM=offscreen XDG_CACHE_HOME=$tmp/cache ${case%%:*} x.pt >/dev/null 2>&1 &
    pid=$!
    for _ in $(seq 300); do [ -e "${case#*:}" ] && break; sleep 0.1; done
    kill $pid
    wait $pid 2>/dev/null
    [ "$(stat -c %s "${case#*:}" 2>/dev/null)" = 66614 ] || fail "${case%%:*} wrote no preview ${case#*:}"
    rm -f "${case#*:}"
  done
  [ -z "$(find bin build -name pre.bmp)$(find cache -name pre.bmp)" ] || fail "a preview in a second place"
fi

# The Debian package passes lintian: no errors, no warnings.
if command -v lintian >/dev/null; then
  cpack -G DEB -B "$tmp/deb" --config "$build/CPackConfig.cmake" >/dev/null || fail "cpack -G DEB"
  lintian --fail-on error,warning "$tmp"/deb/varnholt_*.deb || fail "lintian"
fi
echo "installed tree OK"
