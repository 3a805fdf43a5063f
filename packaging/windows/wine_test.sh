#!/usr/bin/env bash
# ptool.exe under Wine against the Linux ptool: the same commands in two
# folders must leave the same files, byte for byte, and print the same; then
# what only Windows has: names outside the ANSI code page, paths longer than
# 260 characters, a container another program holds open, two imports at
# once, and a kill during a save.
#   packaging/windows/wine_test.sh WINDOWS_BIN_DIR LINUX_PTOOL
# WINDOWS_BIN_DIR holds ptool.exe, bmp_header.bin and hold_file.exe.
set -uo pipefail
bin=$(realpath "$1")
linux=$(realpath "$2")
win="$bin/ptool.exe"
export WINEDEBUG=-all
# Wine's services first, their output sent away: a test runner would wait
# for ever on the pipe they inherit.
(wineserver -p && wineboot) >/dev/null 2>&1 </dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
check() {  # DESCRIPTION COMMAND...
  local what=$1
  shift
  if "$@"; then echo "ok    $what"; else echo "FAIL  $what"; failures=$((failures + 1)); fi
}
wptool() { wine "$win" "$@" </dev/null; }

# --- one table of commands, run by both programs ----------------------------
# NAME stands for the container's name; every path is relative, so the two
# programs print the same.
commands=(
  "sample NAME.pt"
  "info NAME.pt"
  "info --json NAME.pt"
  "copy NAME.pt copy.pt"
  "export NAME.pt 1 s1.png"
  "export NAME.pt 1 s1.bmp"
  "export NAME.pt 1 s1.tex"
  "export NAME.pt 2 a2.png --alpha"
  "export NAME.pt 10 s10.bmp --alpha"
  "thumbnail NAME.pt thumb.png --size 200"
  "import NAME.pt 3 s1.png -o png.pt"
  "import NAME.pt 4 s1.bmp -o bmp.pt"
  "import NAME.pt 5 s1.tex -o tex.pt"
  "import NAME.pt 6 thumb.png -o quantized.pt"
  "import NAME.pt 6 thumb.png -o quantized-plain.pt --no-dither"
  "import NAME.pt 6 thumb.png -o kept.pt --palette keep"
  "import NAME.pt 0 soft.png -o soft.pt --palette new"
  "set-res NAME.pt 0 low -o low.pt"
  "diff NAME.pt low.pt"
  "export-all NAME.pt -d all-png"
  "export-all NAME.pt -d all-bmp --format bmp"
  "export-all NAME.pt -d all-tex --format tex"
  "import-all quantized.pt all-png -o back-png.pt"
  "import-all quantized.pt all-bmp -o back-bmp.pt"
  "copy NAME.pt copy.pt"
)
run_table() {  # PROGRAM... (in the current folder), one transcript per command
  local name=$1
  shift
  local i=0 c
  for c in "${commands[@]}"; do
    # shellcheck disable=SC2086
    "$@" ${c//NAME/$name} >"out.$i" 2>"err.$i"
    echo "$?" >"status.$i"
    i=$((i + 1))
  done
}
same_tree() { diff -r "$1" "$2" >"$work/diff.txt" || { head -20 "$work/diff.txt"; return 1; }; }

# A truecolour picture with soft alpha for the quantizer, one file for both:
# colours that tie in libimagequant's sorts, and dithered with its dither map.
if command -v convert >/dev/null; then
  convert -size 256x256 gradient:'rgba(255,0,0,1)-rgba(0,0,255,0.1)' \
    \( -size 256x256 gradient:'rgb(0,255,0)-rgb(255,255,0)' -rotate 90 \) -compose multiply -composite \
    \( -size 256x256 gradient:white-black -rotate 90 \) -compose copy_opacity -composite \
    -depth 8 PNG32:"$work/soft.png"
else
  echo "skip  the quantizer on a soft gradient (no ImageMagick here)"
fi

for name in texture Текстура Υφή テクスチャ; do
  mkdir -p "$work/linux-$name" "$work/windows-$name"
  if [ -e "$work/soft.png" ]; then
    cp "$work/soft.png" "$work/linux-$name/"
    cp "$work/soft.png" "$work/windows-$name/"
  fi
  (cd "$work/linux-$name" && run_table "$name" "$linux")
  (cd "$work/windows-$name" && run_table "$name" wptool)
  check "every command, same files and output as on Linux: $name" same_tree "$work/linux-$name" "$work/windows-$name"
  check "the commands succeeded: $name" test "$(cat "$work/windows-$name"/status.* | sort -u | tr '\n' ' ')" = "0 1 "
done

# --- a path longer than 260 characters --------------------------------------
deep="$work/deep"
for i in 1 2 3 4 5 6 7 8; do deep="$deep/folder-with-a-rather-long-name-number-$i"; done
mkdir -p "$deep"
long() {
  wptool sample "$deep/long.pt" >/dev/null && wptool export-all "$deep/long.pt" -d "$deep/all" >/dev/null &&
    wptool import-all "$deep/long.pt" "$deep/all" -o "$deep/back.pt" >/dev/null &&
    cmp -s "$deep/back.pt" "$work/linux-texture/texture.pt" && [ ${#deep} -gt 300 ]
}
check "paths longer than 260 characters (${#deep})" long

# --- a container another program holds open --------------------------------
cd "$work/linux-texture"
held() {  # MS: another program holds held.pt for MS milliseconds while ptool replaces it
  cp texture.pt held.pt
  wine "$bin/hold_file.exe" held.pt "$1" >"$work/hold.out" </dev/null &
  local holder=$!
  for _ in $(seq 100); do grep -q held "$work/hold.out" 2>/dev/null && break; sleep 0.05; done
  wptool copy --force low.pt held.pt >"$work/held.out" 2>"$work/held.err"
  local status=$?
  wait "$holder"
  return $status
}
held_briefly() { held 800 && cmp -s held.pt low.pt; }
held_long() {
  ! held 4000 && grep -q 'the file is open in another program' "$work/held.err" && cmp -s held.pt texture.pt &&
    ! ls -A | grep -q '^\.varnholt-'
}
check "a file held for a moment is replaced after a short wait" held_briefly
check "a file held for long is refused with the reason, untouched, nothing left" held_long

# --- two imports at once both land ------------------------------------------
both() {
  cp texture.pt both.pt
  wptool import both.pt 3 s1.tex -o both.pt --force >/dev/null 2>&1 &
  wptool import both.pt 4 s1.bmp -o both.pt --force >/dev/null 2>&1
  wait $!
  "$linux" import texture.pt 3 s1.tex -o expected.pt --force >/dev/null 2>&1
  "$linux" import expected.pt 4 s1.bmp -o expected.pt --force >/dev/null 2>&1
  cmp -s both.pt expected.pt
}
check "two imports into one container at once both land" both

# --- a kill during a save ----------------------------------------------------
killed() {
  local round old new
  old=$(cksum <texture.pt)
  new=$(cksum <low.pt)
  for round in $(seq 8); do
    cp texture.pt victim.pt
    wine "$win" copy --force low.pt victim.pt >/dev/null 2>&1 </dev/null &
    sleep "0.$((RANDOM % 4))$((RANDOM % 10))"
    kill -9 $! 2>/dev/null
    wait $! 2>/dev/null
    local now
    now=$(cksum <victim.pt)
    [ "$now" = "$old" ] || [ "$now" = "$new" ] || { echo "round $round: a mixed file"; return 1; }
    # The system removes a delete-pending file with its process.
    for _ in $(seq 40); do ls -A | grep -q '^\.varnholt-' || break; sleep 0.05; done
    if ls -A | grep -q '^\.varnholt-'; then echo "round $round: a temporary file is left"; return 1; fi
  done
}
check "a kill during a save leaves one whole file and no temporary" killed

echo "$failures failed"
[ "$failures" -eq 0 ]
