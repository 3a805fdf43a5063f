#!/bin/bash
# Installs the build into a scratch prefix and checks the installed tree as a
# desktop would use it. Arguments: the build folder and the project version.
set -u
build=$1 version=$2
tmp=$(mktemp -d) && trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$tmp" >/dev/null || fail "cmake --install"
for f in bin/ptool share/varnholt/bmp_header.bin share/applications/varnholt.desktop \
  share/mime/packages/varnholt-pt.xml share/thumbnailers/varnholt.thumbnailer \
  share/icons/hicolor/scalable/apps/varnholt.svg share/doc/varnholt/LICENSE; do
  [ -f "$tmp/$f" ] || fail "$f not installed"
done
for n in 16 32 48 64 128 256; do
  size=$(identify -format '%wx%h' "$tmp/share/icons/hicolor/${n}x$n/apps/varnholt.png") && [ "$size" = "${n}x$n" ] ||
    fail "${n}x$n icon is '$size'"
done
[ -e "$tmp/bin/bmp_header.bin" ] && fail "bmp_header.bin beside the installed ptool"
cmp -s "$tmp/share/varnholt/bmp_header.bin" "$(dirname "$0")/../data/bmp_header.bin" ||
  fail "installed bmp_header.bin differs from data/"

if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$tmp/share/applications/varnholt.desktop" || fail "desktop entry"
fi
update-mime-database "$tmp/share/mime" >/dev/null 2>&1 || fail "update-mime-database"
[ -f "$tmp/share/mime/application/x-varnholt-pt.xml" ] || fail "MIME type not registered"
grep -q '^50:application/x-varnholt-pt:\*\.pt$' "$tmp/share/mime/globs2" || fail "no *.pt glob"

cd "$tmp" || fail "cd"
bin/ptool sample x.pt >/dev/null && cp x.pt container || fail "ptool sample"
if command -v gio >/dev/null; then  # GLib's reader of the MIME database: the magic, no name
  type=$(XDG_DATA_DIRS=$tmp/share XDG_DATA_HOME=$tmp/none gio info -a standard::content-type container | sed -n 's/.*content-type: //p')
  [[ $type == *application/x-varnholt-pt* ]] || fail "container without extension: $type"
fi
# The installed ptool finds the template under share/varnholt only.
bin/ptool export x.pt 0 y.bmp >/dev/null || fail "installed ptool cannot export a bitmap"
[ "$(stat -c %s y.bmp)" = 66614 ] || fail "y.bmp is not 66614 bytes"
if [ -x bin/varnholt ]; then
  out=$(QT_QPA_PLATFORM=offscreen timeout 60 bin/varnholt --version) || fail "varnholt --version"
  [[ $out == *"$version"* ]] || fail "varnholt --version printed '$out'"
fi
echo "installed tree OK"
