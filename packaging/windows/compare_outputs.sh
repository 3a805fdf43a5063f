#!/usr/bin/env bash
# ptool.exe under Wine against the Linux ptool on the quantizer: a truecolour
# picture with soft alpha, whose colours tie in libimagequant's sorts, imported
# with a new palette, dithered (with the dither map) and not; the containers
# must be the same, byte for byte.
#   packaging/windows/compare_outputs.sh PTOOL_EXE LINUX_PTOOL
set -uo pipefail
win=$(realpath "$1")
linux=$(realpath "$2")
export WINEDEBUG=-all
# Wine's services first, their output sent away: a test runner would wait
# for ever on the pipe they inherit.
(wineserver -p && wineboot) >/dev/null 2>&1 </dev/null
if ! command -v convert >/dev/null; then
  echo "skip  the quantizer on Windows and Linux (no ImageMagick here)"
  exit 0
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
convert -size 256x256 gradient:'rgba(255,0,0,1)-rgba(0,0,255,0.1)' \
  \( -size 256x256 gradient:'rgb(0,255,0)-rgb(255,255,0)' -rotate 90 \) -compose multiply -composite \
  \( -size 256x256 gradient:white-black -rotate 90 \) -compose copy_opacity -composite \
  -depth 8 PNG32:soft.png
"$linux" sample texture.pt >/dev/null
failures=0
for plain in "" --no-dither; do
  "$linux" import texture.pt 0 soft.png --palette new ${plain:+"$plain"} -o linux.pt --force >/dev/null 2>&1
  wine "$win" import texture.pt 0 soft.png --palette new ${plain:+"$plain"} -o windows.pt --force </dev/null >/dev/null 2>&1
  if cmp linux.pt windows.pt; then
    echo "ok    the quantizer on Windows as on Linux ${plain:-dithered}"
  else
    echo "FAIL  the quantizer on Windows as on Linux ${plain:-dithered}"
    failures=$((failures + 1))
  fi
done
[ "$failures" -eq 0 ]
